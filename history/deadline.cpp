#include "deadline.h"

#include <windows.h>

#include <algorithm>
#include <utility>

Deadline::Deadline(Waiting waiting) : waiting_(std::move(waiting)), started_(Now()) {}

uint32_t Deadline::Now() const { return waiting_.now ? waiting_.now() : GetTickCount(); }

void Deadline::Wait(uint32_t ms) const
{
    const uint32_t elapsed = Now() - started_;
    ms = std::min(ms, elapsed < kTotalMs ? kTotalMs - elapsed : 0);
    if (waiting_.wait)
        waiting_.wait(ms);
    else
        Sleep(ms);
}

