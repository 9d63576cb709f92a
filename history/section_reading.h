#pragma once

#include <memory>
#include <string>

#include "file_target.h"
#include "section_lines.h"
#include "sibling_file.h"

// A private copy of bytes beside the file, for the system's reader, which keeps what it read
// of a file until told to let go of it. Told so, the reader reads the file once more under
// Wine, as long as the first time: the copy is emptied before.
class ReaderCopy {
public:
    explicit ReaderCopy(const FileTarget& target) : file_(target) {}
    ~ReaderCopy() { LetGo(); }
    ReaderCopy(const ReaderCopy&) = delete;
    ReaderCopy& operator=(const ReaderCopy&) = delete;

    // Returns 0 or the system's error code.
    uint32_t Write(const std::string& bytes) { return file_.Write(bytes, false); }
    // Reads the section; false when the copy has no name for the reader or was not read.
    bool Read(const char* section, SectionLines& lines);
    void LetGo();

private:
    SiblingFile file_;
    bool read_ = false;
};

// What the system's reader made of one section of a file's bytes. The reading depends on
// nothing but those bytes, so it is used again, instead of reading once more, while the file
// holds exactly them.
struct KnownReading {
    std::string section;
    FileBytes file;
    std::shared_ptr<const SectionLines> lines;

    // The reading of the section of the file as it is now, or null when not known.
    std::shared_ptr<const SectionLines> Of(const char* sectionName, const FileBytes& now) const;
};

// How a reading of the file went.
struct ReadingOutcome {
    enum class Kind {
        Read,         // the reading of the file as it is is known
        Changed,      // the file changed while it was read
        FileError,    // the file could not be read (error)
        CopyError,    // the private copy could not be written (error)
        ReaderFailed, // the system's reader did not read the copy
    };
    Kind kind = Kind::Read;
    uint32_t error = 0;
};

// Reads the section of the file's bytes through a private copy of them, and the bytes once
// more afterwards: unchanged, they were one state of the file and the reading is known.
ReadingOutcome ReadKnownSection(const FileTarget& target, const char* section, KnownReading& known);
