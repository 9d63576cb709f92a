// The main window's work on its keyword list: columns, filling, and visiting selected rows.
#include "main_window.h"

#include <commctrl.h>

#include <vector>

#include "history/keyword_matching.h"

namespace {

const char kNumberHeader[] = "\x83\x43\x83\x93\x83\x66\x83\x62\x83\x4E\x83\x58"; // インデックス
const char kKeywordHeader[] = "\x83\x4C\x81\x5B\x83\x8F\x81\x5B\x83\x68";       // キーワード

} // namespace

void MainWindow::SetupColumns()
{
    const HWND list = List();
    LVCOLUMNA column{};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = LVCFMT_LEFT;
    column.cx = static_cast<int>(SendMessageA(list, LVM_GETSTRINGWIDTHA, 0, reinterpret_cast<LPARAM>(kNumberHeader))) + 15;
    column.pszText = const_cast<char*>(kNumberHeader);
    SendMessageA(list, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
    column.cx = 300;
    column.pszText = const_cast<char*>(kKeywordHeader);
    SendMessageA(list, LVM_INSERTCOLUMNA, 1, reinterpret_cast<LPARAM>(&column));
}

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
    ResetSort(listView_.Sort());
}

int MainWindow::ShowSelected(const std::vector<const KeywordEntry*>& entries)
{
    KeywordFilter matching(Filter().c_str(), ignoreCase_ != 0);
    std::vector<const KeywordEntry*> rows;
    for (const KeywordEntry* entry : entries)
        if (matching.Matches(entry->Text()))
            rows.push_back(entry);
    listView_.InsertSelected(rows, entries);
    return static_cast<int>(rows.size());
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
