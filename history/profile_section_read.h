#pragma once

#include <cstdint>
#include <vector>

// Every line of a section of an INI file in one read through the system's own reader, each
// NUL-terminated, the last followed by a second NUL; a missing file or section gives none.
// Returns 0, or the system's error code when the file could not be read (held open without
// sharing, a folder in its place) or the section is too large to read whole.
uint32_t ReadProfileSection(const char* path, const char* section, std::vector<char>& lines);
