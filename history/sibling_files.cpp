#include "sibling_files.h"

#include <windows.h>

#include <algorithm>

#include "file_rights.h"

namespace {

const wchar_t kPrefix[] = L"~tnw";
const wchar_t kSuffix[] = L".tmp";
constexpr size_t kDigits = 12;
const wchar_t kHexDigits[] = L"0123456789abcdef";

// The attributes a replacement takes over; read-only files are never replaced.
constexpr DWORD kKeptAttributes =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// A name no other file of the folder has yet, most likely: the process, the time and the try.
std::wstring NewName(unsigned attempt)
{
    const unsigned long long value = (static_cast<unsigned long long>(GetCurrentProcessId() & 0xFFFF) << 32) |
                                     (static_cast<unsigned long long>(GetTickCount() & 0xFFFFFF) << 8) | (attempt & 0xFF);
    std::wstring name = kPrefix;
    for (int shift = 4 * (kDigits - 1); shift >= 0; shift -= 4)
        name += kHexDigits[(value >> shift) & 0xF];
    return name + kSuffix;
}

bool IsOurName(const std::wstring& name)
{
    const size_t prefix = wcslen(kPrefix);
    return name.size() == prefix + kDigits + wcslen(kSuffix) && name.compare(0, prefix, kPrefix) == 0 &&
           name.compare(prefix + kDigits, std::wstring::npos, kSuffix) == 0 &&
           std::all_of(name.begin() + prefix, name.begin() + prefix + kDigits,
                       [](wchar_t c) { return wcschr(kHexDigits, c) != nullptr && c != 0; });
}

} // namespace

ReplacementFile::~ReplacementFile()
{
    file_.reset();
    if (!path_.empty())
        DeleteFileW(path_.c_str());
    // The system's reader keeps what it read of a file until told to let go of it. Told once
    // the name is gone, it has nothing to read again and writes nothing.
    if (!ansiPath_.empty())
        WritePrivateProfileStringA(nullptr, nullptr, nullptr, ansiPath_.c_str());
}

uint32_t ReplacementFile::Write(const std::string& bytes)
{
    WIN32_FILE_ATTRIBUTE_DATA old{};
    if (!GetFileAttributesExW(target_.Path().c_str(), GetFileExInfoStandard, &old))
        return GetLastError();
    FileRights rights;
    if (const uint32_t error = rights.ReadFrom(target_.Path()))
        return error;
    const DWORD attributes = (old.dwFileAttributes & kKeptAttributes) ? old.dwFileAttributes & kKeptAttributes
                                                                      : FILE_ATTRIBUTE_NORMAL;
    // Shared for reading, so that the system's reader can check it, and for deleting, so that
    // it can be moved; never for writing.
    std::wstring name;
    for (unsigned attempt = 0; !file_ && attempt < 64; ++attempt) {
        name = NewName(attempt);
        file_.reset(CreateFileW((target_.Folder() + name).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                rights.Attributes(), CREATE_NEW, attributes, nullptr));
        if (!file_ && GetLastError() != ERROR_FILE_EXISTS)
            return GetLastError();
    }
    if (!file_)
        return ERROR_FILE_EXISTS;
    path_ = target_.Folder() + name;
    ansiPath_ = target_.AnsiSibling(name);
    if (!SetFileTime(file_.get(), &old.ftCreationTime, nullptr, nullptr))
        return GetLastError();
    for (size_t written = 0; written < bytes.size();) {
        DWORD count = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - written, 1u << 20));
        if (!WriteFile(file_.get(), bytes.data() + written, chunk, &count, nullptr))
            return GetLastError();
        written += count;
    }
    return FlushFileBuffers(file_.get()) ? 0 : GetLastError();
}

uint32_t ReplacementFile::Replace()
{
    file_.reset();
    if (!MoveFileExW(path_.c_str(), target_.Path().c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return GetLastError();
    path_.clear();
    return 0;
}

uint32_t SecondName::Make()
{
    for (unsigned attempt = 0; attempt < 64; ++attempt) {
        const std::wstring path = target_.Folder() + NewName(attempt);
        if (CreateHardLinkW(path.c_str(), target_.Path().c_str(), nullptr)) {
            path_ = path;
            return 0;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS && GetLastError() != ERROR_FILE_EXISTS)
            return GetLastError();
    }
    return ERROR_FILE_EXISTS;
}

uint32_t SecondName::Remove()
{
    if (path_.empty() || DeleteFileW(path_.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND) {
        path_.clear();
        return 0;
    }
    return GetLastError();
}

uint32_t SecondName::PutBack()
{
    if (!MoveFileExW(path_.c_str(), target_.Path().c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return GetLastError();
    path_.clear();
    return 0;
}

uint32_t RemoveLeftovers(const FileTarget& target)
{
    WIN32_FIND_DATAW found{};
    const UniqueFind search(FindFirstFileW((target.Folder() + kPrefix + L"*" + kSuffix).c_str(), &found));
    if (!search)
        return 0;
    uint32_t firstError = 0;
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || !IsOurName(found.cFileName))
            continue;
        // Opened sharing nothing, the file is held by no other process; it goes as it closes.
        const UniqueFile file(CreateFileW((target.Folder() + found.cFileName).c_str(), DELETE, 0, nullptr,
                                          OPEN_EXISTING, FILE_FLAG_DELETE_ON_CLOSE, nullptr));
        if (!file && !IsHeldOpen(GetLastError()) && GetLastError() != ERROR_FILE_NOT_FOUND && !firstError)
            firstError = GetLastError();
    } while (FindNextFileW(search.get(), &found));
    return firstError;
}
