#include "ini_value_writer.h"

#include <windows.h>

#include <string>

#include "app/unique_any.h"

namespace {

bool ReadWholeFile(const char* path, std::string& bytes)
{
    UniqueFile file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return false;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > (256 << 20))
        return false;
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    return bytes.empty() ||
           (ReadFile(file.get(), &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr) && read == bytes.size());
}

// The file's own path: when the path leads through a link, the path of the file the link
// points to, so that the file is replaced and the link kept. For a file that does not exist
// yet, the full form of the path.
std::string RealPath(const char* path)
{
    char real[MAX_PATH + 8];
    {
        UniqueFile file(CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        const DWORD length = file ? GetFinalPathNameByHandleA(file.get(), real, MAX_PATH, 0) : 0;
        if (length > 0 && length < MAX_PATH) {
            const std::string final(real, length);
            const bool drivePath = final.compare(0, 4, "\\\\?\\") == 0 && final.size() > 6 && final[5] == ':';
            return drivePath ? final.substr(4) : final;
        }
    }
    const DWORD length = GetFullPathNameA(path, MAX_PATH, real, nullptr);
    return length > 0 && length < MAX_PATH ? std::string(real, length) : std::string();
}

// Writes the new contents beside the file and then puts them in its place, keeping the
// file's attributes: the file is either the old one or the new one, never a part of either.
bool ReplaceWholeFile(const char* path, const std::string& bytes, DWORD attributes)
{
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    const std::string realPath = RealPath(path);
    const size_t slash = realPath.find_last_of("\\/");
    if (slash == std::string::npos)
        return false;
    const char* full = realPath.c_str();
    const std::string folder = realPath.substr(0, slash + 1);
    char temporary[MAX_PATH];
    if (!GetTempFileNameA(folder.c_str(), "tnw", 0, temporary))
        return false;
    bool written = false;
    {
        UniqueFile out(CreateFileA(temporary, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD count = 0;
        written = out &&
                  (bytes.empty() || (WriteFile(out.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &count, nullptr) &&
                                     count == bytes.size())) &&
                  FlushFileBuffers(out.get());
    }
    const bool replaced =
        written && (exists ? ReplaceFileA(full, temporary, nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)
                           : MoveFileExA(temporary, full, MOVEFILE_WRITE_THROUGH));
    if (!replaced) {
        DeleteFileA(temporary);
        return false;
    }
    if (exists)
        SetFileAttributesA(full, attributes);
    return true;
}

} // namespace

int32_t WriteIniValues(const char* path, const char* section, const std::vector<IniValue>& values)
{
    const DWORD attributes = GetFileAttributesA(path);
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (exists && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
        return 0;
    if (!exists && GetLastError() != ERROR_FILE_NOT_FOUND)
        return 0;
    std::string file;
    if (exists && !ReadWholeFile(path, file))
        return 0;
    const std::vector<IniEdit> edits = PlanIniValueEdits(file, section, values);
    if (edits.empty())
        return 1;
    return ReplaceWholeFile(path, ApplyIniEdits(file, edits), attributes) ? 1 : 0;
}

int32_t WriteIniValue(const char* path, const char* section, const char* key, const char* value)
{
    return WriteIniValues(path, section, {{key, value}});
}
