// Undo: Ctrl+Z gives back what the last delete not yet undone blanked, for as long as the tool
// is open, through the same writer as a delete.
#include "main_window.h"

#include <string>
#include <utility>

#include "file_messages.h"
#include "history/keyword_matching.h"
#include "resource.h"

namespace {

constexpr size_t kUndoSteps = 100;

} // namespace

void MainWindow::RememberForUndo(UndoStep blanked)
{
    if (undoSteps_.size() == kUndoSteps)
        undoSteps_.erase(undoSteps_.begin());
    undoSteps_.push_back(std::move(blanked));
    uiState_.SetEnabled(ID_EDIT_UNDO, true);
}

void MainWindow::UndoLastDelete()
{
    if (undoSteps_.empty())
        return;
    const Busy busy(busy_);
    const RestoreOutcome outcome = history_->RestoreKeywords(undoSteps_.back());
    // A step that a failure of the file kept stays, to be tried again.
    if (undoSteps_.back().empty())
        undoSteps_.pop_back();
    uiState_.SetEnabled(ID_EDIT_UNDO, !undoSteps_.empty());

    KeywordFilter matching(Filter().c_str(), IgnoreCase());
    std::vector<const KeywordEntry*> rows;
    for (const KeywordEntry* entry : outcome.restored)
        if (matching.Matches(entry->Text()))
            rows.push_back(entry);
    listView_.InsertSelected(rows);
    SetFocus(List());
    ShowStatus(CountText(IDS_RESTORED, static_cast<int>(outcome.restored.size())));
    if (!outcome.leftAlone && !outcome.failed)
        return;
    std::string message = CountText(IDS_NOT_RESTORED, outcome.leftAlone + outcome.failed) + "\n";
    if (outcome.leftAlone)
        message += "\n" + LoadText(IDS_NUMBER_REUSED);
    if (outcome.failed)
        message += "\n" + FailureText(outcome.failure);
    ShowWarning(Window(), message);
}
