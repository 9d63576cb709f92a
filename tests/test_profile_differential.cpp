// Loading a history with one read of the whole section must give exactly what reading every
// key on its own gives, and deleting a keyword must change nothing else the reader sees.
// Both are checked against the system's own single-key reads over many generated files,
// most of them malformed in some way.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "history/keyword_history.h"
#include "history/keyword_entry.h"
#include "temp_folder.h"
#include "time_scale.h"
#include "test_texts.h"

namespace {

const char kPath[] = ".\\history.ini";

using Keywords = std::vector<std::pair<int32_t, std::string>>;

// What a key-by-key reading of the file gives.
Keywords ReadKeyByKey()
{
    const int32_t start = static_cast<int32_t>(GetPrivateProfileIntA("Keywords", "StartPos", 0, kPath));
    const int32_t end = static_cast<int32_t>(GetPrivateProfileIntA("Keywords", "EndPos", 0, kPath));
    Keywords keywords;
    for (int64_t n = std::max(start, kLowestKeywordNumber); n < end && n <= kHighestKeywordNumber; ++n) {
        char buffer[260] = {}; // see IniProfileStore::ReadString on a character cut at the end
        GetPrivateProfileStringA("Keywords", KeywordKey(static_cast<int32_t>(n)).text, "", buffer, sizeof buffer, kPath);
        keywords.emplace_back(static_cast<int32_t>(n), buffer);
    }
    return keywords;
}

Keywords Loaded(const KeywordHistory& history)
{
    Keywords keywords;
    for (const KeywordEntry& entry : history.ConstEntries())
        keywords.emplace_back(entry.Number(), entry.Text());
    return keywords;
}

class HistoryFileMaker {
public:
    explicit HistoryFileMaker(unsigned seed) : random_(seed) {}

    std::string Make()
    {
        lineBreak_ = Pick({"\r\n", "\r\n", "\r\n", "\n", "\r", ""});
        std::string file;
        if (Chance(20))
            file += Line("; Quelvane search history");
        if (Chance(25))
            file += Line("[Other]") + Line("0=elsewhere") + Line("x = 1") + Line("");
        file += Line(Pick({"[Keywords]", "[Keywords]", "[keywords]", "  [ Keywords ]", "[KEYWORDS]"}));
        const int start = Between(-15, 30);
        const int end = Chance(10) ? Between(-20, start) : start + Between(0, 35);
        file += Position("StartPos", start) + Position("EndPos", end);
        std::vector<std::string> lines;
        for (int n = start - 3; n < end + 3; ++n)
            lines.push_back(KeywordLine(n));
        if (Chance(15))
            std::shuffle(lines.begin(), lines.end(), random_);
        for (const std::string& line : lines)
            file += line;
        if (Chance(15))
            file += Line("[Keywords]") + Line(std::to_string(start) + "=second section");
        if (Chance(20))
            file += Line("[Tail]") + Line("y=2");
        if (Chance(8))
            return "\xEF\xBB\xBF" + file;
        if (Chance(6))
            return Utf16(file);
        return file;
    }

private:
    bool Chance(int percent) { return Between(0, 99) < percent; }
    int Between(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
    std::string Pick(std::initializer_list<const char*> choices)
    {
        return *(choices.begin() + Between(0, static_cast<int>(choices.size()) - 1));
    }
    std::string Line(const std::string& text)
    {
        const std::string& end = lineBreak_.empty() ? Pick({"\r\n", "\n", "\r"}) : lineBreak_;
        return text + end;
    }

    std::string Position(const char* key, int value)
    {
        switch (Between(0, 9)) {
        case 0: return "";
        case 1: return Line(std::string(key) + "=none");
        case 2: return Line(std::string(" ") + key + " = " + std::to_string(value) + " ");
        default: return Line(std::string(key) + "=" + std::to_string(value));
        }
    }

    std::string KeywordLine(int n)
    {
        const std::string key = std::to_string(n);
        switch (Between(0, 19)) {
        case 0: return "";
        case 1: return Line(" " + key + " = " + Value() + " ");
        case 2: return Line(key);
        case 3: return Line("0" + key + "=" + Value());
        case 4: return Line(";" + key + "=" + Value());
        case 5: return Line(key + "=" + Value()) + Line(key + "=" + Value());
        case 6: return Line("\t" + key + "\t=\t" + Value());
        default: return Line(key + "=" + Value());
        }
    }

    std::string Value()
    {
        switch (Between(0, 17)) {
        case 0: return "";
        case 1: return "\"" + Word() + "\"";
        case 2: return "'" + Word() + "'";
        case 3: return "\"" + Word();
        case 4: return Word() + "\x81";
        case 5: return RandomBytes(Between(1, 12), true);
        case 6: return Long();
        case 7: return Word() + std::string(1, '\0') + Word();
        case 14: case 15: case 16: case 17: return NearLimit();
        default: return Word();
        }
    }

    std::string Word()
    {
        static const char* const parts[] = {"search", "Query", "WINE", "\x95\x5C\x8E\xA6", "\x83\x5C\x83\x74\x83\x67",
                                            "\x94\x5C\x97\xCD", "\x82\x60", "\x82\xA0\x82\xA2", "\xB1\xB2\xB3", " ",
                                            "a=b", "[x]", "\x81\x40"};
        std::string word;
        for (int i = Between(1, 4); i > 0; --i)
            word += parts[Between(0, 12)];
        return word;
    }

    std::string RandomBytes(int count, bool withLineEnds)
    {
        std::string bytes;
        for (int i = 0; i < count; ++i) {
            char value = static_cast<char>(Between(1, 255));
            if (!withLineEnds && (value == '\r' || value == '\n'))
                value = 'x';
            bytes += value;
        }
        return bytes;
    }

    // Long enough to reach the read limit, often with a double-byte character across it.
    std::string Long()
    {
        std::string text(static_cast<size_t>(Between(250, 262)), 'L');
        for (int i = 0; i < 20; ++i)
            text += "\x82\xA0";
        return text;
    }

    // A value whose end lies at or around the 259 bytes and 259 characters a keyword read keeps:
    // the cut falls on single bytes, on double-byte characters and across one, inside quotes
    // and next to a closing quote, and on bytes that are no character of their own.
    std::string NearLimit()
    {
        const int form = Between(0, 8);
        const int quotes = form == 1 || form == 2 || form == 4 || form == 6 ? 2 : form == 3 || form == 7 ? 1 : 0;
        const int size = Between(255, 265) - quotes;
        const int oddPercent = Chance(25) ? Between(1, 20) : 0;
        std::string body;
        switch (Between(0, 4)) {
        case 0: body = Characters(size, 0, oddPercent); break;
        case 1: body = Characters(size, 100, 0); break;
        case 2: body = Characters(size, Between(3, 60), oddPercent); break;
        case 3: body = CharactersOfBytes(size, Between(3, 60), oddPercent); break;
        default: // a double-byte character on the bytes just before, across and after the limit
            body = CharactersOfBytes(Between(255, 260) - (quotes ? 1 : 0), Between(0, 10), oddPercent) +
                   Character(100, 0) + Characters(Between(0, 6), 50, oddPercent);
        }
        switch (form) {
        case 1: return "\"" + body + "\"";
        case 2: return "'" + body + "'";
        case 3: return "\"" + body;
        case 4: return "\"" + body + "'";
        case 5: return body + "\x81";
        case 6: return "\"" + body + "\x81\"";
        case 7: return "'" + body + Pick({"' tail", "'\x81", "\x81"});
        default: return body;
        }
    }

    // `count` characters, each double-byte by the given chance or else a single byte.
    std::string Characters(int count, int doublePercent, int oddPercent)
    {
        std::string text;
        for (int i = 0; i < count; ++i)
            text += Character(doublePercent, oddPercent);
        return text;
    }

    // Characters up to `bytes` bytes, one byte more when the last one is double-byte.
    std::string CharactersOfBytes(int bytes, int doublePercent, int oddPercent)
    {
        std::string text;
        while (static_cast<int>(text.size()) < bytes)
            text += Character(doublePercent, oddPercent);
        return text;
    }

    // One character; "odd" bytes are single bytes that convert to no ordinary character.
    std::string Character(int doublePercent, int oddPercent)
    {
        static const char* const doubles[] = {"\x82\xA0", "\x83\x5C", "\x94\x5C", "\x82\x60",
                                              "\x95\x5C", "\x88\x9F", "\x81\x40", "\xEA\xA4"};
        static const char odd[] = {'\x80', '\xA0', '\xFD', '\xFE', '\xFF'};
        static const char singles[] = "abcxyzLMN019 -=[]\\'\"\xB1\xB2\xDF";
        if (Chance(doublePercent))
            return doubles[Between(0, 7)];
        if (Chance(oddPercent))
            return std::string(1, odd[Between(0, 4)]);
        return std::string(1, singles[Between(0, static_cast<int>(sizeof singles) - 2)]);
    }

    std::mt19937 random_;
    std::string lineBreak_;
};

// The file after a deletion is the file before with one run of bytes taken out.
bool IsOneRunRemoved(const std::string& before, const std::string& after)
{
    if (after.size() >= before.size())
        return false;
    size_t prefix = 0;
    while (prefix < after.size() && before[prefix] == after[prefix])
        ++prefix;
    return before.compare(before.size() - (after.size() - prefix), std::string::npos, after, prefix) == 0;
}

std::string Hex(const std::string& bytes)
{
    std::string hex;
    for (unsigned char c : bytes) {
        char pair[4];
        std::snprintf(pair, sizeof pair, "%02X ", c);
        hex += pair;
    }
    return hex;
}

// Names the first keyword the two readings disagree on, with its bytes.
std::string FirstDifference(const Keywords& expected, const Keywords& loaded)
{
    for (size_t i = 0; i < expected.size() && i < loaded.size(); ++i) {
        if (expected[i] != loaded[i])
            return "keyword " + std::to_string(expected[i].first) + ": read " + Hex(expected[i].second) +
                   "\nloaded " + std::to_string(loaded[i].first) + ": " + Hex(loaded[i].second);
    }
    return "counts " + std::to_string(expected.size()) + " and " + std::to_string(loaded.size());
}

// A key's whole value as the section read gives it, which no 260-byte buffer cuts.
std::string WholeValue(int32_t number)
{
    std::vector<char> lines(4 << 20);
    GetPrivateProfileSectionA("Keywords", lines.data(), static_cast<DWORD>(lines.size()), kPath);
    const std::string key = std::to_string(number) + "=";
    for (const char* line = lines.data(); *line; line += strlen(line) + 1)
        if (strncmp(line, key.c_str(), key.size()) == 0)
            return line + key.size();
    return "";
}

// Every key reads as expected, but for those a deleted value hid: Wine's reader takes a line end
// after a lone lead byte into the value, and the lines after it with it; the delete, which
// blanks only the value's own bytes, shows them.
testing::AssertionResult ReadAsExpectedOrShown(const Keywords& expected, const Keywords& read,
                                               const std::vector<std::string>& deleted)
{
    for (size_t i = 0; i < expected.size() && i < read.size(); ++i) {
        const std::string key = std::to_string(read[i].first); // blanks may stand around its "="
        const bool shown = expected[i].first == read[i].first && expected[i].second.empty() &&
                           std::any_of(deleted.begin(), deleted.end(),
                                       [&key](const std::string& text) { return text.find(key) != std::string::npos; });
        if (expected[i] != read[i] && !shown)
            return testing::AssertionFailure() << FirstDifference(expected, read);
    }
    return expected.size() == read.size() ? testing::AssertionSuccess() : testing::AssertionFailure() << "counts";
}

TEST(ProfileDifferential, WholeSectionLoadEqualsKeyByKeyReads)
{
    TempFolder folder;
    const unsigned files = ShortOrSoak(1000, 20000);
    unsigned cutReads = 0; // reads that came back at the limit, so the cut decided them
    for (unsigned seed = 1; seed <= files; ++seed) {
        const std::string file = HistoryFileMaker(seed).Make();
        WriteBytes("history.ini", file);
        KeywordHistory history(kPath);
        history.Load();
        const Keywords expected = ReadKeyByKey();
        const Keywords loaded = Loaded(history);
        ASSERT_EQ(expected, loaded) << "seed " << seed << "\n" << FirstDifference(expected, loaded);
        for (const auto& keyword : expected)
            cutReads += keyword.second.size() >= 257;
    }
    EXPECT_GT(cutReads, files);
}

TEST(ProfileDifferential, DeletingChangesOnlyThatKeyword)
{
    TempFolder folder;
    int deletions = 0;
    for (unsigned seed = 1000; seed <= 1120; ++seed) {
        const std::string file = HistoryFileMaker(seed).Make();
        WriteBytes("history.ini", file);
        KeywordHistory history(kPath);
        history.Load();
        Keywords expected = ReadKeyByKey();
        auto target = std::find_if(expected.begin(), expected.end(), [&](const auto& k) {
            return !k.second.empty() && (seed % 3 == 0 || k.first % 2 == 0);
        });
        if (target == expected.end())
            continue;
        // A history in UTF-16 is listed but never written.
        if (file.compare(0, 2, "\xFF\xFE") == 0) {
            ASSERT_EQ(0, history.SetKeyword(target->first, "")) << "seed " << seed;
            ASSERT_EQ(file, ReadBytes("history.ini")) << "seed " << seed;
            continue;
        }
        const std::vector<std::string> deleted{WholeValue(target->first)};
        history.SetKeyword(target->first, "");
        target->second.clear();
        ++deletions;
        ASSERT_TRUE(ReadAsExpectedOrShown(expected, ReadKeyByKey(), deleted)) << "seed " << seed;
        ASSERT_EQ(expected, Loaded(history)) << "seed " << seed;
        ASSERT_TRUE(IsOneRunRemoved(file, ReadBytes("history.ini"))) << "seed " << seed;
    }
    EXPECT_GT(deletions, 60);
}

TEST(ProfileDifferential, ABatchOfDeletionsChangesOnlyThoseKeywords)
{
    TempFolder folder;
    int batches = 0;
    for (unsigned seed = 2000; seed <= 2080; ++seed) {
        const std::string file = HistoryFileMaker(seed).Make();
        if (file.compare(0, 2, "\xFF\xFE") == 0)
            continue;
        WriteBytes("history.ini", file);
        KeywordHistory history(kPath);
        history.Load();
        Keywords expected = ReadKeyByKey();
        std::vector<int32_t> numbers;
        std::vector<std::string> deleted;
        for (size_t i = seed % 3; i < expected.size(); i += 3) {
            if (expected[i].second.empty())
                continue;
            numbers.push_back(expected[i].first);
            deleted.push_back(WholeValue(expected[i].first));
            expected[i].second.clear();
        }
        ASSERT_TRUE(history.DeleteKeywords(numbers, Deadline()).AllWritten()) << "seed " << seed;
        ++batches;
        ASSERT_TRUE(ReadAsExpectedOrShown(expected, ReadKeyByKey(), deleted)) << "seed " << seed;
    }
    EXPECT_GT(batches, 70);
}

} // namespace
