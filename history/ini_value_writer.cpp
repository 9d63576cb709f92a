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
struct Try {
    enum class Outcome { Done, PlanAgain, Failed };
    Outcome outcome;
    FileFailure why; // for PlanAgain, what to report should the patience run out
};

Try Done() { return {Try::Outcome::Done, {}}; }
Try PlanAgain(FileFailure why) { return {Try::Outcome::PlanAgain, why}; }
Try Failed(FileFailure why) { return {Try::Outcome::Failed, why}; }
FileFailure SystemError(uint32_t error) { return {Kind::SystemError, error}; }

// A file held open for the moment, or renamed away for the moment (as a program saving by
// write and rename does), is tried again; any other error ends the write.
Try AfterError(uint32_t error, bool replacing)
{
    return error == ERROR_FILE_NOT_FOUND || IsHeldOpen(error, replacing) ? PlanAgain(SystemError(error))
                                                                         : Failed(SystemError(error));
}

// Removes the second name, waiting while another program holds the file it names.
uint32_t Discard(SecondName& name, const WaitFunction& wait)
{
    const Patience patience(wait);
    uint32_t error = 0;
    while ((error = name.Remove()) != 0 && IsHeldOpen(error) && patience.Lasts())
        patience.Wait();
    return error;
}

// The replaced file holds another program's write: it goes back in its place while the new
// file is untouched since the swap, and the change is planned again on it.
Try PutBack(const FileTarget& target, SecondName& replaced, const FileIdentity& swapped, const WaitFunction& wait)
{
    const Patience patience(wait);
    for (;;) {
        FileIdentity now;
        uint32_t error = ReadFileIdentity(target.Path(), now);
        if (!error && !(now == swapped))
            return PlanAgain({Kind::KeptChanging});
        if (!error)
            error = replaced.PutBack();
        if (!error)
            return PlanAgain({Kind::KeptChanging});
        if (!IsHeldOpen(error, true) || !patience.Lasts())
            return Failed(SystemError(error));
        patience.Wait();
    }
}

// Puts the replacement in the target's place while the target still holds the bytes the plan
// was made on, and then reads the replaced file through its second name, if it has one: a
// write another program made in the instant between the last look and the swap shows there.
Try Swap(const FileTarget& target, ReplacementFile& replacement, const FileBytes& before, SecondName* replaced,
         FileIdentity& swapped, const WaitFunction& wait)
{
    FileBytes now;
    if (const uint32_t error = ReadFileBytes(target.Path(), now))
        return AfterError(error, false);
    if (!(now == before))
        return PlanAgain({Kind::KeptChanging});
    if (const uint32_t error = replacement.Replace())
        return AfterError(error, true);
    if (const uint32_t error = ReadFileIdentity(target.Path(), swapped))
        return Failed(SystemError(error));
    if (!replaced)
        return Done();
    FileBytes old;
    const Patience patience(wait);
    uint32_t error = 0;
    while ((error = ReadFileBytes(replaced->Path(), old)) != 0 && IsHeldOpen(error) && patience.Lasts())
        patience.Wait();
    if (error)
        return Failed(SystemError(error));
    return old == before ? Done() : PutBack(target, *replaced, swapped, wait);
}

// Swaps while no other program holds the target: held without sharing its deletion, the file
// cannot be replaced, and a second name made then could not go until the file is let go. The
// second name goes before this returns, whichever way the swap went.
Try Replace(const FileTarget& target, ReplacementFile& replacement, const FileBytes& before, FileIdentity& swapped,
            const WaitFunction& wait)
{
    {
        const UniqueFile probe(CreateFileW(target.Path().c_str(), DELETE,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                           OPEN_EXISTING, 0, nullptr));
        if (!probe)
            return AfterError(GetLastError(), false);
    }
    // Where the file system has no hard links, the instant before the swap goes unwatched.
    SecondName replaced(target);
    const bool watched = replaced.Make() == 0;
    const Try swap = Swap(target, replacement, before, watched ? &replaced : nullptr, swapped, wait);
    const uint32_t discarded = Discard(replaced, wait);
    return discarded && swap.outcome != Try::Outcome::Failed ? Failed(SystemError(discarded)) : swap;
}

// One try: plans the pending values on a settled reading, writes the new content and checks
// it, replaces the file, and looks again after a while. Values settled by the try get their
// results; the rest stay NotWritten.
Try WriteOnce(const FileTarget& target, const char* path, const char* section, const std::vector<IniValue>& values,
              std::vector<WriteResult>& results, KnownReading& known, bool& busy, const WaitFunction& wait)
{
    const SettledRead read = ReadSettled(target, path, section, known);
    if (read.kind == ReadKind::Changed)
        return PlanAgain({Kind::KeptChanging});
    if (read.kind != ReadKind::Read)
        return AfterError(read.error, false);
    if (!known.file.exists)
        return PlanAgain(SystemError(ERROR_FILE_NOT_FOUND));
    const FileBytes before = known.file;
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
    std::vector<size_t> writing;
    bool unsure = false;
    for (size_t k = 0; k < pending.size(); ++k) {
        switch (plan.steps[k]) {
        case ValueStep::Done:
            results[pending[k]] = WriteResult::Written;
            break;
        case ValueStep::Changed:
            results[pending[k]] = WriteResult::ValueChanged;
            break;
        case ValueStep::Unsure:
            unsure = true;
            break;
        case ValueStep::Write:
            writing.push_back(pending[k]);
            break;
        }
    }
    if (writing.empty())
        return unsure ? PlanAgain({Kind::KeptChanging}) : Done();
    if (GetFileAttributesW(target.Path().c_str()) & FILE_ATTRIBUTE_READONLY)
        return Failed(SystemError(ERROR_ACCESS_DENIED));

    ReplacementFile replacement(target);
    if (const uint32_t error = replacement.Write(plan.bytes))
        return Failed(SystemError(error));
    const DWORD readStarted = GetTickCount();
    std::vector<char> text;
    if (replacement.AnsiPath().empty() || ReadProfileSection(replacement.AnsiPath().c_str(), section, text) != 0)
        return Failed({Kind::CheckFailed});
    const DWORD readMs = GetTickCount() - readStarted;
    auto written = std::make_shared<const SectionLines>(std::move(text));
    if (!ReadsAsPlanned(*lines, *written, plan.writes))
        return Failed({Kind::CheckFailed});
    FileIdentity swapped;
    const Try replaced = Replace(target, replacement, before, swapped, wait);
    if (replaced.outcome != Try::Outcome::Done) {
        busy = busy || replaced.outcome == Try::Outcome::PlanAgain;
        return replaced;
    }

    // A program that read the file before the swap and writes it afterwards puts its older copy
    // back: the system's profile writer does so under Wine, where it reads and writes the file
    // with two separate opens (while a writer holds the file open, the swap waits for it
    // instead, on Windows and under Wine). Such a copy is due within about as long as a reading
    // of the file takes, longer while a busy program is slowed down; the next try writes again
    // what it undid.
    Patience(wait).Wait(busy ? std::max<DWORD>(100, 3 * readMs) : std::max<DWORD>(20, readMs));
    FileIdentity now;
    if (ReadFileIdentity(target.Path(), now) != 0 || !(now == swapped)) {
        busy = true;
        return PlanAgain({Kind::KeptChanging});
    }
    for (size_t i : writing)
        results[i] = WriteResult::Written;
    known = {section, {true, std::move(plan.bytes)}, std::move(written)};
    return unsure ? PlanAgain({Kind::KeptChanging}) : Done();
}

} // namespace

WriteOutcome WriteIniValues(const char* path, const char* section, const std::vector<IniValue>& values,
                            KnownReading& known, const WaitFunction& wait)
{
    const FileTarget target(path);
    const Patience patience(wait);
    WriteOutcome outcome;
    outcome.results.assign(values.size(), WriteResult::NotWritten);
    bool busy = false; // another program was seen writing the file
    for (;;) {
        const Try tried = WriteOnce(target, path, section, values, outcome.results, known, busy, wait);
        if (tried.outcome == Try::Outcome::Done)
            return outcome;
        if (tried.outcome == Try::Outcome::Failed || !patience.Lasts()) {
            outcome.failure = tried.why;
            return outcome;
        }
        patience.Wait();
    }
}
