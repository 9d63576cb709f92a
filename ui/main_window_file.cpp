// What the window does with history.ini: reading it at start and on F5, and the delete
// command, which blanks the selected keywords. What could not be read or blanked is said in a
// message, and the list keeps what it showed.
#include "main_window.h"

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "file_messages.h"
#include "redraw_suspended.h"
#include "resource.h"

MainWindow::Busy::Busy(MainWindow& owner) : owner_(owner), outermost_(!owner.busy_) { owner_.busy_ = true; }

MainWindow::Busy::~Busy()
{
    if (!outermost_)
        return;
    owner_.busy_ = false;
    for (const Deferred& deferred : std::exchange(owner_.deferred_, {}))
        PostMessageA(owner_.Window(), deferred.message, deferred.wParam, deferred.lParam);
}

void MainWindow::OpenHistory()
{
    history_ = std::make_unique<KeywordHistory>(".\\history.ini");
    history_->SetWaiting(waiting_);
    listView_.ShowEntriesOf(history_.get());
    const Busy busy(*this);
    // Files a delete stopped half-way left beside history.ini go before anything is read.
    if (const uint32_t error = history_->RemoveLeftovers())
        ShowStatus(LoadText(IDS_LEFTOVER_NOT_REMOVED) + " " + SystemErrorText(error));
    // Said once the window is on the screen, which it is not while it is being created.
    if (!history_->Load())
        PostMessageA(Window(), kReportNotRead, 0, 0);
}

void MainWindow::ReloadHistory()
{
    const Busy busy(*this);
    const Deadline deadline(waiting_);
    SettleLastWrite(deadline);
    listView_.ForgetMarks();
    if (history_->Reload(deadline)) {
        Refill();
        ShowStatus(LoadText(IDS_RELOADED));
    } else
        ReportNotRead();
    if (!history_->FileFound())
        ForgetUndoIfGone({FileFailure::Kind::Missing});
}

void MainWindow::DeleteSelectedRows()
{
    if (SendMessageA(List(), LVM_GETSELECTEDCOUNT, 0, 0) == 0)
        return;
    const Busy busy(*this);
    const Deadline deadline(waiting_);
    SettleLastWrite(deadline);
    std::vector<int32_t> numbers;
    ForEachSelected([&numbers](MainWindow&, int, const KeywordEntry* entry) { numbers.push_back(entry->Number()); });
    if (numbers.empty())
        return;
    const int firstSelected = static_cast<int>(SendMessageA(List(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    // Once the new content is in place, history.ini has one name, and only the others keep
    // the old content.
    const bool otherNames = history_->FileNames() > 1;
    UndoStep blanked;
    const WriteOutcome outcome = history_->DeleteKeywords(numbers, &blanked, deadline);
    const int deleted = static_cast<int>(blanked.size());
    if (deleted)
        RememberForUndo(std::move(blanked));
    {
        const RedrawSuspended suspended(List());
        ForEachSelected(DeleteRow);
    }
    // As in Explorer, the row that moved into the place of the first deleted one is selected,
    // so that Delete pressed again goes on.
    const int rows = static_cast<int>(SendMessageA(List(), LVM_GETITEMCOUNT, 0, 0));
    if (deleted && rows && SendMessageA(List(), LVM_GETSELECTEDCOUNT, 0, 0) == 0)
        listView_.SelectRow(std::min(firstSelected, rows - 1));
    ShowCounts();
    ScheduleLook();
    if (deleted)
        ShowStatus(CountText(IDS_DELETED, deleted));
    if (otherNames && deleted)
        ShowStatus(LoadText(IDS_OTHER_NAME_KEEPS));
    ForgetUndoIfGone(outcome.failure);
    const auto gone = std::count(outcome.results.begin(), outcome.results.end(), WriteResult::Gone);
    if (gone)
        ShowStatus(CountText(IDS_KEYWORDS_GONE, static_cast<int>(gone)));
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
        undeleted += result == WriteResult::ValueChanged || result == WriteResult::NotWritten ? 1 : 0;
        changed = changed || result == WriteResult::ValueChanged;
        failed = failed || result == WriteResult::NotWritten;
    }
    if (!undeleted)
        return;
    std::string message = CountText(IDS_NOT_DELETED, undeleted) + "\n";
    if (changed)
        message += "\n" + LoadText(IDS_KEYWORD_CHANGED);
    if (failed)
        message += "\n" + FailureText(outcome.failure);
    ShowWarning(Window(), message);
}

void MainWindow::ScheduleLook()
{
    if (history_->LookDue())
        SetTimer(Window(), kLookTimer, history_->LookDelayMs(), nullptr);
}

void MainWindow::SettleLastWrite(const Deadline& deadline)
{
    KillTimer(Window(), kLookTimer);
    if (!history_->LookDue())
        return;
    const Busy busy(*this);
    const LookOutcome outcome = history_->LookAgain(deadline);
    ScheduleLook();
    if (outcome.changedBack.empty())
        return;
    // Deleted keywords that are back come back into the list, selected; keywords given back
    // that are blank again leave it.
    std::vector<const KeywordEntry*> returned, blank;
    for (const KeywordEntry* entry : outcome.changedBack)
        (*entry->Text() ? returned : blank).push_back(entry);
    listView_.RemoveRowsOf(blank);
    ShowSelected(returned);
    ForgetForUndo(returned);
    if (!outcome.undoAgain.empty())
        RememberForUndo(outcome.undoAgain);
    std::string message;
    if (!returned.empty())
        message += CountText(IDS_NOT_DELETED, static_cast<int>(returned.size())) + "\n";
    if (!blank.empty())
        message += CountText(IDS_NOT_RESTORED, static_cast<int>(blank.size())) + "\n";
    message += "\n" + LoadText(IDS_WRITTEN_BACK);
    if (outcome.failure)
        message += "\n" + FailureText(outcome.failure);
    ShowWarning(Window(), message);
}

void MainWindow::ShowStatus(const std::string& text)
{
    SendMessageA(StatusBar(), SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(text.c_str()));
    SendMessageA(StatusBar(), SB_SETTIPTEXTA, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void MainWindow::ClearStatus()
{
    ShowStatus(LoadText(IDS_READY));
}

void MainWindow::ReportNotRead()
{
    ShowWarning(Window(), LoadText(IDS_NOT_READ) + "\n\n" + FailureText(history_->LoadFailure()));
}
