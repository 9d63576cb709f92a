#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>

#include "history/ini_profile_store.h"
#include "history/keyword_history.h"
#include "history/keyword_matching.h"
#include "host_command.h"
#include "temp_folder.h"
#include "test_texts.h"
#include "time_scale.h"

namespace {

const char kPath[] = ".\\history.ini";

TEST(Environment, RunsUnderTheJapaneseCodePage) { EXPECT_EQ(932u, GetACP()); }

std::string Numbers(const KeywordHistory& history)
{
    std::string numbers;
    for (const KeywordEntry& entry : history.ConstEntries())
        numbers += std::to_string(entry.Number()) + ":" + entry.Text() + " ";
    return numbers;
}

// Another program writes the file, and the history is loaded from scratch.
void Reload(KeywordHistory& history, const std::string& file)
{
    WriteBytes("history.ini", file);
    history.Clear();
    history.Load();
}

TEST(KeywordHistory, LoadsTheRangeFromStartPosUpToEndPos)
{
    TempFolder folder;
    WriteBytes("history.ini",
               "[Keywords]\r\nStartPos=3\r\nEndPos=6\r\n0=zero\r\n2=two\r\n3=three\r\n5=five\r\n6=six\r\n");
    KeywordHistory history(kPath);
    EXPECT_EQ(1, history.Load());
    // Keys below StartPos and from EndPos on are ignored; an absent key reads empty.
    EXPECT_EQ("3:three 4: 5:five ", Numbers(history));
}

// A load and a reload create no file anywhere, not even for an instant, and change none: the
// folder, watched by the system while they read, sees nothing happen.
TEST(KeywordHistory, ReadingLeavesTheFolderAsItWas)
{
    TempFolder folder;
    for (bool present : {true, false}) {
        if (present)
            WriteBytes("history.ini", NumberedHistory(1000));
        const HANDLE watch = FindFirstChangeNotificationA(
            ".", FALSE, FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE);
        ASSERT_NE(INVALID_HANDLE_VALUE, watch);
        KeywordHistory history(kPath);
        EXPECT_EQ(1, history.Load());
        EXPECT_EQ(1, history.Reload(Deadline()));
        EXPECT_EQ(present ? 1000u : 0u, history.ConstEntries().size());
        EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(watch, Scaled(200))) << present;
        // The watch does see a file made.
        WriteBytes("made", "");
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(watch, Scaled(5000)));
        FindCloseChangeNotification(watch);
        DeleteFileA("made");
        DeleteFileA("history.ini");
    }
}

TEST(KeywordHistory, EmptyRangesAndMissingFilesGiveNoKeywords)
{
    TempFolder folder;
    for (const char* file : {"[Keywords]\r\nStartPos=5\r\nEndPos=5\r\n5=x\r\n", "[Keywords]\r\nStartPos=5\r\n5=x\r\n",
                             "[Keywords]\r\nStartPos=7\r\nEndPos=2\r\n", "[Other]\r\nStartPos=0\r\nEndPos=3\r\n", ""}) {
        WriteBytes("history.ini", file);
        KeywordHistory history(kPath);
        EXPECT_EQ(1, history.Load());
        EXPECT_TRUE(history.ConstEntries().empty()) << file;
    }
    DeleteFileA("history.ini");
    KeywordHistory missing(kPath);
    EXPECT_EQ(1, missing.Load());
    EXPECT_TRUE(missing.ConstEntries().empty());
}

TEST(KeywordHistory, ReadsAtMost259BytesOfAValue)
{
    TempFolder folder;
    WriteBytes("history.ini", "[Keywords]\r\nStartPos=0\r\nEndPos=1\r\n0=" + std::string(300, 'k') + "\r\n");
    KeywordHistory history(kPath);
    history.Load();
    ASSERT_EQ(1u, history.ConstEntries().size());
    EXPECT_EQ(std::string(259, 'k'), history.ConstEntries()[0].Text());
}

TEST(KeywordHistory, DeletingWritesOnlyTheEmptyValue)
{
    TempFolder folder;
    const std::string before = "; written by Quelvane\r\n[Keywords]\r\nStartPos=10\r\nEndPos=13\r\n"
                               "10=alpha\r\n11 = \"\x95\\\x8e\xa6\" \r\n12=gamma\r\n\r\n[Other]\r\nx = 1\r\n";
    WriteBytes("history.ini", before);
    {
        KeywordHistory history(kPath);
        history.Load();
        EXPECT_EQ(1, history.SetKeyword(11, ""));
        EXPECT_EQ("10:alpha 11: 12:gamma ", Numbers(history));
        EXPECT_EQ(&history.ConstEntries()[1], &history.Entries()[1]);
    }
    // Spacing, blank lines, the comment and the other section stay byte for byte.
    EXPECT_EQ("; written by Quelvane\r\n[Keywords]\r\nStartPos=10\r\nEndPos=13\r\n"
              "10=alpha\r\n11 =  \r\n12=gamma\r\n\r\n[Other]\r\nx = 1\r\n",
              ReadBytes("history.ini"));
}

TEST(KeywordHistory, LoadAppendsUntilCleared)
{
    TempFolder folder;
    WriteBytes("history.ini", "[Keywords]\r\nStartPos=0\r\nEndPos=2\r\n0=a\r\n1=b\r\n");
    KeywordHistory history(kPath);
    history.Load();
    history.Load();
    EXPECT_EQ("0:a 1:b 0:a 1:b ", Numbers(history));
    history.Clear();
    history.Load();
    EXPECT_EQ("0:a 1:b ", Numbers(history));
}

TEST(KeywordHistory, UnknownNumberWritesFirstThenThrows)
{
    TempFolder folder;
    WriteBytes("history.ini", "[Keywords]\r\nStartPos=0\r\nEndPos=1\r\n0=a\r\n4=b\r\n");
    KeywordHistory history(kPath);
    try {
        history.SetKeyword(4, "");
        FAIL() << "no exception";
    } catch (const std::out_of_range& error) {
        EXPECT_STREQ("invalid vector<T> subscript", error.what());
    }
    EXPECT_EQ("[Keywords]\r\nStartPos=0\r\nEndPos=1\r\n0=a\r\n4=\r\n", ReadBytes("history.ini"));
}

TEST(KeywordHistory, ReadOnlyFileIsLeftAloneAndSoIsTheEntry)
{
    TempFolder folder;
    const std::string before = "[Keywords]\r\nStartPos=0\r\nEndPos=2\r\n0=a\r\n1=b\r\n";
    WriteBytes("history.ini", before);
    SetFileAttributesA("history.ini", FILE_ATTRIBUTE_READONLY);
    KeywordHistory history(kPath);
    history.Load();
    EXPECT_EQ(0, history.SetKeyword(1, ""));
    EXPECT_EQ("0:a 1:b ", Numbers(history));
    EXPECT_EQ(before, ReadBytes("history.ini"));
    IniProfileStore store(kPath);
    EXPECT_EQ(0, store.WriteString("Keywords", "0", ""));
}

TEST(KeywordHistory, CorruptedEndPosFarBeyondTheKeysStaysBounded)
{
    TempFolder folder;
    WriteBytes("history.ini", "[Keywords]\r\nStartPos=0\r\nEndPos=9999999\r\n0=a\r\n1=b\r\n9999998=z\r\n");
    KeywordHistory history(kPath);
    history.Load();
    const KeywordList& entries = history.ConstEntries();
    ASSERT_EQ(9999999u, entries.size());
    EXPECT_STREQ("b", entries[1].Text());
    EXPECT_STREQ("", entries[5000000].Text());
    EXPECT_STREQ("z", entries.back().Text());
}

TEST(KeywordHistory, NumbersWithKeysLongerThanSevenCharactersAreNotKeywords)
{
    TempFolder folder;
    WriteBytes("history.ini", "[Keywords]\r\nStartPos=-1000001\r\nEndPos=-999998\r\n-999999=a\r\n-1000000=b\r\n");
    KeywordHistory history(kPath);
    history.Load();
    EXPECT_EQ("-999999:a ", Numbers(history));
    Reload(history, "[Keywords]\r\nStartPos=9999998\r\nEndPos=2147483647\r\n9999998=x\r\n9999999=y\r\n");
    EXPECT_EQ("9999998:x 9999999:y ", Numbers(history));
}

TEST(KeywordHistory, DeletingSeveralKeywordsWritesThemAllAtOnce)
{
    TempFolder folder;
    const std::string before = "[Keywords]\r\nStartPos=0\r\nEndPos=4\r\n0=a\r\n1 = b\r\n2=c\r\n3=d\r\n[Next]\r\n1=x\r\n";
    WriteBytes("history.ini", before);
    KeywordHistory history(kPath);
    history.Load();
    // An unknown number is refused before anything is written.
    EXPECT_THROW(history.DeleteKeywords({3, 7}, Deadline()), std::out_of_range);
    EXPECT_EQ(before, ReadBytes("history.ini"));
    EXPECT_TRUE(history.DeleteKeywords({3, 1}, Deadline()).AllWritten());
    EXPECT_EQ("0:a 1: 2:c 3: ", Numbers(history));
    EXPECT_EQ("[Keywords]\r\nStartPos=0\r\nEndPos=4\r\n0=a\r\n1 = \r\n2=c\r\n3=\r\n[Next]\r\n1=x\r\n",
              ReadBytes("history.ini"));
}

// What the system's reader made of the file is used again only while the file holds the same
// bytes: another program's change of a value, even one that keeps the file's length, is seen
// by the next delete and the next load.
TEST(KeywordHistory, AChangeByAnotherProgramIsSeenAfterALoadAndAfterADelete)
{
    TempFolder folder;
    WriteBytes("history.ini", "[Keywords]\r\nStartPos=0\r\nEndPos=3\r\n0=a\r\n1=b\r\n2=c\r\n");
    KeywordHistory history(kPath);
    history.Load();
    EXPECT_EQ(1, history.SetKeyword(0, ""));
    const std::string changed = "[Keywords]\r\nStartPos=0\r\nEndPos=3\r\n0=\r\n1=x\r\n2=c\r\n";
    WriteBytes("history.ini", changed);
    EXPECT_EQ(0, history.SetKeyword(1, ""));
    EXPECT_EQ(changed, ReadBytes("history.ini"));
    history.Clear();
    history.Load();
    EXPECT_EQ("0: 1:x 2:c ", Numbers(history));
    Reload(history, "[Keywords]\r\nStartPos=0\r\nEndPos=3\r\n0=\r\n1=y\r\n2=c\r\n");
    EXPECT_EQ("0: 1:y 2:c ", Numbers(history));
}

// A key another program emptied after the list was read is deleted all the same, and the
// undo gives back the text the list showed.
TEST(KeywordHistory, AKeyEmptiedElsewhereBeforeItsDeleteComesBackWithTheUndo)
{
    TempFolder folder;
    const std::string file = "[Keywords]\r\nStartPos=0\r\nEndPos=2\r\n0=a\r\n1=b\r\n";
    WriteBytes("history.ini", file);
    KeywordHistory history(kPath);
    history.Load();
    WriteBytes("history.ini", "[Keywords]\r\nStartPos=0\r\nEndPos=2\r\n0=a\r\n1=\r\n");
    HistoryOutcome deleted = history.DeleteKeywords({1}, Deadline());
    ASSERT_EQ(1u, deleted.blanked.size());
    EXPECT_EQ(1u, history.RestoreKeywords(deleted.blanked, Deadline()).changed.size());
    EXPECT_EQ(file, ReadBytes("history.ini"));
}

// An undo of a delete still being looked at, after an older copy of the file undid the delete:
// the look after the undo keeps the keyword given back, and does not blank it again.
TEST(KeywordHistory, AnUndoTakesThePlaceOfTheLookAfterItsDelete)
{
    TempFolder folder;
    const std::string file = "[Keywords]\r\nStartPos=0\r\nEndPos=2\r\n0=a\r\n1=b\r\n";
    // The look before the undo writes the delete again; without it, the undo finds the older
    // copy holding the keyword and writes nothing, and the look must not blank it.
    for (const bool lookFirst : {true, false}) {
        WriteBytes("history.ini", file);
        KeywordHistory history(kPath);
        history.Load();
        UndoStep blanked = history.DeleteKeywords({0}, Deadline()).blanked;
        WriteBytes("history.ini", file); // the older copy
        if (lookFirst) {
            history.LookAgain(Deadline());
            ASSERT_TRUE(history.LookDue()) << "the delete written again, to be looked at once more";
        }
        EXPECT_EQ(1u, history.RestoreKeywords(blanked, Deadline()).changed.size()) << lookFirst;
        EXPECT_TRUE(history.LookAgain(Deadline()).changed.empty()) << lookFirst;
        EXPECT_EQ(file, ReadBytes("history.ini")) << lookFirst;
        EXPECT_EQ("0:a 1:b ", Numbers(history)) << lookFirst;
    }
}

// The ranks a sort by keyword compares stay in the order of the texts whatever changes them:
// a delete, another text, a reload of a changed file.
TEST(KeywordHistory, TextRanksFollowTheTexts)
{
    TempFolder folder;
    WriteBytes("history.ini", "[Keywords]\r\nStartPos=0\r\nEndPos=6\r\n0=beta\r\n1=\x82\xA0\r\n2=alpha\r\n3=\r\n"
                              "4=beta\r\n5=\xB1\r\n");
    KeywordHistory history(kPath);
    history.Load();
    auto expectRanksInTextOrder = [&history](const char* after) {
        history.RankTexts();
        for (const KeywordEntry& a : history.ConstEntries())
            for (const KeywordEntry& b : history.ConstEntries())
                EXPECT_EQ(CompareText(a.Text(), b.Text()) < 0, a.TextRank() < b.TextRank())
                    << after << ": '" << a.Text() << "' (" << a.TextRank() << ") / '" << b.Text() << "' ("
                    << b.TextRank() << ")";
    };
    expectRanksInTextOrder("loaded");
    EXPECT_EQ(1, history.SetKeyword(2, ""));
    expectRanksInTextOrder("deleted");
    history.Entries()[0].SetText("zeta");
    expectRanksInTextOrder("changed");
    Reload(history, "[Keywords]\r\nStartPos=0\r\nEndPos=3\r\n0=omega\r\n1=alpha\r\n2=beta\r\n");
    expectRanksInTextOrder("reloaded");
}

// The store changes values of keys that are there and adds nothing: no file, no section, no
// key. A missing key reads empty, so writing the empty text to it has nothing to do.
TEST(IniProfileStore, WritesIntegersButNeverAddsWhatIsMissing)
{
    TempFolder folder;
    IniProfileStore store(kPath);
    EXPECT_EQ(0, store.WriteInt("Keywords", "EndPos", -12));
    EXPECT_EQ(0, FilesInCurrentFolder());
    WriteBytes("history.ini", "[Keywords]\nEndPos=7\n0=a\n\n[Tail]\ny=2");
    EXPECT_NE(0, store.WriteInt("keywords", "EndPos", -12));
    EXPECT_NE(0, store.WriteString("Keywords", "1", ""));
    EXPECT_EQ(0, store.WriteString("New", "k", "v"));
    EXPECT_EQ("[Keywords]\nEndPos=-12\n0=a\n\n[Tail]\ny=2", ReadBytes("history.ini"));
    int32_t value = 5;
    EXPECT_EQ(-12, store.UpdateInt("Keywords", "EndPos", &value));
    EXPECT_EQ(-12, value);
    char buffer[8] = "zz";
    EXPECT_EQ(2u, store.UpdateString("Keywords", "9", buffer, sizeof buffer));
    EXPECT_STREQ("zz", buffer);
    EXPECT_EQ(1, FilesInCurrentFolder());
}

TEST(IniProfileStore, ReplacingKeepsTheFileAttributes)
{
    TempFolder folder;
    WriteBytes("history.ini", "[Keywords]\r\n0=a\r\n");
    SetFileAttributesA("history.ini", FILE_ATTRIBUTE_HIDDEN);
    IniProfileStore store(kPath);
    EXPECT_NE(0, store.WriteString("Keywords", "0", ""));
    EXPECT_EQ("[Keywords]\r\n0=\r\n", ReadBytes("history.ini"));
    EXPECT_TRUE(GetFileAttributesA("history.ini") & FILE_ATTRIBUTE_HIDDEN);
    // Only history.ini is left in the folder: no temporary file stays behind.
    EXPECT_EQ(1, FilesInCurrentFolder());
}

TEST(IniProfileStore, AWriteThroughALinkChangesTheLinkedFileAndKeepsTheLink)
{
    TempFolder folder;
    CreateDirectoryA("real", nullptr);
    WriteBytes("real\\target.ini", "[Keywords]\r\nStartPos=0\r\nEndPos=2\r\n0=a\r\n1=b\r\n");
    if (!MakeLink("real/target.ini", "history.ini"))
        GTEST_SKIP() << "no symbolic links here";
    KeywordHistory history(kPath);
    history.Load();
    history.SetKeyword(1, "");
    EXPECT_EQ("[Keywords]\r\nStartPos=0\r\nEndPos=2\r\n0=a\r\n1=\r\n", ReadBytes("real\\target.ini"));
    // Still a link: what is written to the target shows through it.
    WriteBytes("real\\target.ini", "changed");
    EXPECT_EQ("changed", ReadBytes("history.ini"));
}

// One write of the file gives up after two seconds in all, however many of its steps wait for
// a file another program holds, and at once for what waiting cannot cure: a folder in the
// file's place, a read-only file. The clock here only moves when the writer waits.
TEST(IniProfileStore, AWriteWaitsTwoSecondsInAllForAHeldFileAndNotAtAllOtherwise)
{
    TempFolder folder;
    const std::string before = "[Keywords]\r\n0=a\r\n";
    struct Case {
        const char* name;
        std::function<std::function<void()>()> cause; // returns what undoes it
        uint32_t waitedMs;
    } cases[] = {
        {"a folder in its place",
         [] {
             CreateDirectoryA("history.ini", nullptr);
             return [] { RemoveDirectoryA("history.ini"); };
         },
         0},
        {"read-only",
         [&before] {
             WriteBytes("history.ini", before);
             SetFileAttributesA("history.ini", FILE_ATTRIBUTE_READONLY);
             return [] { SetFileAttributesA("history.ini", FILE_ATTRIBUTE_NORMAL); };
         },
         0},
        {"held without sharing",
         [&before] {
             WriteBytes("history.ini", before);
             const HANDLE held = CreateFileA("history.ini", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
             return [held] { CloseHandle(held); };
         },
         Deadline::kTotalMs},
        {"held without sharing its deletion, as a reader may",
         [&before] {
             WriteBytes("history.ini", before);
             const HANDLE held = CreateFileA("history.ini", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                             OPEN_EXISTING, 0, nullptr);
             return [held] { CloseHandle(held); };
         },
         Deadline::kTotalMs},
    };
    for (const Case& c : cases) {
        const std::function<void()> undo = c.cause();
        uint32_t now = 0;
        const Deadline deadline(Waiting{[&now](uint32_t ms) { now += ms; }, [&now] { return now; }});
        IniProfileStore store(kPath);
        std::vector<IniValue> values{IniValue::Replacing("0", "", "a")};
        store.WriteStrings("Keywords", values, deadline);
        EXPECT_EQ(WriteResult::NotWritten, values[0].result) << c.name;
        EXPECT_EQ(c.waitedMs, now) << c.name;
        undo();
        if (GetFileAttributesA("history.ini") != INVALID_FILE_ATTRIBUTES) {
            EXPECT_EQ(before, ReadBytes("history.ini")) << c.name;
        }
        EXPECT_LE(FilesInCurrentFolder(), 1) << c.name;
    }
}

} // namespace
