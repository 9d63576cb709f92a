#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "section_lines.h"
#include "value_plan.h"
#include "write_outcome.h"

// A store of named values grouped in sections. The base class stores nothing: reads give
// their defaults and writes fail.
class ProfileStore {
public:
    ProfileStore() = default;
    ProfileStore(const ProfileStore&) = delete;
    ProfileStore& operator=(const ProfileStore&) = delete;

    virtual int32_t ReadInt(const char*, const char*, int32_t) { return 0; }
    virtual int32_t UpdateInt(const char* section, const char* key, int32_t* value)
    {
        return *value = ReadInt(section, key, *value);
    }
    virtual uint32_t ReadString(const char*, const char*, const char*, char*, uint32_t) { return 0; }
    virtual uint32_t UpdateString(const char* section, const char* key, char* buffer, uint32_t bufferBytes)
    {
        return ReadString(section, key, buffer, buffer, bufferBytes);
    }
    virtual int32_t WriteInt(const char*, const char*, int32_t) { return 0; }
    virtual int32_t WriteString(const char*, const char*, const char*) { return 0; }
    virtual ~ProfileStore() = default;
    // Every line of a section in one read, as the system's section read gives them (values as
    // stored, enclosing quotes kept), or why they could not be read; lines stay null when the
    // store cannot give a section whole.
    virtual FileFailure ReadSection(const char* section, std::shared_ptr<const SectionLines>& lines,
                                    const Deadline& deadline);
    // Writes several values of one section, each only while its key reads the expected text
    // and the section meets its condition, when it has them, and sets each one's result; the
    // base class writes them one by one and expects nothing.
    virtual WriteOutcome WriteStrings(const char* section, std::vector<IniValue>& values, const Deadline& deadline);
};

// One section of a store, which it uses but does not own.
class ProfileSection {
public:
    ProfileSection(ProfileStore* store, const char* name);
    virtual ~ProfileSection() = default;
    ProfileSection(const ProfileSection&) = delete;
    ProfileSection& operator=(const ProfileSection&) = delete;

    int32_t ReadInt(const char* key, int32_t defaultValue) { return store_->ReadInt(name_.data(), key, defaultValue); }
    uint32_t ReadString(const char* key, const char* defaultText, char* buffer, uint32_t bufferBytes)
    {
        return store_->ReadString(name_.data(), key, defaultText, buffer, bufferBytes);
    }
    int32_t WriteString(const char* key, const char* text) { return store_->WriteString(name_.data(), key, text); }
    FileFailure ReadSection(std::shared_ptr<const SectionLines>& lines, const Deadline& deadline)
    {
        return store_->ReadSection(name_.data(), lines, deadline);
    }
    WriteOutcome WriteStrings(std::vector<IniValue>& values, const Deadline& deadline)
    {
        return store_->WriteStrings(name_.data(), values, deadline);
    }

private:
    std::vector<char> name_;
    ProfileStore* store_;
};
