#pragma once

#include <cstdint>

class KeywordEntry;

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
