#include "keyword_entry.h"

#include <cstring>

namespace {

// Deleted keywords share this text instead of owning an empty copy each: a corrupted
// history can hold millions of them.
char emptyText[1] = {0};

char* CopyText(const char* text)
{
    if (!text || !*text)
        return emptyText;
    const size_t bytes = std::strlen(text) + 1;
    char* copy = new char[bytes];
    std::memcpy(copy, text, bytes);
    return copy;
}

} // namespace

KeywordEntry::KeywordEntry(int32_t number, const char* text) : number_(number), text_(CopyText(text)) {}

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
}
