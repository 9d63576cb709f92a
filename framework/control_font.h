#pragma once

#include <windows.h>

#include "app/unique_any.h"
#include "display_scale.h"

// The font of one control at the DPI of its window. A control takes its own font at the
// system's DPI when it is made; a window on a monitor of another scale gives it the same font
// made as much larger as that DPI is, or the system's font for that DPI that the control's
// own font comes from.
class ControlFont {
public:
    // Notes the control and the font it has now, at the system's DPI.
    void Remember(HWND control);
    // Notes the control, whose own font is this one of the system's.
    void Remember(HWND control, SystemFont source);
    // Gives the control its remembered font at the DPI; at the system's DPI a control that was
    // never given another keeps its own.
    void ScaleTo(UINT dpi);

private:
    void Give(const LOGFONTA& font);

    HWND control_ = nullptr;
    LOGFONTA remembered_{};
    bool known_ = false;
    bool fromSystem_ = false;
    SystemFont source_ = SystemFont::Menu;
    UniqueFont given_;
};
