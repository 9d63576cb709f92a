// What the window does with history.ini: reading it at start and on F5, and the delete
// command, which blanks the selected keywords. What could not be read or blanked is said in a
// message, and the list keeps what it showed.
#include "main_window.h"

#include <commctrl.h>

#include <string>
#include <vector>

#include "busy_wait.h"
#include "file_messages.h"
#include "resource.h"

namespace {

// Suspends a list's repainting for a scope and repaints it once afterwards: a visible list
// repaints for every row inserted or deleted.
class RedrawSuspended {
public:
    explicit RedrawSuspended(HWND list) : list_(list) { SendMessageA(list_, WM_SETREDRAW, FALSE, 0); }
    ~RedrawSuspended()
    {
        SendMessageA(list_, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(list_, nullptr, TRUE);
    }
    RedrawSuspended(const RedrawSuspended&) = delete;
    RedrawSuspended& operator=(const RedrawSuspended&) = delete;

private:
    HWND list_;
};

} // namespace

void MainWindow::OpenHistory()
{
    history_ = std::make_unique<KeywordHistory>(".\\history.ini");
    history_->SetWait(WaitKeepingWindowsAlive);
    listView_.ShowEntriesOf(history_.get());
    const Busy busy(busy_);
    // Files a delete stopped half-way left beside history.ini go before anything is read.
    if (const uint32_t error = history_->RemoveLeftovers())
        ShowStatus(LoadText(IDS_LEFTOVER_NOT_REMOVED) + " " + SystemErrorText(error));
    // Said once the window is on the screen, which it is not while it is being created.
    if (!history_->Load())
        PostMessageA(Window(), kReportNotRead, 0, 0);
}

void MainWindow::ReloadHistory()
{
    const Busy busy(busy_);
    if (history_->Reload())
        Refill();
    else
        ReportNotRead();
}

void MainWindow::DeleteSelectedRows()
{
    std::vector<int32_t> numbers;
    ForEachSelected([&numbers](MainWindow&, int, const KeywordEntry* entry) { numbers.push_back(entry->Number()); });
    if (numbers.empty())
        return;
    const Busy busy(busy_);
    UndoStep blanked;
    const WriteOutcome outcome = history_->DeleteKeywords(numbers, &blanked);
    if (!blanked.empty())
        RememberForUndo(std::move(blanked));
    {
        const RedrawSuspended suspended(List());
        ForEachSelected(DeleteRow);
    }
    if (!outcome.AllWritten())
        ReportUndeleted(outcome);
}

void MainWindow::DeleteRow(MainWindow& window, int row, const KeywordEntry* entry)
{
    if (!*entry->Text())
        SendMessageA(window.List(), LVM_DELETEITEM, row, 0);
}

void MainWindow::ReportUndeleted(const WriteOutcome& outcome)
{
    int undeleted = 0;
    bool changed = false;
    bool failed = false;
    for (WriteResult result : outcome.results) {
        undeleted += result != WriteResult::Written ? 1 : 0;
        changed = changed || result == WriteResult::ValueChanged;
        failed = failed || result == WriteResult::NotWritten;
    }
    std::string message = CountText(IDS_NOT_DELETED, undeleted) + "\n";
    if (changed)
        message += "\n" + LoadText(IDS_KEYWORD_CHANGED);
    if (failed)
        message += "\n" + FailureText(outcome.failure);
    ShowWarning(Window(), message);
}

void MainWindow::ShowStatus(const std::string& text)
{
    SendMessageA(StatusBar(), SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void MainWindow::ReportNotRead()
{
    ShowWarning(Window(), LoadText(IDS_NOT_READ) + "\n\n" + FailureText(history_->LoadFailure()));
}
