// The program's texts must come out of the compiled resources as the right Shift-JIS bytes.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "test_texts.h"
#include "ui/resource.h"

namespace {

std::string LoadText(UINT id)
{
    char text[512] = {};
    LoadStringA(GetModuleHandleA(nullptr), id, text, sizeof text);
    return text;
}

std::string MenuText(HMENU menu, UINT position)
{
    char text[256] = {};
    GetMenuStringA(menu, position, text, sizeof text, MF_BYPOSITION);
    return text;
}

TEST(Resources, StringsLoadAsTheirExactBytes)
{
    EXPECT_EQ("Tarnwell", LoadText(IDR_MAINFRAME));
    EXPECT_EQ("Ready", LoadText(IDS_READY));
    EXPECT_EQ(ShiftJis(L"選択したキーワードを削除"), LoadText(ID_KEYWORD_DELETE));
    EXPECT_EQ(ShiftJis(L"history.ini を再読み込み"), LoadText(ID_HISTORY_RELOAD));
    EXPECT_EQ(ShiftJis(L"大文字小文字を区別しない"), LoadText(ID_IGNORE_CASE));
    EXPECT_EQ(ShiftJis(L"全角と半角、ひらがなとカタカナを同じ文字として絞り込む"), LoadText(ID_IGNORE_WIDTH));
    EXPECT_EQ("Display program information, version number and copyright\nAbout", LoadText(ID_APP_ABOUT));
    EXPECT_EQ("Quit the application; prompts to save documents\nExit", LoadText(ID_APP_EXIT));
    EXPECT_EQ("Show or hide the status bar\nToggle StatusBar", LoadText(ID_VIEW_STATUS_BAR));
    for (UINT id : {61184u, 61185u, 61186u, 61187u, 61188u, 61189u, 61190u, 61202u, 61203u, 61215u, 61402u})
        EXPECT_FALSE(LoadText(id).empty()) << id;
    EXPECT_EQ("Change the window size", LoadText(61184));
}

TEST(Resources, MenusHoldTheCommandsInOrder)
{
    const HMENU menu = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME));
    ASSERT_NE(nullptr, menu);
    ASSERT_EQ(4, GetMenuItemCount(menu));
    EXPECT_EQ(ShiftJis(L"ファイル(&F)"), MenuText(menu, 0));
    EXPECT_EQ(ShiftJis(L"編集(&E)"), MenuText(menu, 1));
    EXPECT_EQ(ShiftJis(L"表示(&V)"), MenuText(menu, 2));
    EXPECT_EQ(ShiftJis(L"ヘルプ(&H)"), MenuText(menu, 3));
    const HMENU view = GetSubMenu(menu, 2);
    ASSERT_EQ(5, GetMenuItemCount(view));
    EXPECT_EQ(ShiftJis(L"リロード(&R)\tF5"), MenuText(view, 0));
    EXPECT_EQ(MF_SEPARATOR, GetMenuState(view, 1, MF_BYPOSITION) & MF_SEPARATOR);
    EXPECT_EQ(ShiftJis(L"ステータスバー(&S)"), MenuText(view, 2));
    EXPECT_EQ(ShiftJis(L"大文字小文字を区別しない(&I)"), MenuText(view, 3));
    EXPECT_EQ(static_cast<UINT>(ID_IGNORE_CASE), GetMenuItemID(view, 3));
    EXPECT_EQ(ShiftJis(L"全角半角・ひらがなカタカナを区別しない(&W)"), MenuText(view, 4));
    EXPECT_EQ(static_cast<UINT>(ID_IGNORE_WIDTH), GetMenuItemID(view, 4));
    for (const UINT id : {ID_IGNORE_CASE, ID_IGNORE_WIDTH})
        EXPECT_EQ(0u, GetMenuState(view, id, MF_BYCOMMAND) & (MF_CHECKED | MF_GRAYED));
    const HMENU edit = GetSubMenu(menu, 1);
    ASSERT_EQ(3, GetMenuItemCount(edit));
    EXPECT_EQ(ShiftJis(L"元に戻す(&U)\tCtrl+Z"), MenuText(edit, 0));
    EXPECT_EQ(static_cast<UINT>(ID_EDIT_UNDO), GetMenuItemID(edit, 0));
    EXPECT_EQ(ShiftJis(L"直前の削除を元に戻す"), LoadText(ID_EDIT_UNDO));
    EXPECT_EQ(MF_SEPARATOR, GetMenuState(edit, 1, MF_BYPOSITION) & MF_SEPARATOR);
    EXPECT_EQ(ShiftJis(L"削除(&D)\tDelete"), MenuText(edit, 2));
    EXPECT_EQ(ShiftJis(L"バージョン情報(&A)..."), MenuText(GetSubMenu(menu, 3), 0));
    EXPECT_EQ(static_cast<UINT>(ID_APP_EXIT), GetMenuItemID(GetSubMenu(menu, 0), 2));
    DestroyMenu(menu);

    const HMENU context = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_LISTVIEW_MENU));
    ASSERT_NE(nullptr, context);
    EXPECT_EQ(ShiftJis(L"リストビュー"), MenuText(context, 0));
    EXPECT_EQ(ShiftJis(L"削除(&D)"), MenuText(GetSubMenu(context, 0), 0));
    DestroyMenu(context);
}

TEST(Resources, AcceleratorsAreDeleteAndF5WithoutModifiersCtrlZAndCtrlC)
{
    const HACCEL table = LoadAcceleratorsA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME));
    ASSERT_NE(nullptr, table);
    const ACCEL expected[] = {{FVIRTKEY | FNOINVERT, VK_DELETE, ID_KEYWORD_DELETE},
                              {FVIRTKEY | FNOINVERT, VK_F5, ID_HISTORY_RELOAD},
                              {FVIRTKEY | FCONTROL | FNOINVERT, 'Z', ID_EDIT_UNDO},
                              {FVIRTKEY | FCONTROL | FNOINVERT, 'C', ID_EDIT_COPY}};
    ACCEL entries[5] = {};
    ASSERT_EQ(4, CopyAcceleratorTableA(table, entries, 5));
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(expected[i].fVirt, entries[i].fVirt & ~0x80) << i;
        EXPECT_EQ(expected[i].key, entries[i].key) << i;
        EXPECT_EQ(expected[i].cmd, entries[i].cmd) << i;
    }
}

// Every size Windows asks for from 100 % to 200 %, each its own image rather than one scaled.
TEST(Resources, TheIconComesInEverySizeOfEveryScale)
{
    const HMODULE module = GetModuleHandleA(nullptr);
    const HRSRC group = FindResourceA(module, MAKEINTRESOURCEA(IDR_MAINFRAME), RT_GROUP_ICON);
    ASSERT_NE(nullptr, group);
    auto* directory = static_cast<BYTE*>(LockResource(LoadResource(module, group)));
    std::vector<int> images;
    for (int size : {16, 20, 24, 32, 40, 48, 64}) {
        const int image = LookupIconIdFromDirectoryEx(directory, TRUE, size, size, 0);
        const HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(image), RT_ICON);
        ASSERT_NE(nullptr, found) << size;
        EXPECT_EQ(size, static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(module, found)))->biWidth);
        images.push_back(image);
    }
    std::sort(images.begin(), images.end());
    EXPECT_EQ(images.end(), std::unique(images.begin(), images.end())) << "sizes that share one image";
}

std::string VersionValue(const void* block, const char* name)
{
    char* value = nullptr;
    UINT length = 0;
    const std::string path = std::string("\\StringFileInfo\\041103a4\\") + name;
    if (!VerQueryValueA(block, path.c_str(), reinterpret_cast<void**>(&value), &length) || !value)
        return "";
    return value;
}

TEST(Resources, TheVersionBlockNamesTheProgramAndTheManifestAsksForEachMonitorsScale)
{
    const HMODULE module = GetModuleHandleA(nullptr);
    const HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(VS_VERSION_INFO), MAKEINTRESOURCEA(16));
    ASSERT_NE(nullptr, found);
    // VerQueryValue wants a writable copy of the block.
    const auto* data = static_cast<const char*>(LockResource(LoadResource(module, found)));
    std::vector<char> block(data, data + SizeofResource(module, found));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(0x00010000u, fixed->dwFileVersionMS);
    EXPECT_EQ(0u, fixed->dwFileVersionLS);
    EXPECT_EQ(0x00010000u, fixed->dwProductVersionMS);
    EXPECT_EQ("Morvek.exe", VersionValue(block.data(), "OriginalFilename"));
    EXPECT_EQ("Quelvane", VersionValue(block.data(), "ProductName"));
    EXPECT_EQ("Tarnwell", VersionValue(block.data(), "InternalName"));
    EXPECT_NE(nullptr, FindResourceA(module, MAKEINTRESOURCEA(IDD_ABOUTBOX), MAKEINTRESOURCEA(5)));
    // The manifest asks for each monitor's own scale, with what older systems understand.
    const HRSRC manifest = FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    ASSERT_NE(nullptr, manifest);
    const std::string text(static_cast<const char*>(LockResource(LoadResource(module, manifest))),
                           SizeofResource(module, manifest));
    EXPECT_NE(std::string::npos, text.find(">true/pm</dpiAware>"));
    EXPECT_NE(std::string::npos, text.find(">PerMonitorV2, PerMonitor</dpiAwareness>"));
}

} // namespace
