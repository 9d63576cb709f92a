#include "ini_layout.h"

#include <cstdint>
#include <unordered_map>

#include "code_page.h"

namespace {

enum class Encoding { Ansi, Utf8, Utf16LE, Utf16BE };

// One character of the file as the reader decodes it. Codes of double-byte characters are
// marked so that they never equal a single-byte one: a trail byte is never taken for a ']'
// or an '='.
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

class Decoder {
public:
    explicit Decoder(const std::string& bytes) : bytes_(bytes), page_(CodePage::Ansi())
    {
        if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0)
            encoding_ = Encoding::Utf8, start_ = 3;
        else if (bytes.compare(0, 2, "\xFF\xFE") == 0)
            encoding_ = Encoding::Utf16LE, start_ = 2;
        else if (bytes.compare(0, 2, "\xFE\xFF") == 0)
            encoding_ = Encoding::Utf16BE, start_ = 2;
    }

    size_t Start() const { return start_; }

    // The characters of the line from at, without its break, into line; at moves past the
    // break (CR LF counts as one).
    void Line(size_t& at, std::vector<Unit>& line) const
    {
        line.clear();
        while (at < bytes_.size()) {
            const Unit unit = At(at);
            at += unit.width;
            if (IsLineEnd(unit.code)) {
                if (unit.code == '\r' && at < bytes_.size() && At(at).code == '\n')
                    at += At(at).width;
                return;
            }
            line.push_back(unit);
        }
    }

private:
    Unit At(size_t at) const
    {
        const auto b0 = static_cast<unsigned char>(bytes_[at]);
        const bool hasNext = at + 1 < bytes_.size();
        const auto b1 = hasNext ? static_cast<unsigned char>(bytes_[at + 1]) : 0u;
        if (encoding_ == Encoding::Utf16LE || encoding_ == Encoding::Utf16BE)
            return hasNext ? Unit{encoding_ == Encoding::Utf16LE ? (b1 << 8u | b0) : (b0 << 8u | b1), at, 2}
                           : Unit{kWideMark | b0, at, 1};
        // A lead byte takes the next byte whatever it is, even a line end. In UTF-8 no byte of
        // a longer character is an ASCII one, so each byte may stand alone.
        if (encoding_ == Encoding::Ansi && hasNext && page_.IsLeadByte(b0))
            return Unit{kWideMark | b0 << 8u | b1, at, 2};
        return Unit{b0, at, 1};
    }

    const std::string& bytes_;
    const CodePage& page_;
    Encoding encoding_ = Encoding::Ansi;
    size_t start_ = 0;
};

// The name in units [first, last), cut at a NUL as the reader cuts names, with the letter case
// of ASCII folded; empty when it holds a character outside ASCII, which no name here has.
std::string FoldedName(const std::vector<Unit>& units, size_t first, size_t last)
{
    std::string name;
    for (size_t i = first; i < last && units[i].code != 0; ++i) {
        if (units[i].code >= 0x80)
            return std::string();
        name += static_cast<char>(FoldCase(units[i].code));
    }
    return name;
}

std::string Folded(const std::string& name)
{
    std::string folded;
    for (char c : name)
        folded += static_cast<char>(FoldCase(static_cast<unsigned char>(c)));
    return folded;
}

} // namespace

std::vector<ValueSpan> FindValues(const std::string& file, const char* section, const std::vector<std::string>& keys)
{
    std::unordered_map<std::string, std::vector<size_t>> wanted;
    for (size_t i = 0; i < keys.size(); ++i)
        wanted[Folded(keys[i])].push_back(i);
    const std::string wantedSection = Folded(section);
    std::vector<ValueSpan> spans(keys.size());
    const Decoder decoder(file);
    bool inSection = false;
    std::vector<Unit> units;
    for (size_t at = decoder.Start(); at < file.size() && !wanted.empty();) {
        decoder.Line(at, units);
        size_t a = 0;
        size_t b = units.size();
        while (a < b && IsBlank(units[a].code))
            ++a;
        while (b > a && IsBlank(units[b - 1].code))
            --b;
        if (a == b)
            continue;
        if (units[a].code == '[') {
            // A section's name runs to the line's last ']', trimmed; only the first section of
            // the name counts.
            size_t close = b;
            while (close > a + 1 && units[close - 1].code != ']')
                --close;
            if (close > a + 1) {
                if (inSection)
                    break;
                size_t first = a + 1;
                size_t last = close - 1;
                while (first < last && IsBlank(units[first].code))
                    ++first;
                while (last > first && IsBlank(units[last - 1].code))
                    --last;
                inSection = last > first && FoldedName(units, first, last) == wantedSection;
                continue;
            }
        }
        if (!inSection || units[a].code == ';')
            continue;
        size_t equals = a;
        while (equals < b && units[equals].code != '=')
            ++equals;
        size_t keyEnd = equals;
        while (keyEnd > a && IsBlank(units[keyEnd - 1].code))
            --keyEnd;
        const auto found = wanted.find(FoldedName(units, a, keyEnd));
        if (found == wanted.end())
            continue;
        ValueSpan span{true, equals < b, EndOf(units[b - 1]), EndOf(units[b - 1])};
        if (span.hasEquals) {
            size_t v = equals + 1;
            while (v < b && IsBlank(units[v].code))
                ++v;
            span.from = v < b ? units[v].offset : EndOf(units[equals]);
            span.to = v < b ? EndOf(units[b - 1]) : span.from;
        }
        for (size_t i : found->second)
            spans[i] = span;
        wanted.erase(found);
    }
    return spans;
}
