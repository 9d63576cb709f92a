#pragma once

#include <cstdint>

#include "ini_profile_store.h"
#include "keyword_entry.h"
#include "profile_store.h"

// The in-memory image of the Keywords section of the history file: one entry per keyword
// number from StartPos up to EndPos, in number order. Deleting writes the empty value to the
// file; nothing else is ever written.
class KeywordHistory {
public:
    explicit KeywordHistory(const char* path);
    virtual ~KeywordHistory();
    KeywordHistory(const KeywordHistory&) = delete;
    KeywordHistory& operator=(const KeywordHistory&) = delete;

    virtual KeywordList& Entries() { return entries_; }
    virtual const KeywordList& ConstEntries() const { return entries_; }
    // Appends the file's keywords to the list; callers clear it first to reload.
    virtual int32_t Load();
    // Writes the text to the number's key, then changes the entry. Throws std::out_of_range
    // when no entry has that number.
    virtual int32_t SetKeyword(int32_t number, const char* text);
    virtual void Clear();

    // While a batch is open, SetKeyword changes its entry at once and the file when the batch
    // closes: all keys in one replacement of the file instead of one per keyword.
    class WriteBatch {
    public:
        explicit WriteBatch(KeywordHistory& history) : history_(history) { ++history_.openBatches_; }
        ~WriteBatch();
        WriteBatch(const WriteBatch&) = delete;
        WriteBatch& operator=(const WriteBatch&) = delete;

    private:
        KeywordHistory& history_;
    };

private:
    KeywordEntry* FindEntry(int32_t number);

    IniProfileStore store_;
    ProfileSection section_;
    KeywordList entries_;
    int openBatches_ = 0;
    std::vector<IniValue> batchedWrites_;
};
