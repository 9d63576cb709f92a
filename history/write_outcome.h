#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Why the file could not be read or written.
struct FileFailure {
    enum class Kind {
        None,
        KeptChanging, // another program changed the file again and again meanwhile
        CheckFailed,  // the new content did not read back as planned, so it was not used
        SystemError,  // the system refused; systemError says why
    };
    Kind kind = Kind::None;
    uint32_t systemError = 0;

    explicit operator bool() const { return kind != Kind::None; }
};

// What became of each value of a write.
enum class WriteResult {
    Written,      // the file holds the value now
    ValueChanged, // the file held another text than the one expected, so it was left alone
    NotWritten,   // the write failed for the reason the outcome gives
};

// What a write changed of a key's line.
struct ValueChange {
    std::string value;      // the value's bytes it replaced
    std::string lineBefore; // the whole line, without its break
    std::string lineAfter;
};

struct WriteOutcome {
    std::vector<WriteResult> results; // one per value, in the order given
    std::vector<ValueChange> changes; // one per value: what was changed, for those Written here
    FileFailure failure;

    bool AllWritten() const
    {
        for (WriteResult result : results)
            if (result != WriteResult::Written)
                return false;
        return true;
    }
};
