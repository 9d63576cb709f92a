// The real program stopped in the middle of a delete, and kept waiting by another program that
// holds history.ini open.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "message_box_answerer.h"
#include "remote_list.h"
#include "temp_folder.h"
#include "test_texts.h"
#include "time_scale.h"
#include "tool_process.h"
#include "ui/resource.h"

namespace {

// The file with the keywords of the numbers blanked.
std::string Blanked(std::string file, const std::vector<int>& numbers)
{
    for (int n : numbers) {
        const std::string line = "\r\n" + std::to_string(n) + "=" + KeywordText(n) + "\r\n";
        file.replace(file.find(line), line.size(), "\r\n" + std::to_string(n) + "=\r\n");
    }
    return file;
}

// Stopped at any instant of a delete, as a crash or the task manager would stop it, the tool
// leaves history.ini whole: the old bytes or the new ones. Its next start removes whatever the
// stopped delete left beside the file.
TEST(InterruptedDeletes, AToolStoppedAnywhereLeavesTheFileWholeAndItsNextStartLeavesNothingBeside)
{
    constexpr int kKeywords = 100000;
    const int rounds = ShortOrSoak(10, 30);
    TempFolder folder;
    WriteBytes("history.ini", NumberedHistory(kKeywords));
    std::mt19937 random(20261209);
    std::uniform_int_distribution<DWORD> instant(0, Scaled(150));
    int top = kKeywords - 1; // the highest number the list still shows
    int landed = 0, leftBeside = 0;
    for (int round = 0; round <= rounds; ++round) {
        ToolProcess tool(folder.Path());
        const HWND window = tool.WaitForWindow(60000);
        ASSERT_NE(nullptr, window) << "round " << round;
        ASSERT_EQ(1, FilesInCurrentFolder()) << "round " << round << ": left beside after the start";
        if (round == rounds)
            break;
        RemoteList list(window);
        list.Select(0, 5);
        std::vector<int> numbers;
        for (int n = top; n > top - 5; --n)
            numbers.push_back(n);
        const std::string old = ReadBytes("history.ini");
        const std::string blanked = Blanked(old, numbers);
        PostMessageA(window, WM_COMMAND, ID_KEYWORD_DELETE, 0);
        Sleep(instant(random));
        tool.Kill();
        const std::string now = ReadBytes("history.ini");
        ASSERT_TRUE(now == old || now == blanked) << "round " << round << ": " << now.size() << " bytes";
        if (now == blanked) {
            ++landed;
            top -= 5;
        }
        leftBeside += FilesInCurrentFolder() > 1 ? 1 : 0;
    }
    std::printf("[ stats    ] %d rounds: %d deletes landed, %d left files beside history.ini\n", rounds, landed,
                leftBeside);
}

// While a delete waits for a file another program holds open (sharing reading and writing, not
// deleting), the window keeps answering, and closing it meanwhile waits for the delete. Refused
// after two seconds, the delete leaves the file and nothing beside it, and says why; then the
// window closes.
TEST(InterruptedDeletes, AWaitingDeleteKeepsTheWindowAnsweringAndARefusedOneLeavesNothing)
{
    TempFolder folder;
    const std::string history = NumberedHistory(1000);
    WriteBytes("history.ini", history);
    ToolProcess tool(folder.Path());
    const HWND window = tool.WaitForWindow();
    ASSERT_NE(nullptr, window);
    RemoteList list(window);
    list.Select(0, 1);
    MessageBoxAnswerer answerer(GetWindowThreadProcessId(window, nullptr));
    const HANDLE held = CreateFileA("history.ini", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    const DWORD pressed = GetTickCount();
    PostMessageA(window, WM_COMMAND, ID_KEYWORD_DELETE, 0);
    DWORD slowest = 0;
    int answers = 0;
    bool closed = false;
    while (answerer.Boxes().empty() && GetTickCount() - pressed < Scaled(10000)) {
        // The new content lies beside the file: the delete waits for the file from now on, until
        // the message at the end of its two seconds, which are the user's and never stretched.
        const bool waiting = FilesInCurrentFolder() > 1;
        const DWORD sent = GetTickCount();
        DWORD_PTR result = 0;
        const UINT message = !closed && waiting ? WM_CLOSE : WM_NULL;
        closed = closed || message == WM_CLOSE;
        answers += SendMessageTimeoutA(window, message, 0, 0, SMTO_NORMAL, Scaled(2000), &result) ? 1 : 0;
        if (waiting && message == WM_NULL && sent - pressed < 1800)
            slowest = std::max(slowest, GetTickCount() - sent);
        Sleep(20);
    }
    EXPECT_TRUE(closed) << "the new content never showed beside the file";
    const std::vector<MessageBoxAnswerer::Box> boxes = answerer.WaitForBoxes(1);
    EXPECT_EQ(0u, tool.WaitForExit());
    CloseHandle(held);
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(0u, boxes[0].text.find(ShiftJis(L"1 件のキーワードを削除できませんでした。")));
    EXPECT_LT(boxes[0].shownAt - pressed, Scaled(2500));
    EXPECT_GT(answers, 10);
    EXPECT_LT(slowest, Scaled(100));
    EXPECT_EQ(history, ReadBytes("history.ini"));
    EXPECT_EQ(1, FilesInCurrentFolder());
}

} // namespace
