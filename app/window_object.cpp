#include "window_object.h"

#include "app_context.h"

BOOL WindowObject::HandleMessage(HWND, UINT, WPARAM, LPARAM, LRESULT&, DWORD) { return FALSE; }

void* WindowObject::RoutedProcedure() { return reinterpret_cast<void*>(&WindowObject::RoutedWindowProc); }

void WindowObject::LastMessageDone(HWND) {}

void WindowObject::Announce()
{
    ScopedLock lock(App().windowCreationLock);
    pending_.object = this;
    pending_.thread = GetCurrentThreadId();
    pending_.next = App().pendingWindows;
    App().pendingWindows = &pending_;
}

void WindowObject::Withdraw()
{
    ScopedLock lock(App().windowCreationLock);
    for (PendingWindow** link = &App().pendingWindows; *link; link = &(*link)->next) {
        if (*link == &pending_) {
            *link = pending_.next;
            pending_.next = nullptr;
            return;
        }
    }
}

LRESULT WindowObject::Bind(HWND window, UINT message, WPARAM wParam, LPARAM lParam, int procedureIndex)
{
    WindowObject* object = nullptr;
    {
        ScopedLock lock(App().windowCreationLock);
        const DWORD thread = GetCurrentThreadId();
        for (PendingWindow** link = &App().pendingWindows; *link; link = &(*link)->next) {
            if ((*link)->thread == thread) {
                object = (*link)->object;
                *link = (*link)->next;
                break;
            }
        }
    }
    const bool dialog = procedureIndex == DWLP_DLGPROC;
    // A window nobody announced cannot come from the creation paths; it gets plain default
    // processing instead of someone else's object.
    if (!object || !object->thunk_.Bind(object, object->RoutedProcedure()))
        return dialog ? 0 : DefWindowProcA(window, message, wParam, lParam);
    object->window_ = window;
    const WNDPROC stub = object->thunk_.Procedure();
    SetWindowLongPtrA(window, procedureIndex, reinterpret_cast<LONG_PTR>(stub));
    return stub(window, message, wParam, lParam);
}

LRESULT CALLBACK WindowObject::FirstMessageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return Bind(window, message, wParam, lParam, GWLP_WNDPROC);
}

INT_PTR CALLBACK WindowObject::FirstDialogMessageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return Bind(window, message, wParam, lParam, DWLP_DLGPROC);
}

LRESULT CALLBACK WindowObject::RoutedWindowProc(WindowObject* object, UINT message, WPARAM wParam, LPARAM lParam)
{
    const HWND window = object->window_;
    LRESULT result = 0;
    if (object->HandleMessage(window, message, wParam, lParam, result, kOwnWindow))
        return result;
    if (message != WM_NCDESTROY)
        return CallWindowProcA(object->defaultProcedure_, window, message, wParam, lParam);
    // The window's last message: give a superclassed control its own procedure back and
    // let the object know it has no window any more.
    const auto current = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC));
    result = CallWindowProcA(object->defaultProcedure_, window, message, wParam, lParam);
    if (object->defaultProcedure_ != DefWindowProcA &&
        reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC)) == current)
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(object->defaultProcedure_));
    object->window_ = nullptr;
    object->LastMessageDone(window);
    return result;
}

namespace {

// Dialog messages whose handled result is the procedure's return value itself rather than
// the dialog's message result.
bool ReturnsResultDirectly(UINT message)
{
    return message == WM_VKEYTOITEM || message == WM_CHARTOITEM || message == WM_QUERYDRAGICON ||
           message == WM_COMPAREITEM || message == WM_INITDIALOG ||
           (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC);
}

} // namespace

INT_PTR CALLBACK WindowObject::RoutedDialogProc(WindowObject* object, UINT message, WPARAM wParam, LPARAM lParam)
{
    const HWND window = object->window_;
    LRESULT result = 0;
    if (object->HandleMessage(window, message, wParam, lParam, result, kOwnWindow)) {
        if (ReturnsResultDirectly(message))
            return result;
        SetWindowLongPtrA(window, DWLP_MSGRESULT, result);
        return TRUE;
    }
    if (message == WM_NCDESTROY) {
        object->window_ = nullptr;
        object->LastMessageDone(window);
    }
    return FALSE;
}

void* DialogObject::RoutedProcedure() { return reinterpret_cast<void*>(&WindowObject::RoutedDialogProc); }

INT_PTR DialogObject::RunModalDialog(HWND owner, int templateId, LPARAM parameter)
{
    Announce();
    const INT_PTR result = DialogBoxParamA(App().resourceInstance, MAKEINTRESOURCEA(templateId), owner,
                                           FirstDialogMessageProc, parameter);
    // A template that could not be loaded sends no message: take the announcement back.
    Withdraw();
    return result;
}
