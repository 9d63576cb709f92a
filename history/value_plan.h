#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <utility>
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

// One value to write to a key of a section, and what became of it: the writer's one record
// per value. With an expected text, it is written only while the key still reads as that
// text, and with a condition only while the section meets it. Only the value's bytes change,
// unless the key's whole line is lineNow byte for byte: then it becomes lineThen, as undoing
// puts a line back as it was. Where the reader does not show a line's bytes as they are (a
// NUL, a lone lead byte, UTF-8), readAs is what it showed of it.
struct IniValue {
    using Condition = std::function<bool(const SectionLines&)>;

    // Written whatever the key reads.
    static IniValue Always(std::string key, std::string value) { return {std::move(key), std::move(value)}; }
    // Written only while the key reads as the expected text.
    static IniValue Replacing(std::string key, std::string value, std::string expected)
    {
        IniValue written(std::move(key), std::move(value));
        written.hasExpected = true;
        written.expected = std::move(expected);
        return written;
    }
    // Undoes a change only while the key still reads empty, its line still as the change left
    // it, and the section meets the condition; readAs is what the reader showed of the line.
    static IniValue PuttingBack(std::string key, const ValueChange& change, std::string readAs, Condition condition)
    {
        IniValue written = Replacing(std::move(key), change.value, "");
        written.lineNow = change.lineAfter;
        written.lineThen = change.lineBefore;
        written.readAs = std::move(readAs);
        written.condition = std::move(condition);
        return written;
    }

    std::string key;
    std::string value; // the new text
    bool hasExpected = false;
    std::string expected; // the old text
    std::string lineNow;
    std::string lineThen;
    std::string readAs;
    Condition condition;
    WriteResult result = WriteResult::NotWritten;
    ValueChange change; // what the write changed of the key's line

private:
    IniValue(std::string key_, std::string value_) : key(std::move(key_)), value(std::move(value_)) {}
};

// The new bytes of one try, planned on one reading of the file.
struct ValuePlan {
    std::vector<IniValue*> writes; // the values they write, each with the change it makes
    bool keysMissing = false;      // keys were missing from a file perhaps caught being rewritten
    std::string bytes;             // the file with them written
};

// Plans writing the values still NotWritten into the file's bytes, given what the system's
// reader makes of its section. A value already read, changed by another program or failing
// its condition, or with its key gone, gets its result now; keys missing are Gone when the
// caller knows they were missing from the same bytes before. Only the bytes of the values
// written change: never a key added, removed or moved.
ValuePlan PlanValues(const std::string& bytes, const SectionLines& reading, const char* section,
                     std::vector<IniValue>& values, bool missingIsGone);

// The new content reads as planned: each written key reads its value, and every other line of
// the section reads as it did, but for lines that a written value hid, or hides again.
bool ReadsAsPlanned(const SectionLines& before, const SectionLines& after, const std::vector<IniValue*>& writes);
