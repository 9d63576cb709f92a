#include "ini_value_writer.h"

#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>

#include "app/unique_any.h"
#include "profile_section_read.h"
#include "sibling_files.h"

namespace {

using Kind = FileFailure::Kind;

// What one try came to.
enum class Outcome { Done, PlanAgain, Failed };
struct Try {
    Outcome outcome;
    FileFailure why; // for PlanAgain, what to report should the patience run out
};

Try Done() { return {Outcome::Done, {}}; }
Try PlanAgain(Kind why = Kind::KeptChanging, uint32_t error = 0) { return {Outcome::PlanAgain, {why, error}}; }
Try Failed(Kind why, uint32_t error = 0) { return {Outcome::Failed, {why, error}}; }

// A file held open for the moment, or renamed away for the moment (as a program saving by
// write and rename does), is tried again; any other error ends the write.
Try AfterError(uint32_t error, bool replacing = false)
{
    return error == ERROR_FILE_NOT_FOUND || IsHeldOpen(error, replacing) ? PlanAgain(Kind::SystemError, error)
                                                                         : Failed(Kind::SystemError, error);
}

// The replaced file holds another program's write: it goes back in its place while the target
// still holds the new content, untouched since the swap, and the change is planned again.
Try PutBack(const FileTarget& target, SecondName& replaced, const std::string& planned, const WaitFunction& wait)
{
    const Patience patience(wait);
    for (;;) {
        FileBytes now;
        uint32_t error = ReadFileBytes(target.Path(), now);
        if (!error && now.bytes != planned)
            return PlanAgain();
        if (!error)
            error = replaced.PutBack();
        if (!error)
            return PlanAgain();
        if (!IsHeldOpen(error, true) || !patience.Lasts())
            return Failed(Kind::SystemError, error);
        patience.Wait();
    }
}

// Puts the replacement in the target's place while the target still holds the bytes the plan
// was made on, and then reads the replaced file through its second name, if it has one: a
// write another program made in the instant between the last look and the swap shows there.
Try Swap(const FileTarget& target, ReplacementFile& replacement, const FileBytes& before, const std::string& planned,
         SecondName* replaced, const WaitFunction& wait)
{
    FileBytes now;
    if (const uint32_t error = ReadFileBytes(target.Path(), now))
        return AfterError(error);
    if (!(now == before))
        return PlanAgain();
    if (const uint32_t error = replacement.Replace())
        return AfterError(error, true);
    if (!replaced)
        return Done();
    FileBytes old;
    if (const uint32_t error = Patience(wait).WhileHeld([&] { return ReadFileBytes(replaced->Path(), old); }))
        return Failed(Kind::SystemError, error);
    return old == before ? Done() : PutBack(target, *replaced, planned, wait);
}

// Swaps while no other program holds the target: held without sharing its deletion, the file
// cannot be replaced, and a second name made then could not go until the file is let go. The
// second name goes before this returns, whichever way the swap went.
Try Replace(const FileTarget& target, ReplacementFile& replacement, const FileBytes& before, const std::string& planned,
            const WaitFunction& wait)
{
    {
        const UniqueFile probe(CreateFileW(target.Path().c_str(), DELETE,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                           OPEN_EXISTING, 0, nullptr));
        if (!probe)
            return AfterError(GetLastError());
    }
    // Where the file system has no hard links, the instant before the swap goes unwatched.
    SecondName replaced(target);
    const bool watched = replaced.Make() == 0;
    const Try swap = Swap(target, replacement, before, planned, watched ? &replaced : nullptr, wait);
    const uint32_t error = Patience(wait).WhileHeld([&] { return replaced.Remove(); });
    return error && swap.outcome != Outcome::Failed ? Failed(Kind::SystemError, error) : swap;
}

// One try: plans the values still NotWritten on a settled reading of the file, writes the new
// content beside it and has the system's reader check it, replaces the file, and after a while
// looks whether it still holds the new content. Values it settles get their results.
Try WriteOnce(const FileTarget& target, const char* path, const char* section, const std::vector<IniValue>& values,
              WriteOutcome& outcome, KnownReading& known, bool& busy, const WaitFunction& wait)
{
    std::vector<WriteResult>& results = outcome.results;
    const SettledRead read = ReadSettled(target, path, section, known);
    if (read.kind != ReadKind::Read)
        return {read.kind == ReadKind::Failed ? Outcome::Failed : Outcome::PlanAgain, Why(read)};
    if (!known.file.exists)
        return PlanAgain(Kind::SystemError, ERROR_FILE_NOT_FOUND);
    // Both stay as they are until the try ends: only a confirmed swap replaces the known reading.
    const FileBytes& before = known.file;
    const std::shared_ptr<const SectionLines> lines = known.lines;

    std::vector<size_t> pending;
    std::vector<IniValue> pendingValues;
    for (size_t i = 0; i < values.size(); ++i) {
        if (results[i] == WriteResult::NotWritten) {
            pending.push_back(i);
            pendingValues.push_back(values[i]);
        }
    }
    ValuePlan plan = PlanValues(before.bytes, *lines, section, pendingValues);
    std::vector<size_t> writing; // the values of plan.writes, in their order
    bool unsure = false;
    for (size_t k = 0; k < pending.size(); ++k) {
        const ValueStep step = plan.steps[k];
        if (step == ValueStep::Done || step == ValueStep::Changed)
            results[pending[k]] = step == ValueStep::Done ? WriteResult::Written : WriteResult::ValueChanged;
        unsure = unsure || step == ValueStep::Unsure;
        if (step == ValueStep::Write)
            writing.push_back(pending[k]);
    }
    if (writing.empty())
        return unsure ? PlanAgain() : Done();
    if (GetFileAttributesW(target.Path().c_str()) & FILE_ATTRIBUTE_READONLY)
        return Failed(Kind::SystemError, ERROR_ACCESS_DENIED);

    ReplacementFile replacement(target);
    if (const uint32_t error = replacement.Write(plan.bytes))
        return Failed(Kind::SystemError, error);
    const DWORD readStarted = GetTickCount();
    std::vector<char> text;
    if (ReadProfileSection(replacement.Path().c_str(), section, text) != 0)
        return Failed(Kind::CheckFailed);
    const DWORD readMs = GetTickCount() - readStarted;
    auto written = std::make_shared<const SectionLines>(std::move(text));
    if (!ReadsAsPlanned(*lines, *written, plan.writes))
        return Failed(Kind::CheckFailed);
    const Try replaced = Replace(target, replacement, before, plan.bytes, wait);
    if (replaced.outcome != Outcome::Done) {
        busy = busy || replaced.outcome == Outcome::PlanAgain;
        return replaced;
    }

    // A program that read the file before the swap and writes it afterwards puts its older copy
    // back: the system's profile writer does so under Wine, where it reads and writes the file
    // with two separate opens (while a writer holds the file open, the swap waits for it
    // instead, on Windows and under Wine). Such a copy is due within about as long as a reading
    // of the file takes, longer while a busy program is slowed down; the next try writes again
    // what it undid.
    Patience(wait).Wait(busy ? std::max<DWORD>(100, 3 * readMs) : std::max<DWORD>(20, readMs));
    FileBytes now;
    if (ReadFileBytes(target.Path(), now) != 0 || now.bytes != plan.bytes) {
        busy = true;
        return PlanAgain();
    }
    for (size_t w = 0; w < writing.size(); ++w) {
        results[writing[w]] = WriteResult::Written;
        outcome.changes[writing[w]] = std::move(plan.changes[w]);
    }
    known = {section, std::move(now), std::move(written)};
    return unsure ? PlanAgain() : Done();
}

} // namespace

WriteOutcome WriteIniValues(const char* path, const char* section, const std::vector<IniValue>& values,
                            KnownReading& known, const WaitFunction& wait)
{
    const FileTarget target(path);
    const Patience patience(wait);
    WriteOutcome outcome;
    outcome.results.assign(values.size(), WriteResult::NotWritten);
    outcome.changes.resize(values.size());
    bool busy = false; // another program was seen writing the file
    for (;;) {
        const Try tried = WriteOnce(target, path, section, values, outcome, known, busy, wait);
        if (tried.outcome == Outcome::Done)
            return outcome;
        if (tried.outcome == Outcome::Failed || !patience.Lasts()) {
            outcome.failure = tried.why;
            return outcome;
        }
        patience.Wait();
    }
}
