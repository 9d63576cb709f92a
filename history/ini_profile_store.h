#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "file_target.h"
#include "profile_store.h"
#include "sibling_files.h"

// A profile store over one INI file that other programs write too, never held open. Reads go
// through the system and write nothing. A write changes only the values' own bytes: each try
// plans on a settled reading of the file as it is now (PlanValues), writes the new content
// beside it, has the system's reader check it and puts it in the file's place in one step; a
// try that finds the file held, changed or missing is made again while the deadline lasts.
class IniProfileStore : public ProfileStore {
public:
    explicit IniProfileStore(const char* path) : path_(path) {}
    ~IniProfileStore() override { RemoveHeldLinks(); }

    int32_t ReadInt(const char* section, const char* key, int32_t defaultValue) override;
    uint32_t ReadString(const char* section, const char* key, const char* defaultText, char* buffer,
                        uint32_t bufferBytes) override;
    int32_t WriteInt(const char* section, const char* key, int32_t value) override;
    int32_t WriteString(const char* section, const char* key, const char* text) override;
    // The section's lines as the system's section read gives them, of one state of the file.
    FileFailure ReadSection(const char* section, std::shared_ptr<const SectionLines>& lines,
                            const Deadline& deadline) override;
    WriteOutcome WriteStrings(const char* section, std::vector<IniValue>& values, const Deadline& deadline) override;

    // How long the system's reader took on the last new content. A program that read the file
    // before a write, and writes it afterwards, puts its older copy back within about as long.
    uint32_t LastCheckMs() const { return checkMs_; }
    bool FileFound() const { return known_ && known_->file.exists; }
    uint32_t FileNames() const { return LinkCount(FileTarget(path_.c_str()).Path()); }
    FileStamp Stamp() const { return StampOf(FileTarget(path_.c_str()).Path()); }
    // The folder the file really lies in, past a link to it.
    std::wstring Folder() const
    {
        const std::wstring path = FileTarget(path_.c_str()).Path();
        return path.substr(0, path.find_last_of(L'\\') + 1);
    }
    // Whether the file, of which the system said the stamp just now, still holds what the caller
    // was last given: the bytes of the last section read, or of a write made on them.
    bool HoldsShown(const FileStamp& stamp) const
    {
        return shown_ && stamp.exists == shown_->file.exists && stamp.size == shown_->file.bytes.size() &&
               FileHolds(FileTarget(path_.c_str()).Path(), shown_->file).holds;
    }
    // Removes what a write stopped half-way left beside the file: 0, or the first error.
    uint32_t RemoveLeftovers() const;

private:
    // What the system's reader made of one section of a file's bytes: used again, instead of
    // reading once more, while the file holds exactly them.
    struct Reading {
        std::string section;
        FileBytes file;
        SectionLines lines;
    };
    using KnownReading = std::shared_ptr<const Reading>;
    // The reading in which tries found keys missing, and since when.
    struct Missing {
        KnownReading reading;
        uint32_t since = 0;
    };

    // Every line of a section in one read through the system's own reader, each NUL-terminated,
    // the last followed by a second NUL; none for a missing file or section. Returns 0 or the
    // system's error code (the file held, a folder in its place, a section too large).
    static uint32_t ReadProfileSection(const char* path, const char* section, std::vector<char>& lines);
    // Reads the file's bytes, its section through the system's reader and the bytes once more:
    // a program rewriting the file empties it first, and a reading taken then is of no state of
    // it. A missing file reads as no bytes and no lines. Creates no file and writes none. The
    // reading is the known one itself while the file holds its bytes.
    FileFailure ReadSettled(const FileTarget& target, const char* section, KnownReading& reading) const;
    // One try: plans the values not yet written on the file as it is now and puts the change in
    // place; keys missing are Gone when the file has held the same reading, without them, for a
    // while.
    WriteOutcome WriteOnce(const FileTarget& target, const char* section, std::vector<IniValue>& values,
                           const Missing& missing, const Deadline& deadline);
    // Writes the planned bytes beside the target, has the system's reader check them (written
    // is what it read) and puts them in the target's place while it still holds the bytes the
    // plan was made on. No failure means the new content is in place.
    FileFailure PutInPlace(const FileTarget& target, const char* section, const Reading& before,
                           const FileBytes& planned, const std::vector<IniValue*>& writes, SectionLines& written,
                           const Deadline& deadline);
    FileFailure Swap(const FileTarget& target, ReplacementFile& replacement, const FileBytes& before,
                     const FileBytes& planned, OldContentLink* replaced, const Deadline& deadline);

    void RemoveHeldLinks();

    std::string path_;
    KnownReading known_;
    // The reading the caller's keywords reflect: the last section read, and a write planned on
    // it; a write planned on a file others changed since leaves it, as the caller lacks their
    // changes.
    KnownReading shown_;
    std::vector<std::wstring> heldLinks_; // links to old content another program held open
    uint32_t checkMs_ = 0;
};
