#pragma once

#include <windows.h>

#include <string>

// Puts a text of the ANSI code page on the clipboard, as CF_TEXT and as CF_UNICODETEXT, so
// that a program reading either form gets it whole. False when the clipboard could not be had.
bool PutOnClipboard(HWND owner, const std::string& text);
