#include "file_follower.h"

FileFollower::FileFollower(HWND window, const std::wstring& folder)
    : window_(window), watch_(folder, window, kChangedMessage), lastLook_(GetTickCount() - kIntervalMs)
{
    // One look at once: a change made before the watch began is read too.
    pending_ = true;
    notifiedAt_ = GetTickCount();
    SetTimer(window_, kTimer, watch_.Watching() ? kSettleMs : kIntervalMs, nullptr);
}

void FileFollower::Notified(const std::function<FileStamp()>& stampNow)
{
    watch_.Taken();
    // A reading already set is not put off by later changes, so a stream of writes is read
    // every half second.
    if (pending_)
        return;
    pending_ = true;
    notifiedAt_ = GetTickCount();
    // A file the first tick finds as it is now has kept its size and times since: one tick.
    settling_ = stampNow();
    const DWORD since = notifiedAt_ - lastLook_;
    SetTimer(window_, kTimer, since + kSettleMs >= kIntervalMs ? kSettleMs : kIntervalMs - since, nullptr);
}

bool FileFollower::Due(bool canFollow, const FileStamp& stamp)
{
    const bool watching = watch_.Watching();
    if (watching && stamp != settling_ && GetTickCount() - notifiedAt_ < kIntervalMs) {
        settling_ = stamp;
        SetTimer(window_, kTimer, kSettleMs, nullptr);
        return false;
    }
    if (!canFollow) {
        if (watching)
            SetTimer(window_, kTimer, kBusyRetryMs, nullptr);
        return false;
    }
    // Watching, the next change sets the timer again; else it keeps looking, also once the
    // notifications have stopped.
    if (watching)
        KillTimer(window_, kTimer);
    else
        SetTimer(window_, kTimer, kIntervalMs, nullptr);
    pending_ = false;
    lastLook_ = GetTickCount();
    return true;
}
