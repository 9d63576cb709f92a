// Things that happen to history.ini while the tool is open.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "host_command.h"
#include "main_window_fixture.h"
#include "message_box_answerer.h"
#include "test_texts.h"
#include "time_scale.h"
#include "ui/resource.h"

namespace {

const std::string kThree = "[Keywords]\r\nStartPos=0\r\nEndPos=3\r\n0=alpha\r\n1=beta\r\n2=gamma\r\n";

std::string SystemText(DWORD error)
{
    char text[512] = {};
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, text, sizeof text,
                   nullptr);
    std::string words = text;
    while (!words.empty() && (words.back() == '\r' || words.back() == '\n' || words.back() == ' '))
        words.pop_back();
    return words;
}

// Fills the rest of the current folder's file system.
void FillTheDisk()
{
    const HANDLE filler = CreateFileA("filler", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    const std::string block(4096, 'f');
    DWORD written = 0;
    while (WriteFile(filler, block.data(), static_cast<DWORD>(block.size()), &written, nullptr) && written)
        ;
    CloseHandle(filler);
}

using Undo = std::function<void()>;

struct FailureCause {
    const char* name;
    // Brings the failure about for history.ini in the current folder and returns what undoes
    // it; returns nothing where the host system does not allow it.
    std::function<Undo()> cause;
    DWORD error;
    DWORD withinMs; // of the command: at once, or the two seconds that waiting for a file takes
};

// A delete that cannot reach the file leaves the row listed and selected, and one warning
// box over the window says how many keywords were not deleted and the system's reason, at once
// when waiting cannot help, or after two seconds of waiting for a file another program holds;
// the file keeps its bytes and nothing is left beside it.
TEST(Faults, AFailedDeleteKeepsTheRowAndSaysWhy)
{
    const FailureCause causes[] = {
        {"read-only file",
         [] {
             SetFileAttributesA("history.ini", FILE_ATTRIBUTE_READONLY);
             return Undo([] { SetFileAttributesA("history.ini", FILE_ATTRIBUTE_NORMAL); });
         },
         ERROR_ACCESS_DENIED, 500},
        {"no writing in the file's mode bits, which root may ignore",
         [] {
             const std::string host = HostPath(".") + "/history.ini";
             if (RunOnHost("chmod a-w '" + host + "'") != 0)
                 return Undo();
             return Undo([host] { RunOnHost("chmod u+w '" + host + "'"); });
         },
         ERROR_ACCESS_DENIED, 500},
        {"held open without sharing",
         [] {
             const HANDLE held =
                 CreateFileA("history.ini", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
             return Undo([held] { CloseHandle(held); });
         },
         ERROR_SHARING_VIOLATION, 2500},
        {"a folder in its place",
         [] {
             DeleteFileA("history.ini");
             CreateDirectoryA("history.ini", nullptr);
             return Undo([] {
                 RemoveDirectoryA("history.ini");
                 WriteBytes("history.ini", kThree);
             });
         },
         ERROR_ACCESS_DENIED, 500},
        {"no right to create files in the folder",
         [] {
             const std::string host = HostPath(".");
             if (RunOnHost("chattr +i '" + host + "'") != 0)
                 return Undo();
             return Undo([host] { RunOnHost("chattr -i '" + host + "'"); });
         },
         ERROR_ACCESS_DENIED, 500},
        {"a full disk",
         [] {
             // A small file system over the folder, holding the same history and nothing more.
             const std::string host = HostPath(".");
             if (RunOnHost("mount -t tmpfs -o size=64k tmpfs '" + host + "'") != 0)
                 return Undo();
             WriteBytes("history.ini", kThree);
             FillTheDisk();
             return Undo([host] {
                 DeleteFileA("filler");
                 RunOnHost("cd / && umount -l '" + host + "'");
             });
         },
         ERROR_DISK_FULL, 500},
    };
    for (const FailureCause& c : causes) {
        MainWindowFixture f(kThree);
        const Undo undo = c.cause();
        if (!undo) {
            std::printf("[ skipped  ] %s: the host does not allow it here\n", c.name);
            continue;
        }
        f.SelectRows({1});
        {
            MessageBoxAnswerer answerer;
            const DWORD started = GetTickCount();
            f.Command(ID_KEYWORD_DELETE);
            const std::vector<MessageBoxAnswerer::Box> boxes = answerer.Boxes();
            ASSERT_EQ(1u, boxes.size()) << c.name;
            EXPECT_LT(boxes[0].shownAt - started, Scaled(c.withinMs)) << c.name;
            EXPECT_EQ(f.frame, boxes[0].owner) << c.name;
            EXPECT_EQ("Tarnwell", boxes[0].title) << c.name;
            EXPECT_TRUE(boxes[0].warningIcon) << c.name;
            EXPECT_EQ(ShiftJis(L"1 件のキーワードを削除できませんでした。") + "\n\n" + SystemText(c.error), boxes[0].text)
                << c.name;
        }
        EXPECT_EQ((std::vector<std::string>{"2:gamma", "1:beta", "0:alpha"}), f.Rows()) << c.name;
        EXPECT_EQ(std::vector<int>{1}, f.SelectedRows()) << c.name;
        const int files = FilesInCurrentFolder();
        undo();
        EXPECT_EQ(kThree, ReadBytes("history.ini")) << c.name;
        EXPECT_EQ(1, FilesInCurrentFolder()) << c.name;
        EXPECT_LE(files, 2) << c.name; // history.ini, and the filler of a full disk
    }
}

// The search application put a new text under one number and removed another's key after the
// list was filled: the first row stays, with a message, and only what the user saw is deleted;
// the second keyword is no longer in the file, so its row goes, and the status bar says so;
// the list then shows the new text.
TEST(Faults, AKeywordChangedOrRemovedSinceItWasShown)
{
    MainWindowFixture f(kThree);
    const std::string meanwhile = "[Keywords]\r\nStartPos=0\r\nEndPos=3\r\n0=alpha\r\n2=delta\r\n";
    WriteBytes("history.ini", meanwhile);
    f.SelectRows({0, 1});
    MessageBoxAnswerer answerer;
    f.Command(ID_KEYWORD_DELETE);
    // The list then follows the file, the row that stayed still selected.
    EXPECT_TRUE(f.PumpUntil([&f] { return f.Rows() == std::vector<std::string>{"2:delta", "0:alpha"}; }));
    EXPECT_EQ(std::vector<int>{0}, f.SelectedRows());
    EXPECT_EQ(meanwhile, ReadBytes("history.ini"));
    const std::vector<MessageBoxAnswerer::Box> boxes = answerer.Boxes();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(ShiftJis(L"1 件のキーワードを削除できませんでした。\n\n表示の後で history.ini のキーワードがほかのプログラムに"
                       L"よって変更されています。F5 キーで読み込み直してください。"),
              boxes[0].text);
    EXPECT_EQ(ShiftJis(L"1 件のキーワードは、ほかのプログラムによって history.ini から取り除かれていました。"), f.StatusText());
}

// A program that read the file before a delete writes its older copy back right after: the look
// a moment later blanks the keyword again. When it cannot, the row comes back and a message
// says why, and the list follows what the copy holds.
TEST(Faults, AnOlderCopyWrittenBackIsBlankedAgainOrTheRowComesBack)
{
    MainWindowFixture f(kThree);
    auto deleteAndWriteBack = [&f](bool readOnly) {
        f.SelectRows({0});
        SendMessageA(f.frame, WM_COMMAND, ID_KEYWORD_DELETE, 0);
        WriteBytes("history.ini", kThree);
        SetFileAttributesA("history.ini", readOnly ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL);
        ASSERT_TRUE(f.window.Document()->LookDue());
        f.Command(ID_FILE_NEW); // does nothing but wait for the look, as a user would
    };
    deleteAndWriteBack(false);
    EXPECT_EQ("[Keywords]\r\nStartPos=0\r\nEndPos=3\r\n0=alpha\r\n1=beta\r\n2=\r\n", ReadBytes("history.ini"));
    EXPECT_EQ((std::vector<std::string>{"1:beta", "0:alpha"}), f.Rows());

    MessageBoxAnswerer answerer;
    deleteAndWriteBack(true);
    SetFileAttributesA("history.ini", FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(kThree, ReadBytes("history.ini"));
    // The list then follows the older copy, which holds the keyword deleted first too.
    EXPECT_TRUE(f.PumpUntil([&f] { return f.Rows() == std::vector<std::string>{"2:gamma", "1:beta", "0:alpha"}; }));
    const std::vector<MessageBoxAnswerer::Box> boxes = answerer.Boxes();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(ShiftJis(L"1 件のキーワードを削除できませんでした。\n\n書き込んだ後で、ほかのプログラムが history.ini を以前の"
                       L"内容に書き戻したため、その書き込みは取り消されました。\n") + SystemText(ERROR_ACCESS_DENIED),
              boxes[0].text);
}

// A second name of history.ini keeps what the delete took from the file: the window says so.
TEST(Faults, ADeleteFromAFileWithASecondNameSaysThatNameKeepsTheKeyword)
{
    MainWindowFixture f(kThree);
    ASSERT_TRUE(CreateHardLinkA("other.ini", "history.ini", nullptr));
    f.SelectRows({0});
    f.Command(ID_KEYWORD_DELETE);
    EXPECT_EQ(ShiftJis(L"history.ini にはハードリンクによる別の名前があります。その名前のファイルには、削除したキーワードが残ります。"),
              f.StatusText());
    EXPECT_EQ(kThree, ReadBytes("other.ini"));
    EXPECT_NE(kThree, ReadBytes("history.ini"));
}

TEST(Faults, ADeletedFileReloadsAsAnEmptyList)
{
    MainWindowFixture f(kThree);
    DeleteFileA("history.ini");
    f.Command(ID_HISTORY_RELOAD);
    EXPECT_TRUE(f.Rows().empty());
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA("history.ini"));
}

DWORD WINAPI RenameBackLater(void*)
{
    Sleep(300);
    return MoveFileA("history.bak", "history.ini");
}

// A program saving by write and rename has history.ini away for an instant: a delete waits for
// it to come back. Away for good, a message says the file is not there, no file is made in its
// place, and the list, following the file, empties.
TEST(Faults, ADeleteWhileTheFileIsRenamedAwayWaitsForItOrSaysItIsGone)
{
    MainWindowFixture f(kThree);
    ASSERT_TRUE(MoveFileA("history.ini", "history.bak"));
    const HANDLE back = CreateThread(nullptr, 0, RenameBackLater, nullptr, 0, nullptr);
    f.SelectRows({0});
    {
        MessageBoxAnswerer answerer;
        f.Command(ID_KEYWORD_DELETE);
        EXPECT_TRUE(answerer.Boxes().empty());
    }
    WaitForSingleObject(back, INFINITE);
    CloseHandle(back);
    EXPECT_EQ("[Keywords]\r\nStartPos=0\r\nEndPos=3\r\n0=alpha\r\n1=beta\r\n2=\r\n", ReadBytes("history.ini"));

    ASSERT_TRUE(MoveFileA("history.ini", "history.bak"));
    f.SelectRows({0});
    MessageBoxAnswerer answerer;
    f.Command(ID_KEYWORD_DELETE);
    const std::vector<MessageBoxAnswerer::Box> boxes = answerer.Boxes();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(ShiftJis(L"1 件のキーワードを削除できませんでした。") + "\n\n" + SystemText(ERROR_FILE_NOT_FOUND), boxes[0].text);
    EXPECT_TRUE(f.PumpUntil([&f] { return f.Rows().empty(); }));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA("history.ini"));
    EXPECT_EQ(1, FilesInCurrentFolder());
}

// A file that cannot be read whole is never shown as a part, nor as an empty history: the
// list keeps what it showed, and a message says why.
TEST(Faults, AFileThatCannotBeReadWholeLeavesTheListAsItWas)
{
    MainWindowFixture f(kThree);
    f.Type("a");
    const HANDLE held = CreateFileA("history.ini", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    {
        MessageBoxAnswerer answerer;
        f.Command(ID_HISTORY_RELOAD);
        const std::vector<MessageBoxAnswerer::Box> boxes = answerer.Boxes();
        ASSERT_EQ(1u, boxes.size());
        EXPECT_EQ(ShiftJis(L"history.ini を読み込めませんでした。") + "\n\n" + SystemText(ERROR_SHARING_VIOLATION),
                  boxes[0].text);
    }
    CloseHandle(held);
    EXPECT_EQ((std::vector<std::string>{"2:gamma", "1:beta", "0:alpha"}), f.Rows());
    // Larger than any history: refused with a message, without reading it.
    const HANDLE large = CreateFileA("history.ini", GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    LARGE_INTEGER size{};
    size.QuadPart = (64 << 20) + 1;
    ASSERT_TRUE(SetFilePointerEx(large, size, nullptr, FILE_BEGIN) && SetEndOfFile(large));
    CloseHandle(large);
    MessageBoxAnswerer answerer;
    f.Command(ID_HISTORY_RELOAD);
    const std::vector<MessageBoxAnswerer::Box> boxes = answerer.Boxes();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(ShiftJis(L"history.ini を読み込めませんでした。\n\nhistory.ini が大きすぎます。読み込めるのは 64 MB までの"
                       L"ファイルです。"),
              boxes[0].text);
    EXPECT_EQ((std::vector<std::string>{"2:gamma", "1:beta", "0:alpha"}), f.Rows());
}

// The search application moves its range past a deleted keyword and back: an undo gives the
// keyword back all the same, counts it, and its row comes with the next reading of the file.
TEST(Faults, TheSearchApplicationMovingTheRangeBetweenTwoReloads)
{
    MainWindowFixture f(kThree);
    f.SelectRows({2});
    f.Command(ID_KEYWORD_DELETE);
    // It forgets its oldest keywords and records two new ones.
    WriteBytes("history.ini", "[Keywords]\r\nStartPos=1\r\nEndPos=5\r\n0=alpha\r\n1=beta\r\n2=gamma\r\n3=delta\r\n"
                              "4=epsilon\r\n");
    f.Command(ID_HISTORY_RELOAD);
    EXPECT_EQ((std::vector<std::string>{"4:epsilon", "3:delta", "2:gamma", "1:beta"}), f.Rows());
    f.SelectRows({0});
    f.Command(ID_KEYWORD_DELETE);
    EXPECT_EQ("[Keywords]\r\nStartPos=1\r\nEndPos=5\r\n0=alpha\r\n1=beta\r\n2=gamma\r\n3=delta\r\n4=\r\n",
              ReadBytes("history.ini"));
    f.Command(ID_EDIT_UNDO);
    WriteBytes("history.ini", "[Keywords]\r\nStartPos=0\r\nEndPos=5\r\n0=\r\n1=beta\r\n2=gamma\r\n3=delta\r\n4=epsilon\r\n");
    f.Command(ID_EDIT_UNDO);
    EXPECT_EQ(ShiftJis(L"1 件のキーワードを元に戻しました。そのうち 1 件はまだ一覧にないため、history.ini を読み直して表示します。"),
              f.StatusText());
    EXPECT_TRUE(f.PumpUntil([&f] { return f.Rows().size() == 5; })) << f.Rows().size();
    EXPECT_EQ("[Keywords]\r\nStartPos=0\r\nEndPos=5\r\n0=alpha\r\n1=beta\r\n2=gamma\r\n3=delta\r\n4=epsilon\r\n",
              ReadBytes("history.ini"));
}

} // namespace
