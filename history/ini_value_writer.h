#pragma once

#include <vector>

#include "patience.h"
#include "settled_read.h"
#include "value_plan.h"
#include "write_outcome.h"

// Writes values to keys of one section of an INI file that other programs write too, and
// changes no other byte of it. Each try plans the change on a settled reading of the file as
// it is now (PlanValues), writes the new content beside the file, has the system's own reader
// check it, and puts it in the file's place in one step. A try that finds the file held open,
// changed or missing is made again on fresh bytes for as long as the patience lasts. Afterwards
// the file is looked at once more, and a value that another program's older copy of the file
// has put back is written again. The known reading is used while the file holds its bytes, and
// kept up to date.
WriteOutcome WriteIniValues(const char* path, const char* section, const std::vector<IniValue>& values,
                            KnownReading& known, const WaitFunction& wait);
