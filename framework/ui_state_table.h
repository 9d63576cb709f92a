#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

// One command whose menu items show a check mark, or are grayed while it cannot be given.
struct UiStateEntry {
    uint16_t commandId;
    uint16_t kinds;
};
constexpr uint16_t kUiPopupMenuItem = 0x0001;
constexpr uint16_t kUiStateTableEnd = 0xFFFF;

// The check and enabled states wanted for each command of a fixed table. Commands record
// their state here; a menu gets the recorded marks when it opens.
class UiStateTable {
public:
    explicit UiStateTable(const UiStateEntry* table);

    // Records the state; 1 also for an unknown command, which changes nothing.
    int32_t SetCheck(UINT commandId, int checked);
    // Records whether the command can be given now; commands can until told otherwise.
    void SetEnabled(UINT commandId, bool enabled);
    // Gives the opening menu's items of the table their recorded check marks and gray.
    void ApplyToMenu(HMENU menu) const;

private:
    int Row(UINT commandId) const;

    const UiStateEntry* table_;
    std::unique_ptr<bool[]> checked_;
    std::unique_ptr<bool[]> disabled_;
};
