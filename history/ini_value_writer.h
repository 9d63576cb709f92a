#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "deadline.h"
#include "settled_read.h"
#include "sibling_files.h"
#include "value_plan.h"
#include "write_outcome.h"

// Reads and writes one section of an INI file that other programs write too, changing no other
// byte of it. Each try of a write plans the change on a settled reading of the file as it is
// now (PlanValues), writes the new content beside the file, has the system's own reader check
// it, and puts it in the file's place in one step. A try that finds the file held open, changed
// or missing is made again on fresh bytes while the deadline lasts. What the system's reader
// made of the file is kept, and used again while the file holds exactly its bytes.
class IniValueWriter {
public:
    explicit IniValueWriter(const char* path) : path_(path) {}

    // The section's lines as the system's section read gives them, of one state of the file.
    FileFailure ReadSection(const char* section, std::shared_ptr<const SectionLines>& lines, const Deadline& deadline);
    WriteOutcome Write(const char* section, const std::vector<IniValue>& values, const Deadline& deadline);
    // How long the system's reader took on the last new content. A program that read the file
    // before a write, and writes it afterwards, puts its older copy back within about as long.
    uint32_t LastCheckMs() const { return checkMs_; }
    // Removes what a write stopped half-way left beside the file: 0, or the first error.
    uint32_t RemoveLeftovers();

private:
    // The reading in which tries found keys missing, and since when.
    struct Missing {
        KnownReading reading;
        uint32_t since = 0;
    };

    // Plans the values on the file as it is now and puts the change in place; keys missing are
    // Gone when the file has held the same reading, without them, for a while.
    WriteOutcome WriteOnce(const FileTarget& target, const char* section, const std::vector<IniValue>& values,
                           const Missing& missing, const Deadline& deadline);
    // Puts the replacement in the target's place while the target still holds the bytes the
    // plan was made on. No failure means the new content is in place.
    FileFailure Replace(const FileTarget& target, ReplacementFile& replacement, const FileBytes& before,
                        const FileBytes& planned, const Deadline& deadline);
    FileFailure Swap(const FileTarget& target, ReplacementFile& replacement, const FileBytes& before,
                     const FileBytes& planned, SecondName* replaced, const Deadline& deadline);

    std::string path_;
    KnownReading known_;
    std::vector<SecondName> strays_; // second names that could not go at once
    uint32_t checkMs_ = 0;
};
