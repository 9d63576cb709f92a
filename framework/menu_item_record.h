#pragma once

#include <windows.h>

#include <oleacc.h>

#include <cstdint>
#include "system_sizes.h"

// The item data the menu bar attaches to each popup item it draws itself. An owner-drawn item
// has no text of its own, so the data begins with the accessibility record in which a screen
// reader's menu support looks for the item's name; the bar's own part follows it. An item
// whose data carries neither signature is not the bar's.
constexpr uint32_t kMenuItemSignature = 0x1313;

struct MenuItemRecord {
    MSAAMENUINFO accessible; // MSAA_MENU_SIG, then the text (mnemonic and accelerator included) in UTF-16
    uint32_t signature;
    char* text;     // the item's text before it was made owner-drawn (tab and accelerator included)
    uint32_t type;  // MENUITEMINFO fType before the conversion
    uint32_t state; // MENUITEMINFO fState before the conversion
    int32_t image;  // index into the bar's image list, -1 for none
};

// The bar's record of an item from the item's data, or null for an item that is not the bar's.
inline const MenuItemRecord* RecordOf(ULONG_PTR itemData)
{
    const auto* record = reinterpret_cast<const MenuItemRecord*>(itemData);
    return record && record->accessible.dwMSAASignature == static_cast<DWORD>(MSAA_MENU_SIG) &&
                   record->signature == kMenuItemSignature
               ? record
               : nullptr;
}

// Reads everything about the item at a position of a menu, its text into the buffer.
inline bool ReadMenuItem(HMENU menu, int position, MENUITEMINFOA& info, char (&text)[100])
{
    info = {};
    info.cbSize = kMenuItemInfoBytes;
    info.fMask = MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_CHECKMARKS | MIIM_TYPE | MIIM_DATA;
    info.dwTypeData = text;
    info.cch = sizeof text;
    return GetMenuItemInfoA(menu, static_cast<UINT>(position), TRUE, &info) != FALSE;
}
