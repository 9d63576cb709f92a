#include "profile_store.h"

#include <cstring>

FileFailure ProfileStore::ReadSection(const char*, std::shared_ptr<const SectionLines>& lines, const Deadline&)
{
    lines = nullptr;
    return {};
}

WriteOutcome ProfileStore::WriteStrings(const char* section, std::vector<IniValue>& values, const Deadline&)
{
    WriteOutcome outcome;
    for (IniValue& value : values) {
        if (WriteString(section, value.key.c_str(), value.value.c_str()))
            value.result = WriteResult::Written;
        else
            outcome.failure = {FileFailure::Kind::SystemError, 0};
    }
    return outcome;
}

ProfileSection::ProfileSection(ProfileStore* store, const char* name)
    : name_(name, name + std::strlen(name) + 1), store_(store)
{
}
