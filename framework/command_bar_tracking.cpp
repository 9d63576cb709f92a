// Running the bar's popup menus: the modal tracking, the follow-ups when one menu hands over
// to the next, and the two hooks that let the bar see input and popup windows meanwhile.
#include <memory>
#include <new>

#include "app/app_context.h"
#include "command_bar.h"
#include "command_bar_process.h"
#include "frame_window.h"
#include "menu_item_record.h"
#include "system_sizes.h"

namespace {

constexpr char kPopupMenuClass[] = "#32768";

bool IsPopupMenuWindow(HWND window)
{
    char name[8] = {};
    GetClassNameA(window, name, 7);
    return lstrcmpA(name, kPopupMenuClass) == 0;
}

} // namespace

int CommandBar::RunTracking(HMENU menu, UINT flags, int x, int y, TPMPARAMS* params)
{
    CommandBarProcessState& process = App().bars;
    int result = 0;
    {
        // Held for the whole menu loop: the slots are never seen half-set.
        ScopedLock lock(App().windowCreationLock);
        process.trackingBar = this;
        process.trackingHook.reset(SetWindowsHookExA(WH_CBT, CbtHookProc, App().instance, GetCurrentThreadId()));
        submenuItemSelected_ = false;
        tracking_ = true;
        result = TrackPopupMenuEx(menu, flags, x, y, Window(), params);
        tracking_ = false;
        process.trackingHook.reset();
        process.trackingBar = nullptr;
    }
    UpdateWindow(Window());
    UpdateWindow(TopLevelParent(Window()));
    if (ownerDrawMenus_)
        convertedMenus_.RestoreAll();
    return result;
}

void CommandBar::DropDownBarMenu(int index, bool animate)
{
    const HWND bar = Window();
    RECT button{};
    SendMessageA(bar, TB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&button));
    MapWindowPoints(bar, nullptr, reinterpret_cast<POINT*>(&button), 2);
    // The menu never covers its button: without room below it opens above.
    TPMPARAMS params{sizeof params, button};
    const HMENU menu = GetSubMenu(barMenu_, index);

    TBBUTTON info{};
    SendMessageA(bar, TB_GETBUTTON, index, reinterpret_cast<LPARAM>(&info));
    const int id = info.idCommand;
    openButton_ = index;
    SendMessageA(bar, TB_PRESSBUTTON, id, TRUE);
    SendMessageA(bar, TB_SETHOTITEM, id, 0);

    UINT flags = TPM_VERTICAL | TPM_LEFTALIGN | TPM_TOPALIGN;
    if (AnimationFlagsSupported())
        flags |= animate ? TPM_VERPOSANIMATION : TPM_NOANIMATION;
    RunTracking(menu, flags, button.left, button.bottom, &params);

    SendMessageA(bar, TB_PRESSBUTTON, id, FALSE);
    if (!BarHasFocus())
        SendMessageA(bar, TB_SETHOTITEM, static_cast<WPARAM>(-1), 0);
    openButton_ = -1;

    // The click that closed the menu on its own button must not open it again.
    MSG click;
    if (PeekMessageA(&click, bar, WM_LBUTTONDOWN, WM_LBUTTONDOWN, PM_NOREMOVE) && PtInRect(&button, click.pt))
        PeekMessageA(&click, bar, WM_LBUTTONDOWN, WM_LBUTTONDOWN, PM_REMOVE);

    if (nextButton_ == -1) {
        trackingRequestedPopup_ = false;
        if (escapePressed_) {
            // Escape steps back to keyboard navigation on this button.
            SendMessageA(bar, TB_SETHOTITEM, id, 0);
            SendMessageA(bar, TB_SETANCHORHIGHLIGHT, TRUE, 0);
            return;
        }
        if (hideCuesUntilKeyboard_ && cuesShown_)
            cuesRemembered_ = false;
        // A menu opened from the keyboard kept its button hot, the bar holding the focus; the
        // command chosen, whose dialog may open next, leaves no button hot behind it.
        SendMessageA(bar, TB_SETHOTITEM, static_cast<WPARAM>(-1), 0);
        LeaveMenuMode();
        return;
    }
    // The next menu opens from the queue, after this one has fully returned. The Escape that
    // closed this one for the switch is not the user's: kept, it would make a later close of
    // the next menu by a click on its button leave the bar in keyboard navigation, the button
    // hot and the focus held.
    escapePressed_ = false;
    PostMessageA(bar, AutoPopupMessage(), nextButton_ & 0xFFFF, 0);
    if ((nextButton_ & 0xFFFF0000) == 0 && !submenuItemSelected_)
        PostMessageA(bar, WM_KEYDOWN, VK_DOWN, 0); // selects the first item
    nextButton_ = -1;
}

int CommandBar::TrackPopup(HMENU menu, UINT flags, int x, int y, TPMPARAMS* params)
{
    // One menu at a time: a request while one is open is refused and leaves it alone.
    if (tracking_ || !IsMenu(menu))
        return 0;
    trackingRequestedPopup_ = true;
    // Underlines in a popup opened from the keyboard, none in one opened with the mouse.
    if (hideCuesUntilKeyboard_)
        cuesShown_ = keyboardInput_;
    return RunTracking(menu, flags, x, y, params);
}

LRESULT CALLBACK CommandBar::MessageHookProc(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION && wParam == PM_REMOVE) {
        auto* message = reinterpret_cast<MSG*>(lParam);
        if (message->message != GetBarMessage() && message->message != kForwardMessage) {
            // The bar itself or the top window it watches answers with the bar.
            DWORD process = 0;
            const CommandBar* bar = nullptr;
            for (HWND window = message->hwnd; window && !bar; window = GetParent(window))
                bar = reinterpret_cast<const CommandBar*>(
                    SendMessageA(window, GetBarMessage(), reinterpret_cast<WPARAM>(&process), 0));
            if (bar && process == GetCurrentProcessId() && IsWindow(bar->Window()))
                SendMessageA(bar->Window(), kForwardMessage, 0, lParam);
        }
    }
    const ThreadHookEntry* entry = FindThreadHook(GetCurrentThreadId());
    return entry ? CallNextHookEx(entry->hook.get(), code, wParam, lParam) : 0;
}

LRESULT CALLBACK CommandBar::CbtHookProc(int code, WPARAM wParam, LPARAM lParam)
{
    CommandBarProcessState& process = App().bars;
    if (code < 0)
        return CallNextHookEx(process.trackingHook.get(), code, wParam, lParam);
    CommandBar* bar = process.trackingBar;
    const auto window = reinterpret_cast<HWND>(wParam);
    if (!bar)
        return 0;
    if (code == HCBT_CREATEWND && IsPopupMenuWindow(window)) {
        try {
            bar->popupWindows_.push_back(window);
        } catch (const std::bad_alloc&) {
            // Not recorded; the menu opens all the same.
        }
    }
    else if (code == HCBT_DESTROYWND && IsPopupMenuWindow(window) && !bar->popupWindows_.empty())
        bar->popupWindows_.pop_back();
    return 0;
}
