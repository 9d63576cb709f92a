#include "keyword_entry.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "width_folding.h"

namespace {

// Deleted keywords share this text instead of owning an empty copy each: a corrupted
// history can hold millions of them.
char emptyText[1] = {0};

// A heap copy of the text, followed in the same block by its folded form where folding
// changes it.
char* CopyText(const char* text, size_t length, bool& folded)
{
    folded = false;
    if (!text || !length || !*text)
        return emptyText;
    length = strnlen(text, length);
    std::string form;
    folded = WidthFolding::Ansi().Fold(text, length, form);
    char* copy = new char[length + 1 + (folded ? form.size() + 1 : 0)];
    std::memcpy(copy, text, length);
    copy[length] = 0;
    if (folded)
        std::memcpy(copy + length + 1, form.c_str(), form.size() + 1);
    return copy;
}

} // namespace

KeywordEntry::KeywordEntry(int32_t number, const char* text, size_t length) : number_(number), text_(emptyText)
{
    bool folded = false;
    char* copy = CopyText(text, length, folded);
    Take(copy, folded);
}

KeywordEntry::~KeywordEntry()
{
    if (text_ != emptyText)
        delete[] text_;
}

void KeywordEntry::SetText(const char* text)
{
    bool folded = false;
    char* copy = CopyText(text, text ? std::strlen(text) : 0, folded);
    if (text_ != emptyText)
        delete[] text_;
    Take(copy, folded);
}

void KeywordEntry::Take(char* text, bool folded)
{
    text_ = text;
    textRank_ = (text_ == emptyText ? 0 : kUnranked) | (folded ? kFolded : 0);
}

KeywordKey::KeywordKey(int32_t number) { std::snprintf(text, sizeof text, "%d", static_cast<int>(number)); }

bool ParseKeywordKey(const char* key, size_t length, int32_t& number)
{
    const bool negative = length > 0 && key[0] == '-';
    const size_t digits = length - (negative ? 1 : 0);
    if (digits == 0 || digits > 7 || (negative && digits > 6))
        return false;
    const char* p = key + (negative ? 1 : 0);
    // "%d" writes no leading zeros and never "-0".
    if (p[0] == '0' && (digits > 1 || negative))
        return false;
    int32_t value = 0;
    for (size_t i = 0; i < digits; ++i) {
        if (p[i] < '0' || p[i] > '9')
            return false;
        value = value * 10 + (p[i] - '0');
    }
    number = negative ? -value : value;
    return true;
}
