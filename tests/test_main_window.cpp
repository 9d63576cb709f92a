#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>
#include <oleacc.h>

#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "main_window_fixture.h"
#include "thread_windows.h"
#include "ui/about_dialog.h"
#include "ui/file_follower.h"
#include "ui/resource.h"
#include "test_texts.h"

namespace {

using Rows = std::vector<std::string>;

void ClickColumn(MainWindowFixture& f, int column)
{
    NMLISTVIEW click{};
    click.hdr.hwndFrom = f.window.List();
    click.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(f.window.List()));
    click.hdr.code = LVN_COLUMNCLICK;
    click.iItem = -1;
    click.iSubItem = column;
    SendMessageA(f.frame, WM_NOTIFY, click.hdr.idFrom, reinterpret_cast<LPARAM>(&click));
}

// The sort arrows the two column headers show.
std::pair<int, int> SortArrows(MainWindowFixture& f)
{
    const auto header = reinterpret_cast<HWND>(SendMessageA(f.window.List(), LVM_GETHEADER, 0, 0));
    int arrows[2] = {};
    for (int column = 0; column < 2; ++column) {
        HDITEMA item{};
        item.mask = HDI_FORMAT;
        SendMessageA(header, HDM_GETITEMA, column, reinterpret_cast<LPARAM>(&item));
        arrows[column] = item.fmt & (HDF_SORTUP | HDF_SORTDOWN);
    }
    return {arrows[0], arrows[1]};
}

// The check marks the View menu shows when it opens.
std::pair<bool, bool> ViewMenuMarks(MainWindowFixture& f)
{
    const HMENU view = GetSubMenu(f.window.Bar().BarMenu(), 2);
    SendMessageA(f.frame, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(view), 2);
    return {(GetMenuState(view, ID_VIEW_STATUS_BAR, MF_BYCOMMAND) & MF_CHECKED) != 0,
            (GetMenuState(view, ID_IGNORE_CASE, MF_BYCOMMAND) & MF_CHECKED) != 0};
}

int ListBottom(MainWindowFixture& f)
{
    RECT r{};
    GetWindowRect(f.window.List(), &r);
    MapWindowPoints(nullptr, f.frame, reinterpret_cast<POINT*>(&r), 2);
    return r.bottom;
}

LONG BlankRightOfTheColumns(MainWindowFixture& f)
{
    RECT client{};
    GetClientRect(f.window.List(), &client);
    return client.right - static_cast<LONG>(SendMessageA(f.window.List(), LVM_GETCOLUMNWIDTH, 0, 0) +
                                            SendMessageA(f.window.List(), LVM_GETCOLUMNWIDTH, 1, 0));
}

TEST(MainWindow, StartsWithTheNewestKeywordsOnTopAndTheMenuOnlyInTheBar)
{
    MainWindowFixture f(kFive);
    EXPECT_EQ((Rows{"4:banana split", "3:Apricot", "2:cherry", "1:Banana", "0:apple"}), f.Rows());
    EXPECT_EQ(nullptr, GetMenu(f.frame));
    EXPECT_EQ(4, SendMessageA(f.window.Bar().Window(), TB_BUTTONCOUNT, 0, 0));
    EXPECT_EQ((std::pair<bool, bool>{true, true}), ViewMenuMarks(f));
    EXPECT_EQ(IDC_KEYWORD_BOX, GetDlgCtrlID(f.window.KeywordBox()));
    EXPECT_EQ(3, LOWORD(SendMessageA(f.window.KeywordBox(), EM_GETMARGINS, 0, 0)));
    EXPECT_EQ(f.window.Rebar(), GetParent(f.window.KeywordBox()));
    const auto headerWidth = SendMessageA(f.window.List(), LVM_GETSTRINGWIDTHA, 0,
                                          reinterpret_cast<LPARAM>("\x83\x43\x83\x93\x83\x66\x83\x62\x83\x4E\x83\x58"));
    // The header's text, 15 pixels and the room of the sort arrow beside it.
    EXPECT_EQ(headerWidth + 15 + 16, SendMessageA(f.window.List(), LVM_GETCOLUMNWIDTH, 0, 0));
    // The keyword column takes the rest of the list's width, 300 pixels at least.
    EXPECT_EQ(0, BlankRightOfTheColumns(f));
    EXPECT_LE(300, SendMessageA(f.window.List(), LVM_GETCOLUMNWIDTH, 1, 0));
    // The frame hands the focus to the list.
    EXPECT_EQ(f.window.List(), GetFocus());
}

TEST(MainWindow, TypingNarrowsTheListAndErasingRestoresIt)
{
    MainWindowFixture f(kFive);
    f.Type("a");
    EXPECT_EQ((Rows{"4:banana split", "3:Apricot", "1:Banana", "0:apple"}), f.Rows());
    f.Type("p");
    EXPECT_EQ((Rows{"3:Apricot", "0:apple"}), f.Rows());
    f.Type("\b");
    EXPECT_EQ(4u, f.Rows().size());
    f.Type("\b");
    EXPECT_EQ(5u, f.Rows().size());
}

TEST(MainWindow, ColumnClicksSortAndATypedCharacterReturnsToTheFillOrder)
{
    MainWindowFixture f(kFive);
    EXPECT_EQ((std::pair<int, int>{HDF_SORTDOWN, 0}), SortArrows(f));
    ClickColumn(f, 0);
    EXPECT_EQ("0:apple", f.Rows().front());
    ClickColumn(f, 0);
    EXPECT_EQ("4:banana split", f.Rows().front());
    ClickColumn(f, 1);
    EXPECT_EQ((Rows{"3:Apricot", "1:Banana", "0:apple", "4:banana split", "2:cherry"}), f.Rows());
    EXPECT_EQ((std::pair<int, int>{0, HDF_SORTUP}), SortArrows(f));
    ClickColumn(f, 1);
    EXPECT_EQ("2:cherry", f.Rows().front());
    ClickColumn(f, 0);
    EXPECT_EQ("0:apple", f.Rows().front());
    EXPECT_EQ((std::pair<int, int>{HDF_SORTUP, 0}), SortArrows(f));
    f.Type("e");
    EXPECT_EQ((Rows{"2:cherry", "0:apple"}), f.Rows());
    EXPECT_EQ((std::pair<int, int>{HDF_SORTDOWN, 0}), SortArrows(f)) << "number order, newest first";
}

TEST(MainWindow, ASortKeepsTheSelectionOnItsKeywordsAndDeleteTakesThoseKeywords)
{
    MainWindowFixture f(kFive);
    f.SelectRows({2, 4}); // cherry and apple
    ClickColumn(f, 1);
    ASSERT_EQ((Rows{"3:Apricot", "1:Banana", "0:apple", "4:banana split", "2:cherry"}), f.Rows());
    EXPECT_EQ(LVIS_SELECTED, SendMessageA(f.window.List(), LVM_GETITEMSTATE, 2, LVIS_SELECTED));
    EXPECT_EQ(LVIS_SELECTED, SendMessageA(f.window.List(), LVM_GETITEMSTATE, 4, LVIS_SELECTED));
    EXPECT_EQ(2, SendMessageA(f.window.List(), LVM_GETSELECTEDCOUNT, 0, 0));
    f.Command(ID_KEYWORD_DELETE);
    EXPECT_EQ((Rows{"3:Apricot", "1:Banana", "4:banana split"}), f.Rows());
    EXPECT_EQ("[Keywords]\r\nStartPos=0\r\nEndPos=5\r\n0=\r\n1=Banana\r\n2=\r\n3=Apricot\r\n4=banana split\r\n",
              ReadBytes("history.ini"));
}

// Typing in the list goes to the first keyword that begins with the letter, whatever its case,
// and a number to its row.
TEST(MainWindow, TypingInTheListGoesToAKeywordOrANumber)
{
    for (const WORD key : {'A', '2'}) {
        MainWindowFixture f(kFive);
        SetFocus(f.window.List());
        f.PressKeys({key});
        EXPECT_EQ(std::vector<int>{key == 'A' ? 1 : 2}, f.SelectedRows()) << static_cast<char>(key);
    }
}

// Ctrl+C in the list puts the selected keywords on the clipboard, one a line, in the list's
// order, for programs that read Shift-JIS and for those that read Unicode.
TEST(MainWindow, CtrlCCopiesTheSelectedKeywords)
{
    MainWindowFixture f("[Keywords]\r\nStartPos=0\r\nEndPos=3\r\n0=" + ShiftJis(L"東京 天気") + "\r\n1=x\r\n2=apple\r\n");
    f.SelectRows({0, 2});
    SetFocus(f.window.List());
    f.PressKeys({VK_CONTROL, 'C'});
    ASSERT_TRUE(OpenClipboard(nullptr));
    const auto* ansi = static_cast<const char*>(GlobalLock(GetClipboardData(CF_TEXT)));
    const auto* unicode = static_cast<const wchar_t*>(GlobalLock(GetClipboardData(CF_UNICODETEXT)));
    EXPECT_EQ("apple\r\n" + ShiftJis(L"東京 天気"), ansi ? ansi : "");
    EXPECT_EQ(L"apple\r\n東京 天気", std::wstring(unicode ? unicode : L""));
    CloseClipboard();
    EXPECT_EQ(ShiftJis(L"2 件のキーワードをクリップボードにコピーしました。"), f.StatusText());
}

TEST(MainWindow, MatchingModesKeepTheOrderForTheEmptyFilterAndRefillOtherwise)
{
    MainWindowFixture f(kFive);
    ClickColumn(f, 1);
    const Rows sorted = f.Rows();
    f.Command(ID_IGNORE_CASE);
    EXPECT_FALSE(f.window.IgnoreCase());
    EXPECT_EQ(sorted, f.Rows());
    EXPECT_EQ((std::pair<bool, bool>{true, false}), ViewMenuMarks(f));
    f.Type("A");
    EXPECT_EQ((Rows{"3:Apricot"}), f.Rows());
    f.Command(ID_IGNORE_CASE);
    EXPECT_EQ((Rows{"4:banana split", "3:Apricot", "1:Banana", "0:apple"}), f.Rows());
    EXPECT_EQ((std::pair<bool, bool>{true, true}), ViewMenuMarks(f));
    // Typed in full width, the filter finds the half-width keywords until width counts.
    SetWindowTextA(f.window.KeywordBox(), ShiftJis(L"ＡＰ").c_str());
    f.Pump();
    EXPECT_EQ((Rows{"3:Apricot", "0:apple"}), f.Rows());
    f.Command(ID_IGNORE_WIDTH);
    EXPECT_TRUE(f.Rows().empty());
}

bool EditItemGrayed(MainWindowFixture& f, UINT id)
{
    const HMENU edit = GetSubMenu(f.window.Bar().BarMenu(), 1);
    SendMessageA(f.frame, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(edit), 1);
    return (GetMenuState(edit, id, MF_BYCOMMAND) & MF_GRAYED) != 0;
}

// A delete says what it did, and the row that moved into the place of the first deleted one
// is selected, as in Explorer. Without a selection, 削除 is grayed and does nothing.
TEST(MainWindow, DeletingSelectedRowsBlanksOnlyTheirValues)
{
    MainWindowFixture f(kFive);
    f.SelectRows({1, 3});
    EXPECT_FALSE(EditItemGrayed(f, ID_KEYWORD_DELETE));
    f.Command(ID_KEYWORD_DELETE);
    EXPECT_EQ((Rows{"4:banana split", "2:cherry", "0:apple"}), f.Rows());
    EXPECT_EQ("[Keywords]\r\nStartPos=0\r\nEndPos=5\r\n0=apple\r\n1=\r\n2=cherry\r\n3=\r\n4=banana split\r\n",
              ReadBytes("history.ini"));
    EXPECT_EQ(std::vector<int>{1}, f.SelectedRows());
    const std::string deleted = ShiftJis(L"2 件のキーワードを削除しました。Ctrl+Z で元に戻せます。");
    EXPECT_EQ(deleted, f.StatusText());
    char tip[256] = {};
    SendMessageA(f.window.StatusBar(), SB_GETTIPTEXTA, MAKEWPARAM(0, sizeof tip), reinterpret_cast<LPARAM>(tip));
    EXPECT_EQ(deleted, tip) << "a message too long for its part is read in its tooltip";
    f.SelectRows({});
    EXPECT_EQ("Ready", f.StatusText()) << "the message goes once the selection changes";
    EXPECT_TRUE(EditItemGrayed(f, ID_KEYWORD_DELETE));
    f.Command(ID_KEYWORD_DELETE);
    EXPECT_EQ(3u, f.Rows().size());
}

// Undo is grayed until a delete and again after the last undo; with nothing left to undo, it
// says so. The keywords it gives back come back where the filter matches them, in the list's
// order, selected, and the hidden ones are selected too once the filter shows them; the status
// bar says how many came back and how many of them the filter hides, and its second part how
// many keywords the list shows out of how many the file holds.
TEST(MainWindow, UndoIsGrayedWithNothingToUndoAndBringsTheRowsBackSelected)
{
    MainWindowFixture f(kFive);
    auto undoGrayed = [&f] { return EditItemGrayed(f, ID_EDIT_UNDO); };
    EXPECT_TRUE(undoGrayed());
    EXPECT_EQ(ShiftJis(L"5 件中 5 件"), f.StatusText(1));
    f.SelectRows({1, 3});
    f.Command(ID_KEYWORD_DELETE);
    EXPECT_FALSE(undoGrayed());
    EXPECT_EQ(ShiftJis(L"3 件中 3 件"), f.StatusText(1));
    f.Type("an");
    f.SelectRows({0});
    f.Command(ID_EDIT_UNDO);
    EXPECT_EQ(kFive, ReadBytes("history.ini"));
    EXPECT_EQ((Rows{"4:banana split", "1:Banana"}), f.Rows());
    EXPECT_EQ(ShiftJis(L"5 件中 2 件"), f.StatusText(1));
    EXPECT_EQ(std::vector<int>{1}, f.SelectedRows());
    EXPECT_EQ(f.window.List(), GetFocus());
    EXPECT_EQ(ShiftJis(L"2 件のキーワードを元に戻しました。そのうち 1 件は今の絞り込みでは表示されません。"), f.StatusText());
    EXPECT_TRUE(undoGrayed());
    SetWindowTextA(f.window.KeywordBox(), "");
    f.Pump();
    EXPECT_EQ((std::vector<int>{1, 3}), f.SelectedRows());
    f.Command(ID_EDIT_UNDO);
    EXPECT_EQ(ShiftJis(L"元に戻せる削除はありません。元に戻せるのは、このウィンドウを開いてからの最後の 100 回の削除です。"),
              f.StatusText());
    f.Type("zzz");
    EXPECT_EQ(ShiftJis(L"5 件中 0 件　該当なし"), f.StatusText(1));
}

// The keyword box keeps its keys, as every text box does: Delete, Ctrl+Z and Ctrl+A there
// edit its text and leave the file alone, rows selected or not, and it takes a text longer
// than its width. As a search box, Esc empties it and Down goes into the list. On the list,
// Delete deletes the selected keywords and Ctrl+Z gives them back.
TEST(MainWindow, TheKeywordBoxKeepsItsKeysAndTheListTakesDeleteAndUndo)
{
    MainWindowFixture f(kFive);
    auto boxText = [&f] {
        char text[64] = {};
        GetWindowTextA(f.window.KeywordBox(), text, sizeof text);
        return std::string(text);
    };
    SetFocus(f.window.KeywordBox());
    f.Type("an");
    f.SelectRows({0});
    SendMessageA(f.window.KeywordBox(), EM_SETSEL, 0, 0);
    f.PressKeys({VK_DELETE});
    EXPECT_EQ("n", boxText());
    f.PressKeys({VK_CONTROL, 'Z'});
    EXPECT_EQ("an", boxText());
    f.PressKeys({VK_CONTROL, 'A'});
    f.PressKeys({'X'});
    EXPECT_EQ("x", boxText());
    EXPECT_EQ(kFive, ReadBytes("history.ini"));
    f.Type(std::string(29, 'y'));
    EXPECT_EQ("x" + std::string(29, 'y'), boxText());
    f.PressKeys({VK_ESCAPE});
    EXPECT_EQ("", boxText());
    EXPECT_EQ(5u, f.Rows().size());
    f.SelectRows({});
    f.PressKeys({VK_DOWN});
    EXPECT_EQ(f.window.List(), GetFocus());
    EXPECT_EQ(std::vector<int>{0}, f.SelectedRows());
    SetFocus(f.window.KeywordBox());

    SetWindowTextA(f.window.KeywordBox(), "an");
    f.Pump();
    SetFocus(f.window.List());
    f.PressKeys({VK_CONTROL, 'A'}); // every row the filter shows
    f.PressKeys({VK_DELETE});
    EXPECT_EQ(Rows{}, f.Rows());
    EXPECT_EQ("[Keywords]\r\nStartPos=0\r\nEndPos=5\r\n0=apple\r\n1=\r\n2=cherry\r\n3=Apricot\r\n4=\r\n",
              ReadBytes("history.ini"));
    f.PressKeys({VK_CONTROL, 'Z'});
    EXPECT_EQ((Rows{"4:banana split", "1:Banana"}), f.Rows());
    EXPECT_EQ(kFive, ReadBytes("history.ini"));
    // Alt+K, the access key of the box's label, goes into the box with its text selected.
    f.PressKeys({VK_MENU, 'K'});
    EXPECT_EQ(f.window.KeywordBox(), GetFocus());
    EXPECT_EQ(MAKELONG(0, 2), SendMessageA(f.window.KeywordBox(), EM_GETSEL, 0, 0));
}

// Screen readers name the box after the label before it.
TEST(MainWindow, TheKeywordBoxIsNamedAfterItsLabel)
{
    MainWindowFixture f(kFive);
    CoInitialize(nullptr);
    IAccessible* accessible = nullptr;
    BSTR name = nullptr;
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    if (SUCCEEDED(AccessibleObjectFromWindow(f.window.KeywordBox(), static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                             reinterpret_cast<void**>(&accessible))))
        accessible->get_accName(self, &name);
    if (name) {
        EXPECT_EQ(std::wstring(L"キーワード"), std::wstring(name));
    } else {
        std::cout << "The system's accessibility gives the box no name here; the label before it is read instead.\n";
        char label[32] = {};
        GetWindowTextA(GetWindow(f.window.KeywordBox(), GW_HWNDPREV), label, sizeof label);
        EXPECT_EQ(ShiftJis(L"キーワード"), label);
    }
    SysFreeString(name);
    if (accessible)
        accessible->Release();
    CoUninitialize();
}

// The keyword column fills the list's width; the window cannot be made so small that a menu
// button, the box or the rows are lost.
TEST(MainWindow, TheKeywordColumnFillsTheWidthAndTheWindowKeepsALeastSize)
{
    MainWindowFixture f(kFive);
    const auto keywordColumn = [&f] { return SendMessageA(f.window.List(), LVM_GETCOLUMNWIDTH, 1, 0); };
    const auto before = keywordColumn();
    SetWindowPos(f.frame, nullptr, 0, 0, 800, 550, SWP_NOMOVE | SWP_NOZORDER);
    f.Pump();
    EXPECT_EQ(before + 300, keywordColumn());
    EXPECT_EQ(0, BlankRightOfTheColumns(f));
    SetWindowPos(f.frame, nullptr, 0, 0, 200, 150, SWP_NOMOVE | SWP_NOZORDER);
    f.Pump();
    RECT last{}, bar{}, box{}, list{};
    SendMessageA(f.window.Bar().Window(), TB_GETITEMRECT, 3, reinterpret_cast<LPARAM>(&last));
    GetClientRect(f.window.Bar().Window(), &bar);
    GetWindowRect(f.window.KeywordBox(), &box);
    GetClientRect(f.window.List(), &list);
    EXPECT_LE(last.right, bar.right) << "every menu button shows";
    EXPECT_GE(box.right - box.left, 72) << "a box still usable";
    EXPECT_GE(list.bottom, 3 * HIWORD(SendMessageA(f.window.List(), LVM_GETITEMSPACING, TRUE, 0)));
    EXPECT_LE(300, keywordColumn());
}

// The list follows history.ini while another program writes it, without F5: a new keyword
// appears and a blanked one goes, while the filter, the sort by keyword and the selected
// keyword stay. F5 keeps the selection too, but returns to number order.
TEST(MainWindow, TheListFollowsTheFileKeepingTheViewAndF5KeepsTheSelection)
{
    MainWindowFixture f(kFive);
    f.Type("an");
    ClickColumn(f, 1);
    EXPECT_EQ((Rows{"1:Banana", "4:banana split"}), f.Rows());
    f.SelectRows({1});
    WriteBytes("history.ini", "[Keywords]\r\nStartPos=0\r\nEndPos=6\r\n0=apple\r\n1=\r\n2=cherry\r\n3=Apricot\r\n"
                              "4=banana split\r\n5=bandana\r\n");
    EXPECT_TRUE(f.PumpUntil([&f] { return f.Rows() == Rows{"4:banana split", "5:bandana"}; })) << f.Rows().size();
    EXPECT_EQ(std::vector<int>{0}, f.SelectedRows());
    EXPECT_EQ(HDF_SORTUP, SortArrows(f).second);
    f.PressKeys({VK_F5});
    EXPECT_EQ((Rows{"5:bandana", "4:banana split"}), f.Rows());
    EXPECT_EQ(std::vector<int>{1}, f.SelectedRows());
}

// A keyword the user deleted that another program writes back shows again, and the status bar
// says who wrote it. A file that goes empties the list and says so, and is read once it is back.
TEST(MainWindow, AKeywordWrittenBackShowsAgainAndAMissingFileIsReadWhenItComesBack)
{
    MainWindowFixture f(kFive);
    f.SelectRows({0});
    f.Command(ID_KEYWORD_DELETE);
    WriteBytes("history.ini", kFive);
    EXPECT_TRUE(f.PumpUntil([&f] { return f.Rows().size() == 5; }));
    EXPECT_EQ(ShiftJis(L"削除した 1 件のキーワードを、ほかのプログラムが history.ini に書き戻しました。"), f.StatusText());
    // Another older copy empties it again: Ctrl+Z still takes the delete back.
    std::string emptied = kFive;
    WriteBytes("history.ini", emptied.replace(emptied.find("banana split"), 12, ""));
    EXPECT_TRUE(f.PumpUntil([&f] { return f.Rows().size() == 4; }));
    f.Command(ID_EDIT_UNDO);
    EXPECT_EQ(kFive, ReadBytes("history.ini"));
    ASSERT_TRUE(MoveFileA("history.ini", "history.bak"));
    EXPECT_TRUE(f.PumpUntil([&f] { return f.Rows().empty(); }));
    EXPECT_EQ(ShiftJis(L"history.ini が見つかりません。ファイルが戻ると読み直します。"), f.StatusText());
    ASSERT_TRUE(MoveFileA("history.bak", "history.ini"));
    EXPECT_TRUE(f.PumpUntil([&f] { return f.Rows().size() == 5; }));
    EXPECT_EQ(ShiftJis(L"history.ini を読み直しました。"), f.StatusText());
}

// A change the folder tells of is read at the first tick that finds the file as the notice
// did, and not while the file still changes.
TEST(MainWindow, AChangeIsReadAtTheFirstTickThatFindsTheFileStill)
{
    const HWND window = CreateWindowA("STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    const FileStamp before{true, 10, 1, 1}, after{true, 20, 2, 1}, later{true, 30, 3, 1};
    {
        FileFollower follower(window, L".\\");
        EXPECT_TRUE(follower.Due(true, before) || follower.Due(true, before)); // the look at the start
        follower.Notified([&after] { return after; });
        EXPECT_TRUE(follower.Due(true, after));
        follower.Notified([&after] { return after; });
        EXPECT_FALSE(follower.Due(true, later));
        EXPECT_TRUE(follower.Due(true, later));
    }
    DestroyWindow(window);
}

TEST(MainWindow, F5ReloadsKeepingTheFilterAndDeletedKeywordsStayHidden)
{
    MainWindowFixture f(kFive);
    f.Type("an");
    f.SelectRows({0});
    f.Command(ID_KEYWORD_DELETE);
    EXPECT_EQ((Rows{"1:Banana"}), f.Rows());
    // Meanwhile the search application records another keyword.
    WriteBytes("history.ini", ReadBytes("history.ini") + "5=bandana\r\n");
    std::string file = ReadBytes("history.ini");
    file.replace(file.find("EndPos=5"), 8, "EndPos=6");
    WriteBytes("history.ini", file);
    f.PressKeys({VK_F5});
    EXPECT_EQ((Rows{"5:bandana", "1:Banana"}), f.Rows());
    EXPECT_EQ(ShiftJis(L"history.ini を読み直しました。"), f.StatusText());
    SetWindowTextA(f.window.KeywordBox(), "");
    f.Pump();
    EXPECT_EQ((Rows{"5:bandana", "3:Apricot", "2:cherry", "1:Banana", "0:apple"}), f.Rows());
}

TEST(MainWindow, TheStatusBarHidesAndTheListTakesItsSpace)
{
    MainWindowFixture f(kFive);
    RECT client{};
    GetClientRect(f.frame, &client);
    const int withBar = ListBottom(f);
    EXPECT_LT(withBar, client.bottom);
    f.Command(ID_VIEW_STATUS_BAR);
    EXPECT_FALSE(IsWindowVisible(f.window.StatusBar()));
    EXPECT_EQ(client.bottom, ListBottom(f));
    EXPECT_EQ((std::pair<bool, bool>{false, true}), ViewMenuMarks(f));
    f.Command(ID_VIEW_STATUS_BAR);
    EXPECT_TRUE(IsWindowVisible(f.window.StatusBar()));
    EXPECT_EQ(withBar, ListBottom(f));
}

LONG FontHeight(HWND control)
{
    LOGFONTA font{};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)), sizeof font, &font);
    return std::abs(font.lfHeight);
}

// What the window sizes by its DPI, in one line: frame, number column, the list's width the
// columns leave, box height and margin, the list's
// and the bar's fonts, the popup items' check-mark column and the large icon.
std::vector<LONG> ScaledSizes(MainWindowFixture& f)
{
    RECT frame{}, box{};
    GetWindowRect(f.frame, &frame);
    GetWindowRect(f.window.KeywordBox(), &box);
    ICONINFO icon{};
    GetIconInfo(reinterpret_cast<HICON>(SendMessageA(f.frame, WM_GETICON, ICON_BIG, 0)), &icon);
    BITMAP bitmap{};
    GetObjectA(icon.hbmColor, sizeof bitmap, &bitmap);
    DeleteObject(icon.hbmColor);
    DeleteObject(icon.hbmMask);
    const SIZE column = f.window.Bar().DrawingSettings().buttonSize;
    return {frame.right - frame.left, frame.bottom - frame.top,
            static_cast<LONG>(SendMessageA(f.window.List(), LVM_GETCOLUMNWIDTH, 0, 0)),
            BlankRightOfTheColumns(f), box.bottom - box.top,
            LOWORD(SendMessageA(f.window.KeywordBox(), EM_GETMARGINS, 0, 0)), FontHeight(f.window.List()),
            FontHeight(f.window.Bar().Window()), column.cx, column.cy, bitmap.bmWidth};
}

// The window moved to a monitor of 150 %, and back.
TEST(MainWindow, AChangeOfDisplayScaleResizesWhatTheWindowSizesItself)
{
    MainWindowFixture f(kFive);
    const std::vector<LONG> at96 = ScaledSizes(f);
    RECT suggested{20, 10, 20 + 750, 10 + 700};
    SendMessageA(f.frame, kDpiChanged, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    f.Pump();
    const std::vector<LONG> at144 = ScaledSizes(f);
    // MulDiv rounds half away from zero: the margin of 3 becomes 5, the column of 21 32.
    EXPECT_EQ((std::vector<LONG>{750, 700, MulDiv(at96[2], 3, 2), 0, 24, 5, MulDiv(at96[6], 3, 2),
                                 MulDiv(at96[7], 3, 2), 33, 32, 48}),
              at144);
    RECT last{}, bar{};
    SendMessageA(f.window.Bar().Window(), TB_GETITEMRECT, 3, reinterpret_cast<LPARAM>(&last));
    GetClientRect(f.window.Bar().Window(), &bar);
    EXPECT_LE(last.right, bar.right) << "the band grew with the bar's buttons";
    suggested = {20, 10, 20 + at96[0], 10 + at96[1]};
    SendMessageA(f.frame, kDpiChanged, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(&suggested));
    f.Pump();
    EXPECT_EQ(at96, ScaledSizes(f));
}

// Runs while a modal loop is open: notes where its window was and closes it.
struct ModalProbe {
    static RECT seen;
    static WPARAM key;
    static void CALLBACK CloseDialog(HWND, UINT, UINT_PTR timer, DWORD)
    {
        if (HWND dialog = FindVisibleThreadWindow("#32770")) {
            KillTimer(nullptr, timer);
            GetWindowRect(dialog, &seen);
            PostMessageA(dialog, WM_KEYDOWN, key, 0);
        }
    }
    static void CALLBACK CloseMenu(HWND, UINT, UINT_PTR timer, DWORD)
    {
        if (HWND menu = FindVisibleThreadWindow("#32768")) {
            KillTimer(nullptr, timer);
            GetWindowRect(menu, &seen);
            EndMenu();
        }
    }
};
RECT ModalProbe::seen;
WPARAM ModalProbe::key;

TEST(MainWindow, TheAboutBoxOpensCentredAndEndsWithEnterOrEscape)
{
    MainWindowFixture f(kFive);
    RECT frame{};
    GetWindowRect(f.frame, &frame);
    for (const auto& [key, code] : {std::pair<WPARAM, INT_PTR>{VK_RETURN, IDOK}, {VK_ESCAPE, IDCANCEL}}) {
        ModalProbe::seen = {};
        ModalProbe::key = key;
        const UINT_PTR timer = SetTimer(nullptr, 0, 50, ModalProbe::CloseDialog);
        AboutDialog about;
        EXPECT_EQ(code, about.RunModal(f.frame, 0));
        KillTimer(nullptr, timer);
        const RECT& box = ModalProbe::seen;
        EXPECT_NEAR((frame.left + frame.right) / 2, (box.left + box.right) / 2, 1);
        EXPECT_NEAR((frame.top + frame.bottom) / 2, (box.top + box.bottom) / 2, 1);
    }
    // The Help menu's command opens the same box over the window.
    ModalProbe::key = VK_ESCAPE;
    ModalProbe::seen = {};
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, ModalProbe::CloseDialog);
    f.Command(ID_APP_ABOUT);
    KillTimer(nullptr, timer);
    EXPECT_NE(0, ModalProbe::seen.right);
}

TEST(MainWindow, TheContextMenuOpensOnlyWithASelectionAtThePoint)
{
    MainWindowFixture f(kFive);
    ModalProbe::seen = {};
    UINT_PTR timer = SetTimer(nullptr, 0, 50, ModalProbe::CloseMenu);
    SendMessageA(f.window.List(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(f.window.List()), MAKELPARAM(200, 300));
    KillTimer(nullptr, timer);
    EXPECT_EQ(0, ModalProbe::seen.right);

    f.SelectRows({2});
    timer = SetTimer(nullptr, 0, 50, ModalProbe::CloseMenu);
    SendMessageA(f.window.List(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(f.window.List()), MAKELPARAM(200, 300));
    KillTimer(nullptr, timer);
    EXPECT_EQ(200, ModalProbe::seen.left);
    EXPECT_EQ(300, ModalProbe::seen.top);

    // From the keyboard there is no point: the menu opens below the focused selected row.
    f.SelectRows({1, 3});
    LVITEMA focus{};
    focus.state = focus.stateMask = LVIS_FOCUSED;
    SendMessageA(f.window.List(), LVM_SETITEMSTATE, 3, reinterpret_cast<LPARAM>(&focus));
    RECT row{LVIR_BOUNDS, 0, 0, 0};
    SendMessageA(f.window.List(), LVM_GETITEMRECT, 3, reinterpret_cast<LPARAM>(&row));
    MapWindowPoints(f.window.List(), nullptr, reinterpret_cast<POINT*>(&row), 2);
    timer = SetTimer(nullptr, 0, 50, ModalProbe::CloseMenu);
    SendMessageA(f.window.List(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(f.window.List()), static_cast<LPARAM>(-1));
    KillTimer(nullptr, timer);
    EXPECT_EQ(row.left, ModalProbe::seen.left);
    EXPECT_EQ(row.bottom, ModalProbe::seen.top);
}

TEST(MainWindow, ExitClosesTheWindowWithCodeZeroAndNewDoesNothing)
{
    MainWindowFixture f(kFive);
    const std::string status = f.StatusText();
    SendMessageA(f.frame, WM_COMMAND, ID_FILE_NEW, 0);
    EXPECT_EQ(5u, f.Rows().size());
    EXPECT_EQ(status, f.StatusText());
    PostMessageA(f.frame, WM_COMMAND, ID_APP_EXIT, 0);
    f.Pump();
    EXPECT_FALSE(IsWindow(f.frame));
    EXPECT_EQ(0, f.quitCode);
    EXPECT_EQ(kFive, ReadBytes("history.ini"));
}

TEST(MainWindow, AFilterIsCutTo259Bytes)
{
    const std::string long259(259, 'x');
    MainWindowFixture f("[Keywords]\r\nStartPos=0\r\nEndPos=2\r\n0=" + std::string(300, 'x') + "\r\n1=y\r\n");
    SendMessageA(f.window.KeywordBox(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(std::string(300, 'x').c_str()));
    f.Pump();
    // Whatever part of it the box holds, at most 259 bytes of it filter the list.
    EXPECT_EQ((Rows{"0:" + long259}), f.Rows());
}

} // namespace
