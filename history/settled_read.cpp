#include "settled_read.h"

#include <utility>
#include <vector>

#include "profile_section_read.h"

namespace {

SettledRead Failure(uint32_t error) { return {IsHeldOpen(error) ? ReadKind::Held : ReadKind::Failed, error}; }

} // namespace

FileFailure Why(const SettledRead& read)
{
    return read.kind == ReadKind::Changed ? FileFailure{FileFailure::Kind::KeptChanging}
                                          : FileFailure{FileFailure::Kind::SystemError, read.error};
}

SettledRead ReadSettled(const FileTarget& target, const char* readerPath, const char* section, KnownReading& known)
{
    FileBytes bytes, again;
    if (const uint32_t error = ReadFileBytes(target.Path(), bytes))
        return Failure(error);
    if (known.lines && known.section == section && known.file == bytes)
        return {};
    std::vector<char> lines;
    if (bytes.exists) {
        if (const uint32_t error = ReadProfileSection(readerPath, section, lines))
            return Failure(error);
    }
    if (const uint32_t error = ReadFileBytes(target.Path(), again))
        return Failure(error);
    if (!(again == bytes))
        return {ReadKind::Changed};
    known = {section, std::move(bytes), std::make_shared<const SectionLines>(std::move(lines))};
    return {};
}
