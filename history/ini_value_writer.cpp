// How the store writes values, beside other programs that write the file too.
#include "ini_profile_store.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <utility>

#include "app/unique_any.h"

namespace {

using Kind = FileFailure::Kind;

// A file caught between its emptying and its filling lacks keys too, though never for long:
// keys are taken for removed once the file has kept the same bytes this long, with the section.
constexpr uint32_t kSurelyMissingMs = 100;

} // namespace

int32_t IniProfileStore::WriteInt(const char* section, const char* key, int32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%d", static_cast<int>(value));
    return WriteString(section, key, text);
}

int32_t IniProfileStore::WriteString(const char* section, const char* key, const char* text)
{
    return WriteStrings(section, {{key, text, false, "", "", "", "", nullptr}}, Deadline()).AllWritten() ? 1 : 0;
}

WriteOutcome IniProfileStore::WriteStrings(const char* section, const std::vector<IniValue>& values,
                                           const Deadline& deadline)
{
    RemoveStrays();
    const FileTarget target(path_.c_str());
    WriteOutcome outcome(values.size());
    Missing missing; // the reading in which tries found keys missing, and since when
    outcome.failure = deadline.Retry([&] {
        std::vector<size_t> pending;
        std::vector<IniValue> some;
        for (size_t i = 0; i < values.size(); ++i) {
            if (outcome.results[i] == WriteResult::NotWritten) {
                pending.push_back(i);
                some.push_back(values[i]);
            }
        }
        WriteOutcome tried = WriteOnce(target, section, some, missing, deadline);
        for (size_t k = 0; k < pending.size(); ++k) {
            outcome.results[pending[k]] = tried.results[k];
            outcome.changes[pending[k]] = std::move(tried.changes[k]);
        }
        outcome.fileRead = outcome.fileRead || tried.fileRead;
        outcome.fileChanged = outcome.fileChanged || tried.fileChanged;
        if (tried.failure.kind != Kind::KeysMissing)
            missing = {};
        else if (missing.reading != known_)
            missing = {known_, deadline.Now()};
        return tried.failure;
    });
    return outcome;
}

WriteOutcome IniProfileStore::WriteOnce(const FileTarget& target, const char* section, const std::vector<IniValue>& values,
                                       const Missing& missing, const Deadline& deadline)
{
    WriteOutcome outcome(values.size());
    const SettledRead read = ReadSettled(target, section);
    if ((outcome.failure = read.failure))
        return outcome;
    outcome.fileChanged = read.reading != known_;
    known_ = read.reading;
    const Reading& before = *read.reading;
    if (!before.file.exists) {
        outcome.failure = FailureOf(ERROR_FILE_NOT_FOUND);
        return outcome;
    }
    outcome.fileRead = true;
    const bool missingIsGone = read.reading == missing.reading && deadline.Now() - missing.since >= kSurelyMissingMs &&
                               !before.lines.Lines().empty();
    ValuePlan plan = PlanValues(before.file.bytes, before.lines, section, values, missingIsGone);
    std::vector<size_t> writing; // the values of plan.writes, in their order
    const FileFailure keysMissing = TakeSteps(plan.steps, outcome, writing);
    if (writing.empty()) {
        outcome.failure = keysMissing;
        return outcome;
    }
    FileBytes planned{true, std::move(plan.bytes)};
    SectionLines written;
    if ((outcome.failure = PutInPlace(target, section, before, planned, plan.writes, written, deadline)))
        return outcome;
    for (size_t w = 0; w < writing.size(); ++w) {
        outcome.results[writing[w]] = WriteResult::Written;
        outcome.changes[writing[w]] = std::move(plan.changes[w]);
    }
    const bool onShown = read.reading == shown_;
    known_ = std::make_shared<const Reading>(Reading{section, std::move(planned), std::move(written)});
    if (onShown)
        shown_ = known_;
    outcome.failure = keysMissing;
    return outcome;
}

FileFailure IniProfileStore::TakeSteps(const std::vector<ValueStep>& steps, WriteOutcome& outcome,
                                       std::vector<size_t>& writing)
{
    bool unsure = false;
    for (size_t k = 0; k < steps.size(); ++k) {
        switch (steps[k]) {
        case ValueStep::Done: outcome.results[k] = WriteResult::Written; break;
        case ValueStep::Changed: outcome.results[k] = WriteResult::ValueChanged; break;
        case ValueStep::Gone: outcome.results[k] = WriteResult::Gone; break;
        case ValueStep::Unsure: unsure = true; break;
        case ValueStep::Write: writing.push_back(k); break;
        }
    }
    return unsure ? FileFailure{Kind::KeysMissing} : FileFailure{};
}

FileFailure IniProfileStore::PutInPlace(const FileTarget& target, const char* section, const Reading& before,
                                        const FileBytes& planned, const std::vector<IniValue>& writes,
                                        SectionLines& written, const Deadline& deadline)
{
    // A file renamed away this instant has no attributes; a read-only one is never replaced.
    const DWORD attributes = GetFileAttributesW(target.Path().c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_READONLY))
        return FailureOf(attributes == INVALID_FILE_ATTRIBUTES ? GetLastError() : ERROR_ACCESS_DENIED);
    ReplacementFile replacement(target);
    if (const FileFailure failure = FailureOf(replacement.Write(planned.bytes)))
        return failure;
    // The system's reader checks the new content before it takes the file's place.
    const uint32_t checkStarted = deadline.Now();
    std::vector<char> text;
    if (ReadProfileSection(replacement.Path().c_str(), section, text) != 0)
        return {Kind::CheckFailed};
    checkMs_ = deadline.Now() - checkStarted;
    written = SectionLines(std::move(text));
    if (!ReadsAsPlanned(before.lines, written, writes))
        return {Kind::CheckFailed};
    return Replace(target, replacement, before.file, planned, deadline);
}

FileFailure IniProfileStore::Replace(const FileTarget& target, ReplacementFile& replacement, const FileBytes& before,
                                    const FileBytes& planned, const Deadline& deadline)
{
    // Held without sharing its deletion, the file cannot be replaced, and a second name made
    // then could not go until the file is let go: that is waited for here, the new content
    // ready, and the swap still looks at the bytes first.
    if (const FileFailure held = deadline.Retry([&target] {
            const UniqueFile probe(CreateFileW(target.Path().c_str(), DELETE,
                                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                               OPEN_EXISTING, 0, nullptr));
            return probe ? FileFailure() : FailureOf(GetLastError());
        }))
        return held;
    // Where the file system has no hard links, the instant before the swap goes unwatched.
    SecondName replaced;
    const bool watched = replaced.Make(target) == 0;
    const FileFailure swapped = Swap(target, replacement, before, planned, watched ? &replaced : nullptr, deadline);
    // A name another program holds open goes with the next write or when the store goes.
    if (replaced.Remove() != 0)
        strays_.push_back(replaced.Path());
    return swapped;
}

void IniProfileStore::RemoveStrays()
{
    auto gone = [](const std::wstring& path) { return DeleteFileW(path.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND; };
    strays_.erase(std::remove_if(strays_.begin(), strays_.end(), gone), strays_.end());
}

FileFailure IniProfileStore::Swap(const FileTarget& target, ReplacementFile& replacement, const FileBytes& before,
                                 const FileBytes& planned, SecondName* replaced, const Deadline& deadline)
{
    const HoldsResult beforeSwap = FileHolds(target.Path(), before);
    if (beforeSwap.error)
        return FailureOf(beforeSwap.error);
    if (!beforeSwap.holds)
        return {Kind::KeptChanging};
    if (const uint32_t error = replacement.Replace())
        return FailureOf(error, true);
    if (!replaced)
        return {};
    // A write another program made in the instant between the last look and the swap shows in
    // the replaced file. That goes back in its place while the target still holds the new
    // content, untouched since, and the change is planned again. Where it cannot go back, or
    // cannot be read, the new content stays: it is what the file holds.
    HoldsResult untouched;
    if (deadline.Retry([&] { return FailureOf((untouched = FileHolds(replaced->Path(), before)).error); }) ||
        untouched.holds)
        return {};
    bool putBack = false;
    deadline.Retry([&] {
        const HoldsResult ours = FileHolds(target.Path(), planned);
        if (ours.error)
            return FailureOf(ours.error);
        if (!ours.holds)
            return FileFailure{};
        const FileFailure failure = FailureOf(replaced->PutBack(target), true);
        putBack = !failure;
        return failure;
    });
    return putBack ? FileFailure{Kind::KeptChanging} : FileFailure{};
}

uint32_t IniProfileStore::RemoveLeftovers() const { return ::RemoveLeftovers(FileTarget(path_.c_str())); }
