#include "keyword_entry.h"

#include <cstring>

namespace {

// Deleted keywords share this text instead of owning an empty copy each: a corrupted
// history can hold millions of them.
char emptyText[1] = {0};

char* CopyText(const char* text, size_t length)
{
    if (!text || !length || !*text)
        return emptyText;
    char* copy = new char[length + 1];
    std::memcpy(copy, text, length);
    copy[length] = 0;
    return copy;
}

char* CopyText(const char* text) { return CopyText(text, text ? std::strlen(text) : 0); }

} // namespace

KeywordEntry::KeywordEntry(int32_t number, const char* text)
    : number_(number), text_(CopyText(text)), textRank_(text_ == emptyText ? 0 : kUnranked)
{
}

KeywordEntry::KeywordEntry(int32_t number, const char* text, size_t length)
    : number_(number), text_(CopyText(text, length)), textRank_(text_ == emptyText ? 0 : kUnranked)
{
}

KeywordEntry::~KeywordEntry()
{
    if (text_ != emptyText)
        delete[] text_;
}

void KeywordEntry::SetText(const char* text)
{
    char* copy = CopyText(text);
    if (text_ != emptyText)
        delete[] text_;
    text_ = copy;
    textRank_ = text_ == emptyText ? 0 : kUnranked;
}
