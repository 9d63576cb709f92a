#pragma once

#include <windows.h>

#include <cstddef>

// Structure sizes that every Windows the menu bar runs on accepts. Newer headers add fields at
// the end that older systems do not know and refuse the whole structure for: the image of a
// menu item (Windows 98 and 2000 on) and the padded border of the window metrics (Vista on).
constexpr UINT kMenuItemInfoBytes = 44;
constexpr UINT kNonClientMetricsBytes = 340;

static_assert(offsetof(MENUITEMINFOA, hbmpItem) == kMenuItemInfoBytes, "a menu item's fields before its image");
static_assert(offsetof(NONCLIENTMETRICSA, iPaddedBorderWidth) == kNonClientMetricsBytes,
              "the window metrics' fields before the padded border");
