#pragma once

#include <string>

#include "patience.h"
#include "profile_store.h"
#include "settled_read.h"

// A profile store over one INI file. Reads go to the file through the system and write
// nothing; every write replaces the file whole, safely beside other programs that write it too
// (see WriteIniValues). The file is never held open. What the system's reader made of the
// file's bytes when its section was last read or written is kept, and used again only while
// the file holds exactly those bytes.
class IniProfileStore : public ProfileStore {
public:
    explicit IniProfileStore(const char* path);

    int32_t ReadInt(const char* section, const char* key, int32_t defaultValue) override;
    uint32_t ReadString(const char* section, const char* key, const char* defaultText, char* buffer,
                        uint32_t bufferBytes) override;
    int32_t WriteInt(const char* section, const char* key, int32_t value) override;
    int32_t WriteString(const char* section, const char* key, const char* text) override;
    FileFailure ReadSection(const char* section, std::shared_ptr<const SectionLines>& lines) override;
    WriteOutcome WriteStrings(const char* section, const std::vector<IniValue>& values) override;

    // How to wait while the file is busy; the thread sleeps unless one is given.
    void SetWait(WaitFunction wait) { wait_ = std::move(wait); }
    // Removes what a write stopped half-way left beside the file (see RemoveLeftovers).
    uint32_t RemoveLeftovers() const;

private:
    std::string path_;
    KnownReading known_;
    WaitFunction wait_;
};
