#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <utility>

#include "write_outcome.h"

// How a command waits while the file is busy, and what time it is. The window waits keeping
// itself alive; tests may give a clock of their own. Without them the thread sleeps, and the
// time is the system's tick count.
struct Waiting {
    std::function<void(uint32_t ms)> wait;
    std::function<uint32_t()> now;
};

// The one retry policy of reading and writing the history. While another program holds the
// file open, keeps changing it or has renamed it away for a moment, a command tries again every
// ten milliseconds, for two seconds in all counted from its start, however many of its steps
// wait; a failure that waiting cannot cure ends it at once.
class Deadline {
public:
    static constexpr uint32_t kTotalMs = 2000;
    static constexpr uint32_t kRetryMs = 10;

    explicit Deadline(Waiting waiting = {}) : waiting_(std::move(waiting)), started_(Now()) {}

    uint32_t Now() const { return waiting_.now ? waiting_.now() : GetTickCount(); }
    bool Lasts() const { return Now() - started_ < kTotalMs; }
    // Waits as long as asked, never past the deadline.
    void Wait(uint32_t ms = kRetryMs) const
    {
        const uint32_t elapsed = Now() - started_;
        ms = std::min(ms, elapsed < kTotalMs ? kTotalMs - elapsed : 0);
        if (waiting_.wait)
            waiting_.wait(ms);
        else
            Sleep(ms);
    }
    // Calls attempt, which returns a FileFailure, again for as long as it fails for a passing
    // reason and the deadline lasts; returns its last failure.
    template <typename Attempt>
    FileFailure Retry(Attempt attempt) const
    {
        for (;;) {
            const FileFailure failure = attempt();
            if (!failure.Passing() || !Lasts())
                return failure;
            Wait();
        }
    }

private:
    Waiting waiting_;
    uint32_t started_;
};
