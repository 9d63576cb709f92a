#pragma once

#include <cstdint>
#include <string>

// The file that a write of an INI file really changes: the file itself, past any symbolic
// link to it, named with wide characters so that folder names outside the ANSI code page and
// paths longer than MAX_PATH reach the right file.
class FileTarget {
public:
    // The path as the program names it, in the ANSI code page (".\history.ini").
    explicit FileTarget(const char* ansiPath);

    // The full path in the form the wide functions take at any length ("\\?\C:\...").
    const std::wstring& Path() const { return path_; }
    // Its folder in the same form, with the closing backslash.
    const std::wstring& Folder() const { return folder_; }
    // A path to a file of that name (ASCII, short) in the same folder that the ANSI functions
    // can open, or empty when there is none.
    std::string AnsiSibling(const std::wstring& name) const;

private:
    std::wstring path_;
    std::wstring folder_;
    std::string ansiFolder_; // the folder for the ANSI functions, or empty when it has no such name
};

// A file's bytes as one read found them.
struct FileBytes {
    bool exists = false;
    std::string bytes;

    bool operator==(const FileBytes& other) const { return exists == other.exists && bytes == other.bytes; }
};

// The largest history read: a hundred thousand keywords of the longest kind take a little
// over 26 MB, and a larger file would cost seconds and hundreds of MB to go through.
constexpr uint32_t kLargestFileBytes = 64u << 20;

// Reads the whole file, sharing it with every other reader and writer. A missing file gives
// no bytes and no error; a file larger than kLargestFileBytes, ERROR_FILE_TOO_LARGE. Returns 0
// or the system's error code.
uint32_t ReadFileBytes(const std::wstring& path, FileBytes& file);

// The error means that another program has the file open for the moment. Replacing a file
// fails with "access denied" while another program has it open: under Wine whatever it
// shares, on Windows when it does not share deleting.
bool IsHeldOpen(uint32_t error, bool replacing = false);

// What tells one state of a file from the next at the cost of one look: which file it is, its
// size and the time of its last write. A write that keeps the size lands within the same
// tick of the file system's clock only rarely; the bytes themselves are the sure test.
struct FileIdentity {
    bool exists = false;
    uint32_t volume = 0;
    uint64_t index = 0;
    uint64_t size = 0;
    uint64_t written = 0;

    bool operator==(const FileIdentity& other) const
    {
        return exists == other.exists && volume == other.volume && index == other.index && size == other.size &&
               written == other.written;
    }
};

// A missing file gives no identity and no error. Returns 0 or the system's error code.
uint32_t ReadFileIdentity(const std::wstring& path, FileIdentity& identity);
