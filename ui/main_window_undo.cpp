// Undo: Ctrl+Z gives back what the last delete not yet undone blanked, for as long as the tool
// is open, through the same writer as a delete.
#include "main_window.h"

#include <algorithm>
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

void MainWindow::ForgetForUndo(const std::vector<const KeywordEntry*>& entries)
{
    for (const KeywordEntry* entry : entries)
        for (UndoStep& step : undoSteps_)
            step.erase(std::remove_if(step.begin(), step.end(),
                                      [entry](const BlankedKeyword& k) { return k.number == entry->Number(); }),
                       step.end());
    undoSteps_.erase(std::remove_if(undoSteps_.begin(), undoSteps_.end(), [](const UndoStep& step) { return step.empty(); }),
                     undoSteps_.end());
    uiState_.SetEnabled(ID_EDIT_UNDO, !undoSteps_.empty());
}

void MainWindow::UndoLastDelete()
{
    const Busy busy(*this);
    const Deadline deadline(waiting_);
    SettleLastWrite(deadline);
    if (undoSteps_.empty()) {
        ShowStatus(CountText(IDS_NOTHING_TO_UNDO, static_cast<int>(kUndoSteps)));
        return;
    }
    const RestoreOutcome outcome = history_->RestoreKeywords(undoSteps_.back(), deadline);
    // A step that a failure of the file kept stays, to be tried again.
    if (undoSteps_.back().empty())
        undoSteps_.pop_back();
    uiState_.SetEnabled(ID_EDIT_UNDO, !undoSteps_.empty());
    ScheduleLook();

    // The keywords the filter hides now are selected too once it shows them.
    KeywordFilter matching(Filter().c_str(), IgnoreCase());
    std::vector<const KeywordEntry*> rows;
    for (const KeywordEntry* entry : outcome.restored)
        if (matching.Matches(entry->Text()))
            rows.push_back(entry);
    listView_.InsertSelected(rows, outcome.restored);
    if (!rows.empty())
        SetFocus(List());
    const int restored = static_cast<int>(outcome.restored.size());
    const int hidden = restored - static_cast<int>(rows.size());
    ShowStatus(hidden ? CountText(IDS_RESTORED_HIDDEN, restored, hidden) : CountText(IDS_RESTORED, restored));
    if (!outcome.leftAlone && !outcome.failed)
        return;
    std::string message = CountText(IDS_NOT_RESTORED, outcome.leftAlone + outcome.failed) + "\n";
    if (outcome.leftAlone)
        message += "\n" + LoadText(IDS_NUMBER_REUSED);
    if (outcome.failed)
        message += "\n" + FailureText(outcome.failure);
    ShowWarning(Window(), message);
}
