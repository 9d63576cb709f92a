#include "value_plan.h"

#include <algorithm>
#include <unordered_map>

#include "code_page.h"

namespace {

bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }
// The reader also takes the end-of-file byte 0x1A for a blank.
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == 0x1A; }

// The lines of an INI file's bytes, read as the system's reader reads them. In UTF-8 no byte of
// a longer character is an ASCII one, so each byte may stand alone; in the ANSI code page a
// lead byte takes the next byte, but never a line end: a value ends at the first CR or LF,
// whatever comes before it, as on Windows. Wine's reader takes a line end after a lone lead
// byte into the value, and the lines after it with it; the writer still changes only the
// value's own bytes.
class IniLines {
public:
    struct Line {
        size_t from, to; // the whole line, without its break (CR LF, CR or LF)
        size_t a, b;     // its text, without the blanks around it
    };

    explicit IniLines(const std::string& file)
        : file_(file), utf8_(file.compare(0, 3, "\xEF\xBB\xBF") == 0), page_(CodePage::Ansi()), at_(utf8_ ? 3 : 0)
    {
    }

    // The next line; false after the last.
    bool Next(Line& line)
    {
        if (at_ >= file_.size())
            return false;
        size_t end = at_;
        while (end < file_.size() && !IsLineEnd(file_[end]))
            ++end;
        line = {at_, end, at_, end};
        at_ = end + (end < file_.size() ? 1 : 0);
        if (end < file_.size() && file_[end] == '\r' && at_ < file_.size() && file_[at_] == '\n')
            ++at_;
        Trim(line.a, line.b);
        return true;
    }

    // A section's name runs to the line's last ']', trimmed and folded; false for a line that
    // names no section.
    bool SectionName(const Line& line, std::string& name) const
    {
        if (file_[line.a] != '[')
            return false;
        size_t close = 0;
        for (size_t c = line.a + 1; c < line.b; c = NextCharacter(c))
            close = file_[c] == ']' ? c + 1 : close;
        if (!close)
            return false;
        size_t first = line.a + 1;
        size_t last = close - 1;
        Trim(first, last);
        name = last > first ? FoldKey(file_.data() + first, last - first) : std::string();
        return true;
    }

    // A key's line: its folded name, and where its value lies.
    ValueSpan Value(const Line& line, std::string& key) const
    {
        size_t equals = line.a;
        while (equals < line.b && file_[equals] != '=')
            equals = NextCharacter(equals);
        equals = std::min(equals, line.b);
        size_t keyEnd = equals;
        while (keyEnd > line.a && IsBlank(file_[keyEnd - 1]))
            --keyEnd;
        key = FoldKey(file_.data() + line.a, keyEnd - line.a);
        ValueSpan span{true, equals < line.b, equals + 1, line.b, line.from, line.to};
        if (span.hasEquals)
            Trim(span.from, span.to);
        else
            span.from = line.b;
        return span;
    }

private:
    // Where the character at c ends: a trail byte is never taken for a ']' or an '='.
    size_t NextCharacter(size_t c) const
    {
        return c + (!utf8_ && c + 1 < file_.size() && page_.IsLeadByte(static_cast<unsigned char>(file_[c])) ? 2 : 1);
    }
    void Trim(size_t& first, size_t& last) const
    {
        while (first < last && IsBlank(file_[first]))
            ++first;
        while (last > first && IsBlank(file_[last - 1]))
            --last;
    }

    const std::string& file_;
    const bool utf8_;
    const CodePage& page_;
    size_t at_;
};

} // namespace

std::vector<ValueSpan> FindValues(const std::string& file, const char* section, const std::vector<std::string>& keys)
{
    std::vector<ValueSpan> spans(keys.size());
    // UTF-16 is left alone: nothing is found, and the check of the new content refuses it.
    if (file.compare(0, 2, "\xFF\xFE") == 0 || file.compare(0, 2, "\xFE\xFF") == 0)
        return spans;
    std::unordered_map<std::string, std::vector<size_t>> wanted;
    for (size_t i = 0; i < keys.size(); ++i)
        wanted[FoldKey(keys[i].data(), keys[i].size())].push_back(i);
    const std::string wantedSection = FoldKey(section, std::char_traits<char>::length(section));
    IniLines lines(file);
    IniLines::Line line{};
    std::string name;
    // Only the first section of the name counts, and the first line of each key in it.
    for (bool inSection = false; !wanted.empty() && lines.Next(line);) {
        if (line.a == line.b)
            continue;
        if (lines.SectionName(line, name)) {
            if (inSection)
                break;
            inSection = !name.empty() && name == wantedSection;
            continue;
        }
        if (!inSection || file[line.a] == ';')
            continue;
        const ValueSpan span = lines.Value(line, name);
        const auto found = wanted.find(name);
        if (found == wanted.end())
            continue;
        for (size_t i : found->second)
            spans[i] = span;
        wanted.erase(found);
    }
    return spans;
}
