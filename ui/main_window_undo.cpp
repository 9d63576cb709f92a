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

void MainWindow::ForgetUndoIfGone(const FileFailure& failure)
{
    // A file that takes the name later is another history: nothing of this one goes into it.
    if (failure.kind != FileFailure::Kind::Missing || undoSteps_.empty())
        return;
    undoSteps_.clear();
    uiState_.SetEnabled(ID_EDIT_UNDO, false);
    ShowStatus(LoadText(IDS_UNDO_FORGOTTEN));
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
    std::vector<std::string> notBack = outcome.leftAlone;
    for (const BlankedKeyword& kept : undoSteps_.back())
        notBack.push_back(kept.text);
    // A step a passing failure kept stays on top, to be tried again; one that waiting cannot
    // cure goes once it is reported, so that the next undo reaches the step before it.
    if (undoSteps_.back().empty() || !outcome.failure.Passing())
        undoSteps_.pop_back();
    uiState_.SetEnabled(ID_EDIT_UNDO, !undoSteps_.empty());
    ScheduleLook();

    const int listed = static_cast<int>(outcome.restored.size());
    const int restored = listed + outcome.unlisted;
    const int hidden = listed - ShowSelected(outcome.restored);
    if (hidden < listed)
        SetFocus(List());
    if (restored == 0)
        ShowStatus(CountText(IDS_NOT_RESTORED, static_cast<int>(notBack.size())));
    else if (outcome.unlisted)
        ShowStatus(CountText(IDS_RESTORED_UNLISTED, restored, outcome.unlisted));
    else
        ShowStatus(hidden ? CountText(IDS_RESTORED_HIDDEN, restored, hidden) : CountText(IDS_RESTORED, restored));
    ForgetUndoIfGone(outcome.failure);
    if (notBack.empty())
        return;
    std::string message = CountText(IDS_NOT_RESTORED, static_cast<int>(notBack.size())) + "\n";
    if (!outcome.leftAlone.empty())
        message += "\n" + LoadText(IDS_NUMBER_REUSED);
    if (outcome.failed)
        message += "\n" + FailureText(outcome.failure);
    ShowWarning(Window(), message + "\n" + KeywordNames(notBack));
}
