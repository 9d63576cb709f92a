#include "converted_menus.h"

#include <cstring>
#include <new>

#include "system_sizes.h"

void ConvertedMenus::Convert(HMENU menu, const std::vector<uint16_t>& imageCommands)
{
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        char text[100] = {};
        MENUITEMINFOA info;
        if (!ReadMenuItem(menu, i, info, text) || (info.fType & MFT_OWNERDRAW))
            continue;
        std::unique_ptr<OwnedRecord> owned(new (std::nothrow) OwnedRecord{
            {{static_cast<DWORD>(MSAA_MENU_SIG), 0, nullptr}, kMenuItemSignature, nullptr, info.fType, info.fState, -1},
            nullptr,
            nullptr});
        if (!owned)
            continue;
        for (size_t image = 0; image < imageCommands.size(); ++image) {
            if (imageCommands[image] == info.wID) {
                owned->record.image = static_cast<int32_t>(image);
                break;
            }
        }
        const size_t bytes = std::strlen(text) + 1;
        owned->text.reset(new (std::nothrow) char[bytes]);
        if (owned->text)
            std::memcpy(owned->text.get(), text, bytes);
        owned->record.text = owned->text.get();
        const int units = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
        owned->name.reset(units > 0 ? new (std::nothrow) wchar_t[units] : nullptr);
        if (owned->name && MultiByteToWideChar(CP_ACP, 0, text, -1, owned->name.get(), units) == units) {
            owned->record.accessible.cchWText = static_cast<DWORD>(units - 1);
            owned->record.accessible.pszWText = owned->name.get();
        }
        info.fType |= MFT_OWNERDRAW;
        info.dwItemData = reinterpret_cast<ULONG_PTR>(&owned->record);
        info.fMask = MIIM_STATE | MIIM_TYPE | MIIM_DATA;
        // An item the system would not change keeps no record.
        if (!SetMenuItemInfoA(menu, i, TRUE, &info))
            continue;
        try {
            records_.push_back(std::move(owned));
        } catch (const std::bad_alloc&) {
            // Not kept: the item goes back to what it was now, while its record still lives.
            info.fType &= ~MFT_OWNERDRAW;
            info.dwItemData = 0;
            SetMenuItemInfoA(menu, i, TRUE, &info);
        }
    }
    try {
        menus_.push_back(menu);
    } catch (const std::bad_alloc&) {
        RestoreAll();
    }
}

void ConvertedMenus::RestoreAll()
{
    for (auto menu = menus_.rbegin(); menu != menus_.rend(); ++menu) {
        for (int position = 0; position < GetMenuItemCount(*menu); ++position) {
            MENUITEMINFOA info{};
            info.cbSize = kMenuItemInfoBytes;
            info.fMask = MIIM_ID | MIIM_TYPE | MIIM_DATA | MIIM_SUBMENU;
            if (!GetMenuItemInfoA(*menu, position, TRUE, &info))
                continue;
            const MenuItemRecord* record = RecordOf(info.dwItemData);
            if (!record)
                continue;
            const char* restoredText = record->text ? record->text : "";
            MENUITEMINFOA restored{};
            restored.cbSize = kMenuItemInfoBytes;
            restored.fMask = MIIM_STATE | MIIM_TYPE | MIIM_DATA;
            restored.fType = record->type;
            restored.fState = record->state;
            restored.dwTypeData = const_cast<char*>(restoredText);
            restored.cch = static_cast<UINT>(lstrlenA(restoredText));
            restored.dwItemData = 0;
            SetMenuItemInfoA(*menu, position, TRUE, &restored);
            // An item that opens a submenu keeps it: its handle stands in for the identifier.
            const UINT_PTR id = info.hSubMenu ? reinterpret_cast<UINT_PTR>(info.hSubMenu) : info.wID;
            ModifyMenuA(*menu, position, MF_BYPOSITION | record->type | record->state | (info.hSubMenu ? MF_POPUP : 0),
                        id, restoredText);
        }
    }
    menus_.clear();
    records_.clear();
}
