// Undo: Ctrl+Z gives back what the last delete not yet undone blanked, for as long as the tool
// is open, through the same writer as a delete.
#include "main_window.h"

#include <algorithm>
#include <string>
#include <unordered_set>
#include <utility>

#include "file_messages.h"
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
    std::unordered_set<int32_t> numbers;
    for (const KeywordEntry* entry : entries)
        numbers.insert(entry->Number());
    for (UndoStep& step : undoSteps_)
        step.erase(std::remove_if(step.begin(), step.end(),
                                  [&numbers](const BlankedKeyword& k) { return numbers.count(k.number) != 0; }),
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

    const int restored = static_cast<int>(outcome.restored.size());
    const int hidden = restored - ShowSelected(outcome.restored);
    if (hidden < restored)
        SetFocus(List());
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
