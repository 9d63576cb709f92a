// How the store reads: the system's own reader, and the file's bytes around it.
#include "ini_profile_store.h"

#include <windows.h>

#include <cstring>
#include <utility>

int32_t IniProfileStore::ReadInt(const char* section, const char* key, int32_t defaultValue)
{
    return static_cast<int32_t>(GetPrivateProfileIntA(section, key, defaultValue, path_.c_str()));
}

uint32_t IniProfileStore::ReadString(const char* section, const char* key, const char* defaultText, char* buffer,
                                     uint32_t bufferBytes)
{
    if (bufferBytes == 0)
        return 0;
    // When a double-byte character would straddle the end of the buffer, the system leaves the
    // byte before the terminating NUL unwritten: cleared, it ends the text after the last whole
    // character. The default may live in the buffer itself (UpdateString): it is copied first.
    const std::string fallback = defaultText ? defaultText : "";
    std::memset(buffer, 0, bufferBytes);
    GetPrivateProfileStringA(section, key, fallback.c_str(), buffer, bufferBytes, path_.c_str());
    // Counted from the buffer: the system's own count includes that unwritten byte.
    return static_cast<uint32_t>(std::strlen(buffer));
}

uint32_t IniProfileStore::ReadProfileSection(const char* path, const char* section, std::vector<char>& lines)
{
    // The section is never longer than the file; start there and grow while the system
    // reports a full buffer (its count is then two less than the buffer's size).
    WIN32_FILE_ATTRIBUTE_DATA attributes{};
    size_t bytes = 4096;
    if (GetFileAttributesExA(path, GetFileExInfoStandard, &attributes) && !attributes.nFileSizeHigh)
        bytes += attributes.nFileSizeLow;
    const size_t largest = 512u << 20;
    for (; bytes <= largest; bytes *= 2) {
        lines.assign(bytes, 0);
        SetLastError(ERROR_SUCCESS);
        const DWORD got = GetPrivateProfileSectionA(section, lines.data(), static_cast<DWORD>(bytes), path);
        const DWORD error = GetLastError();
        // Wine's reader keeps what it parsed of the file read last, three times the file's size,
        // until told to let go. Told by the file's name it parses the file once more first, and
        // cannot while another handle shares no writing, as the new content's does; told without
        // a name, it lets go of the file read last. Windows keeps no such copy: there the
        // documented flush of the file's cache writes nothing.
        WritePrivateProfileStringA(nullptr, nullptr, nullptr, UnderWine() ? nullptr : path);
        if (got + 2 < bytes) {
            lines.resize(got + 2);
            // Nothing read: a missing file or section, or a file the reader could not open.
            if (got == 0 && error != ERROR_SUCCESS && error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND)
                return error;
            return 0;
        }
    }
    lines.clear();
    return ERROR_NOT_ENOUGH_MEMORY;
}

FileFailure IniProfileStore::ReadSection(const char* section, std::shared_ptr<const SectionLines>& lines,
                                         const Deadline& deadline)
{
    const FileTarget target(path_.c_str());
    FileFailure failure;
    deadline.Retry([&] {
        KnownReading read;
        if (!(failure = ReadSettled(target, section, read))) {
            known_ = shown_ = read;
            lines = std::shared_ptr<const SectionLines>(known_, &known_->lines);
        }
        return failure.Passing();
    });
    return failure;
}

FileFailure IniProfileStore::ReadSettled(const FileTarget& target, const char* section, KnownReading& reading) const
{
    if (known_ && known_->section == section) {
        const HoldsResult known = FileHolds(target.Path(), known_->file);
        if (known.error)
            return FailureOf(known.error);
        if (known.holds) {
            reading = known_;
            return {};
        }
    }
    auto fresh = std::make_shared<Reading>();
    fresh->section = section;
    if (const uint32_t error = ReadFileBytes(target.Path(), fresh->file))
        return FailureOf(error);
    if (fresh->file.exists) {
        std::vector<char> lines;
        if (const uint32_t error = ReadProfileSection(path_.c_str(), section, lines))
            return FailureOf(error);
        fresh->lines = SectionLines(std::move(lines));
    }
    const HoldsResult after = FileHolds(target.Path(), fresh->file);
    if (after.error)
        return FailureOf(after.error);
    if (!after.holds)
        return {FileFailure::Kind::KeptChanging};
    reading = std::move(fresh);
    return {};
}
