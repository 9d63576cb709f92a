// The menu bar driven the way a user drives it: real keys and mouse input against the real
// main window, with the modal menu loops observed from timer callbacks that run inside them.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>
#include <oleacc.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/unique_any.h"
#include "host_command.h"
#include "main_window_fixture.h"
#include "synthesized_input.h"
#include "thread_windows.h"
#include "time_scale.h"
#include "ui/resource.h"
#include "test_texts.h"

namespace {

enum Button { kFile = 0, kEdit = 1, kView = 2, kHelp = 3 };

HWND OpenMenuWindow() { return FindVisibleThreadWindow("#32768"); }

// Steps run one per timer tick; a step that returns false is tried again at the next tick.
// Ticks stretch with the time scale, so that counts of ticks mean the same under emulation.
// Timer callbacks are dispatched inside menu loops too, so a script can drive an open menu.
class Script {
public:
    using Step = std::function<bool()>;
    explicit Script(std::vector<Step> steps) : steps_(std::move(steps)) {}

    // Runs the steps while pumping; false when a step never came true. Any menu still open
    // at the end is closed, so that a failing test cannot hang.
    bool Run(MainWindowFixture& f)
    {
        current_ = this;
        const UINT_PTR timer = SetTimer(nullptr, 0, Scaled(20), Tick);
        const DWORD start = GetTickCount();
        while (!done_ && GetTickCount() - start < Scaled(15000)) {
            MSG message;
            while (!done_ && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
                if (message.message == WM_QUIT) {
                    f.quitCode = static_cast<int>(message.wParam);
                    break;
                }
                if (!f.pump.FilterPass(&message)) {
                    TranslateMessage(&message);
                    DispatchMessageA(&message);
                }
            }
            Sleep(5);
        }
        KillTimer(nullptr, timer);
        current_ = nullptr;
        if (OpenMenuWindow())
            EndMenu();
        f.Pump();
        return done_ && !timedOut_;
    }
    size_t StepsDone() const { return next_; }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD)
    {
        Script* script = current_;
        if (!script || script->done_)
            return;
        if (++script->ticks_ > 400) {
            script->timedOut_ = script->done_ = true;
            EndMenu();
            return;
        }
        if (script->steps_[script->next_]())
            ++script->next_;
        if (script->next_ == script->steps_.size())
            script->done_ = true;
    }

    static inline Script* current_ = nullptr;
    std::vector<Step> steps_;
    size_t next_ = 0;
    int ticks_ = 0;
    bool done_ = false;
    bool timedOut_ = false;
};

RECT ButtonRect(MainWindowFixture& f, int index)
{
    RECT r{};
    SendMessageA(f.window.Bar().Window(), TB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&r));
    MapWindowPoints(f.window.Bar().Window(), nullptr, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

POINT ButtonCentre(MainWindowFixture& f, int index)
{
    const RECT r = ButtonRect(f, index);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// The item of the open menu that shows as selected, -1 for none.
int SelectedItem(HMENU menu)
{
    for (int i = 0; i < GetMenuItemCount(menu); ++i)
        if (GetMenuState(menu, i, MF_BYPOSITION) & MF_HILITE)
            return i;
    return -1;
}

HMENU SubMenu(MainWindowFixture& f, int button) { return GetSubMenu(f.window.Bar().BarMenu(), button); }

int HotButton(MainWindowFixture& f)
{
    return static_cast<int>(SendMessageA(f.window.Bar().Window(), TB_GETHOTITEM, 0, 0));
}

bool BarHasFocus(MainWindowFixture& f) { return GetFocus() == f.window.Bar().Window(); }

// Step helpers.
Script::Step MenuOpenOn(MainWindowFixture& f, int button)
{
    return [&f, button] { return OpenMenuWindow() && f.window.Bar().OpenButton() == button; };
}
Script::Step NoMenu() { return [] { return OpenMenuWindow() == nullptr; }; }
Script::Step Keys(std::initializer_list<WORD> keys)
{
    std::vector<WORD> copy(keys);
    return [copy] {
        PressKeys(copy);
        return true;
    };
}
Script::Step Check(std::function<void()> check)
{
    return [check] {
        check();
        return true;
    };
}
// Gives input, then waits until the thread has taken the key or button down and up again (its
// toggle bit flipped and its down bit clear): from then on "nothing happened" holds.
Script::Step Taken(WORD key, std::function<void()> give)
{
    auto toggle = std::make_shared<int>(-1);
    return [key, give, toggle] {
        if (*toggle < 0) {
            *toggle = GetKeyState(key) & 1;
            give();
            return false;
        }
        return (GetKeyState(key) & 1) != *toggle && GetKeyState(key) >= 0;
    };
}
// Presses the keys, modifiers first, until the thread has taken the last of them.
Script::Step KeysTaken(std::initializer_list<WORD> keys)
{
    std::vector<WORD> copy(keys);
    return Taken(copy.back(), [copy] { PressKeys(copy); });
}

// Everything a converted item must have again once its menu has closed; check marks and gray
// aside, which the window gives the items as their menu opens.
struct ItemSnapshot {
    UINT type;
    UINT state;
    ULONG_PTR data;
    std::string text;
    bool operator==(const ItemSnapshot& other) const
    {
        return type == other.type && state == other.state && data == other.data && text == other.text;
    }
};

std::vector<ItemSnapshot> Snapshot(HMENU bar)
{
    std::vector<ItemSnapshot> items;
    for (int b = 0; b < GetMenuItemCount(bar); ++b) {
        const HMENU menu = GetSubMenu(bar, b);
        for (int i = 0; i < GetMenuItemCount(menu); ++i) {
            char text[100] = {};
            MENUITEMINFOA info{};
            info.cbSize = sizeof info;
            info.fMask = MIIM_TYPE | MIIM_STATE | MIIM_DATA;
            info.dwTypeData = text;
            info.cch = sizeof text;
            GetMenuItemInfoA(menu, i, TRUE, &info);
            // Check marks are the frame's to change; the rest must come back unchanged.
            items.push_back({info.fType, info.fState & ~(MFS_CHECKED | MFS_GRAYED), info.dwItemData, text});
        }
    }
    return items;
}

class CommandBarInput : public testing::Test {
protected:
    void SetUp() override { SetCursorPos(5, 5); }
    MainWindowFixture f{kFive};
};

TEST_F(CommandBarInput, AltAndF10EnterAndLeaveKeyboardMode)
{
    ASSERT_EQ(f.window.List(), GetFocus());
    f.PressKeys({VK_MENU});
    EXPECT_TRUE(BarHasFocus(f));
    f.PressKeys({VK_MENU});
    EXPECT_EQ(f.window.List(), GetFocus()) << "the frame hands its focus on to the list";

    // Shift+F10 is left to the frame, which may start its own system-menu loop.
    Script shiftF10({KeysTaken({VK_SHIFT, VK_F10}), Check([&] { EXPECT_FALSE(BarHasFocus(f)); }), [] {
                         EndMenu();
                         return true;
                     }});
    EXPECT_TRUE(shiftF10.Run(f));
    EXPECT_FALSE(BarHasFocus(f));
    f.PressKeys({VK_F10});
    EXPECT_TRUE(BarHasFocus(f));
    f.PressKeys({VK_ESCAPE});
    EXPECT_FALSE(BarHasFocus(f));
    EXPECT_EQ(-1, HotButton(f));
}

TEST_F(CommandBarInput, UnderlinesHiddenUntilKeyboardUseAppearWithAlt)
{
    BOOL before = TRUE;
    SystemParametersInfoA(SPI_GETKEYBOARDCUES, 0, &before, 0);
    SystemParametersInfoA(SPI_SETKEYBOARDCUES, 0, reinterpret_cast<void*>(FALSE), 0);
    SendMessageA(f.window.Bar().Window(), WM_SETTINGCHANGE, 0, 0);
    const bool hiddenAtStart = !f.window.Bar().CuesShown();
    f.PressKeys({VK_MENU});
    const bool shownInKeyboardMode = f.window.Bar().CuesShown() && BarHasFocus(f);
    f.PressKeys({VK_MENU});
    const bool hiddenAfterwards = !f.window.Bar().CuesShown() && !BarHasFocus(f);
    SystemParametersInfoA(SPI_SETKEYBOARDCUES, 0, reinterpret_cast<void*>(static_cast<INT_PTR>(before)), 0);
    SendMessageA(f.window.Bar().Window(), WM_SETTINGCHANGE, 0, 0);
    EXPECT_TRUE(hiddenAtStart);
    EXPECT_TRUE(shownInKeyboardMode);
    EXPECT_TRUE(hiddenAfterwards);
    EXPECT_TRUE(f.window.Bar().CuesShown());
}

TEST_F(CommandBarInput, AltWithAMnemonicOpensItsMenuInEitherCase)
{
    for (const auto& keys : {std::vector<WORD>{VK_MENU, 'F'}, std::vector<WORD>{VK_MENU, VK_SHIFT, 'F'}}) {
        PressKeys(keys);
        Script open({MenuOpenOn(f, kFile), Keys({VK_ESCAPE}), Keys({VK_ESCAPE}), NoMenu()});
        EXPECT_TRUE(open.Run(f)) << "keys " << keys.size() << " stopped at step " << open.StepsDone();
        f.Pump();
        EXPECT_FALSE(BarHasFocus(f));
    }

    // A letter no button has: no menu, and keyboard mode is over.
    f.PressKeys({VK_MENU});
    ASSERT_TRUE(BarHasFocus(f));
    Script none({KeysTaken({VK_MENU, 'Q'}), NoMenu()});
    EXPECT_TRUE(none.Run(f));
    EXPECT_FALSE(BarHasFocus(f));
    EXPECT_EQ(-1, HotButton(f));
}

Script::Step Click(POINT screen)
{
    return [screen] {
        ClickAt(screen);
        return true;
    };
}
// Wine now and then hands the menu loop a stale copy of a lone synthesized move, so pointing
// keeps the pointer moving by a pixel, as a user's hand does.
void NudgePointerTo(MainWindowFixture& f, int button, int nudge)
{
    POINT centre = ButtonCentre(f, button);
    centre.x += nudge % 2;
    MoveMouseTo(centre);
}
// Rests the pointer on a button for some ticks.
Script::Step HoverOver(MainWindowFixture& f, int button, int ticks)
{
    auto left = std::make_shared<int>(ticks);
    return [&f, button, left] {
        NudgePointerTo(f, button, *left);
        return --*left <= 0;
    };
}
// Points at a button until its menu is the open one.
Script::Step PointAt(MainWindowFixture& f, int button)
{
    auto nudges = std::make_shared<int>(0);
    return [&f, button, nudges] {
        if (OpenMenuWindow() && f.window.Bar().OpenButton() == button)
            return true;
        NudgePointerTo(f, button, (*nudges)++);
        return false;
    };
}
// Clicks an item of the open menu.
// A negative position only points at item -1 - position without clicking.
Script::Step ClickItem(MainWindowFixture& f, int button, int target)
{
    return [&f, button, target] {
        const int position = target < 0 ? -1 - target : target;
        RECT item{};
        const HWND popup = OpenMenuWindow();
        if (!popup || !GetMenuItemRect(f.window.Bar().Window(), SubMenu(f, button), position, &item))
            return false;
        // Wine places the rectangle relative to the owner window instead of the popup: take
        // it back to the popup's client area.
        POINT owner = {0, 0}, centre = {(item.left + item.right) / 2, (item.top + item.bottom) / 2};
        ClientToScreen(f.window.Bar().Window(), &owner);
        centre.x -= owner.x;
        centre.y -= owner.y;
        ClientToScreen(popup, &centre);
        // The pointer rests on the item before the click, as a user's would.
        if (SelectedItem(SubMenu(f, button)) != position) {
            MoveMouseTo(centre);
            return false;
        }
        if (target >= 0)
            ClickAt(centre);
        return true;
    };
}
Script::Step CloseDialog()
{
    return [] {
        const HWND dialog = FindVisibleThreadWindow("#32770");
        if (dialog)
            EndDialog(dialog, IDCANCEL);
        return dialog != nullptr;
    };
}

bool ViewShowsCheck(MainWindowFixture& f, UINT id)
{
    return (GetMenuState(SubMenu(f, kView), id, MF_BYCOMMAND) & MF_CHECKED) != 0;
}

// A bar menu whose Edit menu is grayed, in place of the window's own.
UniqueMenu MenuWithGrayedEdit()
{
    UniqueMenu menu(CreateMenu());
    const char* names[] = {"&File", "&Edit", "&View", "&Help"};
    for (int i = 0; i < 4; ++i) {
        const HMENU popup = CreatePopupMenu();
        AppendMenuA(popup, MF_STRING, 100 + i, "&Item");
        AppendMenuA(popup, MF_STRING, 200 + i, "&Other");
        AppendMenuA(menu.get(), MF_POPUP | (i == kEdit ? MF_GRAYED : 0), reinterpret_cast<UINT_PTR>(popup), names[i]);
    }
    return menu;
}

TEST_F(CommandBarInput, LeftAndRightWrapAroundAndEscapeStepsBack)
{
    Script script({Keys({VK_MENU, 'H'}), MenuOpenOn(f, kHelp), Keys({VK_RIGHT}), MenuOpenOn(f, kFile),
                   [&] { return SelectedItem(SubMenu(f, kFile)) == 0; }, // the first item selected
                   Keys({VK_LEFT}), MenuOpenOn(f, kHelp), Keys({VK_LEFT}), MenuOpenOn(f, kView),
                   KeysTaken({VK_ESCAPE}), NoMenu(), Check([&] {
                       EXPECT_EQ(kView, HotButton(f));
                       EXPECT_TRUE(SendMessageA(f.window.Bar().Window(), TB_GETANCHORHIGHLIGHT, 0, 0));
                       EXPECT_TRUE(BarHasFocus(f));
                   }),
                   KeysTaken({VK_ESCAPE})});
    EXPECT_TRUE(script.Run(f)) << "stopped at step " << script.StepsDone();
    EXPECT_FALSE(BarHasFocus(f));
    EXPECT_EQ(-1, HotButton(f));
}

TEST_F(CommandBarInput, ArrowsAndTheMouseSkipADisabledButton)
{
    const HMENU original = f.window.Bar().BarMenu();
    UniqueMenu grayed = MenuWithGrayedEdit();
    ASSERT_TRUE(f.window.Bar().SetBarMenu(grayed.get()));
    Script keys({Keys({VK_MENU, 'F'}), MenuOpenOn(f, kFile), Keys({VK_RIGHT}), MenuOpenOn(f, kView), Keys({VK_LEFT}),
                 MenuOpenOn(f, kFile), Keys({VK_ESCAPE}), NoMenu(), KeysTaken({VK_ESCAPE})});
    EXPECT_TRUE(keys.Run(f)) << "stopped at step " << keys.StepsDone();
    Script mouse({Click(ButtonCentre(f, kFile)), MenuOpenOn(f, kFile), HoverOver(f, kEdit, 10),
                  MenuOpenOn(f, kFile), PointAt(f, kView), Keys({VK_ESCAPE}),
                  NoMenu(), KeysTaken({VK_ESCAPE})});
    EXPECT_TRUE(mouse.Run(f)) << "stopped at step " << mouse.StepsDone();
    f.window.Bar().SetBarMenu(original);
}

TEST_F(CommandBarInput, AClickOpensAMenuBelowItsButtonAndASecondClickClosesIt)
{
    Script script({Click(ButtonCentre(f, kFile)), MenuOpenOn(f, kFile), Check([&] {
                       RECT menu{};
                       GetWindowRect(OpenMenuWindow(), &menu);
                       const RECT button = ButtonRect(f, kFile);
                       EXPECT_GE(menu.top, button.bottom - 1);
                       EXPECT_NEAR(button.left, menu.left, 2);
                   }),
                   PointAt(f, kView),
                   Check([&] { EXPECT_EQ(-1, SelectedItem(SubMenu(f, kView))) << "no item selected"; }),
                   Taken(VK_LBUTTON, [&] { ClickAt(ButtonCentre(f, kView)); }), NoMenu()});
    EXPECT_TRUE(script.Run(f)) << "stopped at step " << script.StepsDone();
    EXPECT_EQ(-1, f.window.Bar().OpenButton());
}

TEST_F(CommandBarInput, MenuCommandsWorkByKeyboard)
{
    Script caseMode({Keys({VK_MENU}), Keys({'V'}), MenuOpenOn(f, kView), KeysTaken({'I'}), NoMenu()});
    EXPECT_TRUE(caseMode.Run(f)) << "stopped at step " << caseMode.StepsDone();
    EXPECT_FALSE(f.window.IgnoreCase());
    EXPECT_FALSE(BarHasFocus(f));
    Script reopen({Keys({VK_MENU, 'V'}), MenuOpenOn(f, kView), Check([&] {
                       EXPECT_FALSE(ViewShowsCheck(f, ID_IGNORE_CASE));
                       EXPECT_TRUE(ViewShowsCheck(f, ID_VIEW_STATUS_BAR));
                   }),
                   Keys({VK_ESCAPE}), NoMenu(), Keys({VK_ESCAPE})});
    EXPECT_TRUE(reopen.Run(f)) << "stopped at step " << reopen.StepsDone();

    WriteBytes("history.ini", "[Keywords]\r\nStartPos=0\r\nEndPos=1\r\n0=fresh\r\n");
    Script reload({Keys({VK_MENU, 'F'}), MenuOpenOn(f, kFile), Keys({'R'}), NoMenu(),
                   [&] { return f.Rows() == std::vector<std::string>{"0:fresh"}; }});
    EXPECT_TRUE(reload.Run(f)) << "stopped at step " << reload.StepsDone();
    EXPECT_EQ((std::vector<std::string>{"0:fresh"}), f.Rows());

    f.SelectRows({0});
    Script erase({Keys({VK_MENU, 'E'}), MenuOpenOn(f, kEdit), Keys({'D'}), NoMenu(), [&] { return f.Rows().empty(); }});
    EXPECT_TRUE(erase.Run(f)) << "stopped at step " << erase.StepsDone();
    EXPECT_TRUE(f.Rows().empty());

    Script about({Keys({VK_MENU, 'H'}), MenuOpenOn(f, kHelp), Keys({'A'}), CloseDialog(), NoMenu()});
    EXPECT_TRUE(about.Run(f)) << "stopped at step " << about.StepsDone();

    Script statusBar({Keys({VK_MENU, 'V'}), MenuOpenOn(f, kView), Keys({'S'}), NoMenu(),
                      [&] { return !IsWindowVisible(f.window.StatusBar()); }});
    EXPECT_TRUE(statusBar.Run(f)) << "stopped at step " << statusBar.StepsDone();
    EXPECT_FALSE(IsWindowVisible(f.window.StatusBar()));

    Script exit({Keys({VK_MENU, 'F'}), MenuOpenOn(f, kFile), Keys({'E'}), [&] { return !IsWindow(f.frame); }});
    EXPECT_TRUE(exit.Run(f)) << "stopped at step " << exit.StepsDone();
    f.Pump();
    EXPECT_EQ(0, f.quitCode);
}

TEST_F(CommandBarInput, MenuCommandsWorkByMouse)
{
    Script statusBar({Click(ButtonCentre(f, kView)), MenuOpenOn(f, kView), ClickItem(f, kView, 2), NoMenu(),
                      [&] { return !IsWindowVisible(f.window.StatusBar()); }});
    EXPECT_TRUE(statusBar.Run(f)) << "stopped at step " << statusBar.StepsDone();
    EXPECT_FALSE(IsWindowVisible(f.window.StatusBar()));

    Script caseMode({Click(ButtonCentre(f, kView)), MenuOpenOn(f, kView), Check([&] {
                         EXPECT_FALSE(ViewShowsCheck(f, ID_VIEW_STATUS_BAR));
                     }),
                     ClickItem(f, kView, 3), NoMenu(), [&] { return !f.window.IgnoreCase(); }});
    EXPECT_TRUE(caseMode.Run(f)) << "stopped at step " << caseMode.StepsDone();
    EXPECT_FALSE(f.window.IgnoreCase()) << "the command arrives exactly once";

    Script about({Click(ButtonCentre(f, kHelp)), MenuOpenOn(f, kHelp), ClickItem(f, kHelp, 0), CloseDialog(), NoMenu()});
    EXPECT_TRUE(about.Run(f)) << "stopped at step " << about.StepsDone();

    WriteBytes("history.ini", "[Keywords]\r\nStartPos=0\r\nEndPos=2\r\n0=fresh\r\n1=new\r\n");
    Script reload({Click(ButtonCentre(f, kView)), MenuOpenOn(f, kView), ClickItem(f, kView, 0), NoMenu(),
                   [&] { return f.Rows().size() == 2; }});
    EXPECT_TRUE(reload.Run(f)) << "stopped at step " << reload.StepsDone();
    EXPECT_EQ((std::vector<std::string>{"1:new", "0:fresh"}), f.Rows());

    f.SelectRows({0});
    Script erase({Click(ButtonCentre(f, kEdit)), MenuOpenOn(f, kEdit), ClickItem(f, kEdit, 2), NoMenu(),
                  [&] { return f.Rows().size() == 1; }});
    EXPECT_TRUE(erase.Run(f)) << "stopped at step " << erase.StepsDone();
    EXPECT_EQ((std::vector<std::string>{"0:fresh"}), f.Rows());
    EXPECT_EQ("[Keywords]\r\nStartPos=0\r\nEndPos=2\r\n0=fresh\r\n1=\r\n", ReadBytes("history.ini"));

    Script exit({Click(ButtonCentre(f, kFile)), MenuOpenOn(f, kFile), ClickItem(f, kFile, 2),
                 [&] { return !IsWindow(f.frame); }});
    EXPECT_TRUE(exit.Run(f)) << "stopped at step " << exit.StepsDone();
    f.Pump();
    EXPECT_EQ(0, f.quitCode);
}

std::string Prompt(UINT id)
{
    char text[256] = {};
    LoadStringA(GetModuleHandleA(nullptr), id, text, sizeof text);
    return std::string(text).substr(0, std::string(text).find('\n'));
}

std::string StatusText(HWND status)
{
    if (!SendMessageA(status, SB_ISSIMPLE, 0, 0))
        return "(normal mode)";
    char text[256] = {};
    SendMessageA(status, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text)); // the simple part reads as part 0
    return text;
}

TEST_F(CommandBarInput, TheStatusBarShowsTheHighlightedItemsPromptWhileAMenuIsOpen)
{
    const HWND status = f.window.StatusBar();
    Script script({Click(ButtonCentre(f, kFile)), MenuOpenOn(f, kFile), ClickItem(f, kFile, -1),
                   [&] { return StatusText(status) == Prompt(ID_HISTORY_RELOAD); }, Keys({VK_ESCAPE}), NoMenu(),
                   KeysTaken({VK_ESCAPE})});
    EXPECT_TRUE(script.Run(f)) << "stopped at step " << script.StepsDone();
    EXPECT_EQ("(normal mode)", StatusText(status));
}

// The pointer moved and clicked through the X server beneath Wine: after a switch between
// open menus, Wine's menu loop takes only genuine X input as a user's mouse.
Script::Step XPointer(POINT screen, bool click)
{
    return [screen, click] {
        return RunOnHost("xdotool mousemove " + std::to_string(screen.x) + " " + std::to_string(screen.y) +
                         (click ? " click 1" : "")) == 0;
    };
}

// Whichever way the menu closed, by a command or by a click on its button after a switch, no
// button stays hot once the pointer has left the bar.
TEST_F(CommandBarInput, NoButtonStaysHotAfterItsMenuCloses)
{
    const auto noneHot = [&] { return HotButton(f) == -1; };
    Script command({Keys({VK_MENU, 'H'}), MenuOpenOn(f, kHelp), Keys({'A'}),
                    [] { return FindVisibleThreadWindow("#32770") != nullptr; }, noneHot, CloseDialog(), NoMenu()});
    EXPECT_TRUE(command.Run(f)) << "stopped at step " << command.StepsDone();
    if (RunOnHost("command -v xdotool >/dev/null") != 0)
        GTEST_SKIP() << "xdotool, which scripts/bootstrap installs, is missing";
    RECT list{};
    GetWindowRect(f.window.List(), &list);
    const POINT away{(list.left + list.right) / 2, (list.top + list.bottom) / 2};
    Script script({XPointer(ButtonCentre(f, kEdit), true), MenuOpenOn(f, kEdit), XPointer(ButtonCentre(f, kView), false),
                   MenuOpenOn(f, kView), XPointer(ButtonCentre(f, kView), true), NoMenu(), XPointer(away, false),
                   noneHot, XPointer(ButtonCentre(f, kFile), false), [&] { return HotButton(f) == kFile; },
                   XPointer(away, false), noneHot});
    EXPECT_TRUE(script.Run(f)) << "stopped at step " << script.StepsDone();
}

// As a native menu bar's, the open menu closes when the display scale changes; the window
// then takes the new scale.
TEST_F(CommandBarInput, AChangeOfDisplayScaleClosesTheOpenMenuFirst)
{
    RECT suggested{30, 20, 30 + 750, 20 + 700};
    Script script({Keys({VK_MENU, 'V'}), MenuOpenOn(f, kView), Check([&] {
                       SendMessageA(f.frame, kDpiChanged, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
                   }),
                   NoMenu(), [&] { return f.window.Bar().Dpi() == 144; }});
    EXPECT_TRUE(script.Run(f)) << "stopped at step " << script.StepsDone();
    RECT frame{};
    GetWindowRect(f.frame, &frame);
    EXPECT_TRUE(EqualRect(&suggested, &frame));
    EXPECT_EQ(-1, f.window.Bar().OpenButton());
}

// While a menu is shown its items are drawn by the bar, and each item's data gives a screen
// reader the item's name: the resource's text, byte for byte, in UTF-16.
Script::Step ItemsNamedAsTheResource(MainWindowFixture& f, int button)
{
    return Check([&f, button] {
        const UniqueMenu resource(LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME)));
        const HMENU shown = SubMenu(f, button);
        for (int i = 0; i < GetMenuItemCount(shown); ++i) {
            MENUITEMINFOA info{};
            info.cbSize = sizeof info;
            info.fMask = MIIM_TYPE | MIIM_DATA;
            GetMenuItemInfoA(shown, i, TRUE, &info);
            EXPECT_TRUE(info.fType & MF_OWNERDRAW) << "drawn by the bar while shown";
            const auto* name = reinterpret_cast<const MSAAMENUINFO*>(info.dwItemData);
            ASSERT_TRUE(name && name->dwMSAASignature == static_cast<DWORD>(MSAA_MENU_SIG)) << button << ":" << i;
            char text[100] = {}, expected[100] = {};
            WideCharToMultiByte(CP_ACP, 0, name->pszWText ? name->pszWText : L"", static_cast<int>(name->cchWText),
                                text, sizeof text - 1, nullptr, nullptr);
            GetMenuStringA(GetSubMenu(resource.get(), button), i, expected, sizeof expected, MF_BYPOSITION);
            EXPECT_EQ(std::string(expected), text) << button << ":" << i;
        }
    });
}

TEST_F(CommandBarInput, EveryItemGetsItsFormerFormBackAfterTracking)
{
    const HMENU bar = f.window.Bar().BarMenu();
    const auto before = Snapshot(bar);
    Script script({Keys({VK_MENU, 'F'}), MenuOpenOn(f, kFile), ItemsNamedAsTheResource(f, kFile), Keys({VK_RIGHT}),
                   MenuOpenOn(f, kEdit), ItemsNamedAsTheResource(f, kEdit), Keys({VK_RIGHT}), MenuOpenOn(f, kView),
                   ItemsNamedAsTheResource(f, kView), Keys({VK_RIGHT}), MenuOpenOn(f, kHelp),
                   ItemsNamedAsTheResource(f, kHelp), Keys({VK_ESCAPE}), NoMenu(), KeysTaken({VK_ESCAPE})});
    EXPECT_TRUE(script.Run(f)) << "stopped at step " << script.StepsDone();
    EXPECT_TRUE(before == Snapshot(bar));
    for (const ItemSnapshot& item : Snapshot(bar)) {
        EXPECT_EQ(0u, item.data) << item.text;
        EXPECT_EQ(0u, item.type & MFT_OWNERDRAW) << item.text;
    }
}

// A menu closed without a choice gives the focus back where it was, as a window's own menu
// bar does: what the user types next still goes to the keyword box.
TEST_F(CommandBarInput, ACancelledMenuGivesTheFocusBack)
{
    const HWND box = f.window.KeywordBox();
    for (const WORD key : {VK_MENU, VK_F10}) {
        SetFocus(box);
        f.PressKeys({key});
        EXPECT_TRUE(BarHasFocus(f)) << key;
        f.PressKeys({VK_ESCAPE});
        EXPECT_EQ(box, GetFocus()) << key;
    }
    SetFocus(box);
    Script cancel({Keys({VK_MENU, 'F'}), MenuOpenOn(f, kFile), Keys({VK_ESCAPE}), NoMenu(), Keys({VK_ESCAPE})});
    EXPECT_TRUE(cancel.Run(f)) << "stopped at step " << cancel.StepsDone();
    EXPECT_EQ(box, GetFocus());
    f.PressKeys({'C'});
    char typed[8] = {};
    GetWindowTextA(box, typed, sizeof typed);
    EXPECT_STREQ("c", typed);
}

TEST_F(CommandBarInput, TabMovesTheFocusBetweenTheBoxAndTheList)
{
    const HWND box = f.window.KeywordBox();
    const HWND list = f.window.List();
    ASSERT_EQ(list, GetFocus());
    f.PressKeys({VK_TAB});
    EXPECT_EQ(box, GetFocus());
    f.PressKeys({VK_TAB});
    EXPECT_EQ(list, GetFocus());
    f.PressKeys({VK_SHIFT, VK_TAB});
    EXPECT_EQ(box, GetFocus());
    f.PressKeys({VK_SHIFT, VK_TAB});
    EXPECT_EQ(list, GetFocus());
}

// While one menu is tracked, a request for another is refused and the open one stays as it is.
TEST_F(CommandBarInput, ARequestWhileAMenuIsOpenLeavesItAlone)
{
    const auto before = Snapshot(f.window.Bar().BarMenu());
    UniqueMenu other(CreatePopupMenu());
    AppendMenuA(other.get(), MF_STRING, 1, "&One");
    TrackPopupRequest request{sizeof request, other.get(), TPM_RETURNCMD, 100, 100, nullptr};
    LRESULT answer = -1;
    bool stillTracked = false, stillDrawnByTheBar = false;
    int selected = -1;
    Script nested({Keys({VK_MENU, 'F'}), MenuOpenOn(f, kFile), Check([&] {
                       answer = SendMessageA(f.frame, kRequestTrackPopup, 0, reinterpret_cast<LPARAM>(&request));
                       stillTracked = f.window.Bar().Tracking() && OpenMenuWindow();
                       stillDrawnByTheBar = GetMenuState(SubMenu(f, kFile), 0, MF_BYPOSITION) & MF_OWNERDRAW;
                       selected = SelectedItem(SubMenu(f, kFile));
                   }),
                   Keys({VK_DOWN}), [&] { return SelectedItem(SubMenu(f, kFile)) != selected; }, MenuOpenOn(f, kFile),
                   Keys({VK_ESCAPE}), NoMenu(), Keys({VK_ESCAPE})});
    EXPECT_TRUE(nested.Run(f)) << "stopped at step " << nested.StepsDone();
    EXPECT_EQ(0, answer);
    EXPECT_TRUE(stillTracked);
    EXPECT_TRUE(stillDrawnByTheBar);
    EXPECT_TRUE(before == Snapshot(f.window.Bar().BarMenu()));
}

// The system tells only top-level windows that a setting changed: the frame passes it on, and
// the next menu is drawn in the new style.
TEST_F(CommandBarInput, ASettingChangedWhileTheToolRunsReachesTheBar)
{
    BOOL flat = FALSE;
    SystemParametersInfoA(SPI_GETFLATMENU, 0, &flat, 0);
    SystemParametersInfoA(SPI_SETFLATMENU, 0, reinterpret_cast<void*>(static_cast<INT_PTR>(!flat)), 0);
    SendMessageA(f.frame, WM_SETTINGCHANGE, SPI_SETFLATMENU, 0);
    const bool followed = f.window.Bar().DrawingSettings().flatMenus == !flat;
    SystemParametersInfoA(SPI_SETFLATMENU, 0, reinterpret_cast<void*>(static_cast<INT_PTR>(flat)), 0);
    SendMessageA(f.frame, WM_SETTINGCHANGE, SPI_SETFLATMENU, 0);
    EXPECT_TRUE(followed);
    EXPECT_EQ(flat != FALSE, f.window.Bar().DrawingSettings().flatMenus);
}

bool menuSeen = false;
void CALLBACK CloseAnyMenu(HWND, UINT, UINT_PTR, DWORD)
{
    if (OpenMenuWindow()) {
        menuSeen = true;
        EndMenu();
    }
}

TEST_F(CommandBarInput, RequestTrackPopupNeedsTheRightSize)
{
    UniqueMenu menu(CreatePopupMenu());
    AppendMenuA(menu.get(), MF_STRING, 1, "&One");
    TrackPopupRequest request{20, menu.get(), TPM_RETURNCMD, 100, 100, nullptr};
    menuSeen = false;
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, CloseAnyMenu);
    EXPECT_EQ(0, SendMessageA(f.frame, kRequestTrackPopup, 0, reinterpret_cast<LPARAM>(&request)));
    EXPECT_FALSE(menuSeen);
    EXPECT_EQ(0, SendMessageA(f.frame, kRequestTrackPopup, 0, 0));
    request.size = sizeof request;
    SendMessageA(f.frame, kRequestTrackPopup, 0, reinterpret_cast<LPARAM>(&request));
    KillTimer(nullptr, timer);
    EXPECT_TRUE(menuSeen) << "the right size opens the menu";
    EXPECT_EQ(0u, GetMenuState(menu.get(), 0, MF_BYPOSITION) & MF_OWNERDRAW);
}

TEST(CommandBarHooks, BarsOnOneThreadShareOneMessageHook)
{
    ASSERT_FALSE(CurrentThreadHookState().tableExists);
    const HWND parent = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    auto first = std::make_unique<CommandBar>();
    auto second = std::make_unique<CommandBar>();
    ASSERT_TRUE(first->CreateBar(parent, nullptr, nullptr, 0, 0, 0, nullptr));
    const ThreadHookState one = CurrentThreadHookState();
    ASSERT_TRUE(second->CreateBar(parent, nullptr, nullptr, 0, 0, 0, nullptr));
    const ThreadHookState two = CurrentThreadHookState();
    EXPECT_NE(nullptr, one.hook);
    EXPECT_EQ(1, one.useCount);
    EXPECT_EQ(one.hook, two.hook);
    EXPECT_EQ(2, two.useCount);
    DestroyWindow(second->Window());
    second.reset();
    EXPECT_EQ(one.hook, CurrentThreadHookState().hook);
    EXPECT_EQ(1, CurrentThreadHookState().useCount);
    DestroyWindow(first->Window());
    first.reset();
    EXPECT_EQ(nullptr, CurrentThreadHookState().hook);
    EXPECT_FALSE(CurrentThreadHookState().tableExists);
    DestroyWindow(parent);
}

} // namespace
