#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <deque>

// One keyword of the history: its number, which is also its key in history.ini, and its
// text. An empty text means the keyword was deleted (or its key is absent).
class KeywordEntry {
public:
    KeywordEntry(int32_t number, const char* text) : KeywordEntry(number, text, text ? std::strlen(text) : 0) {}
    KeywordEntry(int32_t number, const char* text, size_t length);
    ~KeywordEntry();
    KeywordEntry(const KeywordEntry&) = delete;
    KeywordEntry& operator=(const KeywordEntry&) = delete;

    int32_t Number() const { return number_; }
    const char* Text() const { return text_; }
    void SetText(const char* text);
    // The text as matching reads it when width and kana kind do not count (WidthFolding),
    // made with the text, so that no keystroke folds a keyword. Where folding changes the
    // text, the form follows it in the same block.
    const char* FoldedText() const { return textRank_ & kFolded ? text_ + std::strlen(text_) + 1 : text_; }

    // Where the text stands among the texts of its history in the order of CompareText, once
    // the history ranked them: equal texts share a rank, and the empty text, which comes
    // before all others, always has 0. Any other new text is unranked again.
    static constexpr uint32_t kUnranked = 0x7FFFFFFF;
    uint32_t TextRank() const { return textRank_ & kUnranked; }
    void SetTextRank(uint32_t rank) { textRank_ = (textRank_ & kFolded) | rank; }

private:
    // The flag beside the rank that a folded form follows the text: an entry stays as small as
    // it was, for histories of millions of numbers.
    static constexpr uint32_t kFolded = 0x80000000;

    void Take(char* text, bool folded);

    int32_t number_;
    char* text_; // a heap copy, or the shared empty text for deleted keywords
    uint32_t textRank_;
};

// Keyword numbers handled by the history: those whose decimal key text has at most seven
// characters. Keys outside this range never belong to a keyword.
constexpr int32_t kLowestKeywordNumber = -999999;
constexpr int32_t kHighestKeywordNumber = 9999999;

// Formats the key of a keyword number as the history file names it ("%d").
struct KeywordKey {
    explicit KeywordKey(int32_t number);
    char text[16];
};

// True when key is exactly the "%d" text of a keyword number in the handled range.
bool ParseKeywordKey(const char* key, size_t length, int32_t& number);

// The history's entries in the order of their numbers. A deque keeps every entry at its
// address while more are appended, so rows of the list can point to entries.
using KeywordList = std::deque<KeywordEntry>;
