#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/window_class.h"
#include "framework/command_bar.h"

namespace {

// A plain top-level window that hosts a bar; it handles nothing itself.
class Host : public WindowObject {
public:
    Host()
    {
        static WindowClassRecord record = FrameClassRecord(0);
        const RECT rectangle = {0, 0, 400, 200};
        CreateRoutedWindow(this, record, nullptr, &rectangle, "host", WS_OVERLAPPEDWINDOW, 0, nullptr, nullptr);
    }
    ~Host() override { DestroyWindow(Window()); }
};

constexpr DWORD kBarStyle = 0x5600184C;

struct BarInHost {
    BarInHost() { bar.CreateBar(host.Window(), nullptr, nullptr, kBarStyle, 0, 0, nullptr); }
    Host host;
    CommandBar bar;
};

// A menu of top-level popups; items named in grayed are disabled.
HMENU MakeMenu(std::initializer_list<const char*> items, std::initializer_list<int> grayed = {})
{
    const HMENU menu = CreateMenu();
    int position = 0;
    for (const char* text : items) {
        const HMENU popup = CreatePopupMenu();
        AppendMenuA(popup, MF_STRING, 100 + position, "item");
        UINT flags = MF_POPUP | MF_STRING;
        for (int g : grayed)
            flags |= g == position ? MF_GRAYED : 0;
        AppendMenuA(menu, flags, reinterpret_cast<UINT_PTR>(popup), text);
        ++position;
    }
    return menu;
}

std::string ButtonText(HWND bar, int id)
{
    char text[64] = {};
    SendMessageA(bar, TB_GETBUTTONTEXTA, id, reinterpret_cast<LPARAM>(text));
    return text;
}

TEST(CommandBar, ShowsOneDropDownButtonPerTopLevelItem)
{
    BarInHost b;
    const HMENU menu = MakeMenu({"&File", "&Edit", "&View", "&Help"}, {1});
    ASSERT_TRUE(b.bar.SetBarMenu(menu));
    const HWND bar = b.bar.Window();
    ASSERT_EQ(4, SendMessageA(bar, TB_BUTTONCOUNT, 0, 0));
    const char* texts[] = {"&File", "&Edit", "&View", "&Help"};
    for (int i = 0; i < 4; ++i) {
        TBBUTTON button{};
        SendMessageA(bar, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button));
        EXPECT_EQ(i, button.idCommand);
        EXPECT_EQ(BTNS_DROPDOWN | BTNS_AUTOSIZE, button.fsStyle & (BTNS_DROPDOWN | BTNS_AUTOSIZE));
        EXPECT_EQ(i != 1, (button.fsState & TBSTATE_ENABLED) != 0) << i;
        EXPECT_EQ(texts[i], ButtonText(bar, i));
    }
    DestroyMenu(menu);
}

TEST(CommandBar, AnotherMenuReplacesTheButtonsAndABadHandleChangesNothing)
{
    BarInHost b;
    const HMENU first = MakeMenu({"&A", "&B", "&C"});
    const HMENU second = MakeMenu({"&X", "&Y"});
    b.bar.SetBarMenu(first);
    b.bar.SetBarMenu(second);
    const HWND bar = b.bar.Window();
    ASSERT_EQ(2, SendMessageA(bar, TB_BUTTONCOUNT, 0, 0));
    EXPECT_EQ("&Y", ButtonText(bar, 1));
    EXPECT_TRUE(IsMenu(first));
    DestroyMenu(first);
    EXPECT_FALSE(b.bar.SetBarMenu(first));
    EXPECT_EQ(second, b.bar.BarMenu());
    EXPECT_EQ(2, SendMessageA(bar, TB_BUTTONCOUNT, 0, 0));
    EXPECT_TRUE(b.bar.SetBarMenu(nullptr));
    EXPECT_EQ(0, SendMessageA(bar, TB_BUTTONCOUNT, 0, 0));
    DestroyMenu(second);
}

TEST(CommandBar, ImagesComeFromToolbarResources)
{
    BarInHost b;
    EXPECT_FALSE(b.bar.AddToolbarImages(128));
    EXPECT_EQ(nullptr, b.bar.ImageList());
    EXPECT_EQ(16, b.bar.ImageSize().cx);
    EXPECT_EQ(15, b.bar.ImageSize().cy);
    EXPECT_EQ(22, b.bar.ButtonSize().cx);
    EXPECT_EQ(21, b.bar.ButtonSize().cy);

    EXPECT_TRUE(b.bar.AddToolbarImages(500));
    EXPECT_EQ((std::vector<uint16_t>{100, 101}), b.bar.ImageCommands());
    EXPECT_EQ(22, b.bar.ButtonSize().cx);
    EXPECT_EQ(22, b.bar.ButtonSize().cy);
    ASSERT_NE(nullptr, b.bar.ImageList());
    EXPECT_EQ(2, ImageList_GetImageCount(b.bar.ImageList()));

    EXPECT_TRUE(b.bar.AddToolbarImages(501));
    EXPECT_EQ((std::vector<uint16_t>{100, 101, 102}), b.bar.ImageCommands());
    EXPECT_EQ(3, ImageList_GetImageCount(b.bar.ImageList()));
}

// Counts WM_SETFONT messages sent to one window while it lives.
class SetFontCounter {
public:
    explicit SetFontCounter(HWND window)
    {
        target = window;
        count = 0;
        hook_.reset(SetWindowsHookExA(WH_CALLWNDPROC, Hook, nullptr, GetCurrentThreadId()));
    }
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam)
    {
        const auto* message = reinterpret_cast<CWPSTRUCT*>(lParam);
        if (code == HC_ACTION && message->hwnd == target && message->message == WM_SETFONT)
            ++count;
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    static HWND target;
    static int count;

private:
    UniqueHook hook_;
};
HWND SetFontCounter::target;
int SetFontCounter::count;

TEST(CommandBar, FollowsTheSystemMenuFontWithoutRemakingAnUnchangedOne)
{
    BarInHost b;
    const HFONT font = b.bar.MenuFont();
    ASSERT_NE(nullptr, font);
    EXPECT_EQ(reinterpret_cast<WPARAM>(font), static_cast<WPARAM>(SendMessageA(b.bar.Window(), WM_GETFONT, 0, 0)));
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    LOGFONTA used{};
    GetObjectA(font, sizeof used, &used);
    EXPECT_STREQ(metrics.lfMenuFont.lfFaceName, used.lfFaceName);
    EXPECT_EQ(metrics.lfMenuFont.lfHeight, used.lfHeight);

    SetFontCounter counter(b.bar.Window());
    SendMessageA(b.bar.Window(), WM_SETTINGCHANGE, 0, 0);
    EXPECT_EQ(font, b.bar.MenuFont());
    EXPECT_EQ(0, SetFontCounter::count);

    // The gap before the accelerator column: nothing when the font's tab is wide enough,
    // else the width of an "x".
    const HDC dc = GetDC(b.bar.Window());
    const HGDIOBJ previous = SelectObject(dc, font);
    RECT tab{}, x{};
    DrawTextA(dc, "\t", -1, &tab, DT_CALCRECT | DT_SINGLELINE);
    DrawTextA(dc, "x", -1, &x, DT_CALCRECT | DT_SINGLELINE);
    SelectObject(dc, previous);
    ReleaseDC(b.bar.Window(), dc);
    EXPECT_EQ(tab.right - tab.left >= 4 ? 0 : x.right - x.left, b.bar.TabGap());
}

// Sets a system setting for a test and puts the old value back.
class SystemSetting {
public:
    SystemSetting(UINT get, UINT set, BOOL value) : set_(set)
    {
        SystemParametersInfoA(get, 0, &old_, 0);
        SystemParametersInfoA(set_, 0, reinterpret_cast<void*>(static_cast<INT_PTR>(value)), 0);
    }
    ~SystemSetting() { SystemParametersInfoA(set_, 0, reinterpret_cast<void*>(static_cast<INT_PTR>(old_)), 0); }

private:
    UINT set_;
    BOOL old_ = FALSE;
};

TEST(CommandBar, FollowsTheFlatMenuAndKeyboardCueSettings)
{
    BarInHost b;
    {
        SystemSetting flat(SPI_GETFLATMENU, SPI_SETFLATMENU, FALSE);
        SystemSetting cues(SPI_GETKEYBOARDCUES, SPI_SETKEYBOARDCUES, FALSE);
        SendMessageA(b.bar.Window(), WM_SETTINGCHANGE, 0, 0);
        EXPECT_FALSE(b.bar.FlatMenus());
        EXPECT_TRUE(b.bar.HideCuesUntilKeyboard());
        EXPECT_FALSE(b.bar.CuesShown());
    }
    SendMessageA(b.bar.Window(), WM_SETTINGCHANGE, 0, 0);
    BOOL flat = FALSE;
    SystemParametersInfoA(SPI_GETFLATMENU, 0, &flat, 0);
    EXPECT_EQ(flat != FALSE, b.bar.FlatMenus());
    EXPECT_FALSE(b.bar.HideCuesUntilKeyboard());
    EXPECT_TRUE(b.bar.CuesShown());
}

std::vector<COLORREF> BarPixels(HWND bar)
{
    InvalidateRect(bar, nullptr, TRUE);
    UpdateWindow(bar);
    RECT r{};
    GetClientRect(bar, &r);
    const HDC dc = GetDC(bar);
    std::vector<COLORREF> pixels;
    for (int y = 0; y < r.bottom; ++y)
        for (int x = 0; x < r.right; ++x)
            pixels.push_back(GetPixel(dc, x, y));
    ReleaseDC(bar, dc);
    return pixels;
}

TEST(CommandBar, ButtonsHideTheirUnderlinesWhileCuesAreHiddenInBothStyles)
{
    for (const BOOL flatStyle : {TRUE, FALSE}) {
        SystemSetting flat(SPI_GETFLATMENU, SPI_SETFLATMENU, flatStyle);
        BarInHost b;
        ShowWindow(b.host.Window(), SW_SHOWNORMAL);
        MoveWindow(b.bar.Window(), 0, 0, 300, 24, TRUE);
        const HMENU menu = MakeMenu({"&File", "&Edit"});
        b.bar.SetBarMenu(menu);
        SendMessageA(b.bar.Window(), WM_SETTINGCHANGE, 0, 0);
        ASSERT_EQ(flatStyle != FALSE, b.bar.FlatMenus());
        const std::vector<COLORREF> shown = BarPixels(b.bar.Window());
        std::vector<COLORREF> hidden;
        {
            SystemSetting cues(SPI_GETKEYBOARDCUES, SPI_SETKEYBOARDCUES, FALSE);
            SendMessageA(b.bar.Window(), WM_SETTINGCHANGE, 0, 0);
            hidden = BarPixels(b.bar.Window());
        }
        SendMessageA(b.bar.Window(), WM_SETTINGCHANGE, 0, 0);
        // Only the two underlines differ: a few pixels, not the whole text.
        int differing = 0;
        for (size_t i = 0; i < shown.size(); ++i)
            differing += shown[i] != hidden[i] ? 1 : 0;
        EXPECT_GT(differing, 2) << "flat " << flatStyle;
        EXPECT_LT(differing, 40) << "flat " << flatStyle;
        EXPECT_EQ(shown, BarPixels(b.bar.Window())) << "flat " << flatStyle;
        DestroyMenu(menu);
    }
}

TEST(CommandBar, WatchesItsTopWindowUntilItIsDestroyed)
{
    Host host;
    const LONG_PTR original = GetWindowLongPtrA(host.Window(), GWLP_WNDPROC);
    {
        CommandBar bar;
        const HWND child = CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 10, 10, host.Window(), nullptr,
                                           GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(nullptr, bar.CreateBar(child, nullptr, nullptr, kBarStyle, 0, 0, nullptr));
        // The bar sits in a child window but watches the top-level window above it.
        EXPECT_EQ(host.Window(), bar.TopWindow());
        EXPECT_NE(original, GetWindowLongPtrA(host.Window(), GWLP_WNDPROC));
        DestroyWindow(bar.Window());
    }
    EXPECT_EQ(original, GetWindowLongPtrA(host.Window(), GWLP_WNDPROC));
}

TEST(CommandBar, AsksTheCommonControlsForTheirVersion)
{
    const HMODULE library = LoadLibraryA("comctl32.dll");
    DLLVERSIONINFO version{};
    version.cbSize = sizeof version;
    EXPECT_EQ(S_OK, QueryCommonControlsVersion(library, &version));
    EXPECT_GE(version.dwMajorVersion, 5u);
    EXPECT_EQ(E_NOTIMPL, QueryCommonControlsVersion(GetModuleHandleA("kernel32.dll"), &version));
    EXPECT_EQ(E_INVALIDARG, QueryCommonControlsVersion(library, nullptr));
    FreeLibrary(library);
}

} // namespace
