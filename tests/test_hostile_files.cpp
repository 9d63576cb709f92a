// Unusual and damaged history files opened by the real program: each must open within a few
// seconds, list what the history holds, close with exit code 0 and leave every byte alone.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "history/keyword_history.h"
#include "host_command.h"
#include "message_box_answerer.h"
#include "temp_folder.h"
#include "time_scale.h"
#include "tool_process.h"
#include "test_texts.h"

namespace {

struct HostileFile {
    const char* name;
    std::string bytes;
};

std::string Keywords(int count, const std::string& start, const std::string& end, size_t padding = 0)
{
    std::string file = "[Keywords]\r\nStartPos=" + start + "\r\nEndPos=" + end + "\r\n";
    const std::string pad(padding, 'p');
    for (int n = 0; n < count; ++n)
        file += std::to_string(n) + "=\x95\x5C\x8E\xA6 " + pad + std::to_string(n) + "\r\n";
    return file;
}

std::string RandomBytes(size_t count, unsigned seed)
{
    std::mt19937 random(seed);
    std::string bytes(count, '\0');
    for (char& b : bytes)
        b = static_cast<char>(random() & 0xFF);
    return bytes;
}

std::vector<HostileFile> Corpus()
{
    using namespace std::string_literals;
    std::string longLine = "[Keywords]\r\nStartPos=0\r\nEndPos=2\r\n0=" + std::string(65536, 'w') + "\r\n1=short\r\n";
    return {
        {"empty", ""},
        {"random binary", RandomBytes(4096, 7)},
        {"random binary after a header", "[Keywords]\r\nStartPos=0\r\nEndPos=50\r\n" + RandomBytes(8192, 8)},
        {"NUL bytes inside values", "[Keywords]\r\nStartPos=0\r\nEndPos=3\r\n0=a\0b\r\n1=\0\r\n2=c\r\n"s},
        {"UTF-8 byte-order mark", "\xEF\xBB\xBF[Keywords]\r\nStartPos=0\r\nEndPos=2\r\n0=\xE8\xA1\xA8\r\n1=x\r\n"},
        {"UTF-16", Utf16("[Keywords]\r\nStartPos=0\r\nEndPos=3\r\n0=one\r\n1=two\r\n2=three\r\n")},
        {"line feeds only", "[Keywords]\nStartPos=0\nEndPos=3\n0=a\n1=b\n2=c\n"},
        {"carriage returns only", "[Keywords]\rStartPos=0\rEndPos=3\r0=a\r1=b\r2=c\r"},
        {"Keywords twice", "[Keywords]\r\nStartPos=0\r\nEndPos=2\r\n0=a\r\n[Keywords]\r\n1=b\r\nEndPos=9\r\n"},
        {"leading zeros and plus signs", "[Keywords]\r\nStartPos=0\r\nEndPos=3\r\n00=a\r\n+1=b\r\n2=c\r\n"},
        {"StartPos above EndPos", "[Keywords]\r\nStartPos=9\r\nEndPos=3\r\n4=a\r\n"},
        {"the widest range", Keywords(3, "-2147483648", "2147483647")},
        {"a value ending in a lone lead byte", "[Keywords]\r\nStartPos=0\r\nEndPos=2\r\n0=abc\x81\r\n1=def\r\n"},
        {"a 64 KiB line", longLine},
        {"10 MB with 200,000 keywords", Keywords(200000, "0", "200000", 36)},
    };
}

int RowCount(HWND window)
{
    // The list is the child of the tool's own list class; its row count needs no memory of
    // the other process.
    HWND list = nullptr;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (GetWindowLongA(child, GWL_STYLE) & LVS_REPORT)
            list = child;
    return list ? static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)) : -1;
}

int ExpectedRows()
{
    KeywordHistory history(".\\history.ini");
    history.Load();
    int rows = 0;
    for (const KeywordEntry& entry : history.ConstEntries())
        rows += *entry.Text() ? 1 : 0;
    return rows;
}

void OpenListAndClose(const std::string& folder, int expectedRows, const char* name)
{
    ToolProcess tool(folder);
    const DWORD started = GetTickCount();
    const HWND window = tool.WaitForWindow(20000);
    ASSERT_NE(nullptr, window) << name;
    EXPECT_LT(GetTickCount() - started, Scaled(10000)) << name;
    EXPECT_EQ(expectedRows, RowCount(window)) << name;
    EXPECT_EQ(0u, tool.Close()) << name;
}

TEST(HostileFiles, EachOpensListsItsKeywordsAndStaysUntouched)
{
    for (const HostileFile& file : Corpus()) {
        TempFolder folder;
        WriteBytes("history.ini", file.bytes);
        OpenListAndClose(folder.Path(), ExpectedRows(), file.name);
        EXPECT_EQ(file.bytes, ReadBytes("history.ini")) << file.name;
    }
}

// A folder in history.ini's place cannot be read: the list stays empty and a message says why.
TEST(HostileFiles, AFolderNamedHistoryIniOpensAnEmptyListAndSaysSo)
{
    TempFolder folder;
    CreateDirectoryA("history.ini", nullptr);
    ToolProcess tool(folder.Path());
    const HWND window = tool.WaitForWindow();
    ASSERT_NE(nullptr, window);
    MessageBoxAnswerer answerer(GetWindowThreadProcessId(window, nullptr));
    const std::vector<MessageBoxAnswerer::Box> boxes = answerer.WaitForBoxes(1);
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(0u, boxes[0].text.find(ShiftJis(L"history.ini を読み込めませんでした。"))) << boxes[0].text;
    EXPECT_EQ(0, RowCount(window));
    EXPECT_EQ(0u, tool.Close());
    EXPECT_TRUE(GetFileAttributesA("history.ini") & FILE_ATTRIBUTE_DIRECTORY);
}

TEST(HostileFiles, ALinkToAMissingFileOpensAnEmptyList)
{
    TempFolder folder;
    if (RunOnHost("ln -s missing/target.ini history.ini") != 0)
        GTEST_SKIP() << "no symbolic links here";
    OpenListAndClose(folder.Path(), 0, "dangling link");
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA("missing\\target.ini"));
}

} // namespace
