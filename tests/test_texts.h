#pragma once

#include <windows.h>

#include <string>

// Texts the tests share: expected bytes of Japanese texts, files in UTF-16, histories.

// Expected bytes of a Japanese text, converted from Unicode with code page 932 itself.
inline std::string ShiftJis(const wchar_t* text)
{
    char bytes[1024] = {};
    WideCharToMultiByte(932, 0, text, -1, bytes, sizeof bytes, nullptr, nullptr);
    return bytes;
}

// The bytes of a file in UTF-16 with its byte-order mark, from a text in the ANSI code page.
inline std::string Utf16(const std::string& ansi)
{
    const int count = MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(count), L'\0');
    if (count)
        MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), &wide[0], count);
    std::string bytes = "\xFF\xFE";
    for (wchar_t c : wide)
        bytes += std::string{static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
    return bytes;
}

// Five keywords, newest "banana split", with letters in both cases.
inline const std::string kFive = "[Keywords]\r\nStartPos=0\r\nEndPos=5\r\n0=apple\r\n1=Banana\r\n2=cherry\r\n"
                                 "3=Apricot\r\n4=banana split\r\n";

// A history of many keywords, each text different ("keyword " and a number), and a section
// after it.
inline std::string KeywordText(int n) { return "keyword " + std::to_string(n * 7919LL % 100003); }
inline std::string NumberedHistory(int keywords)
{
    std::string file = "[Keywords]\r\nStartPos=0\r\nEndPos=" + std::to_string(keywords) + "\r\n";
    for (int n = 0; n < keywords; ++n)
        file += std::to_string(n) + "=" + KeywordText(n) + "\r\n";
    return file + "[Tail]\r\ny=2\r\n";
}
