#pragma once

#include "app/window_object.h"

// The version box: the icon, the program's name and version and a notice, centred over its
// owner; OK or Enter ends it with 1, Escape or the close box with 2.
class AboutDialog : public DialogObject {
public:
    INT_PTR RunModal(HWND owner, LPARAM parameter);
    BOOL HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result,
                       DWORD handlerSet) override;
};
