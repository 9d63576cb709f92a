#include "ini_layout.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <vector>

#include "code_page.h"

namespace {

enum class Encoding { Ansi, Utf8, Utf16LE, Utf16BE };

// One character of the file as the system's reader decodes it. Codes of double-byte
// characters are marked so that they never equal a single-byte one: a trail byte is never
// taken for a ']' or an '='.
struct Unit {
    uint32_t code;
    size_t offset;
    size_t width;
};

constexpr uint32_t kWideMark = 0x10000;

size_t EndOf(const Unit& unit) { return unit.offset + unit.width; }
bool IsLineEnd(uint32_t code) { return code == '\r' || code == '\n'; }
// The reader also takes the end-of-file byte 0x1A for a blank.
bool IsBlank(uint32_t code) { return code == ' ' || code == '\t' || code == '\v' || code == '\f' || code == 0x1A; }
uint32_t FoldCase(uint32_t code) { return code >= 'A' && code <= 'Z' ? code + ('a' - 'A') : code; }

size_t ByteOrderMark(const std::string& file, Encoding& encoding)
{
    if (file.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        encoding = Encoding::Utf8;
        return 3;
    }
    if (file.compare(0, 2, "\xFF\xFE") == 0) {
        encoding = Encoding::Utf16LE;
        return 2;
    }
    if (file.compare(0, 2, "\xFE\xFF") == 0) {
        encoding = Encoding::Utf16BE;
        return 2;
    }
    encoding = Encoding::Ansi;
    return 0;
}

// Reads the characters of bytes in one encoding, one at a time from any character's start.
class Decoder {
public:
    Decoder(const std::string& bytes, Encoding encoding)
        : bytes_(bytes), encoding_(encoding), page_(CodePage::Ansi())
    {
    }

    Unit At(size_t at) const
    {
        const auto b0 = static_cast<unsigned char>(bytes_[at]);
        const bool hasNext = at + 1 < bytes_.size();
        const auto b1 = hasNext ? static_cast<unsigned char>(bytes_[at + 1]) : 0u;
        if (encoding_ == Encoding::Utf16LE || encoding_ == Encoding::Utf16BE)
            return hasNext ? Unit{encoding_ == Encoding::Utf16LE ? (b1 << 8u | b0) : (b0 << 8u | b1), at, 2}
                           : Unit{kWideMark | b0, at, 1};
        // A lead byte takes the next byte whatever it is, even a line end.
        if (encoding_ == Encoding::Ansi && hasNext && page_.IsLeadByte(b0))
            return Unit{kWideMark | b0 << 8u | b1, at, 2};
        return Unit{b0, at, 1};
    }

    // The characters of the line from at, without its break, into line; at moves past the
    // break (CR LF counts as one). True when the line had a break.
    bool Line(size_t& at, std::vector<Unit>& line) const
    {
        line.clear();
        while (at < bytes_.size()) {
            const Unit unit = At(at);
            at += unit.width;
            if (IsLineEnd(unit.code)) {
                if (unit.code == '\r' && at < bytes_.size() && At(at).code == '\n')
                    at += At(at).width;
                return true;
            }
            line.push_back(unit);
        }
        return false;
    }

private:
    const std::string& bytes_;
    Encoding encoding_;
    const CodePage& page_;
};

std::vector<Unit> Decode(const std::string& bytes, Encoding encoding)
{
    const Decoder decoder(bytes, encoding);
    std::vector<Unit> units;
    for (size_t at = 0; at < bytes.size(); at += units.back().width)
        units.push_back(decoder.At(at));
    return units;
}

// The ANSI text as bytes of the file's encoding.
std::string Encode(const std::string& text, Encoding encoding)
{
    if (encoding == Encoding::Ansi || text.empty())
        return text;
    const int count = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::vector<wchar_t> wide(count);
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), count);
    std::string out;
    if (encoding == Encoding::Utf8) {
        out.resize(WideCharToMultiByte(CP_UTF8, 0, wide.data(), count, nullptr, 0, nullptr, nullptr));
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), count, &out[0], static_cast<int>(out.size()), nullptr, nullptr);
        return out;
    }
    for (wchar_t c : wide) {
        const char low = static_cast<char>(c & 0xFF);
        const char high = static_cast<char>((c >> 8) & 0xFF);
        out += encoding == Encoding::Utf16LE ? std::string{low, high} : std::string{high, low};
    }
    return out;
}

std::vector<uint32_t> Codes(const std::string& text, Encoding encoding)
{
    std::vector<uint32_t> codes;
    for (const Unit& unit : Decode(Encode(text, encoding), encoding))
        codes.push_back(unit.code);
    return codes;
}

// The name in units [first, last), cut at a NUL as the reader cuts it, equals the wanted
// codes, ignoring the letter case of ASCII.
bool NameEquals(const std::vector<Unit>& units, size_t first, size_t last, const std::vector<uint32_t>& wanted)
{
    size_t length = 0;
    while (first + length < last && units[first + length].code != 0)
        ++length;
    if (length != wanted.size())
        return false;
    for (size_t i = 0; i < length; ++i)
        if (FoldCase(units[first + i].code) != FoldCase(wanted[i]))
            return false;
    return true;
}

// The file's own line break, taken from its first line; CR LF for a file without one.
std::string LineBreakOf(const Decoder& decoder, const std::string& file, size_t start)
{
    for (size_t at = start; at < file.size();) {
        const Unit unit = decoder.At(at);
        at += unit.width;
        if (unit.code == '\n')
            return "\n";
        if (unit.code == '\r')
            return at < file.size() && decoder.At(at).code == '\n' ? "\r\n" : "\r";
    }
    return "\r\n";
}

} // namespace

std::vector<IniEdit> PlanIniValueEdits(const std::string& file, const char* section,
                                       const std::vector<IniValue>& values)
{
    Encoding encoding = Encoding::Ansi;
    const size_t start = ByteOrderMark(file, encoding);
    const Decoder decoder(file, encoding);
    const std::vector<uint32_t> wantedSection = Codes(section, encoding);
    const std::string newline = Encode(LineBreakOf(decoder, file, start), encoding);

    // The keys still to be found, by their letter-case-folded codes.
    std::map<std::vector<uint32_t>, size_t> pending;
    for (size_t i = 0; i < values.size(); ++i) {
        std::vector<uint32_t> codes = Codes(values[i].key, encoding);
        for (uint32_t& code : codes)
            code = FoldCase(code);
        pending.emplace(std::move(codes), i);
    }
    std::vector<IniEdit> edits;

    bool inSection = false;
    bool sectionSeen = false;
    size_t sectionEnd = 0; // just past the section's last line
    bool sectionEndsWithBreak = false;
    bool fileEndsWithBreak = true; // known once every line was read; true for an empty file
    std::vector<Unit> units; // the line's characters
    std::vector<uint32_t> key;
    for (size_t at = start; at < file.size() && !pending.empty();) {
        // What is added after a line goes after its whole break, CR LF included.
        const bool hasBreak = decoder.Line(at, units);
        const size_t afterLine = hasBreak ? at : file.size();
        fileEndsWithBreak = hasBreak;
        size_t a = 0;
        size_t b = units.size();
        while (a < b && IsBlank(units[a].code))
            ++a;
        while (b > a && IsBlank(units[b - 1].code))
            --b;
        if (a == b)
            continue;

        if (units[a].code == '[') {
            size_t close = b;
            while (close > a + 1 && units[close - 1].code != ']')
                --close;
            if (close > a + 1) {
                // The name runs to the line's last ']', trimmed; only the first section of
                // the name counts.
                if (inSection)
                    break;
                size_t first = a + 1;
                size_t last = close - 1;
                while (first < last && IsBlank(units[first].code))
                    ++first;
                while (last > first && IsBlank(units[last - 1].code))
                    --last;
                if (!sectionSeen && NameEquals(units, first, last, wantedSection)) {
                    inSection = sectionSeen = true;
                    sectionEnd = afterLine;
                    sectionEndsWithBreak = hasBreak;
                }
                continue;
            }
        }
        if (!inSection)
            continue;
        sectionEnd = afterLine;
        sectionEndsWithBreak = hasBreak;
        if (units[a].code == ';')
            continue;

        size_t equals = a;
        while (equals < b && units[equals].code != '=')
            ++equals;
        size_t keyEnd = equals;
        while (keyEnd > a && IsBlank(units[keyEnd - 1].code))
            --keyEnd;
        key.clear();
        for (size_t k = a; k < keyEnd && units[k].code != 0; ++k)
            key.push_back(FoldCase(units[k].code));
        const auto found = pending.find(key);
        if (found == pending.end())
            continue;
        const std::string encodedValue = Encode(values[found->second].value, encoding);
        pending.erase(found);
        if (equals == b) {
            // A key without "=" reads empty already.
            if (!encodedValue.empty())
                edits.push_back({EndOf(units[b - 1]), 0, Encode("=", encoding) + encodedValue});
            continue;
        }
        size_t v = equals + 1;
        while (v < b && IsBlank(units[v].code))
            ++v;
        const size_t from = v < b ? units[v].offset : EndOf(units[equals]);
        const size_t to = v < b ? EndOf(units[b - 1]) : from;
        if (file.compare(from, to - from, encodedValue) != 0)
            edits.push_back({from, to - from, encodedValue});
    }
    if (pending.empty())
        return edits;

    // What is still missing is added, in the order it was asked for.
    std::string lines;
    for (size_t i = 0; i < values.size(); ++i) {
        std::vector<uint32_t> codes = Codes(values[i].key, encoding);
        for (uint32_t& code : codes)
            code = FoldCase(code);
        const auto missing = pending.find(codes);
        if (missing != pending.end() && missing->second == i)
            lines += Encode(values[i].key + "=" + values[i].value, encoding) + newline;
    }
    if (sectionSeen) {
        edits.push_back({sectionEnd, 0, (sectionEndsWithBreak ? std::string() : newline) + lines});
    } else {
        edits.push_back({file.size(), 0,
                         (fileEndsWithBreak ? std::string() : newline) + Encode("[" + std::string(section) + "]", encoding) +
                             newline + lines});
    }
    std::stable_sort(edits.begin(), edits.end(), [](const IniEdit& x, const IniEdit& y) { return x.offset < y.offset; });
    return edits;
}

std::string ApplyIniEdits(const std::string& file, const std::vector<IniEdit>& edits)
{
    std::string updated;
    updated.reserve(file.size());
    size_t copied = 0;
    for (const IniEdit& edit : edits) {
        updated.append(file, copied, edit.offset - copied);
        updated += edit.insertBytes;
        copied = edit.offset + edit.removeBytes;
    }
    updated.append(file, copied, std::string::npos);
    return updated;
}
