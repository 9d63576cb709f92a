#pragma once

#include <windows.h>

#include <commctrl.h>
#include <shlwapi.h>

#include <cstdint>
#include <vector>

#include "app/subclassed_window.h"
#include "app/unique_any.h"
#include "app/window_object.h"
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
    void LeaveMenuMode();
    void SetCuesVisible(bool show);

    BOOL HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result,
                       DWORD handlerSet) override;

    HMENU BarMenu() const { return barMenu_; }
    const std::vector<uint16_t>& ImageCommands() const { return imageCommands_; }
    HIMAGELIST ImageList() const { return imageList_.get(); }
    SIZE ImageSize() const { return imageSize_; }
    SIZE ButtonSize() const { return buttonSize_; }
    HFONT MenuFont() const { return menuFont_.get(); }
    int TabGap() const { return tabGap_; }
    bool FlatMenus() const { return flatMenus_; }
    bool CuesShown() const { return cuesShown_; }
    bool HideCuesUntilKeyboard() const { return hideCuesUntilKeyboard_; }
    HWND TopWindow() const { return topWindow_.Window(); }
    MenuDrawingSettings DrawingSettings() const;

private:
    BOOL OnCreate(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    void DestroyBar();

    std::vector<HWND> popupWindows_;
    std::vector<HMENU> convertedMenus_;
    HMENU barMenu_ = nullptr;
    UniqueImageList imageList_;
    std::vector<uint16_t> imageCommands_;
    SubclassedWindow topWindow_;
    bool tracking_ = false;
    bool ownerDrawMenus_ = true;
    bool submenuItemSelected_ = false;
    bool trackingRequestedPopup_ = false;
    bool escapePressed_ = false;
    bool ignoreNextKeyMenu_ = false;
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
};

// Asks a loaded common-controls library for its version.
HRESULT QueryCommonControlsVersion(HMODULE library, DLLVERSIONINFO* version);
