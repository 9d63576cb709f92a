#pragma once

#include <cstdint>
#include <string>

#include "app/unique_any.h"
#include "file_target.h"

// A file of the program's own beside the target file, under a name no other file has: the
// new content of the target, written in full before it takes the target's place in one step,
// so that at every instant the target is either the old file or the new one; a private copy
// of bytes for the system's reader; or a second name for the target file itself. Until it
// has taken the target's place the name belongs to this object, which removes it.
class SiblingFile {
public:
    explicit SiblingFile(const FileTarget& target) : target_(target) {}
    ~SiblingFile();
    SiblingFile(const SiblingFile&) = delete;
    SiblingFile& operator=(const SiblingFile&) = delete;

    // Writes the bytes; a replacement's through to the disk before it is used, a private
    // copy's not. Returns 0 or the system's error code.
    uint32_t Write(const std::string& bytes, bool throughToDisk);
    // Gives the target file a second name (a hard link), where the file system has them.
    // Returns 0 or the system's error code.
    uint32_t LinkToTarget();
    // Cuts a private copy to nothing. Returns 0 or the system's error code.
    uint32_t Empty();
    const std::wstring& Path() const { return path_; }
    // Gives the file the target's attributes, creation time and access rights.
    void TakeTargetAttributes();
    // The file's path for the system's ANSI profile functions, or empty when it has none.
    const std::string& AnsiPath() const { return ansiPath_; }
    // Makes ready to take the target's place, so that Replace has the least left to do.
    // Returns 0 or the system's error code.
    uint32_t PrepareReplace();
    // Puts the file in the target's place. When the target did not exist, only while there is
    // still none. Returns 0 or the system's error code.
    uint32_t Replace(bool targetExists);

private:
    const FileTarget& target_;
    std::wstring path_;
    std::string ansiPath_;
    UniqueFile renaming_; // open for renaming between PrepareReplace and Replace
};
