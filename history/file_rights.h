#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

// The access rights of a file, to create another one with: a file made beside the history gets
// the history's rights before any byte of it goes in, so a private history never lies readable
// by others, not even for a moment.
class FileRights {
public:
    FileRights() = default;
    FileRights(const FileRights&) = delete;
    FileRights& operator=(const FileRights&) = delete;

    // Returns 0 or the system's error code.
    uint32_t ReadFrom(const std::wstring& path);
    // For creating the new file; null where the file system keeps no rights.
    SECURITY_ATTRIBUTES* Attributes() { return descriptor_.empty() ? nullptr : &attributes_; }

private:
    std::vector<char> descriptor_;
    SECURITY_ATTRIBUTES attributes_{};
};
