#include "numbered_values.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

// A value is read into a buffer of 260 bytes with its terminating NUL.
constexpr size_t kReadLimit = 259;

// Strips one pair of enclosing quotes, double or single, as the single-key read does.
const char* Unquote(char* value, size_t length)
{
    if (length >= 2 && (value[0] == '"' || value[0] == '\'') && value[length - 1] == value[0]) {
        value[length - 1] = 0;
        return value + 1;
    }
    return value;
}

} // namespace

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

NumberedValues::NumberedValues(std::vector<char> lines) : lines_(std::move(lines))
{
    if (lines_.size() < 2 || lines_[lines_.size() - 1] != 0 || lines_[lines_.size() - 2] != 0)
        lines_.insert(lines_.end(), 2, 0);
    size_t lineLength = 0;
    // Stepping by the length taken before the line is parsed: unquoting shortens it.
    for (char* line = lines_.data(); *line; line += lineLength + 1) {
        lineLength = std::strlen(line);
        char* equals = static_cast<char*>(std::memchr(line, '=', lineLength));
        const size_t keyLength = equals ? static_cast<size_t>(equals - line) : lineLength;
        int32_t number = 0;
        if (!ParseKeywordKey(line, keyLength, number))
            continue;
        if (!equals) {
            values_.push_back({number, "", false});
            continue;
        }
        char* value = equals + 1;
        const size_t valueLength = lineLength - keyLength - 1;
        values_.push_back({number, Unquote(value, valueLength), valueLength >= kReadLimit});
    }
    // Stable: of equal numbers the first in the file stays first and is the one kept.
    std::stable_sort(values_.begin(), values_.end(),
                     [](const Value& a, const Value& b) { return a.number < b.number; });
    values_.erase(std::unique(values_.begin(), values_.end(),
                              [](const Value& a, const Value& b) { return a.number == b.number; }),
                  values_.end());
}
