#pragma once

#include <cstddef>
#include <string>
#include <vector>

// Where a key's value lies in the bytes of an INI file.
struct ValueSpan {
    bool found = false;     // the section has a line for the key
    bool hasEquals = false; // a line without "=" reads empty
    size_t from = 0;        // the value's bytes without the blanks around it; for a line
    size_t to = 0;          // without "=", both lie at the end of its name
    size_t lineFrom = 0;    // the whole line, without its break
    size_t lineTo = 0;
};

// Finds each key's value as the system's own reader finds it: the first section of that name,
// the first line of the key in it, names compared ignoring the letter case of ASCII. The names
// are ASCII, as this program's are. The file may be in the ANSI code page, or in UTF-8 or
// UTF-16 with a byte-order mark.
std::vector<ValueSpan> FindValues(const std::string& file, const char* section, const std::vector<std::string>& keys);
