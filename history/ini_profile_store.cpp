#include "ini_profile_store.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

#include "ini_value_writer.h"
#include "sibling_files.h"

IniProfileStore::IniProfileStore(const char* path) : path_(path) {}

int32_t IniProfileStore::ReadInt(const char* section, const char* key, int32_t defaultValue)
{
    return static_cast<int32_t>(GetPrivateProfileIntA(section, key, defaultValue, path_.c_str()));
}

uint32_t IniProfileStore::ReadString(const char* section, const char* key, const char* defaultText, char* buffer,
                                     uint32_t bufferBytes)
{
    if (bufferBytes == 0)
        return 0;
    // When a double-byte character would straddle the end of the buffer, the system leaves
    // the byte before the terminating NUL unwritten: cleared, it ends the text after the
    // last whole character instead of leaving a stray byte there.
    // The default may live in the buffer itself (UpdateString), so it is copied first.
    const std::string fallback = defaultText ? defaultText : "";
    std::memset(buffer, 0, bufferBytes);
    GetPrivateProfileStringA(section, key, fallback.c_str(), buffer, bufferBytes, path_.c_str());
    // Counted from the buffer: the system's own count includes that unwritten byte.
    return static_cast<uint32_t>(std::strlen(buffer));
}

int32_t IniProfileStore::WriteInt(const char* section, const char* key, int32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%d", static_cast<int>(value));
    return WriteString(section, key, text);
}

int32_t IniProfileStore::WriteString(const char* section, const char* key, const char* text)
{
    return WriteStrings(section, {{key, text, false, "", "", ""}}).AllWritten() ? 1 : 0;
}

WriteOutcome IniProfileStore::WriteStrings(const char* section, const std::vector<IniValue>& values)
{
    return WriteIniValues(path_.c_str(), section, values, known_, wait_);
}

FileFailure IniProfileStore::ReadSection(const char* section, std::shared_ptr<const SectionLines>& lines)
{
    const FileTarget target(path_.c_str());
    const Patience patience(wait_);
    for (;;) {
        const SettledRead read = ReadSettled(target, path_.c_str(), section, known_);
        if (read.kind == ReadKind::Read) {
            lines = known_.lines;
            return {};
        }
        if (read.kind == ReadKind::Failed || !patience.Lasts())
            return Why(read);
        patience.Wait();
    }
}

uint32_t IniProfileStore::RemoveLeftovers() const { return ::RemoveLeftovers(FileTarget(path_.c_str())); }
