// The main window's work on its keyword list: filling it, and visiting selected rows.
#include "main_window.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "file_messages.h"
#include "history/keyword_matching.h"
#include "resource.h"

void MainWindow::FillList(const char* filter)
{
    // The highest number at the top: the history walked from its end.
    const KeywordList& entries = history_->ConstEntries();
    KeywordFilter matching(filter, ignoreCase_ != 0);
    std::vector<const KeywordEntry*> rows;
    for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry)
        if (matching.Matches(entry->Text()))
            rows.push_back(&*entry);
    listView_.AppendRows(rows);
    listView_.ResetSortOrder();
    ShowCounts();
}

int MainWindow::ShowSelected(const std::vector<const KeywordEntry*>& entries)
{
    KeywordFilter matching(Filter().c_str(), ignoreCase_ != 0);
    std::vector<const KeywordEntry*> rows;
    for (const KeywordEntry* entry : entries)
        if (matching.Matches(entry->Text()))
            rows.push_back(entry);
    listView_.InsertSelected(rows, entries);
    ShowCounts();
    return static_cast<int>(rows.size());
}

void MainWindow::ShowCounts()
{
    int held = 0;
    for (const KeywordEntry& entry : history_->ConstEntries())
        held += *entry.Text() ? 1 : 0;
    const auto shown = static_cast<int>(SendMessageA(List(), LVM_GETITEMCOUNT, 0, 0));
    countsText_ = CountText(IDS_COUNTS, held, shown);
    if (shown == 0 && GetWindowTextLengthA(keywordBox_) > 0)
        countsText_ += "\x81\x40" + LoadText(IDS_NO_MATCH); // after an ideographic space
    PlaceStatusParts();
}

void MainWindow::PlaceStatusParts()
{
    const HWND status = StatusBar();
    int width = 0;
    {
        const HDC dc = GetDC(status);
        const HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(status, WM_GETFONT, 0, 0)));
        SIZE text{};
        GetTextExtentPoint32A(dc, countsText_.data(), static_cast<int>(countsText_.size()), &text);
        SelectObject(dc, old);
        ReleaseDC(status, dc);
        // The text, its part's borders and the size grip, which lies inside the last part.
        width = text.cx + ScaleLength(kStatusPartPadding, dpi_) + MetricForDpi(SM_CXVSCROLL, dpi_);
    }
    RECT client{};
    GetClientRect(status, &client);
    const int edges[] = {std::max(0, static_cast<int>(client.right) - width), -1};
    SendMessageA(status, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(edges));
    SendMessageA(status, SB_SETTEXTA, 1, reinterpret_cast<LPARAM>(countsText_.c_str()));
}

void MainWindow::ForEachSelected(const RowAction& action)
{
    const HWND list = List();
    std::vector<int> selected;
    for (int row = -1; (row = static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, row, LVNI_SELECTED))) >= 0;)
        selected.push_back(row);
    for (auto row = selected.rbegin(); row != selected.rend(); ++row)
        action(*this, *row, listView_.EntryAt(*row));
}
