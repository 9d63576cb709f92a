#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "section_lines.h"
#include "write_outcome.h"

// Where a key's value lies in the bytes of an INI file.
struct ValueSpan {
    bool found = false;     // the section has a line for the key
    bool hasEquals = false; // a line without "=" reads empty
    size_t from = 0;        // the value's bytes without the blanks around it; for a line
    size_t to = 0;          // without "=", both lie at the end of its name
    size_t lineFrom = 0;    // the whole line, without its break
    size_t lineTo = 0;
};

// Finds each key's value as the system's own reader finds it: the first section of that name,
// the first line of the key in it, names compared ignoring the letter case of ASCII. The names
// are ASCII, as this program's are. The file may be in the ANSI code page, or in UTF-8 or
// UTF-16 with a byte-order mark.
std::vector<ValueSpan> FindValues(const std::string& file, const char* section, const std::vector<std::string>& keys);

// A value to write to a key of a section. With an expected text, it is written only while the
// key still reads as that text, and with a condition only while the section meets it. Only
// the value's bytes change, unless the key's whole line is lineNow byte for byte: then it
// becomes lineThen, as undoing puts a line back as it was. Where the reader does not show a
// line's bytes as they are (a NUL, a lone lead byte, UTF-8), readAs is what it showed of it.
struct IniValue {
    std::string key;
    std::string value;
    bool hasExpected = false;
    std::string expected;
    std::string lineNow;
    std::string lineThen;
    std::string readAs;
    std::function<bool(const SectionLines&)> condition;
};

// What one reading of the file makes of a value.
enum class ValueStep {
    Done,    // the key reads the value already
    Changed, // the key reads another text than the one expected, or the condition fails: it is
             // left alone
    Unsure,  // the section lacks the key, which may mean the file was caught being rewritten
    Gone,    // the section lacks the key, in a file that has not changed since it was found so
    Write,   // the plan writes it
};

struct ValuePlan {
    std::vector<ValueStep> steps;      // one per value
    std::vector<IniValue> writes;      // the values of the steps that write
    std::vector<ValueChange> changes;  // what each of them changes
    std::string bytes;                 // the file with them written
};

// Plans writing the values into the file's bytes, given what the system's reader makes of its
// section; keys it lacks are Gone when the caller knows they were missing from the same bytes
// before. Only the bytes of the values written change: never a key added, removed or moved.
ValuePlan PlanValues(const std::string& bytes, const SectionLines& reading, const char* section,
                     const std::vector<IniValue>& values, bool missingIsGone);

// The new content reads as planned: each written key reads its value, and every other line of
// the section reads as it did, but for lines that a written value hid, or hides again.
bool ReadsAsPlanned(const SectionLines& before, const SectionLines& after, const std::vector<IniValue>& writes);
