#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "ini_profile_store.h"
#include "keyword_entry.h"

// What one delete blanked, to give back: each keyword's number, the text it had, and what the
// write changed of its line.
struct BlankedKeyword {
    int32_t number;
    std::string text;
    ValueChange change;
};
using UndoStep = std::vector<BlankedKeyword>;

// What one write of the history did to its keywords, and what it left as it was, and why.
struct HistoryOutcome {
    std::vector<const KeywordEntry*> changed; // listed entries whose texts changed with the file's
    UndoStep blanked;                         // what was blanked and can be given back
    int unlisted = 0;                         // keywords given back whose numbers are not listed
    int gone = 0;                             // keys to blank another program had removed meanwhile
    std::vector<std::string> leftAlone; // texts another program had changed meanwhile, or (undoing) taken
    int kept = 0;                       // keywords the failure kept as they were
    FileFailure failure;

    bool AllWritten() const { return gone == 0 && leftAlone.empty() && kept == 0; }
};

// The in-memory image of the Keywords section of the history file: one entry per keyword
// number from StartPos up to EndPos, in number order. Only deleting (the empty value) and
// undoing (the text blanked) write; an entry changes once the file holds its new text.
class KeywordHistory {
public:
    explicit KeywordHistory(const char* path);
    virtual ~KeywordHistory();
    KeywordHistory(const KeywordHistory&) = delete;
    KeywordHistory& operator=(const KeywordHistory&) = delete;

    virtual KeywordList& Entries() { return entries_; }
    virtual const KeywordList& ConstEntries() const { return entries_; }
    // The entry of the number, or none.
    const KeywordEntry* Find(int32_t number) const;
    // Appends the file's keywords to the list; callers clear it first to reload. Returns 0,
    // appending nothing, when the file could not be read whole (LoadFailure says why).
    virtual int32_t Load();
    // Writes the text to the number's key while the key still reads as the entry's text, then
    // changes the entry; returns 0 when the file was not changed. Throws std::out_of_range
    // when no entry has that number, after writing the text unconditionally.
    virtual int32_t SetKeyword(int32_t number, const char* text);
    virtual void Clear();

    // Reads the file again and, once it was read whole, lists what it holds now; returns 0,
    // keeping the list as it is, when it could not be (LoadFailure says why).
    int32_t Reload(const Deadline& deadline);
    const FileFailure& LoadFailure() const { return loadFailure_; }
    // Whether the last reading of the file found it.
    bool FileFound() const { return store_.FileFound(); }
    // How many names the file has: a delete leaves the old content under every other one.
    uint32_t FileNames() const { return store_.FileNames(); }
    // What the system says of the file now, and whether it still holds what the entries show.
    FileStamp Stamp() const { return store_.Stamp(); }
    std::wstring Folder() const { return store_.Folder(); }
    bool FileUnchanged(const FileStamp& stamp) const { return store_.HoldsShown(stamp); }
    // How the history waits while the file is busy, when the caller gives no deadline.
    void SetWaiting(Waiting waiting) { waiting_ = std::move(waiting); }
    // Removes what a delete stopped half-way left beside the file; 0 or the first error.
    uint32_t RemoveLeftovers() { return store_.RemoveLeftovers(); }

    // Ranks the entries' texts (KeywordEntry::TextRank) unless every entry is ranked already,
    // so that sorting by keyword compares numbers instead of texts.
    void RankTexts();

    // Deletes the keywords with one replacement of the file, each only while its key reads as
    // the entry's text; an entry is blanked once the file holds the empty value or lacks the
    // key, and what was blanked can be given back. Throws std::out_of_range, writing nothing,
    // when no entry has a number.
    HistoryOutcome DeleteKeywords(const std::vector<int32_t>& numbers, const Deadline& deadline);
    // Gives the step's keywords their texts back with one replacement of the file, each only
    // into a key still blank with a number from StartPos up to EndPos, its line byte for byte
    // as it was. Keywords given back, and those that can no longer be, leave the step. Where
    // the new content fails its check, each half of the step is given back on its own, so that
    // one keyword keeps no other from coming back.
    HistoryOutcome RestoreKeywords(UndoStep& step, const Deadline& deadline);

    // A program that read the file before a write, and writes it afterwards, puts its older copy
    // back within about as long as the system's reader takes, and later when it is slowed. So
    // LookDelayMs after each write LookAgain writes again what such a copy undid, looking again
    // while other programs keep changing the file, up to two seconds after the write; a caller
    // looks before it uses the file again, and before it reloads, which forgets what was due.
    bool LookDue() const { return !recentWrites_.empty(); }
    uint32_t LookDelayMs() const
    {
        return wroteAgain_ ? std::max<uint32_t>(100, 3 * store_.LastCheckMs()) : std::max<uint32_t>(20, store_.LastCheckMs());
    }
    // Entries it changes are those whose keywords are back, or blank again; what undoing gave
    // back that is blank again can be given back once more.
    HistoryOutcome LookAgain(const Deadline& deadline);

private:
    // A value the file got from a write a moment ago, and the entry it is the text of.
    struct RecentWrite {
        IniValue value; // its expected text is what the entry had before
        KeywordEntry* entry;
        std::optional<BlankedKeyword> restored; // for a keyword given back, what was given
        uint32_t writtenAt;
    };

    // Reads the section whole and appends its keywords, after clearing the list when replacing.
    int32_t Read(bool replacing, const Deadline& deadline);
    // Appends an entry for every number from StartPos up to EndPos.
    void Fill(const SectionLines& section);
    // The first and last numbers of the section's range that the history handles (none when the
    // first is greater).
    std::pair<int32_t, int32_t> Range(const SectionLines& section);
    // StartPos or EndPos as the system's reading of the key gives it, from the section's lines.
    int32_t ReadPosition(const KeyReading& reading, const char* key);
    KeywordEntry* FindEntry(int32_t number) { return const_cast<KeywordEntry*>(Find(number)); }
    // Writes the text to the entries' keys while they read as the entries' texts; an entry
    // takes the text once the file holds it, and the empty one once the file lacks the key.
    HistoryOutcome WriteTexts(const std::vector<KeywordEntry*>& entries, const char* text, const Deadline& deadline);
    // Writes the values with one replacement of the file; where the new content fails its
    // check, each half on its own, so that one value keeps no other from being written.
    WriteOutcome WriteSplitting(std::vector<IniValue>& values, const Deadline& deadline);
    // Keeps the values a write changed for the next look; records are a restore's, in order.
    void RememberWrites(const std::vector<IniValue>& values, const std::vector<KeywordEntry*>& entries,
                  const UndoStep* records, const Deadline& deadline);

    IniProfileStore store_;
    ProfileSection section_;
    KeywordList entries_;
    FileFailure loadFailure_;
    Waiting waiting_;
    std::vector<RecentWrite> recentWrites_;
    bool wroteAgain_ = false; // the last look found an older copy: the next one waits longer
};
