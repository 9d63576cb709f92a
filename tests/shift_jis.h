#pragma once

#include <windows.h>

#include <string>

// Expected bytes of a Japanese text, converted from Unicode with code page 932 itself.
inline std::string ShiftJis(const wchar_t* text)
{
    char bytes[1024] = {};
    WideCharToMultiByte(932, 0, text, -1, bytes, sizeof bytes, nullptr, nullptr);
    return bytes;
}
