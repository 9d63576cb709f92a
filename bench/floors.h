#pragma once

#include <windows.h>

#include "history/keyword_entry.h"

// What the tool's interactions cannot cost less than, measured on the same data in the same
// process: the list control alone, a plain pass over the texts, and the file read two ways.
// Each gives the median milliseconds.

// A bare owner-data list of the keyword list's size, styles, font and columns, over the keyword
// list in the same window, showing the entries: emptied, given its rows and painted.
double FloorListMs(HWND keywordList, const KeywordList& entries);
// One pass over all texts with a plain byte search for "a".
double FloorScanMs(const KeywordList& entries);
// The file's bytes read into memory.
double FloorReadMs(const char* path);
// The system's profile reader giving the Keywords section of a file it has not read before.
double FloorSystemReadMs(const char* path);
