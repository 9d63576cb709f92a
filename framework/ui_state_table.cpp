#include "ui_state_table.h"

#include <new>
#include "system_sizes.h"

UiStateTable::UiStateTable(const UiStateEntry* table) : table_(table)
{
    size_t rows = 0;
    while (table_[rows].commandId != kUiStateTableEnd)
        ++rows;
    checked_.reset(new (std::nothrow) bool[rows + 1]());
    disabled_.reset(new (std::nothrow) bool[rows + 1]());
}

int UiStateTable::Row(UINT commandId) const
{
    for (int row = 0; table_[row].commandId != kUiStateTableEnd; ++row)
        if (table_[row].commandId == commandId)
            return row;
    return -1;
}

int32_t UiStateTable::SetCheck(UINT commandId, int checked)
{
    if (!checked_)
        return 0;
    const int row = Row(commandId);
    if (row >= 0)
        checked_[row] = checked != 0;
    return 1;
}

void UiStateTable::SetEnabled(UINT commandId, bool enabled)
{
    const int row = Row(commandId);
    if (row >= 0 && disabled_)
        disabled_[row] = !enabled;
}

void UiStateTable::ApplyToMenu(HMENU menu) const
{
    if (!menu || !checked_ || !disabled_)
        return;
    for (size_t row = 0; table_[row].commandId != kUiStateTableEnd; ++row) {
        if (!(table_[row].kinds & kUiPopupMenuItem))
            continue;
        // Sets the item's whole state; a menu without the command simply refuses.
        MENUITEMINFOA item{};
        item.cbSize = kMenuItemInfoBytes;
        item.fMask = MIIM_STATE;
        item.fState = (checked_[row] ? MFS_CHECKED : 0) | (disabled_[row] ? MFS_GRAYED : 0);
        SetMenuItemInfoA(menu, table_[row].commandId, FALSE, &item);
    }
}
