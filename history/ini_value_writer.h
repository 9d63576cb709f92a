#pragma once

#include <vector>

#include "ini_layout.h"
#include "section_reading.h"
#include "write_outcome.h"

// Writes values to keys of one section of an INI file that other programs write too, and
// changes no other byte of it. The change is planned on the file's bytes as they are now,
// written beside the file, read back through the system's own reader (every written key must
// read its value, every other line of the section as before) and only then put in the file's
// place in one step, and only while the file still holds the bytes it was planned on;
// otherwise it is planned again on the new bytes. A value with an expected text is written
// only while its key still reads as that text. Afterwards the keys are read once more, and a
// value that another program's older copy of the file has put back is written again.
// The reading known of the file is used while the file holds its bytes, and is kept up to date.
WriteOutcome WriteIniValues(const char* path, const char* section, const std::vector<IniValue>& values,
                            KnownReading& known);
