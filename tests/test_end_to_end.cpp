// The real program, started as its own process in a folder with a history file.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "message_box_answerer.h"
#include "remote_list.h"
#include "synthesized_input.h"
#include "temp_folder.h"
#include "time_scale.h"
#include "tool_process.h"
#include "test_texts.h"
#include "ui/resource.h"

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
    EXPECT_EQ(0u, tool.Close());
    EXPECT_EQ(kHistory, ReadBytes("history.ini"));
}

TEST(EndToEnd, StartsWithoutAHistoryFileAndCreatesNone)
{
    TempFolder folder;
    ToolProcess tool(folder.Path());
    HWND window = tool.WaitForWindow();
    ASSERT_NE(nullptr, window);
    EXPECT_EQ(0u, tool.Close());
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA("history.ini"));
}

// Brings the tool's window to the front and waits until it is there, so that input reaches it.
bool BringToFront(HWND window)
{
    return Eventually([window] {
        SetForegroundWindow(window);
        return GetForegroundWindow() == window;
    });
}

bool FileBecomes(const std::string& expected)
{
    return Eventually([&expected] { return ReadBytes("history.ini") == expected; });
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

    // Deletes the rows as the menu does; true once they have left the list.
    bool DeleteRows(RemoteList& list, int first, int count)
    {
        const int before = list.Count();
        list.Select(first, count);
        PostMessageA(window, WM_COMMAND, ID_KEYWORD_DELETE, 0);
        return Eventually([&list, before, count] { return list.Count() == before - count; });
    }

    TempFolder folder;
    std::unique_ptr<ToolProcess> tool;
    HWND window = nullptr;
};

// The keyword box keeps its own keys: Delete, Ctrl+Z and Ctrl+A typed there edit its text and
// leave history.ini alone. In the list, Delete blanks the selected keyword in the file and
// Ctrl+Z gives it back.
TEST_F(ToolInFront, TheBoxKeepsItsKeysAndTheListDeletesAndUndoesWithThem)
{
    const HWND box = FindWindowExA(FindWindowExA(window, nullptr, "ReBarWindow32", nullptr), nullptr, "Edit", nullptr);
    ASSERT_NE(nullptr, box);
    // Another process's edit control tells its text only when asked with a message.
    auto boxReads = [box](const char* expected) {
        return Eventually([box, expected] {
            char text[16] = {};
            SendMessageA(box, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
            return std::string(text) == expected;
        });
    };
    // The list has the focus; Home selects the top row, and Tab goes to the box.
    PressKeys({VK_HOME});
    PressKeys({VK_TAB});
    PressKeys({'A'});
    PressKeys({'N'});
    ASSERT_TRUE(boxReads("an"));
    PressKeys({VK_HOME});
    PressKeys({VK_DELETE});
    EXPECT_TRUE(boxReads("n"));
    PressKeys({VK_CONTROL, 'Z'});
    EXPECT_TRUE(boxReads("an"));
    PressKeys({VK_CONTROL, 'A'});
    PressKeys({VK_BACK});
    EXPECT_TRUE(boxReads(""));
    EXPECT_EQ(kFive, ReadBytes("history.ini"));

    // Alt+K from the list, Alt let go first: the menu bar stays out of it, and the letters
    // typed next go into the box, never to the menus (E, D would be 編集 > 削除).
    PressKeys({VK_TAB});
    for (const auto& [key, down] : {std::pair<WORD, bool>{VK_MENU, true}, {'K', true}, {VK_MENU, false}, {'K', false}})
        KeyEvent(key, down);
    PressKeys({'E'});
    PressKeys({'D'});
    EXPECT_TRUE(boxReads("ed"));
    GUITHREADINFO thread{};
    thread.cbSize = sizeof thread;
    GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &thread);
    EXPECT_EQ(0u, thread.flags & GUI_INMENUMODE);
    PressKeys({VK_CONTROL, 'A'});
    PressKeys({VK_BACK});
    ASSERT_TRUE(boxReads(""));
    // While the menu bar has the keyboard, Delete and Ctrl+Z do nothing to the file.
    PressKeys({VK_TAB});
    PressKeys({VK_HOME});
    PressKeys({VK_F10});
    PressKeys({VK_DELETE});
    PressKeys({VK_CONTROL, 'Z'});
    PressKeys({VK_ESCAPE});
    const HWND list = RemoteList(window).Window();
    EXPECT_TRUE(Eventually([&thread, this, list] {
        GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &thread);
        return thread.hwndFocus == list;
    }));
    EXPECT_EQ(kFive, ReadBytes("history.ini"));

    const std::string deleted = "[Keywords]\r\nStartPos=0\r\nEndPos=5\r\n0=apple\r\n1=Banana\r\n2=cherry\r\n"
                                "3=Apricot\r\n4=\r\n";
    PressKeys({VK_HOME});
    PressKeys({VK_DELETE});
    EXPECT_TRUE(FileBecomes(deleted));
    PressKeys({VK_CONTROL, 'Z'});
    EXPECT_TRUE(FileBecomes(kFive));
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

// Ctrl+Z gives back what the last delete blanked, byte for byte, and on the next press what
// the delete before it blanked; the keywords come back selected.
TEST(Undo, CtrlZGivesBackTheLastDeletesInTurnByteForByte)
{
    TempFolder folder;
    const std::string original = "[Keywords]\r\nStartPos=0\r\nEndPos=5\r\n0=apple\r\n 1 = Banana \r\n2=\"cherry\"\r\n"
                                 "3=Apricot\r\n4=banana split\r\n[Tail]\r\ny=2\r\n";
    const std::string threeDeleted = "[Keywords]\r\nStartPos=0\r\nEndPos=5\r\n0=apple\r\n 1 = Banana \r\n2=\r\n3=\r\n"
                                     "4=\r\n[Tail]\r\ny=2\r\n";
    const std::string fourDeleted = "[Keywords]\r\nStartPos=0\r\nEndPos=5\r\n0=apple\r\n 1 =  \r\n2=\r\n3=\r\n"
                                    "4=\r\n[Tail]\r\ny=2\r\n";
    WriteBytes("history.ini", original);
    ToolProcess tool(folder.Path());
    const HWND window = tool.WaitForWindow();
    ASSERT_NE(nullptr, window);
    RemoteList list(window);
    ASSERT_TRUE(BringToFront(window));
    // A delete has ended once its rows have left the list, an undo once they are back.
    list.Select(0, 3);
    PostMessageA(window, WM_COMMAND, ID_KEYWORD_DELETE, 0);
    ASSERT_TRUE(Eventually([&list] { return list.Count() == 2; }));
    EXPECT_EQ(threeDeleted, ReadBytes("history.ini"));
    list.Select(0, 1);
    PostMessageA(window, WM_COMMAND, ID_KEYWORD_DELETE, 0);
    ASSERT_TRUE(Eventually([&list] { return list.Count() == 1; }));
    EXPECT_EQ(fourDeleted, ReadBytes("history.ini"));
    PressKeys({VK_CONTROL, 'Z'});
    ASSERT_TRUE(Eventually([&list] { return list.Count() == 2; }));
    EXPECT_EQ(threeDeleted, ReadBytes("history.ini"));
    PressKeys({VK_CONTROL, 'Z'});
    ASSERT_TRUE(Eventually([&list] { return list.Count() == 5; }));
    EXPECT_EQ(original, ReadBytes("history.ini"));
    EXPECT_EQ((std::vector<std::string>{"4", "3", "2", "1", "0"}), list.Numbers());
    EXPECT_EQ((std::vector<int>{0, 1, 2}), list.Selected());
    EXPECT_EQ(0u, tool.Close());
}

// Writes another keyword into history.ini the moment the file shows the delete.
DWORD WINAPI WriteRightAfterTheSwap(void*)
{
    for (const DWORD started = GetTickCount(); GetTickCount() - started < Scaled(10000);) {
        if (ReadBytes("history.ini").find("\r\n4=\r\n") != std::string::npos)
            return WritePrivateProfileStringA("Keywords", "5", "searched", ".\\history.ini");
    }
    return 0;
}

// Another program's write that lands right after a delete's swap, before the tool's look at the
// file, costs the undo nothing: every keyword comes back, and the other write stays.
TEST_F(ToolInFront, AWriteRightAfterTheSwapLeavesEveryKeywordToGiveBack)
{
    RemoteList list(window);
    list.Select(0, 5);
    const HANDLE probe = CreateThread(nullptr, 0, WriteRightAfterTheSwap, nullptr, 0, nullptr);
    PostMessageA(window, WM_COMMAND, ID_KEYWORD_DELETE, 0);
    ASSERT_TRUE(Eventually([&list] { return list.Count() == 0; }));
    WaitForSingleObject(probe, INFINITE);
    DWORD wrote = 0;
    GetExitCodeThread(probe, &wrote);
    CloseHandle(probe);
    ASSERT_NE(0u, wrote);
    PostMessageA(window, WM_COMMAND, ID_EDIT_UNDO, 0);
    ASSERT_TRUE(Eventually([&list] { return list.Count() == 5; }));
    EXPECT_EQ(kFive + "5=searched\r\n", ReadBytes("history.ini"));
    EXPECT_EQ(0u, tool->Close());
}

// What another program did with a deleted keyword's number since stays as it is: another
// keyword written under it, its key removed, the range moved past it. The rest comes back, one
// message says how many could not, why, and which; the next undo reaches the delete before.
TEST_F(ToolInFront, WhatAnotherProgramDidWithTheNumbersStaysAndTheRestComesBack)
{
    RemoteList list(window);
    MessageBoxAnswerer answerer(GetWindowThreadProcessId(window, nullptr));
    ASSERT_TRUE(DeleteRows(list, 4, 1));
    ASSERT_TRUE(DeleteRows(list, 0, 4));
    EXPECT_EQ("[Keywords]\r\nStartPos=0\r\nEndPos=5\r\n0=\r\n1=\r\n2=\r\n3=\r\n4=\r\n", ReadBytes("history.ini"));
    WriteBytes("history.ini", "[Keywords]\r\nStartPos=0\r\nEndPos=4\r\n0=\r\n2=\r\n3=searched\r\n4=\r\n");
    PostMessageA(window, WM_COMMAND, ID_EDIT_UNDO, 0);
    const std::vector<MessageBoxAnswerer::Box> boxes = answerer.WaitForBoxes(1);
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(ShiftJis(L"3 件のキーワードを元に戻せませんでした。\n\n削除の後で、ほかのプログラムがその番号に別のキーワードを"
                       L"書き込んだか、その番号を history.ini から取り除いています。\n\n「Banana」\n「Apricot」\n「banana split」"),
              boxes[0].text);
    EXPECT_EQ("[Keywords]\r\nStartPos=0\r\nEndPos=4\r\n0=\r\n2=cherry\r\n3=searched\r\n4=\r\n", ReadBytes("history.ini"));
    PostMessageA(window, WM_COMMAND, ID_EDIT_UNDO, 0);
    EXPECT_TRUE(Eventually([] { return ReadBytes("history.ini").find("0=apple") != std::string::npos; }));
    EXPECT_EQ(0u, tool->Close());
    EXPECT_EQ(1u, answerer.Boxes().size());
}

// The list follows history.ini as the search application records keywords with the system's
// profile functions, each new keyword listed without F5 within a second of its write (stretched
// where everything runs slower).
TEST_F(ToolInFront, TheListFollowsTheKeywordsTheSearchApplicationRecords)
{
    RemoteList list(window);
    for (int n = 5; n < 8; ++n) {
        const std::string key = std::to_string(n);
        ASSERT_NE(0, WritePrivateProfileStringA("Keywords", key.c_str(), ("searched " + key).c_str(), ".\\history.ini"));
        ASSERT_NE(0, WritePrivateProfileStringA("Keywords", "EndPos", std::to_string(n + 1).c_str(), ".\\history.ini"));
        const DWORD written = GetTickCount();
        EXPECT_TRUE(Eventually([&list, n] { return list.Count() == n + 1; }));
        EXPECT_LE(GetTickCount() - written, Scaled(1000)) << key;
    }
    EXPECT_EQ("7", list.Numbers().front());
}

// Once history.ini has gone missing, the deletes before are another history's: the list
// empties, and an undo writes nothing into a file that takes the name afterwards.
TEST_F(ToolInFront, AnUndoNeverWritesIntoAHistoryThatTookTheNameOfAMissingOne)
{
    RemoteList list(window);
    ASSERT_TRUE(DeleteRows(list, 4, 1));
    ASSERT_TRUE(MoveFileA("history.ini", "moved.ini"));
    ASSERT_TRUE(Eventually([&list] { return list.Count() == 0; }));
    const std::string other = "[Keywords]\r\nStartPos=0\r\nEndPos=1\r\n0=\r\n";
    WriteBytes("history.ini", other);
    DWORD_PTR result = 0;
    ASSERT_NE(0, SendMessageTimeoutA(window, WM_COMMAND, ID_EDIT_UNDO, 0, SMTO_NORMAL, Scaled(10000), &result));
    EXPECT_EQ(other, ReadBytes("history.ini"));
    EXPECT_EQ(0u, tool->Close());
}

} // namespace
