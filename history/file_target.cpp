#include "file_target.h"

#include <windows.h>

#include <vector>

#include "app/unique_any.h"
#include "wide_text.h"

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
const wchar_t kExtendedPrefix[] = L"\\\\?\\";
const wchar_t kExtendedUncPrefix[] = L"\\\\?\\UNC\\";

bool StartsWith(const std::wstring& text, const wchar_t* prefix) { return text.compare(0, wcslen(prefix), prefix) == 0; }

// The text in the ANSI code page when every character has a form there; otherwise false:
// a best-fit form ("café" as "cafe") would name another file.
bool NarrowExactly(const std::wstring& text, std::string& narrow)
{
    BOOL defaultUsed = FALSE;
    const int count = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.c_str(), -1, nullptr, 0, nullptr,
                                          &defaultUsed);
    if (count <= 0 || defaultUsed)
        return false;
    narrow.assign(static_cast<size_t>(count), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.c_str(), -1, &narrow[0], count, nullptr, &defaultUsed);
    narrow.resize(static_cast<size_t>(count) - 1);
    return !defaultUsed;
}

std::wstring FullPath(const std::wstring& path)
{
    const DWORD count = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    std::wstring full(count, L'\0');
    const DWORD written = count ? GetFullPathNameW(path.c_str(), count, &full[0], nullptr) : 0;
    full.resize(written < count ? written : 0);
    return full.empty() ? path : full;
}

std::wstring Extended(const std::wstring& full)
{
    if (StartsWith(full, kExtendedPrefix))
        return full;
    if (StartsWith(full, L"\\\\"))
        return kExtendedUncPrefix + full.substr(2);
    return kExtendedPrefix + full;
}

std::wstring Plain(const std::wstring& path)
{
    if (StartsWith(path, kExtendedUncPrefix))
        return L"\\\\" + path.substr(wcslen(kExtendedUncPrefix));
    if (StartsWith(path, kExtendedPrefix))
        return path.substr(wcslen(kExtendedPrefix));
    return path;
}

// The path of an open file with its links resolved, or empty. Windows XP lacks the function
// and has no links to files, so the path as given is then the file's own. Wine's function
// gives up on paths longer than MAX_PATH; there the file object's own name, which Wine gives
// in the "\??\C:\..." form (Windows gives a device path), has it.
std::wstring FinalPath(HANDLE file)
{
    using GetFinalPath = DWORD(WINAPI*)(HANDLE, LPWSTR, DWORD, DWORD);
    static const auto getFinalPath = reinterpret_cast<GetFinalPath>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetFinalPathNameByHandleW")));
    if (!getFinalPath)
        return std::wstring();
    std::wstring path(MAX_PATH, L'\0');
    DWORD count = getFinalPath(file, &path[0], static_cast<DWORD>(path.size()), 0);
    if (count >= path.size()) {
        path.assign(count + 1, L'\0');
        count = getFinalPath(file, &path[0], static_cast<DWORD>(path.size()), 0);
    }
    if (count > 0 && count < path.size())
        return path.substr(0, count);

    using QueryObject = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);
    static const auto queryObject = reinterpret_cast<QueryObject>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryObject")));
    struct CountedName {
        USHORT length;
        USHORT capacity;
        const wchar_t* text;
    };
    std::vector<char> name(4 * 32768 + sizeof(CountedName));
    ULONG needed = 0;
    const int objectNameInformation = 1;
    if (!queryObject || queryObject(file, objectNameInformation, name.data(), static_cast<ULONG>(name.size()), &needed))
        return std::wstring();
    const auto* counted = reinterpret_cast<const CountedName*>(name.data());
    const std::wstring objectName(counted->text, counted->length / sizeof(wchar_t));
    return StartsWith(objectName, L"\\??\\") ? kExtendedPrefix + objectName.substr(4) : std::wstring();
}

bool SameFolder(const std::wstring& a, const std::wstring& b)
{
    BY_HANDLE_FILE_INFORMATION infoA{}, infoB{};
    const UniqueFile folderA(
        CreateFileW(a.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    const UniqueFile folderB(
        CreateFileW(b.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return folderA && folderB && GetFileInformationByHandle(folderA.get(), &infoA) &&
           GetFileInformationByHandle(folderB.get(), &infoB) &&
           infoA.dwVolumeSerialNumber == infoB.dwVolumeSerialNumber && infoA.nFileIndexHigh == infoB.nFileIndexHigh &&
           infoA.nFileIndexLow == infoB.nFileIndexLow;
}

// A name of the folder, with the closing backslash, that the ANSI functions reach with a
// short file name after it; empty when it has none.
std::string AnsiFolder(const std::wstring& folder)
{
    // Room for the program's own file names after it.
    constexpr size_t kNameRoom = 32;
    // The current folder is reached by a relative path whatever its name.
    if (SameFolder(folder, L"."))
        return ".\\";
    std::string narrow;
    if (NarrowExactly(Plain(folder), narrow) && narrow.size() + kNameRoom < MAX_PATH)
        return narrow + "\\";
    // The short name of a folder is made of characters every code page has.
    std::wstring shortFolder(MAX_PATH, L'\0');
    const DWORD count = GetShortPathNameW(folder.c_str(), &shortFolder[0], MAX_PATH);
    shortFolder.resize(count < MAX_PATH ? count : 0);
    if (!shortFolder.empty() && NarrowExactly(Plain(shortFolder), narrow) && narrow.size() + kNameRoom < MAX_PATH)
        return narrow + "\\";
    return std::string();
}

} // namespace

FileTarget::FileTarget(const char* ansiPath)
{
    const std::wstring full = FullPath(Widen(ansiPath, CP_ACP));
    const UniqueFile file(CreateFileW(full.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING, 0, nullptr));
    const std::wstring final = file ? FinalPath(file.get()) : std::wstring();
    path_ = Extended(final.empty() ? full : final);
    folder_ = path_.substr(0, path_.find_last_of(L'\\') + 1);
    ansiFolder_ = AnsiFolder(folder_.substr(0, folder_.size() - 1));
}

std::string FileTarget::AnsiSibling(const std::wstring& name) const
{
    std::string narrowName;
    if (ansiFolder_.empty() || !NarrowExactly(name, narrowName))
        return std::string();
    return ansiFolder_ + narrowName;
}

uint32_t ReadFileBytes(const std::wstring& path, FileBytes& file)
{
    file = FileBytes();
    const UniqueFile handle(
        CreateFileW(path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND ? 0 : error;
    }
    file.exists = true;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(handle.get(), &size))
        return GetLastError();
    if (size.QuadPart > kLargestFileBytes)
        return ERROR_FILE_TOO_LARGE;
    // Read to the end, which may have moved since the size was taken.
    file.bytes.resize(static_cast<size_t>(size.QuadPart) + 1);
    size_t filled = 0;
    for (;;) {
        if (filled == file.bytes.size())
            file.bytes.resize(file.bytes.size() * 2);
        DWORD read = 0;
        if (!ReadFile(handle.get(), &file.bytes[filled], static_cast<DWORD>(file.bytes.size() - filled), &read, nullptr))
            return GetLastError();
        if (read == 0)
            break;
        filled += read;
        if (filled > kLargestFileBytes)
            return ERROR_FILE_TOO_LARGE;
    }
    file.bytes.resize(filled);
    return 0;
}

bool IsHeldOpen(uint32_t error, bool replacing)
{
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
           (replacing && error == ERROR_ACCESS_DENIED);
}

uint32_t ReadFileIdentity(const std::wstring& path, FileIdentity& identity)
{
    identity = FileIdentity();
    const UniqueFile handle(CreateFileW(path.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!handle) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND ? 0 : error;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(handle.get(), &info))
        return GetLastError();
    auto join = [](DWORD high, DWORD low) { return static_cast<uint64_t>(high) << 32 | low; };
    identity = {true, info.dwVolumeSerialNumber, join(info.nFileIndexHigh, info.nFileIndexLow),
                join(info.nFileSizeHigh, info.nFileSizeLow),
                join(info.ftLastWriteTime.dwHighDateTime, info.ftLastWriteTime.dwLowDateTime)};
    return 0;
}
