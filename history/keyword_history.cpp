#include "keyword_history.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "numbered_values.h"

namespace {

constexpr uint32_t kValueBufferBytes = 260;

} // namespace

KeywordHistory::KeywordHistory(const char* path) : store_(path), section_(&store_, "Keywords") {}

KeywordHistory::~KeywordHistory() { Clear(); }

int32_t KeywordHistory::Load()
{
    const int32_t startPos = section_.ReadInt("StartPos", 0);
    const int32_t endPos = section_.ReadInt("EndPos", 0);
    // Numbers whose key text would be longer than seven characters are not keywords: this
    // also keeps a corrupted EndPos from making billions of entries.
    const int32_t first = std::max(startPos, kLowestKeywordNumber);
    const int32_t last = std::min(endPos - 1, kHighestKeywordNumber);
    if (endPos <= startPos || first > last)
        return 1;

    // One read of the whole section instead of one per key: each single read costs as much
    // as parsing the file.
    std::vector<char> lines;
    const bool whole = section_.ReadSection(lines) != 0;
    const NumberedValues values(std::move(lines));
    auto next = std::lower_bound(values.Values().begin(), values.Values().end(), first,
                                 [](const NumberedValues::Value& v, int32_t n) { return v.number < n; });
    char buffer[kValueBufferBytes];
    for (int32_t n = first;; ++n) {
        const char* text = "";
        bool readSingly = !whole;
        if (next != values.Values().end() && next->number == n) {
            text = next->text;
            readSingly = readSingly || next->readSingly;
            ++next;
        }
        if (readSingly) {
            section_.ReadString(KeywordKey(n).text, "", buffer, sizeof buffer);
            text = buffer;
        }
        entries_.emplace_back(n, text);
        if (n == last)
            break;
    }
    return 1;
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

int32_t KeywordHistory::SetKeyword(int32_t number, const char* text)
{
    if (number >= kLowestKeywordNumber && number <= kHighestKeywordNumber) {
        if (openBatches_)
            batchedWrites_.push_back({KeywordKey(number).text, text});
        else
            section_.WriteString(KeywordKey(number).text, text);
    }
    KeywordEntry* entry = FindEntry(number);
    if (!entry)
        throw std::out_of_range("invalid vector<T> subscript");
    entry->SetText(text);
    return 1;
}

void KeywordHistory::Clear() { entries_.clear(); }

KeywordHistory::WriteBatch::~WriteBatch()
{
    if (--history_.openBatches_ == 0 && !history_.batchedWrites_.empty()) {
        history_.section_.WriteStrings(history_.batchedWrites_);
        history_.batchedWrites_.clear();
    }
}
