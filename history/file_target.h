#pragma once

#include <cstdint>
#include <string>

// A NUL-terminated text of the given code page in wide characters.
std::wstring Widen(const char* text, unsigned codePage);

// The program runs under Wine, which does some things otherwise than Windows.
bool UnderWine();

// The file that a write of an INI file really changes: the file itself, past any symbolic
// link to it, named with wide characters so that folder names outside the ANSI code page and
// paths longer than MAX_PATH reach the right file.
class FileTarget {
public:
    // The path as the program names it, in the ANSI code page (".\history.ini").
    explicit FileTarget(const char* ansiPath);

    // The full path in the form the wide functions take at any length ("\\?\C:\...").
    const std::wstring& Path() const { return path_; }
    // Where the program's own files go beside the file, named for the system's ANSI reader:
    // the folder of the path as the program names it (".\"), which the reader reaches whatever
    // the folder's name. When the path is a link into another folder, perhaps on another
    // volume, it is that folder, where a move replaces the file in one step, as long as its
    // name fits the ANSI code page and MAX_PATH.
    const std::string& Folder() const { return folder_; }

private:
    std::wstring path_;
    std::string folder_;
};

// A file's bytes as one read found them.
struct FileBytes {
    bool exists = false;
    std::string bytes;
};

// The largest history read: a hundred thousand keywords of the longest kind take a little
// over 26 MB, and a larger file would cost seconds and hundreds of MB to go through.
constexpr uint32_t kLargestFileBytes = 64u << 20;

// Reads the whole file, sharing it with every other reader and writer. A missing file gives
// no bytes and no error; a file larger than kLargestFileBytes, ERROR_FILE_TOO_LARGE. Returns 0
// or the system's error code.
uint32_t ReadFileBytes(const std::wstring& path, FileBytes& file);

// What the system says of a file without reading it. Another program's write, or a file renamed
// into its place, changes it.
struct FileStamp {
    bool exists = false;
    uint64_t size = 0;
    uint64_t written = 0; // the last write's time
    uint64_t created = 0;

    bool operator==(const FileStamp& other) const
    {
        return exists == other.exists && size == other.size && written == other.written && created == other.created;
    }
    bool operator!=(const FileStamp& other) const { return !(*this == other); }
};

FileStamp StampOf(const std::wstring& path);

// How many names the file has (hard links); 0 when it cannot be told.
uint32_t LinkCount(const std::wstring& path);

// Whether a file holds exactly some bytes, or why that could not be told.
struct HoldsResult {
    uint32_t error = 0; // the system's error code; 0 when it could be told
    bool holds = false;
};

// Whether the file holds exactly those bytes (a missing file holds none), read a piece at a
// time.
HoldsResult FileHolds(const std::wstring& path, const FileBytes& file);
