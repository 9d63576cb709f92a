#include "keyword_history.h"

#include <algorithm>
#include <iterator>
#include <stdexcept>
#include <unordered_set>
#include <utility>

#include "keyword_matching.h"

KeywordHistory::KeywordHistory(const char* path) : store_(path), section_(&store_, "Keywords") {}

KeywordHistory::~KeywordHistory() { Clear(); }

int32_t KeywordHistory::Load() { return Read(false, Deadline(waiting_)); }

int32_t KeywordHistory::Reload(const Deadline& deadline) { return Read(true, deadline); }

int32_t KeywordHistory::Read(bool replacing, const Deadline& deadline)
{
    // One read of the whole section instead of one per key: each single read can cost as much
    // as parsing the file. A store that cannot give a section whole gives keys that read empty.
    std::shared_ptr<const SectionLines> read;
    loadFailure_ = section_.ReadSection(read, deadline);
    if (loadFailure_)
        return 0;
    if (replacing)
        Clear();
    const SectionLines none;
    Fill(read ? *read : none);
    return 1;
}

std::pair<int32_t, int32_t> KeywordHistory::Range(const SectionLines& section)
{
    const std::vector<KeyReading> positions = section.Read({"StartPos", "EndPos"});
    const int32_t startPos = ReadPosition(positions[0], "StartPos");
    const int32_t endPos = ReadPosition(positions[1], "EndPos");
    // Numbers whose key text would be longer than seven characters are not keywords: this
    // also keeps a corrupted EndPos from making billions of entries.
    if (endPos <= startPos)
        return {1, 0};
    return {std::max(startPos, kLowestKeywordNumber), std::min(endPos - 1, kHighestKeywordNumber)};
}

void KeywordHistory::Fill(const SectionLines& section)
{
    const auto [first, last] = Range(section);
    if (first > last)
        return;
    // A number's text is what a read of its key gives: that of the key's first line, or none.
    std::vector<const SectionLines::Line*> lines(static_cast<size_t>(last - first) + 1, nullptr);
    for (const SectionLines::Line& line : section.Lines()) {
        int32_t n = 0;
        if (ParseKeywordKey(line.key.data, line.key.length, n) && n >= first && n <= last && !lines[n - first])
            lines[n - first] = &line;
    }
    for (int32_t n = first;; ++n) {
        const SectionLines::Line* line = lines[static_cast<size_t>(n - first)];
        const ByteSpan text = line ? ValueAsRead(line->value) : ByteSpan();
        entries_.emplace_back(n, text.data, text.length);
        if (n == last)
            break;
    }
}

int32_t KeywordHistory::ReadPosition(const KeyReading& reading, const char* key)
{
    // Plain decimal digits read as the same number however the system converts them; any
    // other text (a sign, blanks, another base, no key at all) is left to the system's own
    // reading of the key.
    const ByteSpan text = reading.text;
    if (!reading.present || text.length == 0 || text.length > 9 ||
        !std::all_of(text.data, text.data + text.length, [](char c) { return c >= '0' && c <= '9'; }))
        return section_.ReadInt(key, 0);
    int32_t value = 0;
    for (size_t i = 0; i < text.length; ++i)
        value = value * 10 + (text.data[i] - '0');
    return value;
}

const KeywordEntry* KeywordHistory::Find(int32_t number) const
{
    if (entries_.empty())
        return nullptr;
    // Entries of one load are consecutive numbers, so the position is found directly.
    const int64_t position = static_cast<int64_t>(number) - entries_.front().Number();
    const auto size = static_cast<int64_t>(entries_.size());
    if (static_cast<int64_t>(entries_.back().Number()) - entries_.front().Number() + 1 == size)
        return position >= 0 && position < size ? &entries_[static_cast<size_t>(position)] : nullptr;
    for (const KeywordEntry& entry : entries_)
        if (entry.Number() == number)
            return &entry;
    return nullptr;
}

HistoryOutcome KeywordHistory::WriteTexts(const std::vector<KeywordEntry*>& entries, const char* text,
                                          const Deadline& deadline)
{
    std::vector<IniValue> values;
    for (const KeywordEntry* entry : entries)
        values.push_back(IniValue::Replacing(KeywordKey(entry->Number()).text, text, entry->Text()));
    HistoryOutcome outcome;
    outcome.failure = section_.WriteStrings(values, deadline).failure;
    for (size_t i = 0; i < entries.size(); ++i) {
        KeywordEntry* entry = entries[i];
        const IniValue& value = values[i];
        if (value.result == WriteResult::NotWritten) {
            ++outcome.kept;
            continue;
        }
        if (value.result == WriteResult::ValueChanged) {
            outcome.leftAlone.push_back(entry->Text());
            continue;
        }
        outcome.gone += value.result == WriteResult::Gone ? 1 : 0;
        if (!value.change.lineBefore.empty())
            outcome.blanked.push_back({entry->Number(), entry->Text(), value.change});
        // A key another program emptied a moment ago reads empty already: its row, deleted,
        // can come back all the same, as the text it showed.
        else if (!*text && *entry->Text() && value.result == WriteResult::Written)
            outcome.blanked.push_back({entry->Number(), entry->Text(), ValueChange{entry->Text(), "", ""}});
        entry->SetText(value.result == WriteResult::Gone ? "" : text);
        outcome.changed.push_back(entry);
    }
    RememberWrites(values, entries, nullptr, deadline);
    return outcome;
}

int32_t KeywordHistory::SetKeyword(int32_t number, const char* text)
{
    KeywordEntry* entry = FindEntry(number);
    if (!entry) {
        section_.WriteString(KeywordKey(number).text, text);
        throw std::out_of_range("invalid vector<T> subscript");
    }
    return WriteTexts({entry}, text, Deadline(waiting_)).AllWritten() ? 1 : 0;
}

HistoryOutcome KeywordHistory::DeleteKeywords(const std::vector<int32_t>& numbers, const Deadline& deadline)
{
    std::vector<KeywordEntry*> entries;
    for (int32_t number : numbers) {
        KeywordEntry* entry = FindEntry(number);
        if (!entry)
            throw std::out_of_range("invalid vector<T> subscript");
        entries.push_back(entry);
    }
    return WriteTexts(entries, "", deadline);
}

HistoryOutcome KeywordHistory::RestoreKeywords(UndoStep& step, const Deadline& deadline)
{
    // Only into keys still blank, and inside the range on every reading the write plans on: the
    // search application may have moved its range past a number, removed the key or written
    // another keyword under it since.
    std::vector<IniValue> values;
    for (const BlankedKeyword& keyword : step) {
        const int32_t number = keyword.number;
        values.push_back(IniValue::PuttingBack(KeywordKey(number).text, keyword.change, keyword.text,
                                               [this, number](const SectionLines& section) {
                                                   const auto [first, last] = Range(section);
                                                   return number >= first && number <= last;
                                               }));
    }
    HistoryOutcome outcome;
    outcome.failure = values.empty() ? FileFailure() : WriteSplitting(values, deadline).failure;
    std::vector<KeywordEntry*> entries(step.size(), nullptr);
    UndoStep kept;
    for (size_t k = 0; k < step.size(); ++k) {
        if (values[k].result == WriteResult::NotWritten) {
            kept.push_back(step[k]);
        } else if (values[k].result != WriteResult::Written) {
            outcome.leftAlone.push_back(step[k].text);
        } else if ((entries[k] = FindEntry(step[k].number))) {
            entries[k]->SetText(step[k].text.c_str());
            outcome.changed.push_back(entries[k]);
        } else {
            ++outcome.unlisted;
        }
    }
    outcome.kept = static_cast<int>(kept.size());
    RememberWrites(values, entries, &step, deadline);
    step = std::move(kept);
    return outcome;
}

WriteOutcome KeywordHistory::WriteSplitting(std::vector<IniValue>& values, const Deadline& deadline)
{
    WriteOutcome outcome = section_.WriteStrings(values, deadline);
    if (outcome.failure.kind != FileFailure::Kind::CheckFailed || values.size() < 2)
        return outcome;
    const auto half = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::vector<IniValue> first(std::make_move_iterator(values.begin()), std::make_move_iterator(half));
    std::vector<IniValue> second(std::make_move_iterator(half), std::make_move_iterator(values.end()));
    outcome = WriteSplitting(first, deadline);
    const WriteOutcome later = WriteSplitting(second, deadline);
    if (!outcome.failure)
        outcome.failure = later.failure;
    std::move(first.begin(), first.end(), values.begin());
    std::move(second.begin(), second.end(), values.begin() + static_cast<std::ptrdiff_t>(first.size()));
    return outcome;
}

void KeywordHistory::RememberWrites(const std::vector<IniValue>& values, const std::vector<KeywordEntry*>& entries,
                                    const UndoStep* records, const Deadline& deadline)
{
    // A key written anew, or found holding the new text already, takes the place of an earlier
    // write to it still to be looked at: that write's text is not the file's any more, and
    // looked at, it would be written back over the newer one (an undo given back blanked
    // again, or a deleted row listed twice).
    std::unordered_set<const KeywordEntry*> writtenNow;
    for (size_t i = 0; i < values.size(); ++i)
        if (entries[i] && values[i].result == WriteResult::Written)
            writtenNow.insert(entries[i]);
    recentWrites_.erase(std::remove_if(recentWrites_.begin(), recentWrites_.end(),
                                       [&writtenNow](const RecentWrite& u) { return writtenNow.count(u.entry) != 0; }),
                        recentWrites_.end());
    for (size_t i = 0; i < values.size(); ++i)
        if (entries[i] && !values[i].change.lineBefore.empty())
            recentWrites_.push_back({values[i], entries[i], records ? std::make_optional((*records)[i]) : std::nullopt,
                                     deadline.Now()});
    wroteAgain_ = false;
}

HistoryOutcome KeywordHistory::LookAgain(const Deadline& deadline)
{
    HistoryOutcome outcome;
    std::vector<RecentWrite> looking;
    looking.swap(recentWrites_);
    if (looking.empty())
        return outcome;
    // Written once more, each value is written again where its key reads the text it had before
    // the write, as an older copy of the file puts it back. After two seconds of that it is given
    // up, as a write that kept being changed is: the key is left as it reads. A file not changed
    // since it was written is taken to hold the writes; while another program keeps writing it,
    // the looks go on for those two seconds, as that program may have read it before the write.
    const uint32_t started = deadline.Now();
    auto isLate = [started](const RecentWrite& u) { return started - u.writtenAt >= Deadline::kTotalMs; };
    std::vector<IniValue> values;
    for (const RecentWrite& u : looking) {
        values.push_back(u.value);
        values.back().result = WriteResult::NotWritten;
        values.back().change = {};
        if (isLate(u))
            values.back().condition = [](const SectionLines&) { return false; };
    }
    const WriteOutcome again = section_.WriteStrings(values, deadline);
    outcome.failure = again.failure;
    for (size_t k = 0; k < looking.size(); ++k) {
        RecentWrite& u = looking[k];
        const WriteResult result = values[k].result;
        const bool late = isLate(u);
        const bool putBack =
            (result == WriteResult::NotWritten && again.fileRead) || (result == WriteResult::ValueChanged && late);
        const bool wroteAgain = !values[k].change.lineBefore.empty();
        if (result == WriteResult::Written && (wroteAgain || (again.fileChanged && !late))) {
            recentWrites_.push_back(std::move(u));
        } else if (putBack || (result == WriteResult::Gone && u.restored)) {
            u.entry->SetText(putBack ? u.value.expected.c_str() : "");
            outcome.changed.push_back(u.entry);
            if (u.restored && putBack)
                outcome.blanked.push_back(std::move(*u.restored));
            if (late)
                outcome.failure = {FileFailure::Kind::KeptChanging};
        }
    }
    wroteAgain_ = !recentWrites_.empty();
    return outcome;
}

void KeywordHistory::RankTexts()
{
    // Entries are ranked all together, and a changed text other than the empty one is unranked
    // again: when none is unranked, all ranks come from the same ranking.
    // The texts sit beside their entries so that comparing them reads no entry.
    std::vector<std::pair<const char*, KeywordEntry*>> texts;
    bool unranked = false;
    for (KeywordEntry& entry : entries_) {
        unranked = unranked || entry.TextRank() == KeywordEntry::kUnranked;
        if (*entry.Text())
            texts.emplace_back(entry.Text(), &entry);
    }
    if (!unranked)
        return;
    std::sort(texts.begin(), texts.end(), [](const auto& a, const auto& b) { return CompareText(a.first, b.first) < 0; });
    uint32_t rank = 0;
    for (size_t i = 0; i < texts.size(); ++i) {
        if (i == 0 || CompareText(texts[i - 1].first, texts[i].first) != 0)
            ++rank;
        texts[i].second->SetTextRank(rank);
    }
}

void KeywordHistory::Clear()
{
    recentWrites_.clear();
    entries_.clear();
}
