#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "folder_watch.h"
#include "history/file_target.h"

// When the window reads history.ini again for other programs' changes: as soon as its folder
// tells of a change and the file has kept its size and times for a moment, but at most once
// per half second however many writes come, and never while the window's own work on the file
// goes on; where the folder tells nothing, every half second. Idle, it waits on the folder and
// costs nothing.
class FileFollower {
public:
    static constexpr UINT kChangedMessage = WM_APP + 2; // posted by the folder's watch
    static constexpr UINT_PTR kTimer = 2;

    FileFollower(HWND window, const std::wstring& folder);

    // The folder told of a change; stampNow gives the file as the system shows it now, asked
    // only when the change sets a reading (a stream of changes asks once per reading).
    void Notified(const std::function<FileStamp()>& stampNow);
    // The timer fired; whether the window is to look at the file now, given whether it can and
    // what the system says of the file now.
    bool Due(bool canFollow, const FileStamp& stamp);

private:
    static constexpr UINT kIntervalMs = 500;
    static constexpr UINT kBusyRetryMs = 100;
    // A program rewriting the file empties it first: the reading waits for the write to end.
    static constexpr UINT kSettleMs = 20;

    HWND window_;
    FolderWatch watch_;
    DWORD lastLook_ = 0;
    bool pending_ = false;  // the timer of a reading is set
    DWORD notifiedAt_ = 0;  // when the change that set it was told
    FileStamp settling_;    // the file as the last tick, or the change's notice, found it
};
