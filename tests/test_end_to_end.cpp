// The real program, started as its own process in a folder with a history file.
#include <windows.h>

#include <gtest/gtest.h>

#include "temp_folder.h"
#include "tool_process.h"

namespace {

const char kHistory[] = "[Keywords]\r\nStartPos=0\r\nEndPos=3\r\n0=\x95\x5C\x8E\xA6\r\n1=Wine\r\n2=\r\n";

TEST(EndToEnd, OpensTheWindowAndClosingItEndsWithExitCodeZeroLeavingTheFileAlone)
{
    TempFolder folder;
    WriteBytes("history.ini", kHistory);
    ToolProcess tool(folder.Path());
    ASSERT_TRUE(tool.Started());
    HWND window = tool.WaitForWindow();
    ASSERT_NE(nullptr, window);
    char title[64] = {};
    GetWindowTextA(window, title, sizeof title);
    EXPECT_STREQ("Tarnwell", title);
    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(0u, tool.WaitForExit());
    EXPECT_EQ(kHistory, ReadBytes("history.ini"));
}

TEST(EndToEnd, StartsWithoutAHistoryFileAndCreatesNone)
{
    TempFolder folder;
    ToolProcess tool(folder.Path());
    HWND window = tool.WaitForWindow();
    ASSERT_NE(nullptr, window);
    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(0u, tool.WaitForExit());
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA("history.ini"));
}

} // namespace
