#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>

#include "file_target.h"

// Waits for the given milliseconds. The window passes one that keeps it painting and
// answering; without one, the thread sleeps.
using WaitFunction = std::function<void(uint32_t ms)>;

// How long reading or writing the history keeps trying while another program holds the file
// open, keeps changing it or has renamed it away for a moment, and how it waits meanwhile:
// every retry of a read or a write goes through one of these.
class Patience {
public:
    static constexpr uint32_t kTotalMs = 2000;
    static constexpr uint32_t kRetryMs = 10;

    explicit Patience(const WaitFunction& wait) : wait_(wait), started_(GetTickCount()) {}

    // False once the time is up.
    bool Lasts() const { return GetTickCount() - started_ < kTotalMs; }
    void Wait(uint32_t ms = kRetryMs) const
    {
        if (wait_)
            wait_(ms);
        else
            Sleep(ms);
    }
    // Calls attempt, which returns 0 or the system's error code, again for as long as it fails
    // because another program holds the file and the patience lasts; returns its last result.
    template <typename Attempt>
    uint32_t WhileHeld(Attempt attempt) const
    {
        uint32_t error = 0;
        while ((error = attempt()) != 0 && IsHeldOpen(error) && Lasts())
            Wait();
        return error;
    }

private:
    const WaitFunction& wait_;
    const DWORD started_;
};
