#pragma once

#include <cstddef>
#include <string>

// One change of a file's bytes: removeBytes at offset are replaced by insertBytes.
struct IniEdit {
    size_t offset = 0;
    size_t removeBytes = 0;
    std::string insertBytes;

    bool ChangesFile() const { return removeBytes != 0 || !insertBytes.empty(); }
};

// Where writing value to section/key changes an INI file whose bytes are given, finding the
// line the system's own reader would read: the first section of that name, the first key of
// that name in it. Only the value's bytes change; when the key or section is missing it is
// added. The file may be in the ANSI code page, or UTF-8 or UTF-16 with a byte-order mark.
IniEdit PlanIniValueEdit(const std::string& file, const char* section, const char* key, const char* value);
