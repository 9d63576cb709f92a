#include "folder_watch.h"

FolderWatch::FolderWatch(const std::wstring& folder, HWND window, UINT message)
    : change_(FindFirstChangeNotificationW(
          folder.c_str(), FALSE, FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE)),
      stop_(CreateEventA(nullptr, TRUE, FALSE, nullptr)), window_(window), message_(message)
{
    if (change_ && stop_)
        thread_.reset(CreateThread(nullptr, 0, Run, this, 0, nullptr));
}

FolderWatch::~FolderWatch()
{
    if (!thread_)
        return;
    SetEvent(stop_.get());
    WaitForSingleObject(thread_.get(), INFINITE);
}

DWORD WINAPI FolderWatch::Run(void* self)
{
    auto& watch = *static_cast<FolderWatch*>(self);
    const HANDLE waits[] = {watch.stop_.get(), watch.change_.get()};
    while (WaitForMultipleObjects(2, waits, FALSE, INFINITE) == WAIT_OBJECT_0 + 1) {
        if (InterlockedExchange(&watch.posted_, 1) == 0)
            PostMessageA(watch.window_, watch.message_, 0, 0);
        if (!FindNextChangeNotification(watch.change_.get())) {
            InterlockedExchange(&watch.failed_, 1);
            PostMessageA(watch.window_, watch.message_, 0, 0);
            break;
        }
    }
    return 0;
}
