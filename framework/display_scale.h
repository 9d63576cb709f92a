#pragma once

#include <windows.h>

// Every length the program sets itself is given for 96 DPI, the system's 100 %, and drawn at
// the DPI of its window. Windows 10 and 11 give each monitor its own DPI and tell the window
// when it moves to another (WM_DPICHANGED); older systems have one DPI for all, and the
// functions that ask per window or per DPI are looked up at run time, so the program still
// starts where they are missing.

constexpr UINT kBaseDpi = 96;
// WM_DPICHANGED (Windows 8.1 on): wParam holds the new DPI, lParam the suggested window rectangle.
constexpr UINT kDpiChanged = 0x02E0;

// The DPI of the window's monitor (Windows 8.1 on), else the system's.
UINT WindowDpi(HWND window);
// The DPI the system's metrics and fonts are given at, which the controls' own fonts follow.
UINT SystemDpi();
// length x dpi / 96, rounded as MulDiv rounds.
inline int ScaleLength(int length, UINT dpi) { return MulDiv(length, static_cast<int>(dpi), kBaseDpi); }
// A length metric of the system (GetSystemMetrics' index) for the DPI.
int MetricForDpi(int index, UINT dpi);

// The system's fonts that the program's windows use.
enum class SystemFont { Menu, Status, IconTitle };
// The system's font for the DPI: from the system's metrics for that DPI where Windows has them
// (Windows 10 1607 on), else the system's own made as much larger as the DPI is.
bool SystemFontForDpi(SystemFont which, UINT dpi, LOGFONTA& font);
// A font given at the system's DPI, with the height it has at another DPI.
LOGFONTA FontForDpi(LOGFONTA font, UINT dpi);
