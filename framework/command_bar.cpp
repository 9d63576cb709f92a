#include "command_bar.h"

#include <algorithm>
#include <cstring>

#include "app/app_context.h"
#include "app/window_class.h"
#include "command_bar_process.h"
#include "display_scale.h"
#include "frame_window.h"
#include "gdi_scope.h"
#include "system_sizes.h"

namespace {

WindowClassRecord& BarClass()
{
    static WindowClassRecord record = SuperclassRecord(TOOLBARCLASSNAMEA, "TNW_CommandBar",
                                                       WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN);
    return record;
}

bool ReadVersion(OSVERSIONINFOA& version)
{
    version = {};
    version.dwOSVersionInfoSize = sizeof version;
    return GetVersionExA(&version) != FALSE;
}

bool SameFont(const LOGFONTA& a, const LOGFONTA& b)
{
    return a.lfHeight == b.lfHeight && a.lfWidth == b.lfWidth && a.lfEscapement == b.lfEscapement &&
           a.lfOrientation == b.lfOrientation && a.lfWeight == b.lfWeight && a.lfItalic == b.lfItalic &&
           a.lfUnderline == b.lfUnderline && a.lfStrikeOut == b.lfStrikeOut && a.lfCharSet == b.lfCharSet &&
           a.lfOutPrecision == b.lfOutPrecision && a.lfClipPrecision == b.lfClipPrecision &&
           a.lfQuality == b.lfQuality && a.lfPitchAndFamily == b.lfPitchAndFamily &&
           lstrcmpA(a.lfFaceName, b.lfFaceName) == 0;
}

// The width of text in the font selected into dc, measured on one line.
int TextWidth(HDC dc, const char* text)
{
    RECT r{};
    DrawTextA(dc, text, -1, &r, DT_CALCRECT | DT_SINGLELINE | DT_VCENTER);
    return r.right - r.left;
}

// The toolbar resource: version, width, height, count, then count command identifiers.
struct ToolbarResource {
    uint16_t version;
    uint16_t width;
    uint16_t height;
    uint16_t count;
    uint16_t items[1];
};

const void* LockedResource(UINT id, LPCSTR type)
{
    const HINSTANCE instance = App().resourceInstance;
    HRSRC found = FindResourceA(instance, MAKEINTRESOURCEA(id), type);
    HGLOBAL loaded = found ? LoadResource(instance, found) : nullptr;
    return loaded ? LockResource(loaded) : nullptr;
}

} // namespace

bool AnimationFlagsSupported() { return App().bars.animationFlagsSupported; }

CommandBar::CommandBar() : topWindow_(this, kSubclassedWindow)
{
    CommandBarProcessState& statics = App().bars;
    if (!statics.ready) {
        ScopedLock lock(App().moduleLock);
        if (!statics.ready) {
            INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES | ICC_COOL_CLASSES};
            InitCommonControlsEx(&controls);
            OSVERSIONINFOA version;
            statics.animationFlagsSupported =
                ReadVersion(version) &&
                (version.dwMajorVersion >= 5 || (version.dwMajorVersion == 4 && version.dwMinorVersion >= 90));
            statics.ready = true;
        }
    }
}

CommandBar::~CommandBar() { DestroyBar(); }

HWND CommandBar::CreateBar(HWND parent, const RECT* rectangle, const char* name, DWORD style, DWORD extendedStyle,
                           UINT id, void* parameter)
{
    return CreateRoutedWindow(this, BarClass(), parent, rectangle, name, style, extendedStyle,
                              reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), parameter);
}

bool CommandBar::SetBarMenu(HMENU menu)
{
    if (menu && !IsMenu(menu))
        return false;
    barMenu_ = menu;
    const HWND bar = Window();
    SendMessageA(bar, WM_SETREDRAW, FALSE, 0);
    for (auto count = SendMessageA(bar, TB_BUTTONCOUNT, 0, 0); count > 0; --count)
        SendMessageA(bar, TB_DELETEBUTTON, 0, 0);
    const int items = barMenu_ ? GetMenuItemCount(barMenu_) : 0;
    for (int i = 0; i < items; ++i) {
        char text[100] = {};
        MENUITEMINFOA info{};
        info.cbSize = kMenuItemInfoBytes;
        info.fMask = MIIM_TYPE | MIIM_STATE | MIIM_SUBMENU;
        info.fType = MFT_STRING;
        info.dwTypeData = text;
        info.cch = sizeof text;
        GetMenuItemInfoA(barMenu_, i, TRUE, &info);
        if (lstrlenA(text) > 99) {
            // Not a text item: a bitmap shows as a button without text.
            info.fType = MFT_BITMAP;
            SetMenuItemInfoA(barMenu_, i, TRUE, &info);
            text[0] = 0;
        }
        TBBUTTON button{};
        button.iBitmap = 0;
        button.idCommand = i;
        button.fsState = (info.fState & (MFS_DISABLED | MFS_GRAYED)) ? 0 : TBSTATE_ENABLED;
        button.fsStyle = BTNS_DROPDOWN | BTNS_AUTOSIZE;
        SendMessageA(bar, TB_INSERTBUTTONA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&button));
        TBBUTTONINFOA buttonText{};
        buttonText.cbSize = sizeof buttonText;
        buttonText.dwMask = TBIF_TEXT;
        buttonText.pszText = text;
        SendMessageA(bar, TB_SETBUTTONINFOA, i, reinterpret_cast<LPARAM>(&buttonText));
    }
    if (PaddingShortfall() != 0)
        FitButtons();
    SendMessageA(bar, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(bar, nullptr, TRUE);
    UpdateWindow(bar);
    return true;
}

int CommandBar::PaddingShortfall() const
{
    const auto padding = static_cast<int>(LOWORD(SendMessageA(Window(), TB_GETPADDING, 0, 0)));
    return std::max(0, 2 * (ScaleLength(kButtonPadding, dpi_) - padding));
}

void CommandBar::FitButtons()
{
    const HWND bar = Window();
    const auto count = static_cast<int>(SendMessageA(bar, TB_BUTTONCOUNT, 0, 0));
    TBBUTTONINFOA info{};
    info.cbSize = sizeof info;
    info.dwMask = TBIF_SIZE;
    for (int id = 0; id < count; ++id)
        SendMessageA(bar, TB_SETBUTTONINFOA, id, reinterpret_cast<LPARAM>(&info));
    SendMessageA(bar, TB_AUTOSIZE, 0, 0);
    const int shortfall = PaddingShortfall();
    if (shortfall == 0)
        return;
    for (int id = 0; id < count; ++id) {
        RECT button{};
        SendMessageA(bar, TB_GETITEMRECT, id, reinterpret_cast<LPARAM>(&button));
        info.cx = static_cast<WORD>(button.right - button.left + shortfall);
        SendMessageA(bar, TB_SETBUTTONINFOA, id, reinterpret_cast<LPARAM>(&info));
    }
    SendMessageA(bar, TB_AUTOSIZE, 0, 0);
}

bool CommandBar::AddToolbarImages(UINT id)
{
    const auto* toolbar = static_cast<const ToolbarResource*>(LockedResource(id, MAKEINTRESOURCEA(241)));
    if (!toolbar)
        return false;
    if (imageList_ && ImageList_GetImageCount(imageList_.get()) == 0)
        imageList_.reset();
    if (!imageList_ && toolbar->width && toolbar->height) {
        imageSize_ = {toolbar->width, toolbar->height};
        buttonSize_ = {toolbar->width + 6, toolbar->height + 6};
    }
    if (!imageList_) {
        const auto* bitmapInfo = static_cast<const BITMAPINFOHEADER*>(LockedResource(id, RT_BITMAP));
        if (!bitmapInfo)
            return false;
        alphaImages_ = bitmapInfo->biBitCount == 32;
        imageList_.reset(ImageList_Create(imageSize_.cx, imageSize_.cy, ILC_MASK | (alphaImages_ ? ILC_COLOR32 : 0),
                                          toolbar->count, 1));
        if (!imageList_)
            return false;
    }
    UniqueBitmap bitmap(static_cast<HBITMAP>(
        alphaImages_ ? LoadImageA(App().resourceInstance, MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0,
                                  LR_CREATEDIBSECTION | LR_DEFAULTSIZE)
                     : LoadBitmapA(App().resourceInstance, MAKEINTRESOURCEA(id))));
    if (!bitmap || ImageList_AddMasked(imageList_.get(), bitmap.get(), maskColor_) == -1)
        return false;
    for (uint16_t i = 0; i < toolbar->count; ++i)
        if (toolbar->items[i])
            imageCommands_.push_back(toolbar->items[i]);
    return ImageList_GetImageCount(imageList_.get()) == static_cast<int>(imageCommands_.size());
}

void CommandBar::ReadSystemSettings()
{
    const HWND bar = Window();
    bool remeasure = PaddingShortfall() != 0;
    LOGFONTA menuFont{};
    if (SystemFontForDpi(SystemFont::Menu, dpi_, menuFont)) {
        LOGFONTA current{};
        if (menuFont_)
            GetObjectA(menuFont_.get(), sizeof current, &current);
        if (!SameFont(current, menuFont)) {
            if (HFONT font = CreateFontIndirectA(&menuFont)) {
                menuFont_.reset(font);
                SendMessageA(bar, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
                SendMessageA(bar, TB_ADDSTRINGA, 0, reinterpret_cast<LPARAM>("NS\0"));
                remeasure = true;
            }
        }
    }
    if (remeasure)
        FitButtons();

    {
        const WindowDc dc(bar);
        const SelectScope font(dc.get(), menuFont_.get());
        // A font that draws a tab too narrowly gets the width of an "x" between text and accelerator.
        tabGap_ = TextWidth(dc.get(), "\t") >= ScaleLength(4, dpi_) ? 0 : TextWidth(dc.get(), "x");
    }

    OSVERSIONINFOA version;
    if (!ReadVersion(version) || version.dwMajorVersion < 5)
        return;
    BOOL cues = TRUE;
    const BOOL readCues = SystemParametersInfoA(SPI_GETKEYBOARDCUES, 0, &cues, 0);
    hideCuesUntilKeyboard_ = readCues && !cues;
    cuesShown_ = !hideCuesUntilKeyboard_;
    cuesRemembered_ = true;
    SendMessageA(bar, TB_SETDRAWTEXTFLAGS, DT_HIDEPREFIX, cuesShown_ ? 0 : DT_HIDEPREFIX);
    InvalidateRect(bar, nullptr, TRUE);
    UpdateWindow(bar);
    if (version.dwMajorVersion > 5 || (version.dwMajorVersion == 5 && version.dwMinorVersion >= 1)) {
        BOOL flat = FALSE;
        flatMenus_ = SystemParametersInfoA(SPI_GETFLATMENU, 0, &flat, 0) && flat;
    }
}

void CommandBar::SetDpi(UINT dpi)
{
    dpi_ = dpi;
    ReadSystemSettings();
}

void CommandBar::TakeFocus()
{
    if (!BarHasFocus())
        focusBefore_ = GetFocus();
    SetFocus(Window());
}

// As a window's own menu bar does, the bar gives the focus back to the control that had it,
// while that is still a visible, enabled window inside the top window; otherwise to the top
// window, which hands it on.
HWND CommandBar::FocusToGiveBack() const
{
    const HWND top = topWindow_.Window();
    const HWND before = focusBefore_;
    if (before && before != Window() && IsWindow(before) && IsChild(top, before) && IsWindowVisible(before) &&
        IsWindowEnabled(before))
        return before;
    return top;
}

void CommandBar::LeaveMenuMode()
{
    if (parentActive_ && IsWindow(topWindow_.Window()))
        SetFocus(FocusToGiveBack());
    focusBefore_ = nullptr;
    SendMessageA(Window(), TB_SETANCHORHIGHLIGHT, FALSE, 0);
    if (hideCuesUntilKeyboard_ && cuesShown_)
        SetCuesVisible(false);
    selfPostedDown_ = false;
}

void CommandBar::EndKeyboardMode()
{
    PostMessageA(Window(), TB_SETHOTITEM, static_cast<WPARAM>(-1), 0);
    LeaveMenuMode();
}

void CommandBar::SetCuesVisible(bool show)
{
    cuesShown_ = show;
    SendMessageA(Window(), TB_SETDRAWTEXTFLAGS, DT_HIDEPREFIX, show ? 0 : DT_HIDEPREFIX);
    InvalidateRect(Window(), nullptr, TRUE);
    UpdateWindow(Window());
}

MenuDrawingSettings CommandBar::DrawingSettings() const
{
    MenuDrawingSettings settings;
    settings.imageList = imageList_.get();
    settings.imageSize = imageSize_;
    settings.buttonSize = {ScaleLength(buttonSize_.cx, dpi_), ScaleLength(buttonSize_.cy, dpi_)};
    settings.maskColor = maskColor_;
    settings.menuFont = menuFont_.get();
    settings.tabGap = tabGap_;
    settings.flatMenus = flatMenus_;
    settings.cuesShown = cuesShown_;
    settings.dpi = dpi_;
    return settings;
}

void CommandBar::DestroyBar()
{
    if (IsWindow(topWindow_.Window()))
        topWindow_.Unsubclass(false);
    imageList_.reset();
    menuFont_.reset();
    imageCommands_.clear();
    convertedMenus_.RestoreAll();
    popupWindows_.clear();
}

BOOL CommandBar::OnCreate(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    result = CallWindowProcA(DefaultProcedure(), window, message, wParam, lParam);
    dpi_ = WindowDpi(window);
    ReadSystemSettings();
    topWindow_.Subclass(TopLevelParent(GetParent(window)));
    SendMessageA(window, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    SendMessageA(window, TB_SETIMAGELIST, 0, 0);
    AcquireMessageHook();
    return TRUE;
}

HRESULT QueryCommonControlsVersion(HMODULE library, DLLVERSIONINFO* version)
{
    if (IsBadWritePtr(version, 4))
        return E_INVALIDARG;
    // Through void*: the export's real type is known only by its name.
    const auto query = reinterpret_cast<DLLGETVERSIONPROC>(
        reinterpret_cast<void*>(GetProcAddress(library, "DllGetVersion")));
    if (!query)
        return E_NOTIMPL;
    return query(version);
}
