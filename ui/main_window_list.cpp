// The main window's work on its keyword list: filling it, and visiting selected rows.
#include "main_window.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "clipboard_text.h"
#include "file_messages.h"
#include "framework/gdi_scope.h"
#include "history/keyword_matching.h"
#include "resource.h"

namespace {

constexpr int kStatusPartPadding = 12; // the counts' part beside its text, at 96 DPI

} // namespace

void MainWindow::FillList(const char* filter)
{
    // The highest number at the top: the history walked from its end.
    const KeywordList& entries = document_->History().ConstEntries();
    KeywordFilter matching(filter, ignoreCase_ != 0, ignoreWidth_ != 0);
    std::vector<const KeywordEntry*> rows;
    int held = 0; // counted on the walk the filter needs anyway
    for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) {
        held += *entry->Text() ? 1 : 0;
        if (matching.Matches(*entry))
            rows.push_back(&*entry);
    }
    listView_.AppendRows(rows);
    listView_.ResetSortOrder();
    ShowCounts(held);
}

int MainWindow::ShowSelected(const std::vector<const KeywordEntry*>& entries)
{
    KeywordFilter matching(Filter().c_str(), ignoreCase_ != 0, ignoreWidth_ != 0);
    std::vector<const KeywordEntry*> rows;
    for (const KeywordEntry* entry : entries)
        if (matching.Matches(*entry))
            rows.push_back(entry);
    listView_.InsertSelected(rows, entries);
    ShowCounts();
    return static_cast<int>(rows.size());
}

void MainWindow::ShowCounts()
{
    int held = 0;
    for (const KeywordEntry& entry : document_->History().ConstEntries())
        held += *entry.Text() ? 1 : 0;
    ShowCounts(held);
}

void MainWindow::ShowCounts(int held)
{
    const auto shown = static_cast<int>(SendMessageA(List(), LVM_GETITEMCOUNT, 0, 0));
    std::string text = CountText(IDS_COUNTS, held, shown);
    if (shown == 0 && GetWindowTextLengthA(keywordBox_) > 0)
        text += "\x81\x40" + LoadText(IDS_NO_MATCH); // after an ideographic space
    // Most keystrokes leave the counts as they were: the status bar is not repainted then.
    if (text == countsText_)
        return;
    countsText_ = std::move(text);
    PlaceStatusParts();
    SendMessageA(StatusBar(), SB_SETTEXTA, 1, reinterpret_cast<LPARAM>(countsText_.c_str()));
}

void MainWindow::PlaceStatusParts()
{
    const HWND status = StatusBar();
    SIZE text{};
    {
        const WindowDc dc(status);
        const SelectScope font(dc.get(), reinterpret_cast<HFONT>(SendMessageA(status, WM_GETFONT, 0, 0)));
        GetTextExtentPoint32A(dc.get(), countsText_.data(), static_cast<int>(countsText_.size()), &text);
    }
    // The text, its part's borders and the size grip, which lies inside the last part.
    const int width = text.cx + ScaleLength(kStatusPartPadding, dpi_) + MetricForDpi(SM_CXVSCROLL, dpi_);
    RECT client{};
    GetClientRect(status, &client);
    const int edges[] = {std::max(0, static_cast<int>(client.right) - width), -1};
    SendMessageA(status, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(edges));
}

void MainWindow::CopySelectedKeywords()
{
    std::string text;
    int copied = 0;
    for (int row : listView_.SelectedRows()) {
        text.append(listView_.EntryAt(row)->Text()).append("\r\n");
        ++copied;
    }
    if (!copied)
        return;
    text.resize(text.size() - 2); // one keyword a line, as a text editor pastes them
    if (PutOnClipboard(Window(), text))
        ShowStatus(CountText(IDS_COPIED, copied));
    else
        ShowStatus(SystemErrorText(GetLastError()));
}
