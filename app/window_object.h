#pragma once

#include <windows.h>

#include "window_thunk.h"

// Where a message that reaches a window object comes from.
enum HandlerSet : DWORD {
    kOwnWindow = 0,        // the object's own window
    kSubclassedWindow = 1, // a window the object has subclassed
    kForwardedInput = 3,   // input another window's message hook passed on to the object
};

class WindowObject;

// Announces an object whose window is being created on a thread; the window's first
// message takes the newest announcement of its thread.
struct PendingWindow {
    WindowObject* object = nullptr;
    DWORD thread = 0;
    PendingWindow* next = nullptr;
};

// Base of every window or dialog that has behaviour of its own: each message of its window
// reaches HandleMessage, and what that leaves unhandled goes to the default procedure.
class WindowObject {
public:
    WindowObject() = default;
    virtual ~WindowObject() = default;
    WindowObject(const WindowObject&) = delete;
    WindowObject& operator=(const WindowObject&) = delete;

    // Nonzero when handled; handlerSet tells where the message comes from (HandlerSet).
    virtual BOOL HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result,
                               DWORD handlerSet);
    // The procedure the window's stub leads to: windows and dialogs are routed differently.
    virtual void* RoutedProcedure();
    virtual void LastMessageDone(HWND oldWindow);

    HWND Window() const { return window_; }
    WNDPROC DefaultProcedure() const { return defaultProcedure_; }
    void SetDefaultProcedure(WNDPROC procedure) { defaultProcedure_ = procedure; }

    // Puts the object on the thread's pending list; the next window created on the thread
    // binds to it. Withdraw takes it off again when the creation was refused.
    void Announce();
    void Withdraw();

    static LRESULT CALLBACK FirstMessageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static INT_PTR CALLBACK FirstDialogMessageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

protected:
    static LRESULT CALLBACK RoutedWindowProc(WindowObject* object, UINT message, WPARAM wParam, LPARAM lParam);
    static INT_PTR CALLBACK RoutedDialogProc(WindowObject* object, UINT message, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT Bind(HWND window, UINT message, WPARAM wParam, LPARAM lParam, int procedureIndex);

    HWND window_ = nullptr;
    PendingWindow pending_;
    WindowThunk thunk_;
    WNDPROC defaultProcedure_ = DefWindowProcA;
};

// A dialog object: routed through the dialog procedure, with the dialog's own default
// processing for what it leaves unhandled.
class DialogObject : public WindowObject {
public:
    void* RoutedProcedure() override;
    // Runs the dialog of the template modally over owner and returns its end code.
    INT_PTR RunModalDialog(HWND owner, int templateId, LPARAM parameter);
};
