#pragma once

#include <windows.h>

// A small piece of executable code that the system calls as a window or dialog procedure.
// It puts an object's address in place of the window handle argument and jumps on to a
// procedure that takes the object instead. Stubs live in pages of their own that are
// writable only while a stub is written, so they run where data may not be executed.
class WindowThunk {
public:
    WindowThunk() = default;
    ~WindowThunk();
    WindowThunk(const WindowThunk&) = delete;
    WindowThunk& operator=(const WindowThunk&) = delete;

    // Points the stub at object and procedure; false when no executable memory can be had.
    bool Bind(void* object, void* procedure);
    WNDPROC Procedure() const { return reinterpret_cast<WNDPROC>(code_); }

private:
    unsigned char* code_ = nullptr;
};
