#pragma once

#include <windows.h>

#include <string>

#include "app/unique_any.h"

// Posts a message to a window whenever something in a folder changes: its files' names, sizes
// or times. A thread of its own only waits on the system's change notification for the folder,
// which holds no file in it open. One message waits in the queue at a time: the window takes
// it with Taken before it looks at the folder.
class FolderWatch {
public:
    FolderWatch(const std::wstring& folder, HWND window, UINT message);
    ~FolderWatch();
    FolderWatch(const FolderWatch&) = delete;
    FolderWatch& operator=(const FolderWatch&) = delete;

    // False where the folder gives no notifications (some network drives): the window then
    // looks at the file on a timer instead.
    bool Watching() const { return thread_.get() != nullptr && !failed_; }
    void Taken() { InterlockedExchange(&posted_, 0); }

private:
    static DWORD WINAPI Run(void* self);

    struct ChangeTraits {
        using Type = HANDLE;
        static Type Empty() { return INVALID_HANDLE_VALUE; }
        static void Close(Type handle) { FindCloseChangeNotification(handle); }
    };

    UniqueAny<ChangeTraits> change_;
    UniqueAny<NullHandleTraits<HANDLE, CloseHandle>> stop_;
    UniqueAny<NullHandleTraits<HANDLE, CloseHandle>> thread_;
    HWND window_;
    UINT message_;
    volatile LONG posted_ = 0;
    volatile LONG failed_ = 0; // the notifications stopped: the window is told once more
};
