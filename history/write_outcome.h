#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Why the file could not be read or written, and whether a moment later it may be.
struct FileFailure {
    enum class Kind {
        None,
        Held,         // another program has the file open for the moment (systemError)
        Missing,      // the file is not there, or renamed away for the moment (systemError)
        KeysMissing,  // the file lacks keys it had, which may mean it was caught being rewritten
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
        return kind == Kind::Held || kind == Kind::Missing || kind == Kind::KeysMissing || kind == Kind::KeptChanging;
    }
};

// The failure a system error stands for; 0 stands for none. Replacing a file fails with
// "access denied" while another program has it open: under Wine whatever it shares, on Windows
// when the file is open at all; the writer makes sure beforehand that it may replace the file.
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

// The outcome of a write, and of each of its tries.
struct WriteOutcome {
    explicit WriteOutcome(size_t values = 0) : results(values, WriteResult::NotWritten), changes(values) {}

    std::vector<WriteResult> results; // one per value, in the order given
    std::vector<ValueChange> changes; // one per value: what this write changed of its line
    FileFailure failure;              // why the values NotWritten were not
    bool fileRead = false;            // a try read the file and planned on what it held

    bool AllWritten() const
    {
        for (WriteResult result : results)
            if (result != WriteResult::Written)
                return false;
        return true;
    }
};
