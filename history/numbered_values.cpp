#include "numbered_values.h"

#include <algorithm>
#include <cstdio>

KeywordKey::KeywordKey(int32_t number) { std::snprintf(text, sizeof text, "%d", static_cast<int>(number)); }

bool ParseKeywordKey(const char* key, size_t length, int32_t& number)
{
    const bool negative = length > 0 && key[0] == '-';
    const size_t digits = length - (negative ? 1 : 0);
    if (digits == 0 || digits > 7 || (negative && digits > 6))
        return false;
    const char* p = key + (negative ? 1 : 0);
    // "%d" writes no leading zeros and never "-0".
    if (p[0] == '0' && (digits > 1 || negative))
        return false;
    int32_t value = 0;
    for (size_t i = 0; i < digits; ++i) {
        if (p[i] < '0' || p[i] > '9')
            return false;
        value = value * 10 + (p[i] - '0');
    }
    number = negative ? -value : value;
    return true;
}

NumberedValues::NumberedValues(const SectionLines& lines)
{
    for (const SectionLines::Line& line : lines.Lines()) {
        int32_t number = 0;
        if (ParseKeywordKey(line.key.data, line.key.length, number))
            values_.push_back({number, ValueAsRead(line.value)});
    }
    // Stable: of equal numbers the first in the file stays first and is the one kept.
    std::stable_sort(values_.begin(), values_.end(),
                     [](const Value& a, const Value& b) { return a.number < b.number; });
    values_.erase(std::unique(values_.begin(), values_.end(),
                              [](const Value& a, const Value& b) { return a.number == b.number; }),
                  values_.end());
}
