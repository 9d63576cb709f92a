#include "settled_read.h"

#include <utility>
#include <vector>

#include "profile_section_read.h"

SettledRead ReadSettled(const FileTarget& target, const char* readerPath, const char* section, const KnownReading& known)
{
    bool holds = false;
    if (known && known->section == section) {
        if (const uint32_t error = FileHolds(target.Path(), known->file, holds))
            return {nullptr, FailureOf(error)};
        if (holds)
            return {known, {}};
    }
    auto reading = std::make_shared<Reading>();
    reading->section = section;
    if (const uint32_t error = ReadFileBytes(target.Path(), reading->file))
        return {nullptr, FailureOf(error)};
    if (reading->file.exists) {
        std::vector<char> lines;
        if (const uint32_t error = ReadProfileSection(readerPath, section, lines))
            return {nullptr, FailureOf(error)};
        reading->lines = SectionLines(std::move(lines));
    }
    if (const uint32_t error = FileHolds(target.Path(), reading->file, holds))
        return {nullptr, FailureOf(error)};
    if (!holds)
        return {nullptr, {FileFailure::Kind::KeptChanging}};
    return {std::move(reading), {}};
}
