#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>

// One keyword of the history: its number, which is also its key in history.ini, and its
// text. An empty text means the keyword was deleted (or its key is absent).
class KeywordEntry {
public:
    KeywordEntry(int32_t number, const char* text);
    KeywordEntry(int32_t number, const char* text, size_t length);
    ~KeywordEntry();
    KeywordEntry(const KeywordEntry&) = delete;
    KeywordEntry& operator=(const KeywordEntry&) = delete;

    int32_t Number() const { return number_; }
    const char* Text() const { return text_; }
    void SetText(const char* text);

private:
    int32_t number_;
    char* text_; // a heap copy, or the shared empty text for deleted keywords
};

// The history's entries in the order of their numbers. A deque keeps every entry at its
// address while more are appended, so rows of the list can point to entries.
using KeywordList = std::deque<KeywordEntry>;
