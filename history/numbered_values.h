#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "section_lines.h"

// Keyword numbers handled by the history: those whose decimal key text has at most seven
// characters. Keys outside this range never belong to a keyword.
constexpr int32_t kLowestKeywordNumber = -999999;
constexpr int32_t kHighestKeywordNumber = 9999999;

// Formats the key of a keyword number as the history file names it ("%d").
struct KeywordKey {
    explicit KeywordKey(int32_t number);
    char text[16];
};

// True when key is exactly the "%d" text of a keyword number in the handled range.
bool ParseKeywordKey(const char* key, size_t length, int32_t& number);

// The values of a section's numbered keys, resolved from its lines as a read of each single
// key resolves them: the first of duplicate keys wins, a key without "=" reads empty, and
// the text is what the single read gives.
class NumberedValues {
public:
    struct Value {
        int32_t number;
        ByteSpan text;
    };

    explicit NumberedValues(const SectionLines& lines);

    // Ascending by number, one value per number.
    const std::vector<Value>& Values() const { return values_; }

private:
    std::vector<Value> values_;
};
