// The menu keyboard interface and the mouse moves between buttons: Alt, F10, mnemonics,
// typed letters, arrows, Escape and Enter, as the bar sees them through its hooks.
#include "command_bar.h"
#include "command_bar_process.h"
#include "menu_item_record.h"

#include <utility>

namespace {

constexpr LRESULT kMenuCharClose = MAKELRESULT(1, MNC_CLOSE);

// A typed byte as CharLowerA's single-character form takes it: sign-extended, in the low word.
WPARAM LowerCharacter(BYTE character)
{
    const auto extended = static_cast<WORD>(static_cast<SHORT>(static_cast<signed char>(character)));
    return reinterpret_cast<WPARAM>(CharLowerA(reinterpret_cast<LPSTR>(static_cast<ULONG_PTR>(extended))));
}

WPARAM SignExtended(WPARAM character)
{
    return static_cast<WPARAM>(static_cast<int>(static_cast<signed char>(character & 0xFF)));
}

// The byte after the first "&" of an item text; 0 when it has none.
BYTE MnemonicOf(const char* text)
{
    for (const char* p = text; *p; p = CharNextA(p))
        if (*p == '&')
            return static_cast<BYTE>(p[1]);
    return 0;
}

} // namespace

bool CommandBar::ButtonUsable(int index, bool skipHidden) const
{
    TBBUTTON button{};
    SendMessageA(Window(), TB_GETBUTTON, index, reinterpret_cast<LPARAM>(&button));
    return (button.fsState & TBSTATE_ENABLED) && !(skipHidden && (button.fsState & TBSTATE_HIDDEN));
}

BOOL CommandBar::OnMenuChar(WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    result = (tracking_ && LOWORD(wParam) != '\r') ? MNC_IGNORE : kMenuCharClose;
    if (tracking_) {
        if (HIWORD(wParam) == MF_POPUP)
            result = MatchPopupMnemonic(wParam, reinterpret_cast<HMENU>(lParam));
        return TRUE;
    }
    const HWND bar = Window();
    DWORD id = 0;
    if (!SendMessageA(bar, TB_MAPACCELERATORA, SignExtended(wParam), reinterpret_cast<LPARAM>(&id))) {
        // No button has the letter: keyboard mode ends and the frame answers as usual.
        EndKeyboardMode();
        return FALSE;
    }
    if (!IsWindowEnabled(topWindow_.Window()))
        return TRUE;
    if (hideCuesUntilKeyboard_ && !cuesShown_) {
        cuesRemembered_ = true;
        SetCuesVisible(true);
    }
    TakeFocus();
    PostMessageA(bar, WM_KEYDOWN, VK_DOWN, 0); // opens the button's menu
    SendMessageA(bar, TB_SETHOTITEM, id, 0);
    return TRUE;
}

LRESULT CommandBar::MatchPopupMnemonic(WPARAM wParam, HMENU menu)
{
    const WPARAM typed = LowerCharacter(static_cast<BYTE>(wParam & 0xFF));
    int matches = 0;
    int first = -1;
    const int count = GetMenuItemCount(menu);
    for (int position = 0; position < count; ++position) {
        char text[100] = {};
        MENUITEMINFOA info;
        if (!ReadMenuItem(menu, position, info, text) || (info.fType & MFT_SEPARATOR))
            continue;
        const MenuItemRecord* record = RecordOf(info.dwItemData);
        if (!record || !record->text)
            continue;
        const BYTE mnemonic = MnemonicOf(record->text);
        if (!mnemonic || LowerCharacter(mnemonic) != typed)
            continue;
        if (++matches == 1)
            first = position;
        else
            return MAKELRESULT(first, MNC_SELECT); // several items share it: select the first
    }
    if (matches == 0)
        return (LOWORD(wParam) != '\r') ? MNC_IGNORE : kMenuCharClose;
    EndKeyboardMode();
    return MAKELRESULT(first, MNC_EXECUTE);
}

void CommandBar::OnTypedLetter(WPARAM wParam)
{
    const HWND bar = Window();
    if (!IsWindowEnabled(topWindow_.Window()) || !BarHasFocus())
        return;
    if (wParam == '\r') {
        PostMessageA(bar, WM_KEYDOWN, VK_DOWN, 0);
        return;
    }
    DWORD id = 0;
    if (SendMessageA(bar, TB_MAPACCELERATORA, SignExtended(wParam), reinterpret_cast<LPARAM>(&id))) {
        PostMessageA(bar, WM_KEYDOWN, VK_DOWN, 0);
        SendMessageA(bar, TB_SETHOTITEM, id, 0);
    } else {
        MessageBeep(0);
    }
}

BOOL CommandBar::OnKeyMenu(WPARAM wParam, LRESULT& result)
{
    result = 0;
    if ((wParam & 0xFFF0) == SC_KEYMENU && std::exchange(altTakenByFrame_, false))
        return TRUE;
    BOOL handled = FALSE;
    const bool shiftUp = (GetKeyState(VK_SHIFT) & 0x80) == 0;
    if ((wParam & 0xFFF0) == SC_KEYMENU &&
        (lastSysKey_ == VK_MENU || (lastSysKey_ == VK_F10 && shiftUp) || lastSysKey_ == VK_SPACE)) {
        if (BarHasFocus()) {
            // Alt or F10 again in keyboard mode: back to the frame.
            EndKeyboardMode();
        } else if (lastSysKey_ != VK_SPACE) {
            handled = TRUE;
            if (!ignoreNextKeyMenu_) {
                if (hideCuesUntilKeyboard_ && !cuesShown_ && cuesRemembered_)
                    SetCuesVisible(true);
                TakeFocus(); // keyboard mode instead of the system's menu loop
            }
        }
    }
    ignoreNextKeyMenu_ = false;
    result = 0;
    return handled;
}

void CommandBar::OnSystemKey(WPARAM key)
{
    altTakenByFrame_ = false;
    if (key == VK_SPACE) {
        if (hideCuesUntilKeyboard_ && cuesShown_) {
            cuesRemembered_ = true;
            SetCuesVisible(false);
        }
        lastSysKey_ = VK_SPACE;
        return;
    }
    if (key == VK_MENU && hideCuesUntilKeyboard_ && !cuesShown_ && cuesRemembered_)
        SetCuesVisible(true);
    if (!tracking_ && BarHasFocus()) {
        // A system key in keyboard mode leaves it, and the SC_KEYMENU of its release is dropped.
        cuesRemembered_ = false;
        EndKeyboardMode();
        ignoreNextKeyMenu_ = true;
        return;
    }
    lastSysKey_ = static_cast<uint32_t>(key);
}

void CommandBar::OnMenuKey(WPARAM key)
{
    switch (key) {
    case VK_ESCAPE:
        OnEscape();
        break;
    case VK_UP:
    case VK_DOWN:
        OnUpDown();
        break;
    case VK_RETURN:
        if (tracking_) {
            nextButton_ = -1;
            EndKeyboardMode();
        }
        break;
    case VK_LEFT:
    case VK_RIGHT:
        OnLeftRight(key);
        break;
    }
}

void CommandBar::OnEscape()
{
    const HWND bar = Window();
    if (tracking_ && !trackingRequestedPopup_) {
        int button = HotButton();
        if (button == -1)
            button = openButton_;
        if (button == -1)
            button = 0;
        SendMessageA(bar, TB_SETHOTITEM, button, 0);
        TakeFocus();
        escapePressed_ = true;
        selfPostedDown_ = false;
    } else if (BarHasFocus() && IsWindow(topWindow_.Window())) {
        EndKeyboardMode();
    }
}

void CommandBar::OnUpDown()
{
    const HWND bar = Window();
    const int hot = HotButton();
    if (tracking_ || !BarHasFocus() || !IsWindow(topWindow_.Window()) || hot == -1)
        return;
    if (selfPostedDown_) {
        selfPostedDown_ = false; // our own Down key coming back
        return;
    }
    // The bar's own Down handling opens the menu on every toolbar, also on those older than
    // common controls 5.80 that drop a menu down only for a click: a click posted as well
    // would arrive inside the menu it opened.
    PostMessageA(bar, WM_KEYDOWN, VK_DOWN, 0);
    selfPostedDown_ = true;
}

void CommandBar::OnLeftRight(WPARAM key)
{
    if (!tracking_ || trackingRequestedPopup_)
        return;
    if (key == VK_RIGHT && submenuItemSelected_)
        return; // the menu opens the submenu itself
    CommandBarProcessState& process = App().bars;
    if (key == VK_LEFT && (!process.trackingBar || process.trackingBar->popupWindows_.size() != 1))
        return; // Left closes an open submenu by the menu's own handling
    if (openButton_ == -1) {
        nextButton_ = -1;
        return;
    }
    const int count = GetMenuItemCount(barMenu_);
    const int step = key == VK_LEFT ? -1 : 1;
    int found = openButton_;
    for (;;) {
        found += step;
        if (found < 0)
            found = count - 1;
        else if (found >= count)
            found = 0;
        if (found == openButton_) {
            nextButton_ = -1;
            return;
        }
        if (ButtonUsable(found, true))
            break;
    }
    nextButton_ = found;
    PostMessageA(InnermostPopup(), WM_KEYDOWN, VK_ESCAPE, 0);
    if (key == VK_RIGHT) {
        for (auto window = popupWindows_.rbegin(); window != popupWindows_.rend(); ++window)
            if (*window)
                PostMessageA(*window, WM_KEYDOWN, VK_ESCAPE, 0);
    }
}

void CommandBar::OnMouseMove()
{
    const DWORD position = GetMessagePos();
    POINT point = {static_cast<SHORT>(LOWORD(position)), static_cast<SHORT>(HIWORD(position))};
    const HWND bar = Window();
    CommandBarProcessState& process = App().bars;
    if (tracking_) {
        if (WindowFromPoint(point) != bar) {
            process.lastHookPoint = point;
            return;
        }
        ScreenToClient(bar, &point);
        const int index = static_cast<int>(SendMessageA(bar, TB_HITTEST, 0, reinterpret_cast<LPARAM>(&point)));
        const bool moved = point.x != process.lastHookPoint.x || point.y != process.lastHookPoint.y;
        if (moved && index >= 0 && index < GetMenuItemCount(barMenu_) && index != openButton_ && openButton_ != -1 &&
            ButtonUsable(index, false)) {
            nextButton_ = static_cast<int32_t>(static_cast<uint32_t>(index) | 0xFFFF0000u);
            const HWND popup = InnermostPopup();
            PostMessageA(popup, WM_LBUTTONUP, 0, MAKELPARAM(point.x, point.y));
            PostMessageA(popup, WM_KEYDOWN, VK_ESCAPE, 0);
        }
    } else {
        ScreenToClient(bar, &point);
    }
    process.lastHookPoint = point;
}
