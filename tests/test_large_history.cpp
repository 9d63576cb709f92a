// The real program on a large history: one delete and undo after another, each giving back the
// memory it took. The soak's history is near the largest the program opens.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "remote_list.h"
#include "temp_folder.h"
#include "test_texts.h"
#include "time_scale.h"
#include "tool_process.h"
#include "ui/resource.h"

namespace {

TEST(LargeHistory, DeletesAndUndosInARowEachGiveTheMemoryBack)
{
    // 13 MB, which the system's reader, kept from letting go, would hold twice over after a
    // delete; the soak's 61 MB are near the 64 MB the program opens.
    const int keywords = ShortOrSoak(600000, 2700000);
    TempFolder folder;
    const std::string history = NumberedHistory(keywords);
    WriteBytes("history.ini", history);
    ToolProcess tool(folder.Path());
    const HWND window = tool.WaitForWindow(120000);
    ASSERT_NE(nullptr, window);
    RemoteList list(window);
    auto rowsBecome = [&list](int count) { return Eventually([&list, count] { return list.Count() == count; }, 120000); };
    ASSERT_TRUE(rowsBecome(keywords));
    // The memory after the load, and after each delete and each undo once its look at the file
    // has been (the rows change before it).
    auto settledMegabytes = [&tool] {
        Sleep(Scaled(500));
        return static_cast<double>(tool.WorkingSetBytes()) / (1 << 20);
    };
    const double loaded = settledMegabytes();
    for (int cycle = 0, cycles = ShortOrSoak(2, 10); cycle < cycles; ++cycle) {
        list.Select(0, 5);
        PostMessageA(window, WM_COMMAND, ID_KEYWORD_DELETE, 0);
        ASSERT_TRUE(rowsBecome(keywords - 5)) << "cycle " << cycle;
        const double deleted = settledMegabytes();
        PostMessageA(window, WM_COMMAND, ID_EDIT_UNDO, 0);
        ASSERT_TRUE(rowsBecome(keywords)) << "cycle " << cycle;
        const double undone = settledMegabytes();
        std::printf("[ stats    ] cycle %d: %.0f MB after the load, %.0f after the delete, %.0f after the undo\n",
                    cycle, loaded, deleted, undone);
        EXPECT_LE(deleted, loaded * 1.1) << "cycle " << cycle;
        EXPECT_LE(undone, loaded * 1.1) << "cycle " << cycle;
    }
    EXPECT_EQ(history, ReadBytes("history.ini"));
    EXPECT_EQ(0u, tool.Close());
}

} // namespace
