#pragma once

#include <string>

// A new empty folder that is the current directory while the object lives; it is removed
// with everything in it afterwards.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& Path() const { return path_; }

private:
    std::string path_;
    std::string previous_;
};

void WriteBytes(const std::string& path, const std::string& bytes);
std::string ReadBytes(const std::string& path);
// How many files, not counting folders, the current folder holds: what a write leaves behind.
int FilesInCurrentFolder();
