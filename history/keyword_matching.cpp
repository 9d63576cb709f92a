#include "keyword_matching.h"

#include <cstring>

#include "code_page.h"
#include "keyword_entry.h"
#include "width_folding.h"

bool LowerCaseCopy(const char* text, std::string& lowered)
{
    const CodePage& page = CodePage::Ansi();
    lowered.assign(text);
    const size_t length = lowered.size();
    auto* bytes = reinterpret_cast<unsigned char*>(&lowered[0]);
    for (size_t i = 0; i < length;) {
        if (page.IsLeadByte(bytes[i]) && bytes[i + 1]) {
            if (!page.LowerDouble(bytes[i], bytes[i + 1]))
                return false;
            i += 2;
        } else {
            bytes[i] = page.LowerSingle(bytes[i]);
            ++i;
        }
    }
    return true;
}

int FindText(const char* text, const char* pattern)
{
    const CodePage& page = CodePage::Ansi();
    const size_t textLength = std::strlen(text);
    const size_t patternLength = std::strlen(pattern);
    if (patternLength > textLength)
        return -1;
    const size_t last = textLength - patternLength;
    if (!page.Multibyte()) {
        for (size_t at = 0; at <= last; ++at)
            if (std::memcmp(text + at, pattern, patternLength) == 0)
                return static_cast<int>(at);
        return -1;
    }
    // Candidates advance a whole character at a time; the empty text has no candidate.
    for (size_t at = 0; at <= last && text[at];) {
        if (std::memcmp(text + at, pattern, patternLength) == 0)
            return static_cast<int>(at);
        at += page.IsLeadByte(static_cast<unsigned char>(text[at])) ? 2 : 1;
    }
    return -1;
}

KeywordFilter::KeywordFilter(const char* filter, bool ignoreCase, bool ignoreWidth)
    : ignoreCase_(ignoreCase), ignoreWidth_(ignoreWidth), usable_(true)
{
    std::string folded;
    if (ignoreWidth && WidthFolding::Ansi().Fold(filter, folded))
        filter = folded.c_str();
    if (ignoreCase)
        usable_ = LowerCaseCopy(filter, filter_);
    else
        filter_ = filter;
}

bool KeywordFilter::Matches(const char* text)
{
    // Under a multibyte code page the empty text matches nothing; deciding that before
    // lowering anything keeps deleted keywords cheap.
    if (!*text && CodePage::Ansi().Multibyte())
        return false;
    if (!ignoreCase_)
        return FindText(text, filter_.c_str()) >= 0;
    // A text the system cannot lower is taken not to match.
    return usable_ && LowerCaseCopy(text, lowered_) && FindText(lowered_.c_str(), filter_.c_str()) >= 0;
}

const char* KeywordFilter::MatchedText(const KeywordEntry& entry) const
{
    return ignoreWidth_ ? entry.FoldedText() : entry.Text();
}

bool KeywordFilter::Begins(const char* text)
{
    if (!*text)
        return false;
    if (ignoreCase_ && !(usable_ && LowerCaseCopy(text, lowered_)))
        return false;
    return std::strncmp(ignoreCase_ ? lowered_.c_str() : text, filter_.c_str(), filter_.size()) == 0;
}

bool KeywordMatches(const char* text, const char* filter, bool ignoreCase)
{
    return KeywordFilter(filter, ignoreCase).Matches(text);
}

namespace {

// Reads one character and returns its code: lead * 256 + trail for a double-byte character,
// the byte for any other; a lead byte just before the end counts as the end (0).
unsigned NextCode(const unsigned char*& p, const CodePage& page)
{
    const unsigned char first = *p;
    if (!first)
        return 0;
    if (page.IsLeadByte(first)) {
        if (!p[1])
            return 0;
        const unsigned code = first * 256u + p[1];
        p += 2;
        return code;
    }
    ++p;
    return first;
}

} // namespace

int CompareText(const char* a, const char* b)
{
    const CodePage& page = CodePage::Ansi();
    auto* pa = reinterpret_cast<const unsigned char*>(a);
    auto* pb = reinterpret_cast<const unsigned char*>(b);
    if (!page.Multibyte()) {
        const int r = std::strcmp(a, b);
        return r < 0 ? -1 : (r > 0 ? 1 : 0);
    }
    // Where the bytes are equal so are the characters and their codes: the common start is
    // passed over a character at a time, and the first character whose bytes differ decides.
    for (;;) {
        const bool pair = page.IsLeadByte(*pa) && pa[1];
        if (*pa != *pb || (pair && pa[1] != pb[1]))
            break;
        if (!*pa)
            return 0;
        pa += pair ? 2 : 1;
        pb += pair ? 2 : 1;
    }
    const unsigned ca = NextCode(pa, page);
    const unsigned cb = NextCode(pb, page);
    return ca == cb ? 0 : (ca > cb ? 1 : -1);
}

int32_t CompareEntries(const KeywordEntry& a, const KeywordEntry& b, const SortState& state)
{
    int32_t r = 0;
    if (state.sortColumn == 0)
        r = (a.Number() > b.Number()) - (a.Number() < b.Number()); // no overflow, unlike a difference
    else if (state.sortColumn == 1)
        r = CompareText(a.Text(), b.Text());
    return state.sortAscending ? r : -r;
}

void ColumnClicked(SortState& state, int32_t column)
{
    if (column == state.sortColumn) {
        state.sortAscending = state.sortAscending ? 0 : 1;
    } else {
        state.sortAscending = 1;
        state.sortColumn = column;
    }
}

void ResetSort(SortState& state)
{
    state.sortAscending = 0;
    state.sortColumn = 0;
}
