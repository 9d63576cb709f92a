#pragma once

#include <string>

#include "profile_store.h"

// A profile store over one INI file. Every read and write goes to the file through the
// system; nothing is cached and the file is never held open.
class IniProfileStore : public ProfileStore {
public:
    explicit IniProfileStore(const char* path);

    int32_t ReadInt(const char* section, const char* key, int32_t defaultValue) override;
    uint32_t ReadString(const char* section, const char* key, const char* defaultText, char* buffer,
                        uint32_t bufferBytes) override;
    int32_t WriteInt(const char* section, const char* key, int32_t value) override;
    int32_t WriteString(const char* section, const char* key, const char* text) override;
    int32_t ReadSection(const char* section, std::vector<char>& lines) override;
    int32_t WriteStrings(const char* section, const std::vector<IniValue>& values) override;

private:
    std::string path_;
};
