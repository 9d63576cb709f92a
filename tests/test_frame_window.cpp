#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "framework/frame_ids.h"
#include "framework/frame_window.h"

namespace {

// A frame that passes everything to the frame base, as the main window does.
class TestFrame : public FrameWindowBase {
public:
    BOOL HandleMessage(HWND, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result, DWORD handlerSet) override
    {
        return handlerSet == 0 &&
               (HandleLayoutMessage(message, wParam, lParam, result) || HandleFrameMessage(message, wParam, lParam, result));
    }
    void SetClientView(HWND view) { clientView_ = view; }
};

RECT ChildRect(HWND child)
{
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

int Height(HWND window)
{
    RECT r{};
    GetWindowRect(window, &r);
    return r.bottom - r.top;
}

class FrameTest : public testing::Test {
protected:
    void SetUp() override
    {
        const RECT rectangle = {0, 0, 500, 550};
        ASSERT_NE(nullptr, frame.CreateFrame(nullptr, &rectangle, 0, 0, nullptr));
        ASSERT_EQ(1, frame.CreateRebar(0x56002640, IDW_REBAR));
        box = CreateWindowExA(WS_EX_STATICEDGE, "EDIT", "", WS_CHILD | WS_VISIBLE, 0, 0, 160, 16, frame.Window(),
                              nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_EQ(1, frame.AddBand(box, "keyword", false, 0, false));
        ASSERT_EQ(1, frame.CreateStatusBar(IDS_READY, 0x56000100, ID_VIEW_STATUS_BAR));
        view = CreateWindowExA(WS_EX_CLIENTEDGE, "STATIC", "", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, frame.Window(),
                               nullptr, GetModuleHandleA(nullptr), nullptr);
        frame.SetClientView(view);
        ShowWindow(frame.Window(), SW_SHOWNORMAL);
        frame.LayoutChildren(true);
    }
    void TearDown() override { DestroyWindow(frame.Window()); }

    std::string StatusText()
    {
        // In simple mode the status bar answers with the text it shows in place of its parts.
        char text[256] = {};
        SendMessageA(frame.StatusBar(), SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
        return text;
    }

    TestFrame frame;
    HWND box = nullptr;
    HWND view = nullptr;
};

TEST_F(FrameTest, FrameComesFromResource128)
{
    char title[64] = {};
    GetWindowTextA(frame.Window(), title, sizeof title);
    EXPECT_STREQ("Tarnwell", title);
    EXPECT_NE(nullptr, GetMenu(frame.Window()));
    EXPECT_NE(nullptr, frame.Accelerators());
    EXPECT_EQ(WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
              GetWindowLongA(frame.Window(), GWL_STYLE) & ~(WS_VISIBLE | WS_MAXIMIZE | WS_MINIMIZE));
    EXPECT_NE(0, GetClassLongPtrA(frame.Window(), GCLP_HICON));
    EXPECT_NE(0, GetClassLongPtrA(frame.Window(), GCLP_HICONSM));
    EXPECT_EQ("Ready", StatusText());
}

TEST_F(FrameTest, TheClientViewFillsWhatTheBarsLeave)
{
    RECT client{};
    GetClientRect(frame.Window(), &client);
    RECT r = ChildRect(view);
    EXPECT_EQ(Height(frame.Rebar()), r.top);
    EXPECT_EQ(client.bottom - Height(frame.StatusBar()), r.bottom);
    EXPECT_EQ(client.right, r.right);

    ShowWindow(frame.StatusBar(), SW_HIDE);
    frame.LayoutChildren(true);
    EXPECT_EQ(client.bottom, ChildRect(view).bottom);
    ShowWindow(frame.StatusBar(), SW_SHOWNOACTIVATE);
    frame.LayoutChildren(true);
    EXPECT_EQ(client.bottom - Height(frame.StatusBar()), ChildRect(view).bottom);
}

TEST_F(FrameTest, AMinimisedFrameIsNotLaidOut)
{
    MoveWindow(view, 1, 2, 30, 40, FALSE);
    SendMessageA(frame.Window(), WM_SIZE, SIZE_MINIMIZED, 0);
    EXPECT_EQ(2, ChildRect(view).top);
    SendMessageA(frame.Window(), WM_SIZE, SIZE_RESTORED, MAKELPARAM(500, 500));
    EXPECT_EQ(Height(frame.Rebar()), ChildRect(view).top);
}

TEST_F(FrameTest, BandsAreNumberedAndTheRebarDividerRuleHolds)
{
    HWND second = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE, 0, 0, 60, 16, frame.Window(), nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    ASSERT_EQ(1, frame.AddBand(second, nullptr, true, 0, true));
    for (UINT i = 0; i < 2; ++i) {
        REBARBANDINFOA band{};
        band.cbSize = 80;
        band.fMask = RBBIM_ID;
        SendMessageA(frame.Rebar(), RB_GETBANDINFOA, i, reinterpret_cast<LPARAM>(&band));
        EXPECT_EQ(IDW_FIRST_BAND + i, band.wID);
    }
    EXPECT_EQ(0, GetWindowLongA(frame.Rebar(), GWL_STYLE) & WS_BORDER);

    TestFrame other;
    const RECT rectangle = {0, 0, 200, 200};
    other.CreateFrame(nullptr, &rectangle, 0, 0, nullptr);
    other.CreateRebar(WS_CHILD | CCS_NODIVIDER | WS_BORDER, IDW_REBAR);
    EXPECT_EQ(CCS_NODIVIDER, GetWindowLongA(other.Rebar(), GWL_STYLE) & (CCS_NODIVIDER | WS_BORDER));
    DestroyWindow(other.Rebar());
    other.CreateRebar(WS_CHILD, IDW_REBAR);
    EXPECT_EQ(CCS_NODIVIDER, GetWindowLongA(other.Rebar(), GWL_STYLE) & (CCS_NODIVIDER | WS_BORDER));
    DestroyWindow(other.Window());
}

TEST_F(FrameTest, MenuHelpShowsPromptsInSimpleModeUntilTheMenuCloses)
{
    const HMENU system = GetSystemMenu(frame.Window(), FALSE);
    SendMessageA(frame.Window(), WM_MENUSELECT, MAKEWPARAM(SC_MOVE, MF_HILITE), reinterpret_cast<LPARAM>(system));
    EXPECT_TRUE(SendMessageA(frame.StatusBar(), SB_ISSIMPLE, 0, 0));
    EXPECT_EQ("Change the window position", StatusText());
    SendMessageA(frame.Window(), WM_MENUSELECT, MAKEWPARAM(SC_RESTORE, MF_HILITE), reinterpret_cast<LPARAM>(system));
    EXPECT_EQ("Restore the window to normal size", StatusText());
    const HMENU menu = GetMenu(frame.Window());
    SendMessageA(frame.Window(), WM_MENUSELECT, MAKEWPARAM(ID_VIEW_STATUS_BAR, MF_HILITE), reinterpret_cast<LPARAM>(menu));
    EXPECT_EQ("Show or hide the status bar", StatusText());
    SendMessageA(frame.Window(), WM_MENUSELECT, MAKEWPARAM(2, MF_HILITE | MF_POPUP), reinterpret_cast<LPARAM>(menu));
    EXPECT_EQ("", StatusText());
    SendMessageA(frame.Window(), WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
    EXPECT_FALSE(SendMessageA(frame.StatusBar(), SB_ISSIMPLE, 0, 0));
    EXPECT_EQ("Ready", StatusText());
}

TEST_F(FrameTest, TooltipsShowTheTextAfterTheLineFeed)
{
    NMTTDISPINFOA info{};
    info.hdr.hwndFrom = frame.Rebar();
    info.hdr.code = TTN_GETDISPINFOA;
    std::strcpy(info.szText, "old");
    EXPECT_EQ(0, SendMessageA(frame.Window(), WM_NOTIFY, ID_VIEW_STATUS_BAR, reinterpret_cast<LPARAM>(&info)));
    EXPECT_STREQ("Toggle StatusBar", info.szText);
    EXPECT_TRUE(info.uFlags & TTF_DI_SETITEM);

    NMTTDISPINFOW wide{};
    wide.hdr.code = TTN_GETDISPINFOW;
    SendMessageA(frame.Window(), WM_NOTIFY, 0xE141, reinterpret_cast<LPARAM>(&wide));
    EXPECT_STREQ(L"Exit", wide.szText);
    NMTTDISPINFOA none{};
    none.hdr.code = TTN_GETDISPINFOA;
    std::strcpy(none.szText, "old");
    SendMessageA(frame.Window(), WM_NOTIFY, 32772, reinterpret_cast<LPARAM>(&none));
    EXPECT_STREQ("", none.szText);
}

TEST_F(FrameTest, CentredOnTheWorkAreaAndKeptInsideIt)
{
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    ASSERT_TRUE(PlaceCentred(frame.Window(), nullptr));
    RECT r{};
    GetWindowRect(frame.Window(), &r);
    EXPECT_EQ((work.left + work.right) / 2 - 250, r.left);
    EXPECT_EQ((work.top + work.bottom) / 2 - 275, r.top);

    MoveWindow(frame.Window(), 0, 0, work.right - work.left + 200, work.bottom - work.top + 100, FALSE);
    PlaceCentred(frame.Window(), nullptr);
    GetWindowRect(frame.Window(), &r);
    EXPECT_EQ(work.left, r.left);
    EXPECT_EQ(work.top, r.top);
    EXPECT_EQ(frame.Window(), TopLevelParent(view));
}

} // namespace
