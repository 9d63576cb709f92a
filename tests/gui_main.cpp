// Test program start for tests that create real windows: the same platform set-up and module
// state as the program's own entry.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include "app/app_context.h"

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES | ICC_COOL_CLASSES | ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    AppContextScope context(GetModuleHandleA(nullptr));
    return RUN_ALL_TESTS();
}
