// The window's commands on history.ini: reading it at start and on F5, deleting the selected
// keywords and undoing a delete. The document does the work; the window updates its rows from
// each result and says what happened. What could not be read or written is said in a message,
// and the list keeps what it showed.
#include "main_window.h"

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "file_messages.h"
#include "redraw_suspended.h"
#include "resource.h"

void MainWindow::OpenHistory()
{
    document_ = std::make_unique<KeywordDocument>(".\\history.ini", waiting_);
    listView_.ShowEntriesOf(&document_->History());
    const CommandResult opened = document_->Open();
    if (opened.leftoverError)
        ShowStatus(LoadText(IDS_LEFTOVER_NOT_REMOVED) + " " + SystemErrorText(opened.leftoverError));
    // Said once the window is on the screen, which it is not while it is being created.
    if (!opened.read)
        PostMessageA(Window(), kReportNotRead, 0, 0);
}

void MainWindow::ReloadHistory()
{
    const KeywordDocument::Command command(*document_);
    SettleLastWrite();
    // F5 keeps what the user sees, but returns to the order of a fill.
    const CommandResult result = ReadAgain([this] { return document_->Reload(); }, false);
    if (!result.read)
        ReportNotRead();
    else
        ShowStatus(LoadText(document_->History().FileFound() ? IDS_RELOADED : IDS_FILE_MISSING));
    ShowUndoState(result);
}

void MainWindow::FollowFile()
{
    // One look at the file's stamp serves the follower and the document.
    const FileStamp stamp = document_->History().Stamp();
    if (!follower_->Due(document_->CanFollow(), stamp) || !document_->ChangedElsewhere(stamp))
        return;
    // What other programs ask for while a message about the reading is open waits for it.
    const KeywordDocument::Command command(*document_);
    const bool wasMissing = !document_->History().FileFound();
    // A file that cannot be read whole now is read at its next change, or, while that may
    // pass, at the next look.
    const CommandResult result = ReadAgain([this] { return document_->Follow(); }, true);
    if (!result.read) {
        if (result.failure.Passing())
            follower_->Notified([&stamp] { return stamp; }); // read again in half a second
        return;
    }
    ShowUndoState(result);
    if (!result.blanked.empty())
        WarnWrittenBack(0, static_cast<int>(result.blanked.size()), {});
    if (!document_->History().FileFound())
        ShowStatus(LoadText(IDS_FILE_MISSING));
    else if (!result.restored.empty())
        ShowStatus(CountText(IDS_WRITTEN_BACK_ELSEWHERE, static_cast<int>(result.restored.size())));
    else if (wasMissing)
        ShowStatus(LoadText(IDS_RELOADED));
}

CommandResult MainWindow::ReadAgain(const std::function<CommandResult()>& read, bool keepSort)
{
    const KeywordListView::View view = listView_.KeepView();
    listView_.ForgetMarks();
    const CommandResult result = read();
    if (result.read) {
        // The new rows take the old ones' places without a flicker; the user has not moved on,
        // so what the status bar says stays.
        const RedrawSuspended suspended(List());
        keepingStatus_ = true;
        Refill();
        listView_.RestoreView(view, keepSort);
        keepingStatus_ = false;
    }
    return result;
}

void MainWindow::DeleteSelectedRows()
{
    if (SendMessageA(List(), LVM_GETSELECTEDCOUNT, 0, 0) == 0)
        return;
    const KeywordDocument::Command command(*document_);
    SettleLastWrite();
    const std::vector<int> rows = listView_.SelectedRows();
    if (rows.empty())
        return;
    std::vector<const KeywordEntry*> selected;
    for (auto row = rows.rbegin(); row != rows.rend(); ++row)
        selected.push_back(listView_.EntryAt(*row));
    const CommandResult result = document_->Delete(selected);
    const int deleted = result.deleted;
    {
        // Only selected rows can have gone: they are visited, not the whole list.
        const RedrawSuspended suspended(List());
        for (auto row = rows.rbegin(); row != rows.rend(); ++row)
            if (!*listView_.EntryAt(*row)->Text())
                SendMessageA(List(), LVM_DELETEITEM, *row, 0);
    }
    // As in Explorer, the row that moved into the place of the first deleted one is selected,
    // so that Delete pressed again goes on.
    const int left = static_cast<int>(SendMessageA(List(), LVM_GETITEMCOUNT, 0, 0));
    if (deleted && left && SendMessageA(List(), LVM_GETSELECTEDCOUNT, 0, 0) == 0)
        listView_.SelectRow(std::min(rows.front(), left - 1));
    ShowCounts();
    ScheduleLook();
    if (deleted)
        ShowStatus(CountText(IDS_DELETED, deleted));
    if (result.otherNames)
        ShowStatus(LoadText(IDS_OTHER_NAME_KEEPS));
    ShowUndoState(result);
    if (result.gone)
        ShowStatus(CountText(IDS_KEYWORDS_GONE, result.gone));
    if (!result.notDeleted)
        return;
    std::string message = CountText(IDS_NOT_DELETED, result.notDeleted) + "\n";
    if (result.keywordChanged)
        message += "\n" + LoadText(IDS_KEYWORD_CHANGED);
    if (result.failed)
        message += "\n" + FailureText(result.failure);
    ShowWarning(Window(), message);
}

void MainWindow::UndoLastDelete()
{
    const KeywordDocument::Command command(*document_);
    SettleLastWrite();
    const CommandResult result = document_->Undo();
    if (result.nothingToUndo) {
        ShowStatus(CountText(IDS_NOTHING_TO_UNDO, static_cast<int>(KeywordDocument::kUndoSteps)));
        return;
    }
    ScheduleLook();
    const int listed = static_cast<int>(result.restored.size());
    const int restored = listed + result.unlisted;
    const int hidden = listed - ShowSelected(result.restored);
    if (hidden < listed)
        SetFocus(List());
    if (restored == 0)
        ShowStatus(CountText(IDS_NOT_RESTORED, static_cast<int>(result.notRestored.size())));
    else if (result.unlisted)
        ShowStatus(CountText(IDS_RESTORED_UNLISTED, restored, result.unlisted));
    else
        ShowStatus(hidden ? CountText(IDS_RESTORED_HIDDEN, restored, hidden) : CountText(IDS_RESTORED, restored));
    ShowUndoState(result);
    if (result.notRestored.empty())
        return;
    std::string message = CountText(IDS_NOT_RESTORED, static_cast<int>(result.notRestored.size())) + "\n";
    if (result.numberReused)
        message += "\n" + LoadText(IDS_NUMBER_REUSED);
    if (result.failed)
        message += "\n" + FailureText(result.failure);
    ShowWarning(Window(), message + "\n" + KeywordNames(result.notRestored));
}

void MainWindow::ScheduleLook()
{
    if (document_->LookDue())
        SetTimer(Window(), kLookTimer, document_->LookDelayMs(), nullptr);
}

void MainWindow::SettleLastWrite()
{
    const KeywordDocument::Command command(*document_);
    KillTimer(Window(), kLookTimer);
    const CommandResult result = document_->Look();
    ScheduleLook();
    ShowUndoState(result);
    if (result.restored.empty() && result.blanked.empty())
        return;
    // Deleted keywords that are back come back into the list, selected; keywords given back
    // that are blank again leave it.
    listView_.RemoveRowsOf(result.blanked);
    ShowSelected(result.restored);
    WarnWrittenBack(static_cast<int>(result.restored.size()), static_cast<int>(result.blanked.size()), result.failure);
}

void MainWindow::WarnWrittenBack(int notDeleted, int notRestored, const FileFailure& failure)
{
    std::string message;
    if (notDeleted)
        message += CountText(IDS_NOT_DELETED, notDeleted) + "\n";
    if (notRestored)
        message += CountText(IDS_NOT_RESTORED, notRestored) + "\n";
    message += "\n" + LoadText(IDS_WRITTEN_BACK);
    if (failure)
        message += "\n" + FailureText(failure);
    ShowWarning(Window(), message);
}

void MainWindow::ShowUndoState(const CommandResult& result)
{
    uiState_.SetEnabled(ID_EDIT_UNDO, document_->CanUndo());
    if (result.undoForgotten)
        ShowStatus(LoadText(IDS_UNDO_FORGOTTEN));
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
    ShowWarning(Window(), LoadText(IDS_NOT_READ) + "\n\n" + FailureText(document_->LoadFailure()));
}
