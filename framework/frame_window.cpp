#include "frame_window.h"

#include <commctrl.h>

#include <cstring>

#include "app/app_context.h"
#include "frame_ids.h"

namespace {

// The record of the frame kind of window: one class for every frame of the process.
WindowClassRecord& FrameClass()
{
    static WindowClassRecord record = FrameClassRecord(IDR_MAINFRAME);
    return record;
}

// The band record as common controls 6 knows it (without the later chevron fields).
constexpr UINT kRebarBandInfoBytes = 80;

// The string table's text for id, cut at its first line feed.
void LoadPrompt(UINT id, char (&text)[256])
{
    text[0] = 0;
    LoadStringA(App().resourceInstance, id, text, sizeof text);
    if (char* lineFeed = std::strchr(text, '\n'))
        *lineFeed = 0;
}

// The prompt string of a menu item: system commands and a few framework commands share
// prompts by range.
UINT PromptIdFor(UINT id)
{
    if (id >= 0xF000 && id <= 0xF1EF)
        return IDS_SYSTEM_COMMAND_FIRST + (id - 0xF000) / 16;
    if (id >= 0xE110 && id <= 0xE11F)
        return IDS_OPEN_DOCUMENT;
    if (id >= 0xFF00)
        return IDS_ACTIVATE_WINDOW;
    return id;
}

bool IsVisible(HWND window) { return window && (GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE); }

struct PassedOn {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

BOOL CALLBACK PassOn(HWND child, LPARAM parameter)
{
    const auto* passed = reinterpret_cast<const PassedOn*>(parameter);
    SendMessageA(child, passed->message, passed->wParam, passed->lParam);
    return TRUE;
}

// Sends a message to every window inside window, however deep.
void PassOnToDescendants(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    PassedOn passed{message, wParam, lParam};
    EnumChildWindows(window, PassOn, reinterpret_cast<LPARAM>(&passed));
}

// Fills a tooltip's text from the string after the line feed of its tool's string.
template <typename Info, typename Char, int (WINAPI* LoadText)(HINSTANCE, UINT, Char*, int),
          Char* (WINAPI* CopyText)(Char*, const Char*, int)>
void FillTooltip(WPARAM toolId, LPARAM lParam)
{
    auto* info = reinterpret_cast<Info*>(lParam);
    info->szText[0] = 0;
    if (toolId == 0 || (info->uFlags & TTF_IDISHWND))
        return;
    Char text[256] = {};
    if (LoadText(App().resourceInstance, static_cast<UINT>(toolId), text, 256) <= 0)
        return;
    for (Char* c = text; *c; ++c) {
        if (*c == '\n') {
            CopyText(info->szText, c + 1, 80);
            break;
        }
    }
    info->uFlags |= TTF_DI_SETITEM;
}

} // namespace

HWND FrameWindowBase::CreateFrame(HWND parent, const RECT* rectangle, DWORD style, DWORD extendedStyle,
                                  void* parameter)
{
    char title[256] = "";
    LoadStringA(App().resourceInstance, IDR_MAINFRAME, title, sizeof title);
    menu_.reset(LoadMenuA(App().resourceInstance, MAKEINTRESOURCEA(IDR_MAINFRAME)));
    if (style == 0)
        style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    if (extendedStyle == 0)
        extendedStyle = WS_EX_APPWINDOW | WS_EX_WINDOWEDGE;
    const HWND window = CreateRoutedWindow(this, FrameClass(), parent, rectangle, title, style, extendedStyle,
                                           menu_.get(), parameter);
    if (window)
        accelerators_ = LoadAcceleratorsA(App().resourceInstance, MAKEINTRESOURCEA(IDR_MAINFRAME));
    return window;
}

int FrameWindowBase::CreateRebar(DWORD style, UINT id)
{
    if ((style & CCS_NODIVIDER) && (style & WS_BORDER))
        style &= ~WS_BORDER;
    else if (!(style & CCS_NODIVIDER) && !(style & WS_BORDER))
        style |= CCS_NODIVIDER;
    rebar_ = CreateWindowExA(0, REBARCLASSNAMEA, nullptr, style, 0, 0, 100, 100, Window(),
                             reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), App().instance, nullptr);
    REBARINFO info{};
    info.cbSize = sizeof info;
    if (rebar_ && !SendMessageA(rebar_, RB_SETBARINFO, 0, reinterpret_cast<LPARAM>(&info))) {
        DestroyWindow(rebar_);
        rebar_ = nullptr;
    }
    rebarFont_.Remember(rebar_);
    return rebar_ != nullptr;
}

namespace {

// A band's sizes for its child: a toolbar's from its buttons, any other window's from its own.
void MeasureBand(HWND child, bool titled, int width, bool fullWidth, REBARBANDINFOA& band)
{
    const auto buttons = static_cast<int>(SendMessageA(child, TB_BUTTONCOUNT, 0, 0));
    if (buttons > 0) {
        RECT last{}, first{};
        SendMessageA(child, TB_GETITEMRECT, buttons - 1, reinterpret_cast<LPARAM>(&last));
        band.cx = width ? width : last.right;
        band.cyMinChild = last.bottom - last.top;
        if (fullWidth) {
            band.cxMinChild = band.cx;
        } else if (!titled) {
            SendMessageA(child, TB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&first));
            band.cxMinChild = first.right;
        }
    } else {
        RECT r{};
        GetWindowRect(child, &r);
        band.cx = width ? width : r.right - r.left;
        band.cyMinChild = r.bottom - r.top;
        band.cxMinChild = fullWidth ? band.cx : 0;
    }
    band.cxIdeal = band.cx;
}

} // namespace

int FrameWindowBase::AddBand(HWND child, const char* title, bool newRow, int width, bool fullWidth)
{
    REBARBANDINFOA band{};
    band.cbSize = kRebarBandInfoBytes;
    band.fMask = RBBIM_STYLE | RBBIM_CHILD | RBBIM_CHILDSIZE | RBBIM_SIZE | RBBIM_ID | RBBIM_IDEALSIZE |
                 (title ? RBBIM_TEXT : 0);
    band.fStyle = RBBS_CHILDEDGE | (newRow ? RBBS_BREAK : 0);
    band.lpText = const_cast<char*>(title);
    band.hwndChild = child;
    band.wID = IDW_FIRST_BAND + static_cast<UINT>(SendMessageA(rebar_, RB_GETBANDCOUNT, 0, 0));
    MeasureBand(child, title != nullptr, width, fullWidth, band);
    if (!SendMessageA(rebar_, RB_INSERTBANDA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&band)))
        return 0;
    bands_.push_back({title != nullptr, fullWidth});
    return 1;
}

void FrameWindowBase::FitBandsToChildren()
{
    // Every child is measured before any band changes: a band that changes lays the rebar out
    // again, which gives the children after it the sizes of their old bands.
    std::vector<REBARBANDINFOA> measured(bands_.size());
    for (size_t i = 0; i < bands_.size(); ++i) {
        REBARBANDINFOA& band = measured[i];
        band.cbSize = kRebarBandInfoBytes;
        band.fMask = RBBIM_CHILD;
        SendMessageA(rebar_, RB_GETBANDINFOA, i, reinterpret_cast<LPARAM>(&band));
        band.fMask = RBBIM_CHILDSIZE | RBBIM_SIZE | RBBIM_IDEALSIZE;
        MeasureBand(band.hwndChild, bands_[i].titled, 0, bands_[i].fullWidth, band);
    }
    for (size_t i = 0; i < measured.size(); ++i)
        SendMessageA(rebar_, RB_SETBANDINFOA, i, reinterpret_cast<LPARAM>(&measured[i]));
    WidenBands();
}

void FrameWindowBase::ScaleBarFonts(UINT dpi)
{
    rebarFont_.ScaleTo(dpi);
    statusFont_.ScaleTo(dpi);
}

void FrameWindowBase::WidenBands()
{
    const auto count = static_cast<int>(SendMessageA(rebar_, RB_GETBANDCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        REBARBANDINFOA band{};
        band.cbSize = kRebarBandInfoBytes;
        band.fMask = RBBIM_SIZE;
        SendMessageA(rebar_, RB_GETBANDINFOA, i, reinterpret_cast<LPARAM>(&band));
        RECT borders{};
        SendMessageA(rebar_, RB_GETBANDBORDERS, i, reinterpret_cast<LPARAM>(&borders));
        band.cx += borders.left + borders.right;
        SendMessageA(rebar_, RB_SETBANDINFOA, i, reinterpret_cast<LPARAM>(&band));
    }
}

int FrameWindowBase::CreateStatusBar(UINT textId, DWORD style, UINT id)
{
    char text[128] = "";
    LoadStringA(App().resourceInstance, textId, text, sizeof text);
    statusBar_ = CreateStatusWindowA(static_cast<LONG>(style), text, Window(), id);
    statusFont_.Remember(statusBar_, SystemFont::Status);
    return statusBar_ != nullptr;
}

void FrameWindowBase::LayoutChildren(bool resizeBars)
{
    RECT area{};
    GetClientRect(Window(), &area);
    if (IsVisible(rebar_)) {
        if (resizeBars)
            SendMessageA(rebar_, WM_SIZE, 0, 0);
        RECT r{};
        GetWindowRect(rebar_, &r);
        area.top += r.bottom - r.top;
    }
    if (IsVisible(statusBar_)) {
        if (resizeBars)
            SendMessageA(statusBar_, WM_SIZE, 0, 0);
        RECT r{};
        GetWindowRect(statusBar_, &r);
        area.bottom -= r.bottom - r.top;
    }
    if (clientView_)
        SetWindowPos(clientView_, nullptr, area.left, area.top, area.right - area.left, area.bottom - area.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL FrameWindowBase::HandleLayoutMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (message == WM_SIZE) {
        if (wParam != SIZE_MINIMIZED)
            LayoutChildren(true);
        return FALSE;
    }
    if (message == WM_NOTIFY && reinterpret_cast<NMHDR*>(lParam)->code == static_cast<UINT>(RBN_AUTOSIZE)) {
        LayoutChildren(false);
        result = 0;
        return TRUE;
    }
    return FALSE;
}

void FrameWindowBase::ShowMenuHelp(WPARAM wParam, LPARAM lParam)
{
    const UINT id = LOWORD(wParam);
    const UINT flags = HIWORD(wParam);
    if (flags == 0xFFFF && !lParam) {
        SendMessageA(statusBar_, SB_SIMPLE, FALSE, 0);
        return;
    }
    char text[256] = "";
    if (!(flags & MF_POPUP))
        LoadPrompt(PromptIdFor(id), text);
    SendMessageA(statusBar_, SB_SIMPLE, TRUE, 0);
    SendMessageA(statusBar_, SB_SETTEXTA, SB_SIMPLEID | SBT_NOBORDERS, reinterpret_cast<LPARAM>(text));
}

BOOL FrameWindowBase::HandleFrameMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    switch (message) {
    case WM_ERASEBKGND:
        // The client view covers everything the bars leave: erasing would only flicker.
        if (!clientView_)
            return FALSE;
        result = 1;
        return TRUE;
    case WM_SETFOCUS:
        if (clientView_)
            SetFocus(clientView_);
        return FALSE;
    case WM_MENUSELECT:
        if (statusBar_)
            ShowMenuHelp(wParam, lParam);
        return FALSE;
    case WM_SETTINGCHANGE:
        // The system tells top-level windows only; the bars and views inside follow it too.
        PassOnToDescendants(Window(), message, wParam, lParam);
        return FALSE;
    case WM_NCDESTROY:
        // A menu still shown by the window goes with it.
        if (GetMenu(Window()) == menu_.get())
            menu_.release();
        return FALSE;
    case WM_NOTIFY:
        switch (reinterpret_cast<NMHDR*>(lParam)->code) {
        case TTN_GETDISPINFOA:
            FillTooltip<NMTTDISPINFOA, char, LoadStringA, lstrcpynA>(wParam, lParam);
            result = 0;
            return TRUE;
        case TTN_GETDISPINFOW:
            FillTooltip<NMTTDISPINFOW, wchar_t, LoadStringW, lstrcpynW>(wParam, lParam);
            result = 0;
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}

BOOL PlaceCentred(HWND window, HWND centre)
{
    const LONG style = GetWindowLongA(window, GWL_STYLE);
    const bool child = (style & WS_CHILD) != 0;
    if (!centre)
        centre = child ? GetParent(window) : GetWindow(window, GW_OWNER);
    RECT own{};
    GetWindowRect(window, &own);
    RECT area{}, reference{};
    if (!child) {
        if (centre) {
            const LONG centreStyle = GetWindowLongA(centre, GWL_STYLE);
            if (!(centreStyle & WS_VISIBLE) || (centreStyle & WS_MINIMIZE))
                centre = nullptr;
        }
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
        if (centre)
            GetWindowRect(centre, &reference);
        else
            reference = area;
    } else {
        const HWND parent = GetParent(window);
        GetClientRect(parent, &area);
        GetClientRect(centre, &reference);
        MapWindowPoints(centre, parent, reinterpret_cast<POINT*>(&reference), 2);
    }
    const int width = own.right - own.left;
    const int height = own.bottom - own.top;
    int left = (reference.left + reference.right) / 2 - width / 2;
    int top = (reference.top + reference.bottom) / 2 - height / 2;
    if (left < area.left)
        left = area.left;
    else if (left + width > area.right)
        left = area.right - width;
    if (top < area.top)
        top = area.top;
    else if (top + height > area.bottom)
        top = area.bottom - height;
    return SetWindowPos(window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HWND TopLevelParent(HWND window)
{
    for (HWND parent = GetParent(window); parent; parent = GetParent(window))
        window = parent;
    return window;
}
