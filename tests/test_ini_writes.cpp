#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "history/ini_profile_store.h"
#include "history/keyword_history.h"
#include "temp_folder.h"
#include "test_texts.h"

namespace {

struct WriteCase {
    const char* name;
    std::string before;
    const char* key;
    std::string after;
};

// Deleting a keyword changes exactly the bytes of the value that the system's reader reads
// for that key, however the file is laid out.
TEST(IniWrites, OnlyTheValueTheReaderSeesIsRemoved)
{
    using namespace std::string_literals;
    const WriteCase cases[] = {
        {"spacing kept", "[Keywords]\r\n 1 = spaced value \r\n", "1", "[Keywords]\r\n 1 =  \r\n"},
        {"quotes go with the value", "[Keywords]\r\n1=\"q\"\r\n2='r'\r\n", "1", "[Keywords]\r\n1=\r\n2='r'\r\n"},
        {"carriage returns only", "[Keywords]\r1=a\r2=b\r", "2", "[Keywords]\r1=a\r2=\r"},
        {"line feeds only, no final break", "[Keywords]\n1=a\n2=b", "2", "[Keywords]\n1=a\n2="},
        {"a lone lead byte ends before the line feed", "[Keywords]\n1=a\x81\n2=b\n3=c\n", "1", "[Keywords]\n1=\n2=b\n3=c\n"},
        {"trail byte 0x5C at the end", "[Keywords]\r\n1=\x83\x5C\r\n2=\x94\x5C\r\n", "1", "[Keywords]\r\n1=\r\n2=\x94\x5C\r\n"},
        {"first of duplicate keys", "[Keywords]\r\n1=a\r\n1=b\r\n", "1", "[Keywords]\r\n1=\r\n1=b\r\n"},
        {"comment lines are not keys", "[Keywords]\r\n;1=x\r\n1=a\r\n", "1", "[Keywords]\r\n;1=x\r\n1=\r\n"},
        {"key without equals reads empty already", "[Keywords]\r\n1\r\n1=a\r\n", "1", "[Keywords]\r\n1\r\n1=a\r\n"},
        {"only the first section of the name", "[Keywords]\r\n2=a\r\n[keywords]\r\n2=b\r\n", "2",
         "[Keywords]\r\n2=\r\n[keywords]\r\n2=b\r\n"},
        {"a missing key reads empty already", "[Keywords]\r\n1=a\r\n[keywords]\r\n2=b\r\n", "2",
         "[Keywords]\r\n1=a\r\n[keywords]\r\n2=b\r\n"},
        {"name runs to the last bracket", "[Keywords]x]\r\n1=a\r\n  [ KEYWORDS ]  \r\n1=b\r\n", "1",
         "[Keywords]x]\r\n1=a\r\n  [ KEYWORDS ]  \r\n1=\r\n"},
        {"a NUL ends the key name", "[Keywords]\r\n1\0=a\r\n"s, "1", "[Keywords]\r\n1\0=\r\n"s},
        {"other sections and odd bytes untouched", "[A]\r\nx = 1\r\n\xfd\xa0\xff\r\n[Keywords]\r\n5=e\r\n[B]\r\n5=f\r\n",
         "5", "[A]\r\nx = 1\r\n\xfd\xa0\xff\r\n[Keywords]\r\n5=\r\n[B]\r\n5=f\r\n"},
        {"UTF-8 with a byte-order mark", "\xEF\xBB\xBF[Keywords]\r\n1=\xE8\xA1\xA8\r\n", "1",
         "\xEF\xBB\xBF[Keywords]\r\n1=\r\n"},
        {"end-of-file bytes are blanks", "[Keywords]\r\n\x1A" "4 \x1A=\x1A" "abc\x1A\r\n", "4",
         "[Keywords]\r\n\x1A" "4 \x1A=\x1A\x1A\r\n"},
    };
    TempFolder folder;
    IniProfileStore store(".\\history.ini");
    for (const WriteCase& c : cases) {
        WriteBytes("history.ini", c.before);
        EXPECT_NE(0, store.WriteString("Keywords", c.key, "")) << c.name;
        EXPECT_EQ(c.after, ReadBytes("history.ini")) << c.name;
    }
    // UTF-16 is listed but never written: the check of the new content refuses it.
    const std::string utf16 = Utf16("[Keywords]\r\n1=abc\r\n");
    WriteBytes("history.ini", utf16);
    EXPECT_EQ(0, store.WriteString("Keywords", "1", ""));
    EXPECT_EQ(utf16, ReadBytes("history.ini"));
}

// Whatever bytes a value holds, a delete blanks only them, on their own line, and its undo
// gives them back byte for byte; the lines after it and the sections after them stay.
TEST(IniWrites, EveryDeletedValueComesBackByteForByte)
{
    using namespace std::string_literals;
    struct UndoCase {
        const char* name;
        std::string before;
        int32_t number;
        std::string deleted;
    };
    const std::string head = "[Keywords]\nStartPos=3\nEndPos=9\n3=alpha\n";
    const std::string crlfHead = "[Keywords]\r\nStartPos=3\r\nEndPos=9\r\n";
    const UndoCase cases[] = {
        {"a lone lead byte before LF", head + "7=abc\x82\n8=eight\n[Settings]\nsecret=keep-me\n", 7,
         head + "7=\n8=eight\n[Settings]\nsecret=keep-me\n"},
        {"a lone lead byte before CRLF", crlfHead + "7=abc\x82\r\n8=eight\r\n", 7, crlfHead + "7=\r\n8=eight\r\n"},
        {"a NUL inside", crlfHead + "5=ab\0cd\r\n6=six\r\n"s, 5, crlfHead + "5=\r\n6=six\r\n"},
        {"UTF-8 with a byte-order mark", "\xEF\xBB\xBF" + crlfHead + "4=\xE6\x9D\xB1\xE4\xBA\xAC \xE5\xA4\xA9\xE6\xB0\x97\r\n", 4,
         "\xEF\xBB\xBF" + crlfHead + "4=\r\n"},
    };
    // Every keyword of a history with blank ones among them, deleted and given back in one step:
    // a blank line is never taken for one a value hid.
    std::string many = "[Keywords]\r\nStartPos=0\r\nEndPos=100\r\n";
    std::vector<int32_t> all;
    for (int32_t n = 0; n < 100; ++n) {
        many += std::to_string(n) + "=" + (n % 17 == 5 ? "" : "Wine bar " + std::to_string(n * 7919 % 100003)) + "\r\n";
        if (n % 17 != 5)
            all.push_back(n);
    }
    TempFolder folder;
    WriteBytes("history.ini", many);
    KeywordHistory whole(".\\history.ini");
    ASSERT_EQ(1, whole.Load());
    HistoryOutcome every = whole.DeleteKeywords(all, Deadline());
    ASSERT_TRUE(every.AllWritten());
    EXPECT_EQ(all.size(), whole.RestoreKeywords(every.blanked, Deadline()).changed.size());
    EXPECT_EQ(many, ReadBytes("history.ini"));
    for (const UndoCase& c : cases) {
        WriteBytes("history.ini", c.before);
        KeywordHistory history(".\\history.ini");
        ASSERT_EQ(1, history.Load()) << c.name;
        HistoryOutcome deleted = history.DeleteKeywords({c.number}, Deadline());
        EXPECT_TRUE(deleted.AllWritten()) << c.name;
        EXPECT_EQ(c.deleted, ReadBytes("history.ini")) << c.name;
        EXPECT_EQ(1u, history.RestoreKeywords(deleted.blanked, Deadline()).changed.size()) << c.name;
        EXPECT_EQ(c.before, ReadBytes("history.ini")) << c.name;
    }
}

} // namespace
