#include "file_target.h"

#include <windows.h>

#include <vector>

#include "app/unique_any.h"
#include "write_outcome.h"

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
const wchar_t kExtendedPrefix[] = L"\\\\?\\";
const wchar_t kExtendedUncPrefix[] = L"\\\\?\\UNC\\";

bool StartsWith(const std::wstring& text, const wchar_t* prefix) { return text.compare(0, wcslen(prefix), prefix) == 0; }

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
    std::wstring path(32768, L'\0'); // the longest path there is
    const DWORD count = getFinalPath(file, &path[0], static_cast<DWORD>(path.size()), 0);
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

std::wstring FolderOf(const std::wstring& path) { return path.substr(0, path.find_last_of(L'\\') + 1); }

// The folder in the ANSI code page, when every character has its own form there and the name
// leaves room for a file's name within MAX_PATH; empty otherwise.
std::string AnsiFolder(std::wstring folder)
{
    if (StartsWith(folder, kExtendedUncPrefix))
        folder = L"\\" + folder.substr(wcslen(kExtendedUncPrefix));
    else if (StartsWith(folder, kExtendedPrefix))
        folder = folder.substr(wcslen(kExtendedPrefix));
    BOOL lossy = FALSE;
    std::string ansi(folder.size() * 2 + 1, '\0');
    const int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, folder.c_str(), -1, &ansi[0],
                                           static_cast<int>(ansi.size()), nullptr, &lossy);
    if (lossy || length <= 0 || length > MAX_PATH - 32)
        return std::string();
    ansi.resize(static_cast<size_t>(length) - 1);
    return ansi;
}

} // namespace

std::wstring Widen(const char* text, unsigned codePage)
{
    const int count = MultiByteToWideChar(codePage, 0, text, -1, nullptr, 0);
    std::wstring wide(count > 0 ? static_cast<size_t>(count) : 1, L'\0');
    MultiByteToWideChar(codePage, 0, text, -1, &wide[0], count);
    wide.resize(wcslen(wide.c_str()));
    return wide;
}

bool UnderWine() { return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr; }

FileTarget::FileTarget(const char* ansiPath)
{
    const std::wstring full = FullPath(Widen(ansiPath, CP_ACP));
    const UniqueFile file(CreateFileW(full.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING, 0, nullptr));
    const std::wstring final = file ? FinalPath(file.get()) : std::wstring();
    path_ = Extended(final.empty() ? full : final);
    const std::string named = ansiPath;
    folder_ = named.substr(0, named.find_last_of('\\') + 1);
    if (!final.empty() && lstrcmpiW(FolderOf(path_).c_str(), FolderOf(Extended(full)).c_str()) != 0) {
        const std::string linked = AnsiFolder(FolderOf(path_));
        if (!linked.empty())
            folder_ = linked;
    }
}

uint32_t ReadFileBytes(const std::wstring& path, FileBytes& file)
{
    file = FileBytes();
    const UniqueFile handle(
        CreateFileW(path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle)
        return GetLastError() == ERROR_FILE_NOT_FOUND ? 0 : GetLastError();
    file.exists = true;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(handle.get(), &size))
        return GetLastError();
    if (size.QuadPart > kLargestFileBytes)
        return ERROR_FILE_TOO_LARGE;
    // Read to the end, which may have moved since the size was taken.
    file.bytes.resize(static_cast<size_t>(size.QuadPart) + 1);
    for (size_t filled = 0;;) {
        if (filled == file.bytes.size())
            file.bytes.resize(file.bytes.size() * 2);
        DWORD read = 0;
        if (!ReadFile(handle.get(), &file.bytes[filled], static_cast<DWORD>(file.bytes.size() - filled), &read, nullptr))
            return GetLastError();
        filled += read;
        if (filled > kLargestFileBytes)
            return ERROR_FILE_TOO_LARGE;
        if (read == 0) {
            file.bytes.resize(filled);
            return 0;
        }
    }
}

uint32_t LinkCount(const std::wstring& path)
{
    const UniqueFile file(CreateFileW(path.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING, 0, nullptr));
    BY_HANDLE_FILE_INFORMATION information{};
    return file && GetFileInformationByHandle(file.get(), &information) ? information.nNumberOfLinks : 0;
}

FileStamp StampOf(const std::wstring& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        return {};
    auto join = [](DWORD high, DWORD low) { return (static_cast<uint64_t>(high) << 32) | low; };
    return {true, join(data.nFileSizeHigh, data.nFileSizeLow),
            join(data.ftLastWriteTime.dwHighDateTime, data.ftLastWriteTime.dwLowDateTime),
            join(data.ftCreationTime.dwHighDateTime, data.ftCreationTime.dwLowDateTime)};
}

HoldsResult FileHolds(const std::wstring& path, const FileBytes& file)
{
    const UniqueFile handle(
        CreateFileW(path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND ? HoldsResult{0, !file.exists} : HoldsResult{error, false};
    }
    std::vector<char> piece(1 << 16);
    for (size_t at = 0; file.exists;) {
        DWORD read = 0;
        if (!ReadFile(handle.get(), piece.data(), static_cast<DWORD>(piece.size()), &read, nullptr))
            return {GetLastError(), false};
        if (read > file.bytes.size() - at || file.bytes.compare(at, read, piece.data(), read) != 0)
            return {};
        at += read;
        if (read == 0)
            return {0, at == file.bytes.size()};
    }
    return {};
}

FileFailure FailureOf(uint32_t error, bool replacing)
{
    using Kind = FileFailure::Kind;
    if (error == 0)
        return {};
    if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION || (replacing && error == ERROR_ACCESS_DENIED))
        return {Kind::Held, error};
    // Reported only while another program rewrites the file in the same instant: its text
    // names no cause the user could act on.
    if (error == ERROR_INVALID_PARAMETER)
        return {Kind::KeptChanging, error};
    return {error == ERROR_FILE_NOT_FOUND ? Kind::Missing : Kind::SystemError, error};
}
