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

// Whether the file at path holds the bytes, asked again while it is held: a file that cannot
// be read counts as holding them.
bool HoldsOrUnread(const std::wstring& path, const FileBytes& bytes, const Deadline& deadline)
{
    HoldsResult read;
    const FileFailure failure = deadline.Repeat([&] { return FailureOf((read = FileHolds(path, bytes)).error); });
    return failure || read.holds;
}

// Puts the replaced file back in the target's place while the target still holds the planned
// bytes, untouched since; returns whether it did.
bool PutBackWhileUntouched(const FileTarget& target, OldContentLink& replaced, const FileBytes& planned,
                           const Deadline& deadline)
{
    bool putBack = false;
    deadline.Repeat([&] {
        const HoldsResult ours = FileHolds(target.Path(), planned);
        if (ours.error || !ours.holds)
            return FailureOf(ours.error);
        const FileFailure failure = FailureOf(replaced.PutBack(target), true);
        putBack = !failure;
        return failure;
    });
    return putBack;
}

} // namespace

int32_t IniProfileStore::WriteInt(const char* section, const char* key, int32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%d", static_cast<int>(value));
    return WriteString(section, key, text);
}

int32_t IniProfileStore::WriteString(const char* section, const char* key, const char* text)
{
    std::vector<IniValue> values{IniValue::Always(key, text)};
    WriteStrings(section, values, Deadline());
    return values[0].result == WriteResult::Written ? 1 : 0;
}

WriteOutcome IniProfileStore::WriteStrings(const char* section, std::vector<IniValue>& values, const Deadline& deadline)
{
    RemoveHeldLinks();
    const FileTarget target(path_.c_str());
    WriteOutcome outcome;
    Missing missing;
    deadline.Retry([&] {
        const WriteOutcome tried = WriteOnce(target, section, values, missing, deadline);
        outcome.failure = tried.failure;
        outcome.keysMissing = tried.keysMissing;
        outcome.fileRead = outcome.fileRead || tried.fileRead;
        outcome.fileChanged = outcome.fileChanged || tried.fileChanged;
        if (!tried.keysMissing)
            missing = {};
        else if (missing.reading != known_)
            missing = {known_, deadline.Now()};
        // A failure decides; without one, keys missing are tried again.
        return tried.failure ? tried.failure.Passing() : tried.keysMissing;
    });
    // Keys missing until the end: the file was being rewritten all the while.
    if (outcome.keysMissing && !outcome.failure)
        outcome.failure = {Kind::KeptChanging};
    return outcome;
}

WriteOutcome IniProfileStore::WriteOnce(const FileTarget& target, const char* section, std::vector<IniValue>& values,
                                       const Missing& missing, const Deadline& deadline)
{
    WriteOutcome outcome;
    KnownReading read;
    if ((outcome.failure = ReadSettled(target, section, read)))
        return outcome;
    outcome.fileChanged = read != known_;
    known_ = read;
    if (!read->file.exists) {
        outcome.failure = FailureOf(ERROR_FILE_NOT_FOUND);
        return outcome;
    }
    outcome.fileRead = true;
    const bool missingIsGone =
        read == missing.reading && deadline.Now() - missing.since >= kSurelyMissingMs && !read->lines.Lines().empty();
    ValuePlan plan = PlanValues(read->file.bytes, read->lines, section, values, missingIsGone);
    outcome.keysMissing = plan.keysMissing;
    if (plan.writes.empty())
        return outcome;
    FileBytes planned{true, std::move(plan.bytes)};
    SectionLines written;
    outcome.failure = PutInPlace(target, section, *read, planned, plan.writes, written, deadline);
    // A value keeps the change its plan made only once the change is in place.
    for (IniValue* value : plan.writes) {
        if (outcome.failure)
            value->change = {};
        else
            value->result = WriteResult::Written;
    }
    if (outcome.failure)
        return outcome;
    const bool onShown = read == shown_;
    known_ = std::make_shared<const Reading>(Reading{section, std::move(planned), std::move(written)});
    if (onShown)
        shown_ = known_;
    return outcome;
}

FileFailure IniProfileStore::PutInPlace(const FileTarget& target, const char* section, const Reading& before,
                                        const FileBytes& planned, const std::vector<IniValue*>& writes,
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
    // Held without sharing its deletion, the file cannot be replaced, and a link made
    // then could not go until the file is let go: that is waited for here, the new content
    // ready, and the swap still looks at the bytes first.
    if (const FileFailure held = deadline.Repeat([&target] {
            const UniqueFile probe(CreateFileW(target.Path().c_str(), DELETE,
                                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                               OPEN_EXISTING, 0, nullptr));
            return probe ? FileFailure() : FailureOf(GetLastError());
        }))
        return held;
    // Where the file system has no hard links, the instant before the swap goes unwatched.
    OldContentLink replaced;
    const bool watched = replaced.Make(target) == 0;
    const FileFailure swapped = Swap(target, replacement, before.file, planned, watched ? &replaced : nullptr, deadline);
    // A link another program holds open goes with the next write or when the store goes.
    if (replaced.Remove() != 0)
        heldLinks_.push_back(replaced.Path());
    return swapped;
}

void IniProfileStore::RemoveHeldLinks()
{
    auto gone = [](const std::wstring& path) { return DeleteFileW(path.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND; };
    heldLinks_.erase(std::remove_if(heldLinks_.begin(), heldLinks_.end(), gone), heldLinks_.end());
}

FileFailure IniProfileStore::Swap(const FileTarget& target, ReplacementFile& replacement, const FileBytes& before,
                                 const FileBytes& planned, OldContentLink* replaced, const Deadline& deadline)
{
    const HoldsResult beforeSwap = FileHolds(target.Path(), before);
    if (beforeSwap.error)
        return FailureOf(beforeSwap.error);
    if (!beforeSwap.holds)
        return {Kind::KeptChanging};
    if (const uint32_t error = replacement.Replace())
        return FailureOf(error, true);
    // A write another program made in the instant between the last look and the swap shows in
    // the replaced file. That goes back in its place while the target still holds the new
    // content, untouched since, and the change is planned again. Where it cannot go back, or
    // cannot be read, the new content stays: it is what the file holds.
    if (!replaced || HoldsOrUnread(replaced->Path(), before, deadline))
        return {};
    return PutBackWhileUntouched(target, *replaced, planned, deadline) ? FileFailure{Kind::KeptChanging} : FileFailure{};
}

uint32_t IniProfileStore::RemoveLeftovers() const { return ::RemoveLeftovers(FileTarget(path_.c_str())); }
