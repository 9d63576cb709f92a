#pragma once

#include <cstdint>
#include <string>

#include "file_target.h"

// The new content of a file, written beside it under a name of its own and then put in its
// place in one step: at every instant the file is either the old one or the new one. Until
// it has taken the file's place it belongs to this object, which removes it.
class ReplacementFile {
public:
    explicit ReplacementFile(const FileTarget& target) : target_(target) {}
    ~ReplacementFile();
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    // Writes the bytes through to the disk, with the target's attributes, creation time and
    // access rights. Returns 0 or the system's error code.
    uint32_t Write(const std::string& bytes);
    // The new file's path for the system's ANSI profile functions, or empty.
    const std::string& AnsiPath() const { return ansiPath_; }
    // Puts the new file in the target's place. When the target did not exist, it is put there
    // only while there is still none. Returns 0 or the system's error code.
    uint32_t Replace(bool targetExists);

private:
    const FileTarget& target_;
    std::wstring path_;
    std::string ansiPath_;
};
