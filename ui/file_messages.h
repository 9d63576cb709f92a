#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "history/write_outcome.h"

// The words of the messages about history.ini, from the resources and from the system.
std::string LoadText(UINT id);
// A text of the resources with "%d" in it, the counts put in their places in turn.
std::string CountText(UINT id, int count, int secondCount = 0);
// The system's own words for an error, in the user's language.
std::string SystemErrorText(uint32_t error);
// Why the file could not be read or written.
std::string FailureText(const FileFailure& failure);
// The keywords' texts in quotes, one a line, the first ten of them.
std::string KeywordNames(const std::vector<std::string>& texts);
// A warning box over the window, with the program's title.
void ShowWarning(HWND owner, const std::string& text);
