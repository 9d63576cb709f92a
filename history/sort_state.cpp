#include "sort_state.h"

#include "keyword_entry.h"
#include "keyword_matching.h"

int32_t CompareEntries(const KeywordEntry& a, const KeywordEntry& b, const SortState& state)
{
    int32_t r = 0;
    if (state.sortColumn == 0)
        r = (a.Number() > b.Number()) - (a.Number() < b.Number()); // no overflow, unlike a difference
    else if (state.sortColumn == 1)
        r = CompareText(a.Text(), b.Text());
    return state.sortAscending ? r : -r;
}

void ColumnClicked(SortState& state, int32_t column)
{
    if (column == state.sortColumn) {
        state.sortAscending = state.sortAscending ? 0 : 1;
    } else {
        state.sortAscending = 1;
        state.sortColumn = column;
    }
}

void ResetSort(SortState& state)
{
    state.sortAscending = 0;
    state.sortColumn = 0;
}
