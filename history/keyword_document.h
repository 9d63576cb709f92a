#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "keyword_history.h"

// What one command did to the keywords: the window updates its rows from it in one pass and
// says what happened.
struct CommandResult {
    std::vector<const KeywordEntry*> blanked;  // keywords now blank: their rows go
    std::vector<const KeywordEntry*> restored; // keywords holding their texts again: their rows come back selected
    int deleted = 0;                           // keywords a delete blanked, which an undo can give back
    int unlisted = 0;                          // keywords given back under numbers the list does not hold
    std::vector<std::string> notRestored;      // texts an undo could not give back
    bool numberReused = false;                 // some of them because another keyword has taken the number
    int notDeleted = 0;                        // keywords a delete left in the file
    bool keywordChanged = false;               // some of them because another program had changed them
    int gone = 0;                              // keywords another program had removed meanwhile
    bool otherNames = false;                   // the file's other names (hard links) keep the old content
    bool undoForgotten = false;                // the file was missing, so no delete can be undone any more
    bool nothingToUndo = false;
    bool read = false;                         // an open or a reload read the file whole
    uint32_t leftoverError = 0;                // the first error of removing what a stopped delete left
    FileFailure failure;                       // why something was not written or read
    bool failed = false;                       // the failure kept keywords as they were
};

// The history file as the window works on it: the keywords, the deletes that can be undone,
// and the look at the file after each write. The window asks for each command and shows its
// result; the document never touches a window.
class KeywordDocument {
public:
    // One command of the user's on the file. From the start of the outermost one to its end, the
    // document's waits for the file count against one deadline, and what asks to run meanwhile
    // (WhenIdle) runs at its end, in the order it asked.
    class Command {
    public:
        explicit Command(KeywordDocument& document);
        ~Command();
        Command(const Command&) = delete;
        Command& operator=(const Command&) = delete;

    private:
        KeywordDocument& document_;
        bool outermost_;
    };

    // The deletes that can be undone: the last hundred.
    static constexpr size_t kUndoSteps = 100;

    KeywordDocument(const char* path, Waiting waiting);

    // Removes what a stopped delete left beside the file, then reads it; when it could not be
    // read whole, LoadFailure says why.
    CommandResult Open();
    const KeywordHistory& History() const { return history_; }
    KeywordHistory& History() { return history_; }
    const FileFailure& LoadFailure() const { return history_.LoadFailure(); }

    bool Busy() const { return deadline_.has_value(); }
    void WhenIdle(std::function<void()> later) { waitingForIdle_.push_back(std::move(later)); }
    bool CanUndo() const { return !undoSteps_.empty(); }
    // Whether a look at the file after the last write is due, and in how many milliseconds.
    bool LookDue() const { return history_.LookDue(); }
    uint32_t LookDelayMs() const { return history_.LookDelayMs(); }

    // Looks at the file after the last write, when that is due: what an older copy undid is
    // written again; deleted keywords it could not blank again are restored, given-back ones
    // it could not give back again are blanked.
    CommandResult Look();
    // Blanks the entries' keywords with one replacement of the file, each only while the file
    // holds the text the entry has; what was blanked can be undone.
    CommandResult Delete(const std::vector<const KeywordEntry*>& entries);
    // Gives back what the last delete not yet undone blanked.
    CommandResult Undo();
    // Reads the file again; the list keeps what it held when the file cannot be read whole.
    CommandResult Reload();
    // Whether the file can be looked at for other programs' changes: not during a command or
    // while the look after a write is due, which a reading waits for.
    bool CanFollow() const { return !Busy() && !history_.LookDue(); }
    // Whether another program has changed the file since the document last read or wrote it,
    // given what the system says of the file now.
    bool ChangedElsewhere(const FileStamp& stamp);
    // Reads the file another program changed, as Reload does. Keywords the user deleted that it
    // wrote back are restored, and stay in the undo steps; keywords given back that it blanked
    // again are blanked, and can be given back again.
    CommandResult Follow();

private:
    const Deadline& CurrentDeadline() const { return *deadline_; }
    void RememberForUndo(UndoStep blanked);
    // Forgets keywords whose deletion the file no longer holds.
    void ForgetForUndo(const std::vector<const KeywordEntry*>& entries);
    // A file that takes the name after history.ini went missing is another history: nothing of
    // this one goes into it.
    bool ForgetUndoIfGone(const FileFailure& failure);

    KeywordHistory history_;
    Waiting waiting_;
    std::optional<Deadline> deadline_; // the running command's
    std::vector<std::function<void()>> waitingForIdle_;
    std::vector<UndoStep> undoSteps_; // the newest last; forgotten when the tool closes
    std::optional<FileStamp> stamp_;  // of the file when it was last looked at; none to read it again
    std::unordered_map<int32_t, BlankedKeyword> givenBack_; // what undoing gave back, by number
};
