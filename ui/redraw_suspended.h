#pragma once

#include <windows.h>

// Suspends a list's repainting for a scope and repaints it once afterwards: a visible list
// repaints for every row inserted, deleted or selected.
class RedrawSuspended {
public:
    explicit RedrawSuspended(HWND list) : list_(list) { SendMessageA(list_, WM_SETREDRAW, FALSE, 0); }
    ~RedrawSuspended()
    {
        SendMessageA(list_, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(list_, nullptr, TRUE);
    }
    RedrawSuspended(const RedrawSuspended&) = delete;
    RedrawSuspended& operator=(const RedrawSuspended&) = delete;

private:
    HWND list_;
};
