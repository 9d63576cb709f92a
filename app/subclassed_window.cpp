#include "subclassed_window.h"

#include <utility>

#include "window_object.h"

int SubclassedWindow::Subclass(HWND window)
{
    if (!thunk_.Bind(this, reinterpret_cast<void*>(&SubclassedWindow::SubclassProc)))
        return 0;
    const auto previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(thunk_.Procedure())));
    if (!previous)
        return 0;
    previousProcedure_ = previous;
    window_ = window;
    return 1;
}

HWND SubclassedWindow::Unsubclass(bool force)
{
    if (!force && reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window_, GWLP_WNDPROC)) != thunk_.Procedure())
        return nullptr;
    if (!SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previousProcedure_)))
        return nullptr;
    previousProcedure_ = DefWindowProcA;
    return std::exchange(window_, nullptr);
}

LRESULT CALLBACK SubclassedWindow::SubclassProc(SubclassedWindow* self, UINT message, WPARAM wParam, LPARAM lParam)
{
    const HWND window = self->window_;
    LRESULT result = 0;
    if (self->owner_->HandleMessage(window, message, wParam, lParam, result, self->handlerSet_))
        return result;
    result = CallWindowProcA(self->previousProcedure_, window, message, wParam, lParam);
    if (message == WM_NCDESTROY)
        self->window_ = nullptr;
    return result;
}
