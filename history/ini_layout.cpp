#include "value_plan.h"

#include <algorithm>
#include <unordered_map>

#include "code_page.h"

namespace {

bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }
// The reader also takes the end-of-file byte 0x1A for a blank.
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == 0x1A; }

} // namespace

std::vector<ValueSpan> FindValues(const std::string& file, const char* section, const std::vector<std::string>& keys)
{
    std::vector<ValueSpan> spans(keys.size());
    // UTF-16 is left alone: nothing is found, and the check of the new content refuses it.
    if (file.compare(0, 2, "\xFF\xFE") == 0 || file.compare(0, 2, "\xFE\xFF") == 0)
        return spans;
    // In UTF-8 no byte of a longer character is an ASCII one, so each byte may stand alone; in
    // the ANSI code page a lead byte takes the next byte, but never a line end: a value ends at
    // the first CR or LF, whatever comes before it, as on Windows. Wine's reader takes a line
    // end after a lone lead byte into the value, and the lines after it with it; the writer
    // still changes only the value's own bytes.
    const bool utf8 = file.compare(0, 3, "\xEF\xBB\xBF") == 0;
    const CodePage& page = CodePage::Ansi();
    std::unordered_map<std::string, std::vector<size_t>> wanted;
    for (size_t i = 0; i < keys.size(); ++i)
        wanted[FoldKey(keys[i].data(), keys[i].size())].push_back(i);
    const std::string wantedSection = FoldKey(section, std::char_traits<char>::length(section));
    const char* const data = file.data();
    // Where the character at c ends: a trail byte is never taken for a ']' or an '='.
    auto next = [&](size_t c) {
        return c + (!utf8 && c + 1 < file.size() && page.IsLeadByte(static_cast<unsigned char>(file[c])) ? 2 : 1);
    };
    auto trim = [&file](size_t& first, size_t& last) {
        while (first < last && IsBlank(file[first]))
            ++first;
        while (last > first && IsBlank(file[last - 1]))
            --last;
    };
    bool inSection = false;
    for (size_t at = utf8 ? 3 : 0; at < file.size() && !wanted.empty();) {
        // The line's bytes [a, b) without its break, which may be CR LF, CR or LF.
        size_t end = at;
        while (end < file.size() && !IsLineEnd(file[end]))
            ++end;
        const size_t lineFrom = at;
        size_t a = at;
        size_t b = end;
        at = end + (end < file.size() ? 1 : 0);
        if (end < file.size() && file[end] == '\r' && at < file.size() && file[at] == '\n')
            ++at;
        trim(a, b);
        if (a == b)
            continue;
        if (file[a] == '[') {
            // A section's name runs to the line's last ']', trimmed; only the first section of
            // the name counts.
            size_t close = 0;
            for (size_t c = a + 1; c < b; c = next(c))
                close = file[c] == ']' ? c + 1 : close;
            if (close) {
                if (inSection)
                    break;
                size_t first = a + 1;
                size_t last = close - 1;
                trim(first, last);
                inSection = last > first && FoldKey(data + first, last - first) == wantedSection;
                continue;
            }
        }
        if (!inSection || file[a] == ';')
            continue;
        size_t equals = a;
        while (equals < b && file[equals] != '=')
            equals = next(equals);
        equals = std::min(equals, b);
        size_t keyEnd = equals;
        while (keyEnd > a && IsBlank(file[keyEnd - 1]))
            --keyEnd;
        const auto found = wanted.find(FoldKey(data + a, keyEnd - a));
        if (found == wanted.end())
            continue;
        ValueSpan span{true, equals < b, equals + 1, b, lineFrom, end};
        if (span.hasEquals)
            trim(span.from, span.to);
        else
            span.from = b;
        for (size_t i : found->second)
            spans[i] = span;
        wanted.erase(found);
    }
    return spans;
}
