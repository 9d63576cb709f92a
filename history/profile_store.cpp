#include "profile_store.h"

#include <cstring>

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
