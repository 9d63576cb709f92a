#include "keyword_list_view.h"

#include <windowsx.h>

#include <olectl.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <unordered_map>

#include "app/app_context.h"
#include "app/unique_any.h"
#include "app/window_class.h"
#include "redraw_suspended.h"
#include "resource.h"

namespace {

WindowClassRecord& ListClass()
{
    static WindowClassRecord record =
        SuperclassRecord(WC_LISTVIEWA, nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN);
    return record;
}

// A row's first column: the entry's number as decimal text.
struct NumberText {
    explicit NumberText(const KeywordEntry& entry)
    {
        std::snprintf(text, sizeof text, "%d", static_cast<int>(entry.Number()));
    }
    char text[16];
};

void SetRowState(HWND list, int row, UINT state, UINT mask)
{
    LVITEMA item{};
    item.stateMask = mask;
    item.state = state;
    SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

} // namespace

HWND KeywordListView::Create(HWND parent, DWORD style, DWORD extendedStyle)
{
    return CreateRoutedWindow(this, ListClass(), parent, nullptr, nullptr, style | LVS_OWNERDATA, extendedStyle,
                              nullptr, nullptr);
}

BOOL KeywordListView::HandleMessage(HWND, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result,
                                   DWORD handlerSet)
{
    if (handlerSet != kOwnWindow)
        return FALSE;
    result = 0;
    switch (message) {
    case LVM_DELETEALLITEMS: rows_.clear(); return FALSE; // the control then clears its own count
    case LVM_DELETEITEM: OnDeleteItem(wParam); return FALSE;
    case WM_SIZE: OnSize(); return FALSE;
    case kFitKeywordColumn: fitPosted_ = false; FitKeywordColumn(); return TRUE;
    case WM_KEYDOWN: return OnKeyDown(wParam);
    case WM_LBUTTONDOWN: ForgetMarks(); return FALSE; // the user selects for himself now
    case WM_RBUTTONDOWN: ForgetMarks(); return FALSE;
    case WM_CONTEXTMENU: ShowContextMenu(lParam); return TRUE;
    case OCM_NOTIFY: return OnNotify(*reinterpret_cast<NMHDR*>(lParam), result);
    }
    return FALSE;
}

void KeywordListView::OnDeleteItem(WPARAM row)
{
    if (row < rows_.size())
        rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(row));
}

void KeywordListView::OnSize()
{
    // Fitted once the list has settled: a refill empties the list and fills it again, and its
    // scroll bar going and coming back would otherwise resize the column twice for every
    // keystroke, each time laying out every row.
    if (!fitPosted_)
        fitPosted_ = PostMessageA(Window(), kFitKeywordColumn, 0, 0) != FALSE;
}

BOOL KeywordListView::OnKeyDown(WPARAM key)
{
    ForgetMarks();
    // Ctrl+A selects every row, as in every Windows list.
    if (key != 'A' || GetKeyState(VK_CONTROL) >= 0 || GetKeyState(VK_MENU) < 0)
        return FALSE;
    SelectAll();
    return TRUE;
}

BOOL KeywordListView::OnNotify(NMHDR& notification, LRESULT& result)
{
    switch (notification.code) {
    case LVN_COLUMNCLICK: SortByColumn(reinterpret_cast<NMLISTVIEW&>(notification).iSubItem); return TRUE;
    case LVN_GETDISPINFOA: ShowRowText(reinterpret_cast<NMLVDISPINFOA&>(notification).item); return TRUE;
    case LVN_ODFINDITEMA: result = FindRow(reinterpret_cast<NMLVFINDITEMA&>(notification)); return TRUE;
    case LVN_ODFINDITEMW: result = FindRow(reinterpret_cast<NMLVFINDITEMW&>(notification)); return TRUE;
    }
    return FALSE;
}

void KeywordListView::AppendRows(const std::vector<const KeywordEntry*>& rows)
{
    const size_t first = rows_.size();
    rows_.insert(rows_.end(), rows.begin(), rows.end());
    SendMessageA(Window(), LVM_SETITEMCOUNT, rows_.size(), LVSICF_NOSCROLL);
    for (size_t row = first; !marked_.empty() && row < rows_.size(); ++row)
        if (marked_.count(rows_[row]))
            SetRowState(Window(), static_cast<int>(row), LVIS_SELECTED, LVIS_SELECTED);
    InvalidateRect(Window(), nullptr, TRUE);
}

void KeywordListView::RemoveRowsOf(const std::vector<const KeywordEntry*>& entries)
{
    const std::unordered_set<const KeywordEntry*> removing(entries.begin(), entries.end());
    const RedrawSuspended suspended(Window());
    for (size_t row = rows_.size(); !removing.empty() && row-- > 0;)
        if (removing.count(rows_[row]))
            SendMessageA(Window(), LVM_DELETEITEM, row, 0);
}

void KeywordListView::InsertSelected(const std::vector<const KeywordEntry*>& rows,
                                     const std::vector<const KeywordEntry*>& marked)
{
    marked_.clear();
    marked_.insert(marked.begin(), marked.end());
    if (rows.empty())
        return;
    const HWND list = Window();
    const RedrawSuspended suspended(list);
    for (int row : SelectedRows())
        SetRowState(list, row, 0, LVIS_SELECTED);
    // One pass merges the new rows, in the list's order, into the rows there are.
    auto before = [this](const KeywordEntry* a, const KeywordEntry* b) { return CompareEntries(*a, *b, sortState_) < 0; };
    std::vector<const KeywordEntry*> added(rows);
    std::stable_sort(added.begin(), added.end(), before);
    std::vector<const KeywordEntry*> merged;
    merged.reserve(rows_.size() + added.size());
    std::vector<int> positions;
    auto next = rows_.cbegin();
    for (const KeywordEntry* entry : added) {
        const auto end = std::upper_bound(next, rows_.cend(), entry, before);
        merged.insert(merged.end(), next, end);
        next = end;
        positions.push_back(static_cast<int>(merged.size()));
        merged.push_back(entry);
    }
    merged.insert(merged.end(), next, rows_.cend());
    rows_.swap(merged);
    SendMessageA(list, LVM_SETITEMCOUNT, rows_.size(), LVSICF_NOSCROLL);
    for (int row : positions)
        SetRowState(list, row, LVIS_SELECTED, LVIS_SELECTED);
    if (!positions.empty()) {
        SetRowState(list, positions.front(), LVIS_FOCUSED, LVIS_FOCUSED);
        SendMessageA(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(positions.front()), FALSE);
    }
    InvalidateRect(list, nullptr, TRUE);
}

const KeywordEntry* KeywordListView::EntryAt(int row) const
{
    return row >= 0 && static_cast<size_t>(row) < rows_.size() ? rows_[static_cast<size_t>(row)] : nullptr;
}

void KeywordListView::ShowRowText(LVITEMA& item) const
{
    const KeywordEntry* entry = EntryAt(item.iItem);
    if (!(item.mask & LVIF_TEXT) || item.cchTextMax <= 0 || !entry)
        return;
    lstrcpynA(item.pszText, item.iSubItem == 0 ? NumberText(*entry).text : entry->Text(), item.cchTextMax);
}

int KeywordListView::FindRow(const NMLVFINDITEMW& find) const
{
    // Some list controls ask in the wide form whatever their parent prefers.
    char typed[64] = {};
    if (find.lvfi.psz)
        WideCharToMultiByte(CP_ACP, 0, find.lvfi.psz, -1, typed, sizeof typed - 1, nullptr, nullptr);
    NMLVFINDITEMA narrow{find.hdr, find.iStart, {find.lvfi.flags, typed, find.lvfi.lParam, find.lvfi.pt, find.lvfi.vkDirection}};
    return FindRow(narrow);
}

int KeywordListView::FindRow(const NMLVFINDITEMA& find) const
{
    const UINT flags = find.lvfi.flags;
    const char* typed = find.lvfi.psz ? find.lvfi.psz : "";
    const int startRow = find.iStart;
    // Typing in the list goes to the next row whose keyword, whatever its letter case, or
    // whose number starts with what was typed.
    if (!(flags & (LVFI_STRING | LVFI_PARTIAL)) || !*typed || rows_.empty())
        return -1;
    const size_t typedLength = std::strlen(typed);
    KeywordFilter keyword(typed, true, ignoreWidth_);
    const size_t count = rows_.size();
    const size_t start = startRow >= 0 && static_cast<size_t>(startRow) < count ? static_cast<size_t>(startRow) : 0;
    for (size_t step = 0; step < count; ++step) {
        const size_t row = (start + step) % count;
        if (row < start && !(flags & LVFI_WRAP))
            break;
        if (keyword.Begins(*rows_[row]) || std::strncmp(NumberText(*rows_[row]).text, typed, typedLength) == 0)
            return static_cast<int>(row);
    }
    return -1;
}

std::vector<int> KeywordListView::SelectedRows() const
{
    std::vector<int> rows;
    for (int row = -1; (row = static_cast<int>(SendMessageA(Window(), LVM_GETNEXTITEM, row, LVNI_SELECTED))) >= 0;)
        rows.push_back(row);
    return rows;
}

namespace {

// Where a context menu opens. The keyboard (Shift+F10, the menu key) gives no point, only -1 in
// both halves, which would put the menu in the corner of the screen: it opens below the focused
// selected row instead (the first selected one without focus), or at the list's top-left corner
// when that row is out of view.
POINT ContextMenuPoint(HWND list, LPARAM lParam)
{
    POINT point = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    if (point.x != -1 || point.y != -1)
        return point;
    point = {0, 0};
    LRESULT row = SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED | LVNI_SELECTED);
    if (row < 0)
        row = SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED);
    RECT rowRect{LVIR_BOUNDS, 0, 0, 0}, client{};
    GetClientRect(list, &client);
    if (row >= 0 && SendMessageA(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&rowRect)) &&
        rowRect.top >= client.top && rowRect.bottom <= client.bottom)
        point = {std::max(rowRect.left, client.left), rowRect.bottom};
    ClientToScreen(list, &point);
    return point;
}

} // namespace

void KeywordListView::ShowContextMenu(LPARAM lParam)
{
    if (SendMessageA(Window(), LVM_GETSELECTEDCOUNT, 0, 0) == 0)
        return;
    UniqueMenu menu(LoadMenuA(App().resourceInstance, MAKEINTRESOURCEA(IDR_LISTVIEW_MENU)));
    if (!menu)
        return;
    const POINT point = ContextMenuPoint(Window(), lParam);
    TrackPopupMenu(GetSubMenu(menu.get(), 0), 0, point.x, point.y, 0, GetParent(Window()), nullptr);
}

void KeywordListView::ResetSortOrder()
{
    ResetSort(sortState_);
    ShowSortArrow();
}

void KeywordListView::ShowSortArrow()
{
    // Common controls 6, which the manifest asks for, draw the arrow; older ones know neither
    // flag and draw the header as before. (No version is asked: Wine's library reports 5.81
    // even where it is the version 6 one.)
    const auto header = reinterpret_cast<HWND>(SendMessageA(Window(), LVM_GETHEADER, 0, 0));
    const auto columns = static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0));
    for (int column = 0; column < columns; ++column) {
        HDITEMA item{};
        item.mask = HDI_FORMAT;
        SendMessageA(header, HDM_GETITEMA, column, reinterpret_cast<LPARAM>(&item));
        const int before = item.fmt;
        item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
        if (column == sortState_.sortColumn)
            item.fmt |= sortState_.sortAscending ? HDF_SORTUP : HDF_SORTDOWN;
        // A header item changed makes the list lay itself out again: every fill resets the
        // sort, which mostly leaves the arrows as they are.
        if (item.fmt != before)
            SendMessageA(header, HDM_SETITEMA, column, reinterpret_cast<LPARAM>(&item));
    }
}

void KeywordListView::SetKeywordColumnMinimum(int width)
{
    keywordColumnMinimum_ = width;
    FitKeywordColumn();
}

void KeywordListView::FitKeywordColumn()
{
    if (!keywordColumnMinimum_)
        return;
    RECT client{};
    GetClientRect(Window(), &client);
    const auto number = static_cast<int>(SendMessageA(Window(), LVM_GETCOLUMNWIDTH, 0, 0));
    const int width = std::max(keywordColumnMinimum_, static_cast<int>(client.right) - number);
    if (width != SendMessageA(Window(), LVM_GETCOLUMNWIDTH, 1, 0))
        SendMessageA(Window(), LVM_SETCOLUMNWIDTH, 1, width);
}

void KeywordListView::SelectRow(int row)
{
    SetRowState(Window(), row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    SendMessageA(Window(), LVM_ENSUREVISIBLE, row, FALSE);
}

void KeywordListView::SelectAll()
{
    SetRowState(Window(), -1, LVIS_SELECTED, LVIS_SELECTED);
}

void KeywordListView::SortByColumn(int column)
{
    ColumnClicked(sortState_, column);
    SortRows();
}

KeywordListView::View KeywordListView::KeepView() const
{
    View view;
    for (int row : SelectedRows())
        view.selected.push_back(EntryAt(row)->Number());
    const auto focused = static_cast<int>(SendMessageA(Window(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
    if (const KeywordEntry* entry = EntryAt(focused))
        view.focused = entry->Number();
    view.topRow = static_cast<int>(SendMessageA(Window(), LVM_GETTOPINDEX, 0, 0));
    if (const KeywordEntry* entry = EntryAt(view.topRow))
        view.top = entry->Number();
    view.sort = sortState_;
    return view;
}

void KeywordListView::RestoreView(const View& view, bool keepSort)
{
    if (keepSort && (view.sort.sortColumn != sortState_.sortColumn || view.sort.sortAscending != sortState_.sortAscending)) {
        sortState_ = view.sort;
        SortRows();
    }
    // One pass finds the rows of the few keywords the view names.
    std::unordered_map<int32_t, int> rowOf;
    for (int32_t number : view.selected)
        rowOf.emplace(number, -1);
    for (const std::optional<int32_t>& number : {view.focused, view.top})
        if (number)
            rowOf.emplace(*number, -1);
    for (size_t row = 0; row < rows_.size(); ++row)
        if (const auto wanted = rowOf.find(rows_[row]->Number()); wanted != rowOf.end())
            wanted->second = static_cast<int>(row);
    auto rowOfNumber = [&rowOf](const std::optional<int32_t>& number) {
        const auto found = number ? rowOf.find(*number) : rowOf.end();
        return found == rowOf.end() ? -1 : found->second;
    };
    for (int32_t number : view.selected)
        if (const int row = rowOfNumber(number); row >= 0)
            SetRowState(Window(), row, LVIS_SELECTED, LVIS_SELECTED);
    if (const int row = rowOfNumber(view.focused); row >= 0)
        SetRowState(Window(), row, LVIS_FOCUSED, LVIS_FOCUSED);
    // The keyword at the top stays there; where it went, the view keeps its place.
    const int kept = rowOfNumber(view.top);
    const int top = kept >= 0 ? kept : view.topRow;
    RECT first{LVIR_BOUNDS, 0, 0, 0};
    if (SendMessageA(Window(), LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&first))) {
        const auto now = static_cast<int>(SendMessageA(Window(), LVM_GETTOPINDEX, 0, 0));
        SendMessageA(Window(), LVM_SCROLL, 0, (top - now) * (first.bottom - first.top));
    }
}

void KeywordListView::SortRows()
{
    ShowSortArrow();
    // The selection and the focus stay with their keywords, wherever the sort moves them.
    const HWND list = Window();
    const std::vector<int> selectedRows = SelectedRows();
    std::vector<bool> selected(rows_.size());
    for (int row : selectedRows)
        selected[static_cast<size_t>(row)] = true;
    const auto focused = static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
    const KeywordEntry* focusedEntry = EntryAt(focused);
    std::vector<std::pair<const KeywordEntry*, bool>> order;
    for (size_t row = 0; row < rows_.size(); ++row)
        order.emplace_back(rows_[row], selected[row]);
    // By keyword, the ranks of the texts order the rows as comparing the texts does, at the
    // cost of comparing numbers.
    const bool byRank = sortState_.sortColumn == 1 && history_;
    if (byRank)
        history_->RankTexts();
    std::stable_sort(order.begin(), order.end(), [this, byRank](const auto& a, const auto& b) {
        if (!byRank)
            return CompareEntries(*a.first, *b.first, sortState_) < 0;
        const uint32_t rankA = a.first->TextRank();
        const uint32_t rankB = b.first->TextRank();
        return sortState_.sortAscending ? rankA < rankB : rankA > rankB;
    });
    // Clearing all rows at once makes the control visit every row, which costs far more than
    // clearing the few that hold a state.
    if (selectedRows.size() > rows_.size() / 2) {
        SetRowState(list, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    } else {
        for (int row : selectedRows)
            SetRowState(list, row, 0, LVIS_SELECTED);
        if (focused >= 0)
            SetRowState(list, focused, 0, LVIS_FOCUSED);
    }
    for (size_t row = 0; row < order.size(); ++row) {
        rows_[row] = order[row].first;
        if (order[row].second)
            SetRowState(list, static_cast<int>(row), LVIS_SELECTED, LVIS_SELECTED);
        if (order[row].first == focusedEntry)
            SetRowState(list, static_cast<int>(row), LVIS_FOCUSED, LVIS_FOCUSED);
    }
    InvalidateRect(list, nullptr, TRUE);
}
