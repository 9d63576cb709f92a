#pragma once

#include <windows.h>

#include <vector>

#include "app/unique_any.h"
#include "app/window_class.h"
#include "app/window_object.h"
#include "control_font.h"

// A top-level frame: a rebar of bands across the top, a status bar at the bottom and a client
// view filling the rest, kept laid out as the frame changes size. It shows menu help in the
// status bar and tooltip texts from the string table.
class FrameWindowBase : public WindowObject {
public:
    HWND CreateFrame(HWND parent, const RECT* rectangle, DWORD style, DWORD extendedStyle, void* parameter);
    int CreateRebar(DWORD style, UINT id);
    int AddBand(HWND child, const char* title, bool newRow, int width, bool fullWidth);
    void WidenBands();
    // Takes each band's sizes from its child again, as after the child has changed its size.
    void FitBandsToChildren();
    // Gives the rebar and the status bar their fonts at the DPI. The rebar lays its children
    // out again, with the sizes their bands had.
    void ScaleBarFonts(UINT dpi);
    int CreateStatusBar(UINT textId, DWORD style, UINT id);
    void LayoutChildren(bool resizeBars);

    HWND Rebar() const { return rebar_; }
    HWND StatusBar() const { return statusBar_; }
    HWND ClientView() const { return clientView_; }
    HACCEL Accelerators() const { return accelerators_; }

protected:
    // WM_SIZE and RBN_AUTOSIZE: the layout.
    BOOL HandleLayoutMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // Everything else the frame does: background, focus, menu help, tooltips.
    BOOL HandleFrameMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    HWND clientView_ = nullptr;

private:
    void ShowMenuHelp(WPARAM wParam, LPARAM lParam);

    struct BandKind {
        bool titled;
        bool fullWidth;
    };

    HWND rebar_ = nullptr;
    HWND statusBar_ = nullptr;
    std::vector<BandKind> bands_; // in the rebar's order
    ControlFont rebarFont_;
    ControlFont statusFont_;
    HACCEL accelerators_ = nullptr;
    UniqueMenu menu_;
};

// Centres a window on centre (its parent or owner when null), kept inside the work area or
// the parent's client area. Returns SetWindowPos's result.
BOOL PlaceCentred(HWND window, HWND centre);

// The last window reached by following GetParent from window.
HWND TopLevelParent(HWND window);
