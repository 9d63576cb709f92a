#include "sibling_file.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "file_permissions.h"

namespace {

// The attributes a replaced file keeps; read-only files are never replaced.
constexpr DWORD kKeptAttributes =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// A name no other file of the folder has yet, most likely: the process, the time and the try.
std::wstring NewName(unsigned attempt)
{
    const unsigned long long value = (static_cast<unsigned long long>(GetCurrentProcessId() & 0xFFFF) << 32) |
                                     (static_cast<unsigned long long>(GetTickCount() & 0xFFFFFF) << 8) | (attempt & 0xFF);
    std::wstring name = L"~tnw";
    for (int shift = 44; shift >= 0; shift -= 4)
        name += L"0123456789abcdef"[(value >> shift) & 0xF];
    return name + L".tmp";
}

} // namespace

SiblingFile::~SiblingFile()
{
    renaming_.reset();
    if (!path_.empty())
        DeleteFileW(path_.c_str());
}

uint32_t SiblingFile::LinkToTarget()
{
    const std::wstring& folder = target_.Folder();
    for (unsigned attempt = 0; attempt < 64; ++attempt) {
        const std::wstring name = NewName(attempt);
        if (CreateHardLinkW((folder + name).c_str(), target_.Path().c_str(), nullptr)) {
            path_ = folder + name;
            return 0;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS && GetLastError() != ERROR_FILE_EXISTS)
            return GetLastError();
    }
    return ERROR_FILE_EXISTS;
}

uint32_t SiblingFile::Write(const std::string& bytes, bool throughToDisk)
{
    const std::wstring& folder = target_.Folder();
    UniqueFile file;
    std::wstring name;
    for (unsigned attempt = 0; !file && attempt < 64; ++attempt) {
        name = NewName(attempt);
        file.reset(CreateFileW((folder + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                               nullptr));
        if (!file && GetLastError() != ERROR_FILE_EXISTS)
            return GetLastError();
    }
    if (!file)
        return ERROR_FILE_EXISTS;
    path_ = folder + name;
    ansiPath_ = target_.AnsiSibling(name);
    for (size_t written = 0; written < bytes.size();) {
        DWORD count = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - written, 1u << 20));
        if (!WriteFile(file.get(), bytes.data() + written, chunk, &count, nullptr))
            return GetLastError();
        written += count;
    }
    return !throughToDisk || FlushFileBuffers(file.get()) ? 0 : GetLastError();
}

uint32_t SiblingFile::Empty()
{
    const UniqueFile file(CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, 0, nullptr));
    return file ? 0 : GetLastError();
}

void SiblingFile::TakeTargetAttributes()
{
    WIN32_FILE_ATTRIBUTE_DATA old{};
    if (!GetFileAttributesExW(target_.Path().c_str(), GetFileExInfoStandard, &old))
        return;
    {
        const UniqueFile file(CreateFileW(path_.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        if (file)
            SetFileTime(file.get(), &old.ftCreationTime, nullptr, nullptr);
    }
    if (old.dwFileAttributes & kKeptAttributes)
        SetFileAttributesW(path_.c_str(), old.dwFileAttributes & kKeptAttributes);
    CopyPermissions(target_.Path(), path_);
}

uint32_t SiblingFile::PrepareReplace()
{
    renaming_.reset(CreateFileW(path_.c_str(), DELETE | SYNCHRONIZE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    return renaming_ ? 0 : GetLastError();
}

uint32_t SiblingFile::Replace(bool targetExists)
{
    // Renaming the open file is a single request to the system; the move function first opens
    // the file and looks at both names, which widens the instant in which another program's
    // write to the target goes unseen. Windows XP lacks the function: there the move does it.
    using SetInformation = BOOL(WINAPI*)(HANDLE, FILE_INFO_BY_HANDLE_CLASS, void*, DWORD);
    static const auto setInformation = reinterpret_cast<SetInformation>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetFileInformationByHandle")));
    const std::wstring& target = target_.Path();
    if (setInformation && renaming_) {
        // The system's own form of the path: "\??\C:\..." for "\\?\C:\...".
        const std::wstring name = L"\\??\\" + target.substr(4);
        std::vector<char> buffer(sizeof(FILE_RENAME_INFO) + name.size() * sizeof(wchar_t));
        auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
        rename->ReplaceIfExists = targetExists;
        rename->RootDirectory = nullptr;
        rename->FileNameLength = static_cast<DWORD>(name.size() * sizeof(wchar_t));
        std::copy(name.begin(), name.end(), rename->FileName);
        if (!setInformation(renaming_.get(), FileRenameInfo, rename, static_cast<DWORD>(buffer.size())))
            return GetLastError();
    } else {
        renaming_.reset();
        const DWORD flags = (targetExists ? MOVEFILE_REPLACE_EXISTING : 0) | MOVEFILE_WRITE_THROUGH;
        if (!MoveFileExW(path_.c_str(), target.c_str(), flags))
            return GetLastError();
    }
    renaming_.reset();
    path_.clear();
    return 0;
}
