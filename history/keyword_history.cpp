#include "keyword_history.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "keyword_matching.h"
#include "numbered_values.h"

KeywordHistory::KeywordHistory(const char* path) : store_(path), section_(&store_, "Keywords") {}

KeywordHistory::~KeywordHistory() { Clear(); }

int32_t KeywordHistory::Load() { return Read(false); }

int32_t KeywordHistory::Reload() { return Read(true); }

int32_t KeywordHistory::Read(bool replacing)
{
    // One read of the whole section instead of one per key: each single read can cost as much
    // as parsing the file. A store that cannot give a section whole gives keys that read empty.
    std::shared_ptr<const SectionLines> read;
    loadFailure_ = section_.ReadSection(read);
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

    const NumberedValues values(section);
    auto next = std::lower_bound(values.Values().begin(), values.Values().end(), first,
                                 [](const NumberedValues::Value& v, int32_t n) { return v.number < n; });
    for (int32_t n = first;; ++n) {
        if (next != values.Values().end() && next->number == n) {
            entries_.emplace_back(n, next->text.data, next->text.length);
            ++next;
        } else {
            entries_.emplace_back(n, "");
        }
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

KeywordEntry* KeywordHistory::FindEntry(int32_t number)
{
    if (entries_.empty())
        return nullptr;
    // Entries of one load are consecutive numbers, so the position is found directly.
    const int64_t position = static_cast<int64_t>(number) - entries_.front().Number();
    if (position >= 0 && position < static_cast<int64_t>(entries_.size()) &&
        entries_[static_cast<size_t>(position)].Number() == number)
        return &entries_[static_cast<size_t>(position)];
    for (KeywordEntry& entry : entries_)
        if (entry.Number() == number)
            return &entry;
    return nullptr;
}

WriteOutcome KeywordHistory::WriteTexts(const std::vector<KeywordEntry*>& entries, const char* text)
{
    std::vector<IniValue> values;
    for (const KeywordEntry* entry : entries)
        values.push_back({KeywordKey(entry->Number()).text, text, true, entry->Text(), "", ""});
    WriteOutcome outcome = section_.WriteStrings(values);
    for (size_t i = 0; i < entries.size(); ++i)
        if (outcome.results[i] == WriteResult::Written)
            entries[i]->SetText(text);
    return outcome;
}

int32_t KeywordHistory::SetKeyword(int32_t number, const char* text)
{
    KeywordEntry* entry = FindEntry(number);
    if (!entry) {
        if (number >= kLowestKeywordNumber && number <= kHighestKeywordNumber)
            section_.WriteString(KeywordKey(number).text, text);
        throw std::out_of_range("invalid vector<T> subscript");
    }
    return WriteTexts({entry}, text).AllWritten() ? 1 : 0;
}

WriteOutcome KeywordHistory::DeleteKeywords(const std::vector<int32_t>& numbers, UndoStep* blanked)
{
    std::vector<KeywordEntry*> entries;
    std::vector<std::string> texts;
    for (int32_t number : numbers) {
        KeywordEntry* entry = FindEntry(number);
        if (!entry)
            throw std::out_of_range("invalid vector<T> subscript");
        entries.push_back(entry);
        texts.push_back(entry->Text());
    }
    WriteOutcome outcome = WriteTexts(entries, "");
    for (size_t i = 0; blanked && i < numbers.size(); ++i)
        if (!outcome.changes[i].lineBefore.empty())
            blanked->push_back({numbers[i], texts[i], outcome.changes[i]});
    return outcome;
}

RestoreOutcome KeywordHistory::RestoreKeywords(UndoStep& step)
{
    RestoreOutcome outcome;
    std::shared_ptr<const SectionLines> read;
    if ((outcome.failure = section_.ReadSection(read))) {
        outcome.failed = static_cast<int>(step.size());
        return outcome;
    }
    const SectionLines none;
    const SectionLines& section = read ? *read : none;
    const auto [first, last] = Range(section);
    std::vector<std::string> keys;
    for (const BlankedKeyword& keyword : step)
        keys.push_back(KeywordKey(keyword.number).text);
    const std::vector<KeyReading> now = section.Read(keys);
    // The search application may have moved its range past a number, removed the key or
    // written another keyword under it: such keywords are left alone.
    std::vector<IniValue> values;
    std::vector<BlankedKeyword*> writing;
    for (size_t i = 0; i < step.size(); ++i) {
        BlankedKeyword& keyword = step[i];
        if (!now[i].present || now[i].text.length || keyword.number < first || keyword.number > last) {
            ++outcome.leftAlone;
            continue;
        }
        values.push_back({keys[i], keyword.change.value, true, "", keyword.change.lineAfter, keyword.change.lineBefore});
        writing.push_back(&keyword);
    }
    const WriteOutcome written = values.empty() ? WriteOutcome() : section_.WriteStrings(values);
    outcome.failure = written.failure;
    UndoStep kept;
    for (size_t k = 0; k < writing.size(); ++k) {
        BlankedKeyword& keyword = *writing[k];
        if (written.results[k] == WriteResult::NotWritten) {
            ++outcome.failed;
            kept.push_back(std::move(keyword));
        } else if (written.results[k] == WriteResult::ValueChanged) {
            ++outcome.leftAlone;
        } else if (KeywordEntry* entry = FindEntry(keyword.number)) {
            entry->SetText(keyword.text.c_str());
            outcome.restored.push_back(entry);
        }
    }
    step = std::move(kept);
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

void KeywordHistory::Clear() { entries_.clear(); }
