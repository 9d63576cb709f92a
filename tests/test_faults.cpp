// Things that happen to history.ini while the tool is open.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "main_window_fixture.h"
#include "ui/resource.h"

namespace {

const std::string kThree = "[Keywords]\r\nStartPos=0\r\nEndPos=3\r\n0=alpha\r\n1=beta\r\n2=gamma\r\n";

void Command(MainWindowFixture& f, UINT id)
{
    SendMessageA(f.frame, WM_COMMAND, id, 0);
    f.Pump();
}

TEST(Faults, AReadOnlyFileLosesTheRowButKeepsItsBytes)
{
    MainWindowFixture f(kThree);
    SetFileAttributesA("history.ini", FILE_ATTRIBUTE_READONLY);
    f.SelectRows({0});
    Command(f, ID_KEYWORD_DELETE);
    EXPECT_EQ((std::vector<std::string>{"1:beta", "0:alpha"}), f.Rows());
    EXPECT_EQ(kThree, ReadBytes("history.ini"));
    // Reading the file again shows what it really holds.
    Command(f, ID_HISTORY_RELOAD);
    EXPECT_EQ(3u, f.Rows().size());
    SetFileAttributesA("history.ini", FILE_ATTRIBUTE_NORMAL);
}

TEST(Faults, ADeletedFileReloadsAsAnEmptyList)
{
    MainWindowFixture f(kThree);
    DeleteFileA("history.ini");
    Command(f, ID_HISTORY_RELOAD);
    EXPECT_TRUE(f.Rows().empty());
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA("history.ini"));
}

TEST(Faults, DeletingARowLoadedBeforeTheFileWasDeletedWritesOnlyItsEmptyValue)
{
    MainWindowFixture f(kThree);
    DeleteFileA("history.ini");
    f.SelectRows({0});
    Command(f, ID_KEYWORD_DELETE);
    EXPECT_EQ((std::vector<std::string>{"1:beta", "0:alpha"}), f.Rows());
    // As a single write of a key to a missing file does: the section and the empty value.
    EXPECT_EQ("[Keywords]\r\n2=\r\n", ReadBytes("history.ini"));
    Command(f, ID_HISTORY_RELOAD);
    EXPECT_TRUE(f.Rows().empty());
}

TEST(Faults, AFileHeldOpenByAnotherProgramIsNeitherReadWrongNorWritten)
{
    MainWindowFixture f(kThree);
    HANDLE held = CreateFileA("history.ini", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    f.SelectRows({1});
    Command(f, ID_KEYWORD_DELETE);
    EXPECT_EQ(2u, f.Rows().size());
    Command(f, ID_HISTORY_RELOAD);
    const std::vector<std::string> whileHeld = f.Rows();
    CloseHandle(held);
    EXPECT_EQ(kThree, ReadBytes("history.ini"));
    // While it could not be read the list shows nothing, or all three; never a part.
    EXPECT_TRUE(whileHeld.empty() || whileHeld.size() == 3u);
    Command(f, ID_HISTORY_RELOAD);
    EXPECT_EQ(3u, f.Rows().size());
}

TEST(Faults, TheSearchApplicationMovingTheRangeBetweenTwoReloads)
{
    MainWindowFixture f(kThree);
    f.SelectRows({2});
    Command(f, ID_KEYWORD_DELETE);
    // It forgets its oldest keywords and records two new ones.
    WriteBytes("history.ini", "[Keywords]\r\nStartPos=1\r\nEndPos=5\r\n0=alpha\r\n1=beta\r\n2=gamma\r\n3=delta\r\n"
                              "4=epsilon\r\n");
    Command(f, ID_HISTORY_RELOAD);
    EXPECT_EQ((std::vector<std::string>{"4:epsilon", "3:delta", "2:gamma", "1:beta"}), f.Rows());
    f.SelectRows({0});
    Command(f, ID_KEYWORD_DELETE);
    EXPECT_EQ("[Keywords]\r\nStartPos=1\r\nEndPos=5\r\n0=alpha\r\n1=beta\r\n2=gamma\r\n3=delta\r\n4=\r\n",
              ReadBytes("history.ini"));
}

} // namespace
