#pragma once

#include <memory>

// Rules by which a keyword matches the filter text. They work character by character in the
// ANSI code page: a match never starts on the trail byte of a double-byte character.

// A lower-cased heap copy of the text; null when the system cannot lower a character.
std::unique_ptr<char[]> LowerCaseCopy(const char* text);

// The byte offset of the first occurrence of pattern in text, or -1.
int FindText(const char* text, const char* pattern);

bool KeywordMatches(const char* text, const char* filter, bool ignoreCase);

// Orders texts by character code: -1, 0 or 1.
int CompareText(const char* a, const char* b);
