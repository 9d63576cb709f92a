#include "section_reading.h"

#include <windows.h>

#include <utility>
#include <vector>

#include "profile_section_read.h"

bool ReaderCopy::Read(const char* section, SectionLines& lines)
{
    const char* path = file_.AnsiPath().c_str();
    read_ = *path != 0;
    if (!read_)
        return false;
    std::vector<char> text;
    const uint32_t error = ReadProfileSection(path, section, text);
    lines = SectionLines(std::move(text));
    return error == 0;
}

void ReaderCopy::LetGo()
{
    if (!read_)
        return;
    read_ = false;
    file_.Empty();
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, file_.AnsiPath().c_str());
}

std::shared_ptr<const SectionLines> KnownReading::Of(const char* sectionName, const FileBytes& now) const
{
    return lines && section == sectionName && file == now ? lines : nullptr;
}

ReadingOutcome ReadKnownSection(const FileTarget& target, const char* section, KnownReading& known)
{
    using Kind = ReadingOutcome::Kind;
    FileBytes bytes, again;
    if (const uint32_t error = ReadFileBytes(target.Path(), bytes))
        return {Kind::FileError, error};
    if (known.Of(section, bytes))
        return {};
    auto lines = std::make_shared<SectionLines>();
    {
        ReaderCopy copy(target);
        if (const uint32_t error = copy.Write(bytes.bytes))
            return {Kind::CopyError, error};
        if (!copy.Read(section, *lines))
            return {Kind::ReaderFailed};
    }
    if (const uint32_t error = ReadFileBytes(target.Path(), again))
        return {Kind::FileError, error};
    if (!(again == bytes))
        return {Kind::Changed};
    known = {section, std::move(bytes), std::move(lines)};
    return {};
}
