#include "sibling_files.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "write_outcome.h"

namespace {

// The attributes a replacement takes over; read-only files are never replaced.
constexpr DWORD kKeptAttributes =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// A name no other file of the folder has yet, most likely: the process, the time and the try.
std::string NewName(const FileTarget& target, unsigned attempt)
{
    char name[32];
    std::snprintf(name, sizeof name, "~tnw%04lx%06lx%02x.tmp", GetCurrentProcessId() & 0xFFFF,
                  GetTickCount() & 0xFFFFFF, attempt & 0xFF);
    return target.Folder() + name;
}

// "~tnw", twelve hex digits and ".tmp": the names NewName makes.
bool IsOurName(const std::string& name)
{
    return name.size() == 20 && name.compare(0, 4, "~tnw") == 0 && name.compare(16, 4, ".tmp") == 0 &&
           std::strspn(name.c_str() + 4, "0123456789abcdef") >= 12;
}

// Wine keeps a file's rights in its host mode bits. It shows them as an access list in which
// the owner always has every right, executing included, and makes a new file's mode from such
// a list, so the list copied as it is gives a history of mode 0644 the mode 0755. Without the
// right to execute, the owner's and everybody's reading and writing come out as they were;
// Wine has no way to say "the owner only", so a mode 0600 comes out 0640. Windows keeps a list
// as it is given, and there it is copied whole.
void WithoutExecuting(std::vector<char>& descriptor)
{
    BOOL present = FALSE, defaulted = FALSE;
    ACL* list = nullptr;
    if (!GetSecurityDescriptorDacl(descriptor.data(), &present, &list, &defaulted) || !present || !list)
        return;
    for (DWORD i = 0; i < list->AceCount; ++i) {
        void* entry = nullptr;
        if (GetAce(list, i, &entry) && static_cast<ACE_HEADER*>(entry)->AceType == ACCESS_ALLOWED_ACE_TYPE)
            static_cast<ACCESS_ALLOWED_ACE*>(entry)->Mask &= ~(FILE_EXECUTE | GENERIC_EXECUTE);
    }
}

// The access rights of a file, to create another one with: a file made beside the history gets
// the history's rights before any byte of it goes in, so a private history never lies readable
// by others, not even for a moment. None where the file system keeps no rights. Returns 0 or
// the system's error code.
uint32_t ReadRights(const std::wstring& path, std::vector<char>& descriptor)
{
    DWORD needed = 0;
    GetFileSecurityW(path.c_str(), DACL_SECURITY_INFORMATION, nullptr, 0, &needed);
    // A file system without access lists (FAT) has no rights to keep.
    if (!needed && (GetLastError() == ERROR_NOT_SUPPORTED || GetLastError() == ERROR_INVALID_FUNCTION))
        return 0;
    if (!needed)
        return GetLastError();
    descriptor.assign(needed, 0);
    if (!GetFileSecurityW(path.c_str(), DACL_SECURITY_INFORMATION, descriptor.data(), needed, &needed))
        return GetLastError();
    if (UnderWine())
        WithoutExecuting(descriptor);
    return 0;
}

} // namespace

ReplacementFile::~ReplacementFile()
{
    file_.reset();
    if (!path_.empty() && !placed_)
        DeleteFileA(path_.c_str());
}

uint32_t ReplacementFile::Write(const std::string& bytes)
{
    WIN32_FILE_ATTRIBUTE_DATA old{};
    if (!GetFileAttributesExW(target_.Path().c_str(), GetFileExInfoStandard, &old))
        return GetLastError();
    std::vector<char> rights;
    if (const uint32_t error = ReadRights(target_.Path(), rights))
        return error;
    SECURITY_ATTRIBUTES security{sizeof security, rights.data(), FALSE};
    const DWORD attributes = (old.dwFileAttributes & kKeptAttributes) ? old.dwFileAttributes & kKeptAttributes
                                                                      : FILE_ATTRIBUTE_NORMAL;
    // Shared for reading, so that the system's reader can check it, and for deleting, so that
    // it can be moved; never for writing.
    for (unsigned attempt = 0; !file_ && attempt < 64; ++attempt) {
        path_ = NewName(target_, attempt);
        file_.reset(CreateFileA(path_.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                rights.empty() ? nullptr : &security, CREATE_NEW, attributes, nullptr));
        if (!file_ && GetLastError() != ERROR_FILE_EXISTS) {
            path_.clear();
            return GetLastError();
        }
    }
    if (!file_) {
        path_.clear();
        return ERROR_FILE_EXISTS;
    }
    if (!SetFileTime(file_.get(), &old.ftCreationTime, nullptr, nullptr))
        return GetLastError();
    // A disk with room for part of the bytes takes that part, and refuses only the next write.
    for (size_t at = 0; at < bytes.size();) {
        DWORD written = 0;
        if (!WriteFile(file_.get(), bytes.data() + at, static_cast<DWORD>(bytes.size() - at), &written, nullptr))
            return GetLastError();
        if (written == 0)
            return ERROR_DISK_FULL;
        at += written;
    }
    return FlushFileBuffers(file_.get()) ? 0 : GetLastError();
}

uint32_t ReplacementFile::Replace()
{
    file_.reset();
    if (!MoveFileExW(Widen(path_.c_str(), CP_ACP).c_str(), target_.Path().c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return GetLastError();
    placed_ = true;
    return 0;
}

uint32_t OldContentLink::Make(const FileTarget& target)
{
    for (unsigned attempt = 0; attempt < 64; ++attempt) {
        const std::wstring path = Widen(NewName(target, attempt).c_str(), CP_ACP);
        if (CreateHardLinkW(path.c_str(), target.Path().c_str(), nullptr)) {
            path_ = path;
            return 0;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS && GetLastError() != ERROR_FILE_EXISTS)
            return GetLastError();
    }
    return ERROR_FILE_EXISTS;
}

uint32_t OldContentLink::Remove()
{
    if (path_.empty() || DeleteFileW(path_.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND) {
        path_.clear();
        return 0;
    }
    return GetLastError();
}

uint32_t OldContentLink::PutBack(const FileTarget& target)
{
    if (!MoveFileExW(path_.c_str(), target.Path().c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return GetLastError();
    path_.clear();
    return 0;
}

uint32_t RemoveLeftovers(const FileTarget& target)
{
    WIN32_FIND_DATAA found{};
    const UniqueFind search(FindFirstFileA((target.Folder() + "~tnw*.tmp").c_str(), &found));
    if (!search)
        return 0;
    uint32_t firstError = 0;
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || !IsOurName(found.cFileName))
            continue;
        // Opened sharing nothing, the file is held by no other process; it goes as it closes.
        const UniqueFile file(CreateFileA((target.Folder() + found.cFileName).c_str(), DELETE, 0, nullptr,
                                          OPEN_EXISTING, FILE_FLAG_DELETE_ON_CLOSE, nullptr));
        const FileFailure failure = file ? FileFailure() : FailureOf(GetLastError());
        if (failure.kind == FileFailure::Kind::SystemError && !firstError)
            firstError = failure.systemError;
    } while (FindNextFileA(search.get(), &found));
    return firstError;
}
