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

    // Where the text stands among the texts of its history in the order of CompareText, once
    // the history ranked them: equal texts share a rank, and the empty text, which comes
    // before all others, always has 0. Any other new text is unranked again.
    static constexpr uint32_t kUnranked = UINT32_MAX;
    uint32_t TextRank() const { return textRank_; }
    void SetTextRank(uint32_t rank) { textRank_ = rank; }

private:
    int32_t number_;
    char* text_; // a heap copy, or the shared empty text for deleted keywords
    uint32_t textRank_;
};

// The history's entries in the order of their numbers. A deque keeps every entry at its
// address while more are appended, so rows of the list can point to entries.
using KeywordList = std::deque<KeywordEntry>;
