#pragma once

#include <cstdint>
#include <vector>

#include "ini_layout.h"

// Writes one value of an INI file and changes no other byte of it. The file is replaced
// whole by a finished copy, so a failure at any point leaves the old file as it was.
// Returns nonzero on success, 0 when the file cannot be written (read-only, locked, a folder).
int32_t WriteIniValue(const char* path, const char* section, const char* key, const char* value);
// The same for several keys of one section at once, with one replacement of the file.
int32_t WriteIniValues(const char* path, const char* section, const std::vector<IniValue>& values);
