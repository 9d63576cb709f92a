#pragma once

#include <cstdint>
#include <string>

#include "app/unique_any.h"
#include "file_target.h"

// Files of the program's own beside the target (FileTarget::Folder), named "~tnw", twelve hex
// digits and ".tmp". Each lives for one write at most; the next start removes what is left.

// The new content of the target, written in full beside it and put in its place in one step,
// so that the target is at every instant the old file or the new one. It has the target's
// rights, attributes and creation time before any byte goes in, and nobody else writes to it.
class ReplacementFile {
public:
    explicit ReplacementFile(const FileTarget& target) : target_(target) {}
    ~ReplacementFile();
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    // Returns 0 or the system's error code.
    uint32_t Write(const std::string& bytes);
    const std::string& Path() const { return path_; }
    // Puts it in the target's place. Returns 0 or the system's error code.
    uint32_t Replace();

private:
    const FileTarget& target_;
    std::string path_;
    UniqueFile file_; // open, sharing no writing, until it replaces the target
    bool placed_ = false;
};

// A hard link to the target file, made just before the target is replaced, which then holds
// the old content: through it the replaced file can still be read, to see whether another
// program wrote to it in the instant before, and put back.
class OldContentLink {
public:
    OldContentLink() = default;
    ~OldContentLink() { Remove(); }
    OldContentLink(const OldContentLink&) = delete;
    OldContentLink& operator=(const OldContentLink&) = delete;

    // Returns 0 or the system's error code; a file system without hard links gives none.
    uint32_t Make(const FileTarget& target);
    const std::wstring& Path() const { return path_; }
    // Returns 0 or the system's error code: while another program holds the file open without
    // sharing its deletion, the name cannot go.
    uint32_t Remove();
    // Puts the file it names back in the target's place. Returns 0 or the system's error code.
    uint32_t PutBack(const FileTarget& target);

private:
    std::wstring path_;
};

// Removes the files of those names beside the target that no process holds open: what a write
// stopped half-way left. Returns 0, or the error of a file that could not be removed.
uint32_t RemoveLeftovers(const FileTarget& target);
