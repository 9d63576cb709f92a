#pragma once

#include <cstddef>
#include <string>
#include <vector>

// One change of a file's bytes: removeBytes at offset are replaced by insertBytes.
struct IniEdit {
    size_t offset = 0;
    size_t removeBytes = 0;
    std::string insertBytes;
};

// A value to write to a key of a section. With an expected text, the value is written only
// while the key still reads as that text.
struct IniValue {
    std::string key;
    std::string value;
    bool hasExpected = false;
    std::string expected;
};

// How writing values to keys of a section changes an INI file whose bytes are given, finding
// for each key the line the system's own reader would read: the first section of that name,
// the first key of that name in it. Only the values' bytes change; keys that are missing are
// added at the end of the section, a missing section at the end of the file. The file may be
// in the ANSI code page, or UTF-8 or UTF-16 with a byte-order mark. The edits come in the
// order of their offsets.
std::vector<IniEdit> PlanIniValueEdits(const std::string& file, const char* section,
                                       const std::vector<IniValue>& values);

// The file's bytes with the edits made.
std::string ApplyIniEdits(const std::string& file, const std::vector<IniEdit>& edits);
