#pragma once

#include <cstdint>
#include <vector>

// What became of each value of a write.
enum class WriteResult {
    Written,      // the file holds the value now
    ValueChanged, // the file held another text than the one expected, so it was left alone
    NotWritten,   // the write failed for the reason the outcome gives
};

enum class WriteFailure {
    None,
    FileKeptChanging, // another program changed the file again and again while it was written
    CheckFailed,      // the new content did not read back as planned, so it was not used
    SystemError,      // the system refused; systemError says why
};

struct WriteOutcome {
    std::vector<WriteResult> results; // one per value, in the order given
    WriteFailure failure = WriteFailure::None;
    uint32_t systemError = 0;

    bool AllWritten() const
    {
        for (WriteResult result : results)
            if (result != WriteResult::Written)
                return false;
        return true;
    }
};
