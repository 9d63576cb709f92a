#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "history/keyword_entry.h"
#include "history/keyword_matching.h"
#include "test_texts.h"

namespace {

bool Japanese() { return GetACP() == 932; }

struct MatchCase {
    const char* text;
    const char* filter;
    bool caseSensitive;
    bool ignoringCase;
};

void ExpectMatches(const std::vector<MatchCase>& cases)
{
    for (const MatchCase& c : cases) {
        EXPECT_EQ(c.caseSensitive, KeywordMatches(c.text, c.filter, false)) << "'" << c.text << "' / '" << c.filter << "'";
        EXPECT_EQ(c.ignoringCase, KeywordMatches(c.text, c.filter, true)) << "'" << c.text << "' / '" << c.filter << "' ignoring case";
    }
}

std::string Lowered(const char* text)
{
    std::string lowered;
    return LowerCaseCopy(text, lowered) ? lowered : "(failed)";
}

TEST(MatchingShiftJis, MatchesWholeCharactersOnly)
{
    if (!Japanese())
        GTEST_SKIP() << "needs code page 932";
    ExpectMatches({
        {"\x83\x41", "A", false, false},                       // the A of ア is a trail byte
        {"xAy", "A", true, true},
        {"xay", "A", false, true},
        {"\x82\x60" "bc", "\x82\x81", false, true},            // Ａbc and ａ
        {"Hello", "hell", false, true},
        {"hello", "hell", true, true},
        {"abc", "", true, true},
        {"", "", false, false},                                // deleted keywords never show
        {"ab", "abc", false, false},
        {"\x83\x5C\x83\x74\x83\x67", "\\", false, false},      // ソフト holds no backslash
        {"\x83\x5C\x83\x74\x83\x67", "\x83\x74", true, true},  // but フ
        {"\x95\x5C\x8E\xA6", "\x8E\xA6", true, true},          // 示 in 表示
        {"\x94\x5C\x97\xCD", "\x5C\x97", false, false},        // nor a match across 能力
        {"\xB1\xB2\xB3", "\xB2", true, true},                  // half-width katakana
    });
}

TEST(MatchingShiftJis, LowersLatinLettersOfBothWidthsOnly)
{
    if (!Japanese())
        GTEST_SKIP() << "needs code page 932";
    EXPECT_EQ("\x83\x41", Lowered("\x83\x41"));
    EXPECT_EQ("abc\x82\x81\x82\x9A", Lowered("ABC\x82\x60\x82\x79"));
    EXPECT_EQ("\xB1\x82\xA0\x8A\xBF" "1!", Lowered("\xB1\x82\xA0\x8A\xBF" "1!"));
    EXPECT_EQ("a\x82", Lowered("A\x82"));
}

// Width and kana kind ignored, what the user types finds what the file holds whichever form
// either is in; matched exactly, none of them is found. A voiced mark joined to its letter
// makes one character with it.
TEST(MatchingShiftJis, WidthAndKanaKindAreAlikeWhileIgnored)
{
    if (!Japanese())
        GTEST_SKIP() << "needs code page 932";
    const std::pair<const wchar_t*, const wchar_t*> alike[] = {
        {L"Ｗｉｎｄｏｗｓ", L"win"}, {L"Windows", L"ｗｉｎ"},      {L"ＡＢＣ マート", L"abc"},
        {L"ﾊﾟｿｺﾝ", L"パソコン"},   {L"ﾊﾟｿｺﾝ", L"ぱそこん"},      {L"ｱｲｳｴｵ", L"あいうえお"},
        {L"カタカナ", L"かたかな"}, {L"ひらがな", L"ヒラガナ"},    {L"旅行 京都", L"旅行　京都"},
        {L"ｶﾞｷﾞｳﾞ", L"ガギヴ"},    {L"Ｃ＋＋＿１０", L"c++_10"}};
    for (const auto& [keyword, filter] : alike) {
        const KeywordEntry entry(0, ShiftJis(keyword).c_str());
        EXPECT_TRUE(KeywordFilter(ShiftJis(filter).c_str(), true, true).Matches(entry)) << entry.Text();
        EXPECT_FALSE(KeywordFilter(ShiftJis(filter).c_str(), true, false).Matches(entry)) << entry.Text();
    }
    EXPECT_FALSE(KeywordFilter(ShiftJis(L"ハ").c_str(), true, true).Matches(KeywordEntry(0, ShiftJis(L"ﾊﾟ").c_str())));
    EXPECT_EQ(ShiftJis(L"ﾊﾟｿｺﾝ"), KeywordEntry(0, ShiftJis(L"ﾊﾟｿｺﾝ").c_str()).Text()) << "the text itself stays";
}

TEST(MatchingShiftJis, OrdersByCharacterCode)
{
    if (!Japanese())
        GTEST_SKIP() << "needs code page 932";
    EXPECT_EQ(-1, CompareText("ab", "abc"));
    EXPECT_EQ(-1, CompareText("Zebra", "apple"));
    EXPECT_EQ(-1, CompareText("\xB1", "\x82\xA0"));           // ｱ before あ
    EXPECT_EQ(1, CompareText("\x82\xA0", "\xB1"));
    EXPECT_EQ(0, CompareText("\x82\xA0", "\x82\xA0"));
    EXPECT_EQ(0, CompareText("a\x82", "a"));                    // a lead byte at the end ends the text
    EXPECT_EQ(-1, CompareText("a\x82", "a\x82\xA0"));
    EXPECT_EQ(0, CompareText("\x82", "\x83"));
    EXPECT_EQ(1, CompareText("\x83\x5C", "\x83\x41"));
}

TEST(MatchingSingleByte, EverythingIsOneByteAndTheEmptyTextMatchesTheEmptyFilter)
{
    if (Japanese())
        GTEST_SKIP() << "needs a single-byte code page";
    ExpectMatches({
        {"", "", true, true},
        {"abc", "", true, true},
        {"\x83\x41", "A", true, true},
        {"\xC0la", "\xE0", false, true},   // Àla and à: the case table comes from the system
        {"ab", "abc", false, false},
    });
    EXPECT_EQ("\xE0" "bc", Lowered("\xC0" "BC"));
    EXPECT_EQ(1, CompareText("\xB1", "\x82\xA0"));
    EXPECT_EQ(-1, CompareText("ab", "abc"));
}

std::vector<int32_t> Sorted(const SortState& state)
{
    KeywordList entries;
    entries.emplace_back(3, "beta");
    entries.emplace_back(1, "alpha");
    entries.emplace_back(2, "gamma");
    std::vector<const KeywordEntry*> order;
    for (const KeywordEntry& entry : entries)
        order.push_back(&entry);
    std::sort(order.begin(), order.end(),
              [&](const KeywordEntry* a, const KeywordEntry* b) { return CompareEntries(*a, *b, state) < 0; });
    std::vector<int32_t> numbers;
    for (const KeywordEntry* entry : order)
        numbers.push_back(entry->Number());
    return numbers;
}

TEST(Ordering, EntriesSortByEitherColumnInEitherDirection)
{
    EXPECT_EQ((std::vector<int32_t>{1, 2, 3}), Sorted({1, 0}));
    EXPECT_EQ((std::vector<int32_t>{3, 2, 1}), Sorted({0, 0}));
    EXPECT_EQ((std::vector<int32_t>{1, 3, 2}), Sorted({1, 1}));
    EXPECT_EQ((std::vector<int32_t>{2, 3, 1}), Sorted({0, 1}));
    KeywordEntry low(-999999, "x");
    KeywordEntry high(9999999, "x");
    EXPECT_LT(CompareEntries(low, high, {1, 0}), 0);
    EXPECT_EQ(0, CompareEntries(low, high, {1, 7}));
}

TEST(Ordering, ColumnClicksFollowTheSortStateTable)
{
    SortState state;
    const int32_t clicks[] = {0, 0, 1, 1, 0};
    const SortState expected[] = {{1, 0}, {0, 0}, {1, 1}, {0, 1}, {1, 0}};
    for (int i = 0; i < 5; ++i) {
        ColumnClicked(state, clicks[i]);
        EXPECT_EQ(expected[i].sortAscending, state.sortAscending) << "click " << i;
        EXPECT_EQ(expected[i].sortColumn, state.sortColumn) << "click " << i;
    }
    ResetSort(state);
    EXPECT_EQ(0, state.sortAscending);
    EXPECT_EQ(0, state.sortColumn);
}

} // namespace
