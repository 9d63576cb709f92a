#include "wide_text.h"

#include <windows.h>

std::wstring Widen(const char* text, unsigned codePage)
{
    const int count = MultiByteToWideChar(codePage, 0, text, -1, nullptr, 0);
    std::wstring wide(count > 0 ? static_cast<size_t>(count) : 1, L'\0');
    MultiByteToWideChar(codePage, 0, text, -1, &wide[0], count);
    wide.resize(wcslen(wide.c_str()));
    return wide;
}
