#pragma once

#include <windows.h>

#include <commctrl.h>
#include <shlwapi.h>

#include <cstdint>
#include <vector>

#include "app/subclassed_window.h"
#include "app/unique_any.h"
#include "app/window_object.h"
#include "converted_menus.h"
#include "menu_drawing.h"

// The frame's menu bar: a flat list-style toolbar with one drop-down button per top-level
// item of a menu. It follows the system's menu font, keyboard-cue and flat-menu settings and
// watches the top-level window's messages to drive the menu keyboard interface.
class CommandBar : public WindowObject {
public:
    CommandBar();
    ~CommandBar() override;

    HWND CreateBar(HWND parent, const RECT* rectangle, const char* name, DWORD style, DWORD extendedStyle,
                   UINT id, void* parameter);
    // Shows the menu's top-level items as buttons; false for a handle that is not a menu.
    bool SetBarMenu(HMENU menu);
    // Adds the images of a toolbar resource and notes the command of each.
    bool AddToolbarImages(UINT id);
    void ReadSystemSettings();
    // Takes the menu font and the sizes of another DPI, as when the window moves to a monitor
    // of another scale.
    void SetDpi(UINT dpi);
    void LeaveMenuMode();
    // No button hot any more, and menu mode left.
    void EndKeyboardMode();
    void SetCuesVisible(bool show);

    BOOL HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result,
                       DWORD handlerSet) override;

    HMENU BarMenu() const { return barMenu_; }
    const std::vector<uint16_t>& ImageCommands() const { return imageCommands_; }
    HIMAGELIST ImageList() const { return imageList_.get(); }
    SIZE ImageSize() const { return imageSize_; }
    // The image column of a popup item at 96 DPI; DrawingSettings gives it at the bar's DPI.
    SIZE ButtonSize() const { return buttonSize_; }
    UINT Dpi() const { return dpi_; }
    HFONT MenuFont() const { return menuFont_.get(); }
    int TabGap() const { return tabGap_; }
    bool FlatMenus() const { return flatMenus_; }
    bool CuesShown() const { return cuesShown_; }
    bool HideCuesUntilKeyboard() const { return hideCuesUntilKeyboard_; }
    HWND TopWindow() const { return topWindow_.Window(); }
    MenuDrawingSettings DrawingSettings() const;

    // Opens the submenu at index below button index and tracks it until it closes.
    void DropDownBarMenu(int index, bool animate);
    // Tracks any popup menu with the bar as owner, drawn like the bar's own menus.
    int TrackPopup(HMENU menu, UINT flags, int x, int y, TPMPARAMS* params);
    // The frame used the Alt held down with a key of its own (an access key into a control):
    // the release of Alt that follows is no Alt tap, on Windows as under Wine, and leaves the
    // bar out of keyboard mode. Any system key pressed meanwhile ends this.
    void AltTakenByFrame() { altTakenByFrame_ = true; }

    static LRESULT CALLBACK MessageHookProc(int code, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK CbtHookProc(int code, WPARAM wParam, LPARAM lParam);

    bool Tracking() const { return tracking_; }
    int OpenButton() const { return openButton_; }

private:
    BOOL OnCreate(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    void DestroyBar();
    // How much narrower the toolbar's padding leaves a button than the bar's DPI asks. The
    // toolbar pads each side of a text by 7 pixels at 96 DPI; Wine keeps that at every DPI
    // and takes no more than 2 from TB_SETPADDING. The padding is read back, so whatever
    // Windows' toolbar already scales counts and nothing is added twice.
    int PaddingShortfall() const;
    // Sizes the buttons to their texts again, each widened by the padding's shortfall.
    void FitButtons();
    static constexpr int kButtonPadding = 7; // each side of a button's text, at 96 DPI

    int RunTracking(HMENU menu, UINT flags, int x, int y, TPMPARAMS* params);
    HWND InnermostPopup() const { return popupWindows_.empty() ? nullptr : popupWindows_.back(); }
    int HotButton() const;
    bool ButtonUsable(int index, bool skipHidden) const;
    void TakeFocus();
    HWND FocusToGiveBack() const;
    bool BarHasFocus() const { return GetFocus() == Window(); }

    BOOL HandleBarMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    BOOL HandleTopWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    BOOL HandleForwardedInput(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    BOOL HandleSharedMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    LRESULT OnForwardMessage(const MSG& forwarded);
    LRESULT PreparePopup(HMENU menu, LPARAM lParam);
    BOOL OnOwnerDraw(UINT message, LPARAM lParam, LRESULT& result);
    void OpenButtonMenu(int index);
    void OnMenuSelect(WPARAM wParam, LPARAM lParam);
    BOOL OnBarNotify(const NMHDR& header, LRESULT& result);
    BOOL OnHotItemChange(const NMTBHOTITEM& change, LRESULT& result);
    BOOL OnCustomDraw(NMTBCUSTOMDRAW& draw, LRESULT& result);
    void DrawButton(NMTBCUSTOMDRAW& draw);
    void OnActivate(WPARAM wParam);
    LRESULT OnRequestTrackPopup(LPARAM lParam);

    BOOL OnMenuChar(WPARAM wParam, LPARAM lParam, LRESULT& result);
    LRESULT MatchPopupMnemonic(WPARAM wParam, HMENU menu);
    void OnTypedLetter(WPARAM wParam);
    BOOL OnKeyMenu(WPARAM wParam, LRESULT& result);
    void OnSystemKey(WPARAM key);
    void OnMenuKey(WPARAM key);
    void OnEscape();
    void OnUpDown();
    void OnLeftRight(WPARAM key);
    void OnMouseMove();

    std::vector<HWND> popupWindows_;
    ConvertedMenus convertedMenus_;
    HMENU barMenu_ = nullptr;
    UniqueImageList imageList_;
    std::vector<uint16_t> imageCommands_;
    SubclassedWindow topWindow_;
    HWND focusBefore_ = nullptr; // the control that had the focus when keyboard mode began
    bool tracking_ = false;
    bool ownerDrawMenus_ = true;
    bool submenuItemSelected_ = false;
    bool trackingRequestedPopup_ = false;
    bool escapePressed_ = false;
    bool ignoreNextKeyMenu_ = false;
    bool altTakenByFrame_ = false; // the next SC_KEYMENU is the release of an Alt the frame used
    bool parentActive_ = true;
    bool flatMenus_ = false;
    bool hideCuesUntilKeyboard_ = false;
    bool cuesShown_ = false;
    bool cuesRemembered_ = true;
    bool keyboardInput_ = false;
    bool alphaImages_ = false;
    bool selfPostedDown_ = false;
    int32_t openButton_ = -1;
    int32_t nextButton_ = -1;
    SIZE imageSize_ = {16, 15};
    SIZE buttonSize_ = {22, 21};
    COLORREF maskColor_ = RGB(192, 192, 192);
    UniqueFont menuFont_;
    uint32_t lastSysKey_ = 0;
    int tabGap_ = 0;
    UINT dpi_ = 96;
};

// Other windows ask a bar for its window, its menu or a popup tracked like its own menus.
constexpr UINT kRequestGetBarWindow = WM_USER + 301;
constexpr UINT kRequestGetBarMenu = WM_USER + 302;
constexpr UINT kRequestTrackPopup = WM_USER + 303;
// Sent by the message hook to the bar under which an input message is aimed; lParam is the MSG.
constexpr UINT kForwardMessage = 0x037F;

// What kRequestTrackPopup's lParam points to.
struct TrackPopupRequest {
    uint32_t size; // must be sizeof(TrackPopupRequest), 24
    HMENU menu;
    uint32_t flags;
    int32_t x;
    int32_t y;
    TPMPARAMS* params;
};

// Registered messages: "is this window a visible bar?" and "open this button's menu".
UINT GetBarMessage();
UINT AutoPopupMessage();

// The message hook of the calling thread and the number of bars sharing it; a null hook and
// a count of 0 when the thread has none. tableExists tells whether any thread has one.
struct ThreadHookState {
    HHOOK hook;
    int useCount;
    bool tableExists;
};
ThreadHookState CurrentThreadHookState();

// Asks a loaded common-controls library for its version.
HRESULT QueryCommonControlsVersion(HMODULE library, DLLVERSIONINFO* version);
