#pragma once

#include <windows.h>

#include "window_thunk.h"

class WindowObject;

// Takes over a window that exists already: its messages reach the owner's HandleMessage
// with this object's handler-set number first, then the window's earlier procedure.
class SubclassedWindow {
public:
    SubclassedWindow(WindowObject* owner, DWORD handlerSet) : owner_(owner), handlerSet_(handlerSet) {}
    SubclassedWindow(const SubclassedWindow&) = delete;
    SubclassedWindow& operator=(const SubclassedWindow&) = delete;

    int Subclass(HWND window);
    // Gives the window its earlier procedure back; unless forced, only while this object's
    // procedure is still the window's. Returns the former window or null.
    HWND Unsubclass(bool force);
    LRESULT DefaultProcessing(UINT message, WPARAM wParam, LPARAM lParam)
    {
        return CallWindowProcA(previousProcedure_, window_, message, wParam, lParam);
    }

    HWND Window() const { return window_; }

private:
    static LRESULT CALLBACK SubclassProc(SubclassedWindow* self, UINT message, WPARAM wParam, LPARAM lParam);

    HWND window_ = nullptr;
    WindowThunk thunk_;
    WNDPROC previousProcedure_ = DefWindowProcA;
    WindowObject* owner_;
    DWORD handlerSet_;
};
