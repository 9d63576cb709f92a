#include "profile_store.h"

#include <cstring>

int32_t ProfileStore::ReadInt(const char*, const char*, int32_t) { return 0; }

int32_t ProfileStore::UpdateInt(const char* section, const char* key, int32_t* value)
{
    *value = ReadInt(section, key, *value);
    return *value;
}

uint32_t ProfileStore::ReadString(const char*, const char*, const char*, char*, uint32_t) { return 0; }

uint32_t ProfileStore::UpdateString(const char* section, const char* key, char* buffer, uint32_t bufferBytes)
{
    return ReadString(section, key, buffer, buffer, bufferBytes);
}

int32_t ProfileStore::WriteInt(const char*, const char*, int32_t) { return 0; }

int32_t ProfileStore::WriteString(const char*, const char*, const char*) { return 0; }

FileFailure ProfileStore::ReadSection(const char*, std::shared_ptr<const SectionLines>& lines, const Deadline&)
{
    lines = nullptr;
    return {};
}

WriteOutcome ProfileStore::WriteStrings(const char* section, const std::vector<IniValue>& values, const Deadline&)
{
    WriteOutcome outcome(values.size());
    for (size_t i = 0; i < values.size(); ++i) {
        if (WriteString(section, values[i].key.c_str(), values[i].value.c_str()))
            outcome.results[i] = WriteResult::Written;
        else
            outcome.failure = {FileFailure::Kind::SystemError, 0};
    }
    return outcome;
}

ProfileSection::ProfileSection(ProfileStore* store, const char* name)
    : name_(name, name + std::strlen(name) + 1), store_(store)
{
}
