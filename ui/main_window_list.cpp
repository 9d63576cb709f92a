// The main window's work on its keyword list: filling it, and visiting selected rows.
#include "main_window.h"

#include <commctrl.h>

#include <vector>

#include "history/keyword_matching.h"

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
