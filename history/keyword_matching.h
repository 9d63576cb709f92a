#pragma once

#include <cstdint>
#include <string>

class KeywordEntry;

// Rules by which a keyword matches the filter text. They work character by character in the
// ANSI code page: a match never starts on the trail byte of a double-byte character.

// Puts a lower-cased copy of the text into lowered; false when the system cannot lower a
// character.
bool LowerCaseCopy(const char* text, std::string& lowered);

// The byte offset of the first occurrence of pattern in text, or -1.
int FindText(const char* text, const char* pattern);

// The filter text made ready to be matched against every keyword of the history: folded once
// when width and kana kind are ignored (the keywords are folded as they are read: pass their
// FoldedText then), then lowered once when the letter case is ignored, each keyword then
// lowered into the same buffer.
class KeywordFilter {
public:
    KeywordFilter(const char* filter, bool ignoreCase, bool ignoreWidth = false);
    bool Matches(const char* text);
    bool Matches(const KeywordEntry& entry) { return Matches(MatchedText(entry)); }
    // Whether a text that is not empty begins with the filter, as typing in the list finds rows.
    bool Begins(const char* text);
    bool Begins(const KeywordEntry& entry) { return Begins(MatchedText(entry)); }

private:
    const char* MatchedText(const KeywordEntry& entry) const;

    bool ignoreCase_;
    bool ignoreWidth_;
    bool usable_; // false when the filter cannot be lowered: then nothing matches
    std::string filter_;
    std::string lowered_;
};

// One keyword against a filter; to match many, make the filter once.
bool KeywordMatches(const char* text, const char* filter, bool ignoreCase);

// Orders texts by character code: -1, 0 or 1.
int CompareText(const char* a, const char* b);


// How the keyword list is sorted: column 0 is the number, column 1 the keyword text.
// A refilled list is in number order, descending.
struct SortState {
    int32_t sortAscending = 0;
    int32_t sortColumn = 0;
};

// Negative puts a before b.
int32_t CompareEntries(const KeywordEntry& a, const KeywordEntry& b, const SortState& state);

// A click on the sorted column reverses it; a click on another column sorts it ascending.
void ColumnClicked(SortState& state, int32_t column);
void ResetSort(SortState& state);
