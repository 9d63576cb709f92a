#include "ini_profile_store.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

IniProfileStore::IniProfileStore(const char* path) : path_(path), file_(path) {}

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
    return WriteStrings(section, {{key, text, false, "", "", "", nullptr}}, Deadline()).AllWritten() ? 1 : 0;
}

WriteOutcome IniProfileStore::WriteStrings(const char* section, const std::vector<IniValue>& values,
                                           const Deadline& deadline)
{
    return file_.Write(section, values, deadline);
}

FileFailure IniProfileStore::ReadSection(const char* section, std::shared_ptr<const SectionLines>& lines,
                                         const Deadline& deadline)
{
    return file_.ReadSection(section, lines, deadline);
}
