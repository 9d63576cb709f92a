#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

// Why the file could not be read or written, and whether a moment later it may be.
struct FileFailure {
    enum class Kind {
        None,
        Held,         // another program has the file open for the moment (systemError)
        Missing,      // the file is not there, or renamed away for the moment (systemError)
        KeptChanging, // another program changed the file again and again meanwhile
        CheckFailed,  // the new content did not read back as planned, so it was not used
        SystemError,  // the system refused; systemError says why
    };
    Kind kind = Kind::None;
    uint32_t systemError = 0;

    explicit operator bool() const { return kind != Kind::None; }
    // Trying again a moment later may succeed: every other failure is the same on each try.
    bool Passing() const
    {
        switch (kind) {
        case Kind::Held:
        case Kind::Missing:
        case Kind::KeptChanging:
            return true;
        default:
            return false;
        }
    }
};

// The failure a system error (or 0) stands for. Replacing a file fails with "access denied"
// while another program has it open (under Wine whatever it shares, on Windows at all).
FileFailure FailureOf(uint32_t error, bool replacing = false);

// What became of each value of a write.
enum class WriteResult {
    Written,      // the file holds the value now
    ValueChanged, // the file held another text than the one expected, so it was left alone
    Gone,         // the file no longer has the key, so it was left alone
    NotWritten,   // the write failed for the reason the outcome gives
};

// What a write changed of a key's line.
struct ValueChange {
    std::string value;      // the value's bytes it replaced
    std::string lineBefore; // the whole line, without its break; empty when nothing changed
    std::string lineAfter;
};

// The outcome of a write, or of one try of it; what became of each value is in its record.
struct WriteOutcome {
    FileFailure failure;      // why the values NotWritten were not
    bool keysMissing = false; // keys were missing from a file perhaps caught being rewritten: try again
    bool fileRead = false;    // a try read the file and planned on what it held
    bool fileChanged = false; // a try found the file changed since the store last read or wrote it
};

// How a command waits while the file is busy, and what time it is: the window waits keeping
// itself alive, tests may give a clock; else the thread sleeps, by the system's tick count.
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
    // Calls attempt, which says whether to try again, for as long as it does and the deadline
    // lasts. Only a command's outermost steps retry: a read, and a write from its reading on.
    template <typename Attempt>
    void Retry(Attempt attempt) const
    {
        while (attempt() && Lasts())
            Wait();
    }
    // Repeats one step inside a try, which returns a FileFailure, while it fails for a reason
    // that may pass and the deadline lasts (the file held at the swap, say, where starting the
    // try again would write and check the new content again); returns its last failure.
    template <typename Step>
    FileFailure Repeat(Step step) const
    {
        for (;;) {
            const FileFailure failure = step();
            if (!failure.Passing() || !Lasts())
                return failure;
            Wait();
        }
    }

private:
    Waiting waiting_;
    uint32_t started_;
};
