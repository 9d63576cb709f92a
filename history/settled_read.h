#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "file_target.h"
#include "section_lines.h"
#include "write_outcome.h"

// What the system's reader made of one section of a file's bytes. The reading depends on
// nothing but those bytes, so it is used again, instead of reading once more, while the file
// holds exactly them.
struct KnownReading {
    std::string section;
    FileBytes file;
    std::shared_ptr<const SectionLines> lines;
};

enum class ReadKind {
    Read,    // the known reading is of the file as it is
    Held,    // another program holds the file for the moment (error)
    Changed, // the file changed while it was read
    Failed,  // the file cannot be read (error)
};

struct SettledRead {
    ReadKind kind = ReadKind::Read;
    uint32_t error = 0;
};

// Why a read did not give the known reading: the file kept changing, or the system's error.
FileFailure Why(const SettledRead& read);

// Reads the file's bytes, its section through the system's reader and the bytes once more:
// a program that writes the file empties it first and then fills it, and a reading taken in
// between is of no state of the file. When the bytes agree, the reading becomes the known one.
// A missing file reads as no bytes and no lines. Creates no file and writes none.
SettledRead ReadSettled(const FileTarget& target, const char* readerPath, const char* section, KnownReading& known);
