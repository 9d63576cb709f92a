// The real program, started as its own process in a folder with a history file.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "synthesized_input.h"
#include "temp_folder.h"
#include "time_scale.h"
#include "tool_process.h"
#include "test_texts.h"

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

// Brings the tool's window to the front and waits until it is there, so that input reaches it.
bool BringToFront(HWND window)
{
    for (DWORD waited = 0; waited < Scaled(5000); waited += 50) {
        SetForegroundWindow(window);
        if (GetForegroundWindow() == window)
            return true;
        Sleep(50);
    }
    return false;
}

// Waits until the file holds the expected bytes, for at most a few seconds.
bool FileBecomes(const std::string& expected)
{
    for (DWORD waited = 0; waited < Scaled(5000); waited += 50) {
        if (ReadBytes("history.ini") == expected)
            return true;
        Sleep(50);
    }
    return false;
}

// The tool started on five keywords, its window in front and taking input.
class ToolInFront : public testing::Test {
protected:
    void SetUp() override
    {
        WriteBytes("history.ini", kFive);
        tool = std::make_unique<ToolProcess>(folder.Path());
        window = tool->WaitForWindow();
        ASSERT_NE(nullptr, window);
        ASSERT_TRUE(BringToFront(window));
    }

    TempFolder folder;
    std::unique_ptr<ToolProcess> tool;
    HWND window = nullptr;
};

TEST_F(ToolInFront, AKeywordSelectedAndDeletedWithTheKeyboardIsBlankedInTheFile)
{
    // The list has the focus: Home selects the top row, the newest keyword; Delete deletes it.
    PressKeys({VK_HOME});
    PressKeys({VK_DELETE});
    EXPECT_TRUE(FileBecomes("[Keywords]\r\nStartPos=0\r\nEndPos=5\r\n0=apple\r\n1=Banana\r\n2=cherry\r\n"
                            "3=Apricot\r\n4=\r\n"));
    PressKeys({VK_MENU, VK_F4});
    EXPECT_EQ(0u, tool->WaitForExit());
}

TEST_F(ToolInFront, ClickingTheCloseBoxEndsWithExitCodeZero)
{
    // Find the close box along the caption as the window itself reports it.
    RECT frame{};
    GetWindowRect(window, &frame);
    POINT close{-1, -1};
    const int captionY = frame.top + GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYCAPTION) / 2;
    for (int x = frame.right - 2; x > frame.left && close.x < 0; --x)
        if (SendMessageA(window, WM_NCHITTEST, 0, MAKELPARAM(x, captionY)) == HTCLOSE)
            close = {x - 3, captionY};
    ASSERT_GE(close.x, 0);
    ClickAt(close);
    EXPECT_EQ(0u, tool->WaitForExit());
    EXPECT_EQ(kFive, ReadBytes("history.ini"));
}

} // namespace
