#pragma once

#include <string>

#include "ini_value_writer.h"
#include "profile_store.h"

// A profile store over one INI file. Reads go to the file through the system and write
// nothing; every write replaces the file whole, safely beside other programs that write it too
// (see IniValueWriter). The file is never held open.
class IniProfileStore : public ProfileStore {
public:
    explicit IniProfileStore(const char* path);

    int32_t ReadInt(const char* section, const char* key, int32_t defaultValue) override;
    uint32_t ReadString(const char* section, const char* key, const char* defaultText, char* buffer,
                        uint32_t bufferBytes) override;
    int32_t WriteInt(const char* section, const char* key, int32_t value) override;
    int32_t WriteString(const char* section, const char* key, const char* text) override;
    FileFailure ReadSection(const char* section, std::shared_ptr<const SectionLines>& lines,
                            const Deadline& deadline) override;
    WriteOutcome WriteStrings(const char* section, const std::vector<IniValue>& values,
                              const Deadline& deadline) override;

    // How long the system's reader took to check the last new content (IniValueWriter).
    uint32_t LastCheckMs() const { return file_.LastCheckMs(); }
    // Removes what a write stopped half-way left beside the file (see RemoveLeftovers).
    uint32_t RemoveLeftovers() { return file_.RemoveLeftovers(); }

private:
    std::string path_;
    IniValueWriter file_;
};
