// What the window does with history.ini: reading it at start and on F5, and the delete
// command, which blanks the selected keywords. What could not be read or blanked is said in a
// message, and the list keeps what it showed.
#include "main_window.h"

#include <commctrl.h>

#include <string>
#include <vector>

#include "app/app_context.h"
#include "busy_wait.h"
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

std::string LoadText(UINT id)
{
    char text[512] = "";
    LoadStringA(App().resourceInstance, id, text, sizeof text);
    return text;
}

// The system's own words for an error, in the user's language.
std::string SystemErrorText(uint32_t error)
{
    char* text = nullptr;
    const DWORD length =
        FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, error, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string words = length ? std::string(text, length) : "(" + std::to_string(error) + ")";
    LocalFree(text);
    while (!words.empty() && (words.back() == '\r' || words.back() == '\n' || words.back() == ' '))
        words.pop_back();
    return words;
}

std::string FailureText(const FileFailure& failure)
{
    switch (failure.kind) {
    case FileFailure::Kind::KeptChanging:
        return LoadText(IDS_FILE_KEPT_CHANGING);
    case FileFailure::Kind::CheckFailed:
        return LoadText(IDS_CHECK_FAILED);
    case FileFailure::Kind::SystemError:
        return failure.systemError == ERROR_FILE_TOO_LARGE ? LoadText(IDS_FILE_TOO_LARGE)
                                                           : SystemErrorText(failure.systemError);
    case FileFailure::Kind::None:
        break;
    }
    return std::string();
}

// While the window works on history.ini, it may wait for the file and meanwhile answer other
// programs' messages: none of them starts another command or closes the window until it is done.
class Busy {
public:
    explicit Busy(bool& busy) : busy_(busy) { busy_ = true; }
    ~Busy() { busy_ = false; }
    Busy(const Busy&) = delete;
    Busy& operator=(const Busy&) = delete;

private:
    bool& busy_;
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
        SendMessageA(StatusBar(), SB_SETTEXTA, 0,
                     reinterpret_cast<LPARAM>((LoadText(IDS_LEFTOVER_NOT_REMOVED) + " " + SystemErrorText(error)).c_str()));
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
    const WriteOutcome outcome = history_->DeleteKeywords(numbers);
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
    std::string message = LoadText(IDS_NOT_DELETED);
    const size_t count = message.find("%d");
    if (count != std::string::npos)
        message.replace(count, 2, std::to_string(undeleted));
    message += "\n";
    if (changed)
        message += "\n" + LoadText(IDS_KEYWORD_CHANGED);
    if (failed)
        message += "\n" + FailureText(outcome.failure);
    MessageBoxA(Window(), message.c_str(), LoadText(IDR_MAINFRAME).c_str(), MB_OK | MB_ICONWARNING);
}

void MainWindow::ReportNotRead()
{
    const std::string message = LoadText(IDS_NOT_READ) + "\n\n" + FailureText(history_->LoadFailure());
    MessageBoxA(Window(), message.c_str(), LoadText(IDR_MAINFRAME).c_str(), MB_OK | MB_ICONWARNING);
}
