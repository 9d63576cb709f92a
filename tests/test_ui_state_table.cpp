#include <windows.h>

#include <gtest/gtest.h>

#include "framework/ui_state_table.h"
#include "ui/resource.h"

namespace {

const UiStateEntry kTable[] = {
    {ID_VIEW_STATUS_BAR, kUiPopupMenuItem}, {ID_IGNORE_CASE, kUiPopupMenuItem}, {kUiStateTableEnd, 0}};

bool Checked(HMENU menu, UINT id) { return (GetMenuState(menu, id, MF_BYCOMMAND) & MF_CHECKED) != 0; }

TEST(UiStateTable, AMenuOpeningAfterSetCheckShowsTheRecordedMarks)
{
    const HMENU menu = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME));
    const HMENU view = GetSubMenu(menu, 2);
    UiStateTable table(kTable);
    EXPECT_EQ(1, table.SetCheck(ID_VIEW_STATUS_BAR, 1));
    EXPECT_EQ(1, table.SetCheck(ID_IGNORE_CASE, 1));
    // Recorded, but the menu changes only when it opens.
    EXPECT_FALSE(Checked(view, ID_IGNORE_CASE));
    table.ApplyToMenu(view);
    EXPECT_TRUE(Checked(view, ID_VIEW_STATUS_BAR));
    EXPECT_TRUE(Checked(view, ID_IGNORE_CASE));
    table.SetCheck(ID_IGNORE_CASE, 0);
    table.ApplyToMenu(view);
    EXPECT_TRUE(Checked(view, ID_VIEW_STATUS_BAR));
    EXPECT_FALSE(Checked(view, ID_IGNORE_CASE));
    // Unknown commands change nothing; menus without the commands are left as they are.
    EXPECT_EQ(1, table.SetCheck(12345, 1));
    const HMENU file = GetSubMenu(menu, 0);
    table.ApplyToMenu(file);
    EXPECT_EQ(0u, GetMenuState(file, ID_APP_EXIT, MF_BYCOMMAND) & (MF_CHECKED | MF_GRAYED));
    table.ApplyToMenu(nullptr);
    DestroyMenu(menu);
}

} // namespace
