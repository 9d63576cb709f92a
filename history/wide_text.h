#pragma once

#include <string>

// A NUL-terminated text of the given code page in wide characters.
std::wstring Widen(const char* text, unsigned codePage);
