#pragma once

#include <windows.h>

// The visible window of a class on the calling thread, or null: the menu ("#32768") or dialog
// ("#32770") that a modal loop has opened.
HWND FindVisibleThreadWindow(const char* className);
