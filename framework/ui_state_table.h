#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

// One command whose menu items show a check mark.
struct UiStateEntry {
    uint16_t commandId;
    uint16_t kinds;
};
constexpr uint16_t kUiPopupMenuItem = 0x0001;
constexpr uint16_t kUiStateTableEnd = 0xFFFF;

// The check state wanted for each command of a fixed table. Commands record their state
// here; a menu gets the recorded marks when it opens.
class UiStateTable {
public:
    explicit UiStateTable(const UiStateEntry* table);

    // Records the state; 1 also for an unknown command, which changes nothing.
    int32_t SetCheck(UINT commandId, int checked);
    // Gives the opening menu's items of the table their recorded check marks.
    void ApplyToMenu(HMENU menu) const;

private:
    const UiStateEntry* table_;
    std::unique_ptr<bool[]> checked_;
};
