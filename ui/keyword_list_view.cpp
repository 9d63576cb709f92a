#include "keyword_list_view.h"

#include <windowsx.h>

#include <commctrl.h>
#include <olectl.h>

#include <cstdio>

#include "app/app_context.h"
#include "app/unique_any.h"
#include "app/window_class.h"
#include "history/keyword_entry.h"
#include "resource.h"

namespace {

WindowClassRecord& ListClass()
{
    static WindowClassRecord record =
        SuperclassRecord(WC_LISTVIEWA, nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN);
    return record;
}

// The list passes each row's item data: pointers to the entries.
int CALLBACK CompareRows(LPARAM first, LPARAM second, LPARAM state)
{
    return CompareEntries(*reinterpret_cast<const KeywordEntry*>(first), *reinterpret_cast<const KeywordEntry*>(second),
                          *reinterpret_cast<const SortState*>(state));
}

} // namespace

HWND KeywordListView::Create(HWND parent, DWORD style, DWORD extendedStyle)
{
    return CreateRoutedWindow(this, ListClass(), parent, nullptr, nullptr, style, extendedStyle, nullptr, nullptr);
}

BOOL KeywordListView::HandleMessage(HWND, UINT message, WPARAM, LPARAM lParam, LRESULT& result, DWORD handlerSet)
{
    if (handlerSet != 0)
        return FALSE;
    if (message == WM_CONTEXTMENU) {
        ShowContextMenu(lParam);
        result = 0;
        return TRUE;
    }
    if (message != OCM_NOTIFY)
        return FALSE;
    switch (reinterpret_cast<NMHDR*>(lParam)->code) {
    case LVN_COLUMNCLICK:
        SortByColumn(reinterpret_cast<NMLISTVIEW*>(lParam)->iSubItem);
        result = 0;
        return TRUE;
    case LVN_GETDISPINFOA:
        ShowRowText(reinterpret_cast<NMLVDISPINFOA*>(lParam)->item);
        result = 0;
        return TRUE;
    case LVN_DELETEALLITEMS:
        // Nothing is kept per row: no need to hear of every row that goes.
        result = TRUE;
        return TRUE;
    }
    return FALSE;
}

void KeywordListView::ShowContextMenu(LPARAM lParam)
{
    if (SendMessageA(Window(), LVM_GETSELECTEDCOUNT, 0, 0) == 0)
        return;
    UniqueMenu menu(LoadMenuA(App().resourceInstance, MAKEINTRESOURCEA(IDR_LISTVIEW_MENU)));
    if (!menu)
        return;
    TrackPopupMenu(GetSubMenu(menu.get(), 0), 0, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), 0, GetParent(Window()),
                   nullptr);
}

void KeywordListView::ShowRowText(LVITEMA& item)
{
    if (!(item.mask & LVIF_TEXT) || item.cchTextMax <= 0)
        return;
    LVITEMA data{};
    data.mask = LVIF_PARAM;
    data.iItem = item.iItem;
    SendMessageA(Window(), LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&data));
    const auto* entry = reinterpret_cast<const KeywordEntry*>(data.lParam);
    if (!entry)
        return;
    if (item.iSubItem == 0)
        std::snprintf(item.pszText, static_cast<size_t>(item.cchTextMax), "%d", static_cast<int>(entry->Number()));
    else
        lstrcpynA(item.pszText, entry->Text(), item.cchTextMax);
}

void KeywordListView::SortByColumn(int column)
{
    ColumnClicked(sortState_, column);
    SendMessageA(Window(), LVM_SORTITEMS, reinterpret_cast<WPARAM>(&sortState_), reinterpret_cast<LPARAM>(CompareRows));
}
