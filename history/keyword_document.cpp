#include "keyword_document.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>
#include <utility>

KeywordDocument::Command::Command(KeywordDocument& document) : document_(document), outermost_(!document.Busy())
{
    if (outermost_)
        document_.deadline_.emplace(document_.waiting_);
}

KeywordDocument::Command::~Command()
{
    if (!outermost_)
        return;
    document_.deadline_.reset();
    for (const auto& later : std::exchange(document_.waitingForIdle_, {}))
        later();
}

KeywordDocument::KeywordDocument(const char* path, Waiting waiting) : history_(path), waiting_(std::move(waiting))
{
    history_.SetWaiting(waiting_);
}

CommandResult KeywordDocument::Open()
{
    CommandResult result;
    const Command command(*this);
    // Files a delete stopped half-way left beside history.ini go before anything is read.
    result.leftoverError = history_.RemoveLeftovers();
    stamp_ = history_.Stamp();
    result.read = history_.Load() != 0;
    result.failure = history_.LoadFailure();
    return result;
}

CommandResult KeywordDocument::Look()
{
    CommandResult result;
    if (!history_.LookDue())
        return result;
    const Command command(*this);
    HistoryOutcome outcome = history_.LookAgain(CurrentDeadline());
    // Deleted keywords that are back are no longer deleted; keywords given back that are blank
    // again are deleted once more, and can be given back again.
    for (const KeywordEntry* entry : outcome.changed)
        (*entry->Text() ? result.restored : result.blanked).push_back(entry);
    for (const BlankedKeyword& keyword : outcome.blanked)
        givenBack_.erase(keyword.number);
    ForgetForUndo(result.restored);
    if (!outcome.blanked.empty())
        RememberForUndo(std::move(outcome.blanked));
    result.failure = outcome.failure;
    return result;
}

CommandResult KeywordDocument::Delete(const std::vector<const KeywordEntry*>& entries)
{
    CommandResult result;
    const Command command(*this);
    std::vector<int32_t> numbers;
    for (const KeywordEntry* entry : entries)
        numbers.push_back(entry->Number());
    // Once the new content is in place, history.ini has one name, and only the others keep
    // the old content.
    const bool otherNames = history_.FileNames() > 1;
    HistoryOutcome outcome = history_.DeleteKeywords(numbers, CurrentDeadline());
    for (const BlankedKeyword& keyword : outcome.blanked)
        givenBack_.erase(keyword.number);
    result.deleted = static_cast<int>(outcome.blanked.size());
    result.otherNames = otherNames && result.deleted;
    if (!outcome.blanked.empty())
        RememberForUndo(std::move(outcome.blanked));
    result.gone = outcome.gone;
    result.notDeleted = static_cast<int>(outcome.leftAlone.size()) + outcome.kept;
    result.keywordChanged = !outcome.leftAlone.empty();
    result.failed = outcome.kept != 0;
    result.failure = outcome.failure;
    result.undoForgotten = ForgetUndoIfGone(outcome.failure);
    return result;
}

CommandResult KeywordDocument::Undo()
{
    CommandResult result;
    const Command command(*this);
    if (undoSteps_.empty()) {
        result.nothingToUndo = true;
        return result;
    }
    const UndoStep giving = undoSteps_.back();
    const HistoryOutcome outcome = history_.RestoreKeywords(undoSteps_.back(), CurrentDeadline());
    std::unordered_set<int32_t> restored;
    for (const KeywordEntry* entry : outcome.changed)
        restored.insert(entry->Number());
    for (const BlankedKeyword& keyword : giving)
        if (restored.count(keyword.number))
            givenBack_[keyword.number] = keyword;
    result.restored = outcome.changed;
    result.unlisted = outcome.unlisted;
    result.notRestored = outcome.leftAlone;
    result.numberReused = !outcome.leftAlone.empty();
    for (const BlankedKeyword& kept : undoSteps_.back())
        result.notRestored.push_back(kept.text);
    // A step a passing failure kept stays on top, to be tried again; one that waiting cannot
    // cure goes once it is reported, so that the next undo reaches the step before it.
    if (undoSteps_.back().empty() || !outcome.failure.Passing())
        undoSteps_.pop_back();
    result.failure = outcome.failure;
    result.failed = outcome.kept != 0;
    result.undoForgotten = ForgetUndoIfGone(outcome.failure);
    return result;
}

CommandResult KeywordDocument::Reload()
{
    CommandResult result;
    const Command command(*this);
    stamp_ = history_.Stamp(); // a change while it is read is read again
    result.read = history_.Reload(CurrentDeadline()) != 0;
    result.failure = history_.LoadFailure();
    if (!history_.FileFound())
        result.undoForgotten = ForgetUndoIfGone({FileFailure::Kind::Missing});
    return result;
}

bool KeywordDocument::ChangedElsewhere(const FileStamp& stamp)
{
    if (!CanFollow() || (stamp_ && stamp == *stamp_))
        return false;
    stamp_ = stamp;
    // The tool's own writes change the stamp too, leaving the bytes it knows.
    return !history_.FileUnchanged(stamp);
}

CommandResult KeywordDocument::Follow()
{
    const Command command(*this);
    // The deleted keywords the list does not show, by number.
    std::unordered_map<int32_t, std::string> deleted;
    for (const UndoStep& step : undoSteps_)
        for (const BlankedKeyword& keyword : step) {
            const KeywordEntry* entry = history_.Find(keyword.number);
            if (!entry || !*entry->Text())
                deleted[keyword.number] = keyword.text;
        }
    CommandResult result = Reload();
    if (!result.read) {
        // Read again at the next look, unless waiting cannot help.
        if (result.failure.Passing())
            stamp_.reset();
        return result;
    }
    for (const auto& [number, text] : deleted)
        if (const KeywordEntry* entry = history_.Find(number); entry && text == entry->Text())
            result.restored.push_back(entry);
    UndoStep blankAgain;
    for (auto given = givenBack_.begin(); given != givenBack_.end();) {
        const KeywordEntry* entry = history_.Find(given->first);
        if (!entry || *entry->Text()) {
            ++given;
            continue;
        }
        result.blanked.push_back(entry);
        blankAgain.push_back(std::move(given->second));
        given = givenBack_.erase(given);
    }
    // Keywords written back stay in their steps: a program's older copy may empty them again a
    // moment later, and Ctrl+Z then still takes the delete back.
    if (!blankAgain.empty())
        RememberForUndo(std::move(blankAgain));
    return result;
}

void KeywordDocument::RememberForUndo(UndoStep blanked)
{
    if (undoSteps_.size() == kUndoSteps)
        undoSteps_.erase(undoSteps_.begin());
    undoSteps_.push_back(std::move(blanked));
}

void KeywordDocument::ForgetForUndo(const std::vector<const KeywordEntry*>& entries)
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
}

bool KeywordDocument::ForgetUndoIfGone(const FileFailure& failure)
{
    if (failure.kind != FileFailure::Kind::Missing || undoSteps_.empty())
        return false;
    undoSteps_.clear();
    return true;
}
