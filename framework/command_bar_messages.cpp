// The bar's message tables: its own window, the top-level window it watches and the input
// the message hook forwards to it. Popup items are made owner-draw here while shown.
#include <cstring>
#include <new>

#include "command_bar.h"
#include "command_bar_process.h"
#include "gdi_scope.h"
#include "menu_item_record.h"

namespace {

bool IsMouseMessage(UINT message) { return message >= WM_MOUSEFIRST && message <= WM_MBUTTONDBLCLK; }
bool IsKeyboardMessage(UINT message) { return message >= WM_KEYDOWN && message <= 0x0108; }

} // namespace

int CommandBar::HotButton() const { return static_cast<int>(SendMessageA(Window(), TB_GETHOTITEM, 0, 0)); }

BOOL CommandBar::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result,
                               DWORD handlerSet)
{
    switch (handlerSet) {
    case kOwnWindow:
        return HandleBarMessage(window, message, wParam, lParam, result);
    case kSubclassedWindow:
        return HandleTopWindowMessage(message, wParam, lParam, result);
    case kForwardedInput:
        return HandleForwardedInput(message, wParam, lParam, result);
    }
    return FALSE;
}

// Messages that the bar answers alike for its own window and for the top window.
BOOL CommandBar::HandleSharedMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    switch (message) {
    case WM_INITMENUPOPUP:
        if (HIWORD(lParam) != 0 || !tracking_)
            return FALSE;
        result = PreparePopup(reinterpret_cast<HMENU>(wParam), lParam);
        return TRUE;
    case WM_MENUCHAR:
        return OnMenuChar(wParam, lParam, result);
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
        return OnOwnerDraw(message, lParam, result);
    case kRequestGetBarWindow:
        result = reinterpret_cast<LRESULT>(Window());
        return TRUE;
    case kRequestGetBarMenu:
        result = reinterpret_cast<LRESULT>(barMenu_);
        return TRUE;
    case kRequestTrackPopup:
        result = OnRequestTrackPopup(lParam);
        return TRUE;
    }
    if (message == GetBarMessage()) {
        if (wParam)
            *reinterpret_cast<uint32_t*>(wParam) = GetCurrentProcessId();
        result = IsWindowVisible(Window()) ? reinterpret_cast<LRESULT>(this) : 0;
        return TRUE;
    }
    return FALSE;
}

BOOL CommandBar::HandleBarMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    switch (message) {
    case WM_CREATE:
        return OnCreate(window, message, wParam, lParam, result);
    case WM_DESTROY:
        result = CallWindowProcA(DefaultProcedure(), window, message, wParam, lParam);
        ReleaseMessageHook();
        return TRUE;
    case WM_INITMENU:
        SendMessageA(window, WM_MENUSELECT, MAKEWPARAM(HotButton(), MF_POPUP | MF_HILITE),
                     reinterpret_cast<LPARAM>(barMenu_));
        return FALSE;
    case WM_MENUSELECT:
        OnMenuSelect(wParam, lParam);
        return FALSE;
    case WM_SETTINGCHANGE:
        ReadSystemSettings();
        result = 0;
        return TRUE;
    case WM_KEYDOWN:
        if (wParam == VK_DOWN && !tracking_ && HotButton() >= 0 && ButtonUsable(HotButton(), true)) {
            // Down opens the hot button's menu. Windows' toolbar does that by itself (it sends
            // TBN_DROPDOWN), Wine's and the oldest ones do not: the bar opens the menu and keeps
            // the key from the toolbar, so the menu opens once everywhere.
            OpenButtonMenu(HotButton());
            result = 0;
            return TRUE;
        }
        if (wParam != VK_SPACE)
            return FALSE;
        // Alt+Space in keyboard mode: the top window opens its system menu.
        PostMessageA(topWindow_.Window(), WM_SYSKEYDOWN, VK_SPACE, lParam | 0x20000000);
        result = 0;
        return TRUE;
    case WM_KEYUP:
        if (wParam != VK_SPACE)
            return FALSE;
        result = 0;
        return TRUE;
    case WM_CHAR:
        if (wParam == ' ') {
            result = 0;
            return TRUE;
        }
        OnTypedLetter(wParam);
        return FALSE;
    case kForwardMessage:
        result = OnForwardMessage(*reinterpret_cast<const MSG*>(lParam));
        return TRUE;
    }
    if (message == AutoPopupMessage()) {
        DropDownBarMenu(static_cast<int>(wParam), false);
        result = 0;
        return TRUE;
    }
    return HandleSharedMessage(message, wParam, lParam, result);
}

BOOL CommandBar::HandleTopWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    switch (message) {
    case WM_NOTIFY:
        return OnBarNotify(*reinterpret_cast<const NMHDR*>(lParam), result);
    case WM_SYSCOMMAND:
        return OnKeyMenu(wParam, result);
    case WM_ACTIVATE:
        OnActivate(wParam);
        return FALSE;
    }
    return HandleSharedMessage(message, wParam, lParam, result);
}

BOOL CommandBar::HandleForwardedInput(UINT message, WPARAM wParam, LPARAM, LRESULT& result)
{
    result = 0;
    switch (message) {
    case WM_MOUSEMOVE:
        OnMouseMove();
        return TRUE;
    case WM_SYSKEYDOWN:
        OnSystemKey(wParam);
        return TRUE;
    case WM_SYSKEYUP:
        cuesRemembered_ = true;
        return TRUE;
    case WM_KEYDOWN:
        OnMenuKey(wParam);
        return TRUE;
    }
    return FALSE;
}

LRESULT CommandBar::OnForwardMessage(const MSG& forwarded)
{
    if (IsMouseMessage(forwarded.message))
        keyboardInput_ = false;
    else if (IsKeyboardMessage(forwarded.message))
        keyboardInput_ = true;
    LRESULT result = 0;
    HandleMessage(Window(), forwarded.message, forwarded.wParam, forwarded.lParam, result, kForwardedInput);
    return result;
}

LRESULT CommandBar::PreparePopup(HMENU menu, LPARAM lParam)
{
    // The frame puts its check marks and enabled states in first; the copies taken below
    // must carry them.
    const LPARAM position = (lParam == 0 && !trackingRequestedPopup_) ? HotButton() : lParam;
    const LRESULT result =
        topWindow_.DefaultProcessing(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), position);
    if (ownerDrawMenus_)
        convertedMenus_.Convert(menu, imageCommands_);
    return result;
}

BOOL CommandBar::OnOwnerDraw(UINT message, LPARAM lParam, LRESULT& result)
{
    if (message == WM_DRAWITEM) {
        const auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (draw->CtlType != ODT_MENU || !RecordOf(draw->itemData))
            return FALSE;
        DrawMenuItem(DrawingSettings(), draw);
    } else {
        auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        if (measure->CtlType != ODT_MENU || !RecordOf(measure->itemData))
            return FALSE;
        MeasureMenuItem(DrawingSettings(), measure);
    }
    result = 1;
    return TRUE;
}

void CommandBar::OpenButtonMenu(int index)
{
    if (!BarHasFocus())
        TakeFocus();
    trackingRequestedPopup_ = false;
    escapePressed_ = false;
    DropDownBarMenu(index, true);
}

void CommandBar::OnMenuSelect(WPARAM wParam, LPARAM lParam)
{
    const auto menu = reinterpret_cast<HMENU>(lParam);
    submenuItemSelected_ = menu && menu != barMenu_ && (HIWORD(wParam) & MF_POPUP);
    // The frame shows the item's prompt in its status bar.
    if (IsWindow(topWindow_.Window()))
        SendMessageA(topWindow_.Window(), WM_MENUSELECT, wParam, lParam);
}

BOOL CommandBar::OnBarNotify(const NMHDR& header, LRESULT& result)
{
    if (header.hwndFrom != Window())
        return FALSE;
    switch (header.code) {
    case TBN_HOTITEMCHANGE:
        return OnHotItemChange(reinterpret_cast<const NMTBHOTITEM&>(header), result);
    case TBN_DROPDOWN:
        OpenButtonMenu(static_cast<int>(SendMessageA(Window(), TB_COMMANDTOINDEX,
                                                     reinterpret_cast<const NMTOOLBARA&>(header).iItem, 0)));
        result = TBDDRET_DEFAULT;
        return TRUE;
    case NM_CUSTOMDRAW:
        return OnCustomDraw(const_cast<NMTBCUSTOMDRAW&>(reinterpret_cast<const NMTBCUSTOMDRAW&>(header)), result);
    }
    return FALSE;
}

BOOL CommandBar::OnHotItemChange(const NMTBHOTITEM& change, LRESULT& result)
{
    const HWND top = topWindow_.Window();
    if (!IsWindowEnabled(top) && (change.dwFlags & HICF_MOUSE)) {
        result = 1; // a disabled frame keeps its hot button
        return TRUE;
    }
    if (!(change.dwFlags & (HICF_MOUSE | HICF_ACCELERATOR | HICF_LMOUSE))) {
        if (change.dwFlags & HICF_ENTERING)
            SendMessageA(top, WM_MENUSELECT, 0, reinterpret_cast<LPARAM>(barMenu_));
        if (change.dwFlags & HICF_LEAVING)
            SendMessageA(top, WM_MENUSELECT, 0xFFFF0000, 0);
    }
    return FALSE;
}

BOOL CommandBar::OnCustomDraw(NMTBCUSTOMDRAW& draw, LRESULT& result)
{
    switch (draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
        result = CDRF_NOTIFYITEMDRAW;
        return TRUE;
    case CDDS_ITEMPREPAINT:
        DrawButton(draw);
        result = CDRF_SKIPDEFAULT;
        return TRUE;
    }
    return FALSE;
}

// The bar draws its buttons itself, in both styles: the toolbar would draw the underlines of
// the access keys while they are hidden under Wine, which ignores the DT_HIDEPREFIX that
// Windows' toolbar draws its text with.
void CommandBar::DrawButton(NMTBCUSTOMDRAW& draw)
{
    const HDC dc = draw.nmcd.hdc;
    RECT rectangle = draw.nmcd.rc;
    const UINT state = draw.nmcd.uItemState;
    if (state & CDIS_DISABLED) {
        draw.clrText = GetSysColor(COLOR_GRAYTEXT);
    } else if (flatMenus_ && (state & (CDIS_HOT | CDIS_SELECTED))) {
        FillRect(dc, &rectangle, GetSysColorBrush(COLOR_MENUHILIGHT));
        FrameRect(dc, &rectangle, GetSysColorBrush(COLOR_HIGHLIGHT));
        draw.clrText = GetSysColor(parentActive_ ? COLOR_HIGHLIGHTTEXT : COLOR_GRAYTEXT);
    } else if (state & CDIS_SELECTED) {
        // The open menu's button is pressed in, its text a pixel down and right.
        DrawEdge(dc, &rectangle, BDR_SUNKENOUTER, BF_RECT);
        OffsetRect(&rectangle, 1, 1);
    } else if (state & CDIS_HOT) {
        DrawEdge(dc, &rectangle, BDR_RAISEDINNER, BF_RECT);
    }
    if (!parentActive_)
        draw.clrText = GetSysColor(COLOR_GRAYTEXT); // an inactive frame's buttons are gray
    SetTextColor(dc, draw.clrText);
    SetBkMode(dc, draw.nStringBkMode);
    const SelectScope font(dc, reinterpret_cast<HFONT>(SendMessageA(Window(), WM_GETFONT, 0, 0)));
    char text[200] = {};
    TBBUTTONINFOA info{};
    info.cbSize = sizeof info;
    info.dwMask = TBIF_TEXT;
    info.pszText = text;
    info.cchText = sizeof text;
    SendMessageA(Window(), TB_GETBUTTONINFOA, draw.nmcd.dwItemSpec, reinterpret_cast<LPARAM>(&info));
    DrawTextWithCues(dc, text, -1, &rectangle, DT_SINGLELINE | DT_CENTER | DT_VCENTER, cuesShown_);
}

void CommandBar::OnActivate(WPARAM wParam)
{
    parentActive_ = LOWORD(wParam) != WA_INACTIVE;
    if (!parentActive_ && hideCuesUntilKeyboard_ && cuesShown_) {
        cuesShown_ = false;
        SendMessageA(Window(), TB_SETDRAWTEXTFLAGS, DT_HIDEPREFIX, DT_HIDEPREFIX);
    }
    InvalidateRect(Window(), nullptr, TRUE);
    UpdateWindow(Window());
}

LRESULT CommandBar::OnRequestTrackPopup(LPARAM lParam)
{
    const auto* request = reinterpret_cast<const TrackPopupRequest*>(lParam);
    if (!request || request->size != sizeof(TrackPopupRequest))
        return 0;
    return TrackPopup(request->menu, request->flags, request->x, request->y, request->params);
}
