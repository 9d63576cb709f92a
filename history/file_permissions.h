#pragma once

#include <string>

// Gives a new file the access rights of the file it is about to replace, so that replacing a
// private file leaves it private.
void CopyPermissions(const std::wstring& from, const std::wstring& to);
