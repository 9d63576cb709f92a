#pragma once

#include <cstdint>

// The item data the menu bar attaches to each popup item it draws itself. An item whose
// data does not start with the signature is not the bar's.
constexpr uint32_t kMenuItemSignature = 0x1313;

struct MenuItemRecord {
    uint32_t signature;
    char* text;     // the item's text before it was made owner-drawn (tab and accelerator included)
    uint32_t type;  // MENUITEMINFO fType before the conversion
    uint32_t state; // MENUITEMINFO fState before the conversion
    int32_t image;  // index into the bar's image list, -1 for none
};
