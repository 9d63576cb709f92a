#pragma once

#include <memory>
#include <string>

#include "file_target.h"
#include "section_lines.h"
#include "write_outcome.h"

// What the system's reader made of one section of a file's bytes. The reading depends on
// nothing but those bytes, so it is used again, instead of reading once more, while the file
// holds exactly them.
struct Reading {
    std::string section;
    FileBytes file;
    SectionLines lines;
};
using KnownReading = std::shared_ptr<const Reading>;

struct SettledRead {
    KnownReading reading; // of the file as it is; the known one itself while the file holds its bytes
    FileFailure failure;
};

// Reads the file's bytes, its section through the system's reader and looks at the bytes once
// more: a program that writes the file empties it first and then fills it, and a reading taken
// in between is of no state of the file. A missing file reads as no bytes and no lines.
// Creates no file and writes none.
SettledRead ReadSettled(const FileTarget& target, const char* readerPath, const char* section, const KnownReading& known);
