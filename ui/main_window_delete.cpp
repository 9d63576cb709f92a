// The delete command: the selected keywords are blanked in history.ini, and what could not be
// blanked stays listed with a message that says why.
#include "main_window.h"

#include <commctrl.h>

#include <string>
#include <vector>

#include "app/app_context.h"
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

std::string FailureText(const WriteOutcome& outcome)
{
    switch (outcome.failure) {
    case WriteFailure::FileKeptChanging:
        return LoadText(IDS_FILE_KEPT_CHANGING);
    case WriteFailure::CheckFailed:
        return LoadText(IDS_CHECK_FAILED);
    case WriteFailure::SystemError:
        return SystemErrorText(outcome.systemError);
    case WriteFailure::None:
        break;
    }
    return std::string();
}

} // namespace

void MainWindow::DeleteSelectedRows()
{
    std::vector<int32_t> numbers;
    ForEachSelected([&numbers](MainWindow&, int, const KeywordEntry* entry) { numbers.push_back(entry->Number()); });
    if (numbers.empty())
        return;
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
        message += "\n" + FailureText(outcome);
    MessageBoxA(Window(), message.c_str(), LoadText(IDR_MAINFRAME).c_str(), MB_OK | MB_ICONWARNING);
}
