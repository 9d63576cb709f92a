#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Answers the message boxes that a thread shows while this object lives, as a user pressing
// OK would, and keeps what each of them showed.
class MessageBoxAnswerer {
public:
    struct Box {
        HWND owner;
        std::string title;
        std::string text;
        bool warningIcon;
        DWORD shownAt; // the tick count when it was found on the screen
    };

    explicit MessageBoxAnswerer(DWORD threadId = GetCurrentThreadId());
    ~MessageBoxAnswerer();
    MessageBoxAnswerer(const MessageBoxAnswerer&) = delete;
    MessageBoxAnswerer& operator=(const MessageBoxAnswerer&) = delete;

    std::vector<Box> Boxes();
    // The boxes once there are as many, or what there is after the timeout.
    std::vector<Box> WaitForBoxes(size_t count, DWORD timeoutMs = 5000);

private:
    static DWORD WINAPI Run(void* self);
    void Answer(HWND box);

    DWORD threadId_;
    CRITICAL_SECTION lock_;
    std::vector<Box> boxes_;
    volatile LONG stop_ = 0;
    HANDLE thread_ = nullptr;
};
