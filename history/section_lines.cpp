#include "section_lines.h"

#include <cstring>
#include <unordered_map>

#include "code_page.h"

namespace {

// A keyword is read into 260 bytes with the terminating NUL.
constexpr size_t kReadLimit = 259;

bool IsQuote(char c) { return c == '"' || c == '\''; }
bool IsReaderBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r' || c == '\n' || c == 0x1A; }
char FoldCase(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c; }

} // namespace

bool ByteSpan::operator==(const ByteSpan& other) const
{
    return length == other.length && std::memcmp(data, other.data, length) == 0;
}

ByteSpan ValueAsRead(ByteSpan value)
{
    const bool quoted = value.length >= 2 && IsQuote(value.data[0]) && value.data[value.length - 1] == value.data[0];
    if (value.length < kReadLimit)
        return quoted ? ByteSpan{value.data + 1, value.length - 2} : value;

    // Long values are cut as the system cuts them: it reads wide characters and converts.
    const CodePage& page = CodePage::Ansi();
    const char* start = quoted ? value.data + 1 : value.data;
    const size_t available = value.length - (quoted ? 1 : 0);
    std::vector<size_t> ends; // the byte end of each character, up to one past the limit
    for (size_t at = 0; at < available && ends.size() <= kReadLimit + 1;) {
        at += page.IsLeadByte(static_cast<unsigned char>(start[at])) && at + 1 < available ? 2 : 1;
        ends.push_back(at);
    }
    size_t characters = ends.size() < kReadLimit ? ends.size() : kReadLimit;
    if (quoted && ends.size() <= kReadLimit + 1 && characters > 0)
        --characters;
    while (characters > 0 && ends[characters - 1] > kReadLimit)
        --characters;
    return {start, characters ? ends[characters - 1] : 0};
}

std::string TextAsRead(const std::string& value)
{
    size_t first = 0;
    size_t last = value.size();
    while (first < last && IsReaderBlank(value[first]))
        ++first;
    while (last > first && IsReaderBlank(value[last - 1]))
        --last;
    return ValueAsRead({value.data() + first, last - first}).String();
}

std::string FoldKey(const char* key, size_t length)
{
    std::string folded;
    for (const char* end = key + length; key < end && *key; ++key)
        folded += FoldCase(*key);
    return folded;
}

SectionLines::SectionLines(std::vector<char> lines) : buffer_(std::move(lines))
{
    if (buffer_.size() < 2 || buffer_[buffer_.size() - 1] != 0 || buffer_[buffer_.size() - 2] != 0)
        buffer_.insert(buffer_.end(), 2, 0);
    for (const char* line = buffer_.data(); *line;) {
        const size_t length = std::strlen(line);
        const auto* equals = static_cast<const char*>(std::memchr(line, '=', length));
        const size_t keyLength = equals ? static_cast<size_t>(equals - line) : length;
        lines_.push_back({{line, keyLength}, equals ? ByteSpan{equals + 1, length - keyLength - 1} : ByteSpan{}});
        line += length + 1;
    }
}

std::vector<KeyReading> SectionLines::Read(const std::vector<std::string>& keys) const
{
    std::unordered_map<std::string, std::vector<size_t>> wanted;
    for (size_t i = 0; i < keys.size(); ++i)
        wanted[FoldKey(keys[i].data(), keys[i].size())].push_back(i);
    std::vector<KeyReading> values(keys.size());
    for (const Line& line : lines_) {
        if (wanted.empty())
            break;
        const auto found = wanted.find(FoldKey(line.key.data, line.key.length));
        if (found == wanted.end())
            continue;
        for (size_t i : found->second)
            values[i] = {true, ValueAsRead(line.value)};
        wanted.erase(found);
    }
    return values;
}
