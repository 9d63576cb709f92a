#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "menu_item_record.h"

// The popup menus whose items the bar draws itself while they are shown, and the record of
// what each item was before, which this object owns from the conversion until the items are
// given back what they were.
class ConvertedMenus {
public:
    ConvertedMenus() = default;
    ~ConvertedMenus() { RestoreAll(); }
    ConvertedMenus(const ConvertedMenus&) = delete;
    ConvertedMenus& operator=(const ConvertedMenus&) = delete;

    // Makes every item of the menu that is not owner-drawn yet owner-drawn, with a record of
    // its type, state and text and of its image among the commands that have one.
    void Convert(HMENU menu, const std::vector<uint16_t>& imageCommands);
    // Gives every converted item its former type, state and text back.
    void RestoreAll();

private:
    struct OwnedRecord {
        MenuItemRecord record;
        std::unique_ptr<char[]> text;
        std::unique_ptr<wchar_t[]> name; // the text in UTF-16, for screen readers
    };

    std::vector<HMENU> menus_;
    std::vector<std::unique_ptr<OwnedRecord>> records_;
};
