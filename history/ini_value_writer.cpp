#include "ini_value_writer.h"

#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>
#include <unordered_set>

#include "file_target.h"
#include "section_lines.h"
#include "sibling_file.h"

namespace {

// How many times the change is planned on fresh bytes before the file counts as changing
// too often to be written.
constexpr int kPlans = 8;
// How long a file that another program holds open is waited for.
constexpr DWORD kPatienceMs = 2000;
// The least time another program's older copy of the file is waited for after a swap; longer
// once another program was seen writing the file, for then its next write may be on its way.
constexpr double kLeastSettleMs = 20;
constexpr double kBusySettleMs = 100;

double NowMs()
{
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Another program has the file open for the moment. Replacing a file fails with "access
// denied" while another program has it open: under Wine whatever it shares, on Windows when
// it does not share deleting.
bool IsHeldOpen(uint32_t error, bool replacing)
{
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
           (replacing && error == ERROR_ACCESS_DENIED);
}

std::vector<std::string> Keys(const std::vector<IniValue>& values)
{
    std::vector<std::string> keys;
    for (const IniValue& value : values)
        keys.push_back(value.key);
    return keys;
}

// The new content reads as planned: each written key gives its value, and every other line
// of the section is what it was. Lines of the changed keys aside, the two readings hold the
// same lines in the same order, so they are walked side by side and a key is looked at only
// where the lines differ.
bool ReadsAsPlanned(const SectionLines& before, const SectionLines& after, const std::vector<IniValue>& changes)
{
    const std::vector<KeyReading> read = after.Read(Keys(changes));
    for (size_t i = 0; i < changes.size(); ++i)
        if (!read[i].present || read[i].text.String() != TextAsRead(changes[i].value))
            return false;
    std::unordered_set<std::string> changedKeys;
    for (const IniValue& change : changes)
        changedKeys.insert(FoldKey(change.key.data(), change.key.size()));
    auto changed = [&](const SectionLines::Line& line) {
        return changedKeys.count(FoldKey(line.key.data, line.key.length)) != 0;
    };
    const auto& old = before.Lines();
    const auto& now = after.Lines();
    size_t i = 0, j = 0;
    while (i < old.size() || j < now.size()) {
        if (i < old.size() && j < now.size() && old[i].key == now[j].key && old[i].value == now[j].value) {
            ++i, ++j;
        } else if (i < old.size() && changed(old[i])) {
            ++i;
        } else if (j < now.size() && changed(now[j])) {
            ++j;
        } else {
            return false;
        }
    }
    return true;
}

class ValueWriter {
public:
    ValueWriter(const char* path, const char* section, const std::vector<IniValue>& values, KnownReading& known)
        : section_(section), values_(values), known_(known), target_(path), started_(GetTickCount())
    {
        outcome_.results.assign(values.size(), WriteResult::NotWritten);
        for (size_t i = 0; i < values.size(); ++i)
            pending_.push_back(i);
    }

    WriteOutcome Run()
    {
        for (int plan = 0; plan < kPlans && !pending_.empty() && outcome_.failure == WriteFailure::None; ++plan) {
            if (plan > 0)
                Sleep(static_cast<DWORD>(plan) * 5); // let a burst of the other program's writes pass
            WriteOnce();
        }
        if (!pending_.empty() && outcome_.failure == WriteFailure::None)
            outcome_.failure = WriteFailure::FileKeptChanging;
        return outcome_;
    }

private:
    bool Patient() const { return GetTickCount() - started_ < kPatienceMs; }

    bool Fail(WriteFailure failure, uint32_t error = 0)
    {
        outcome_.failure = failure;
        outcome_.systemError = error;
        return false;
    }

    // What the system's reader makes of bytes, read from a private copy of them.
    bool ReadThroughSystem(const std::string& bytes, ReaderCopy& copy, SectionLines& lines)
    {
        if (const uint32_t error = copy.Write(bytes))
            return Fail(WriteFailure::SystemError, error);
        const double started = NowMs();
        const bool read = copy.Read(section_, lines);
        readMs_ = NowMs() - started;
        return read || Fail(WriteFailure::CheckFailed);
    }

    // The replacement holds exactly the bytes whose reading was checked.
    bool HoldsPlannedBytes(const SiblingFile& replacement, const std::string& planned)
    {
        FileBytes written;
        return (ReadFileBytes(replacement.Path(), written) == 0 && written.bytes == planned) ||
               Fail(WriteFailure::CheckFailed);
    }

    // Reads the file's bytes and what the system's reader makes of them, from a private copy
    // of those very bytes: the file itself may change while the reader goes through it. The
    // bytes are read again afterwards and must not have changed, since a program that writes
    // the file empties it first and then fills it: bytes read in between are no state of the
    // file to plan on. A reading known of exactly the bytes the file holds is used as it is.
    // Waits while another program holds the file. False when the file changed meanwhile, or
    // could not be read (the failure is then set).
    bool ReadSettled(FileBytes& bytes, std::shared_ptr<const SectionLines>& lines)
    {
        for (;;) {
            const ReadingOutcome read = ReadKnownSection(target_, section_, known_);
            switch (read.kind) {
            case ReadingOutcome::Kind::Read:
                bytes = known_.file;
                lines = known_.lines;
                return true;
            case ReadingOutcome::Kind::Changed:
                return Changed();
            case ReadingOutcome::Kind::CopyError:
                return Fail(WriteFailure::SystemError, read.error);
            case ReadingOutcome::Kind::ReaderFailed:
                return Fail(WriteFailure::CheckFailed);
            case ReadingOutcome::Kind::FileError:
                break;
            }
            if (!IsHeldOpen(read.error, false) || !Patient())
                return Fail(WriteFailure::SystemError, read.error);
            Sleep(5);
        }
    }

    // Settles what a reading of the file tells: values it already holds are written, values
    // whose key reads another text than the expected one are left alone. A key that a file
    // which is there lacks altogether tells nothing sure of a value expecting a text: the
    // file may have been caught empty in the middle of another program's write. Before a
    // swap such a value is left alone too (its keyword is gone from the file, as far as can
    // be told); after a swap it is looked at again. Returns the changes still to make.
    std::vector<IniValue> Changes(const SectionLines& lines, bool fileExists, bool afterSwap)
    {
        std::vector<IniValue> pendingValues;
        for (size_t i : pending_)
            pendingValues.push_back(values_[i]);
        const std::vector<KeyReading> current = lines.Read(Keys(pendingValues));
        std::vector<IniValue> changes;
        std::vector<size_t> stillPending;
        for (size_t k = 0; k < pending_.size(); ++k) {
            const IniValue& value = pendingValues[k];
            const std::string text = current[k].text.String();
            const bool unsure = fileExists && !current[k].present && value.hasExpected && !value.expected.empty();
            if (unsure && afterSwap) {
                stillPending.push_back(pending_[k]);
            } else if (!unsure && text == TextAsRead(value.value)) {
                outcome_.results[pending_[k]] = WriteResult::Written;
            } else if (unsure || (value.hasExpected && text != value.expected)) {
                outcome_.results[pending_[k]] = WriteResult::ValueChanged;
            } else {
                changes.push_back(value);
                stillPending.push_back(pending_[k]);
            }
        }
        pending_ = std::move(stillPending);
        return changes;
    }

    // Puts the replacement in place while the file still holds what it was planned on: its
    // bytes are compared, and its identity, taken before they were read, is taken again just
    // before the swap. A write landing in the instant between that last look and the swap is
    // seen afterwards through a second name of the replaced file. Returns false when the file
    // changed meanwhile or could not be replaced.
    bool Swap(SiblingFile& replacement, const FileBytes& before)
    {
        if (const uint32_t error = replacement.PrepareReplace())
            return Fail(WriteFailure::SystemError, error);
        for (;;) {
            SiblingFile replaced(target_);
            const bool witnessed = before.exists && replaced.LinkToTarget() == 0;
            FileIdentity read, last;
            FileBytes now;
            uint32_t error = ReadFileIdentity(target_.Path(), read);
            if (!error)
                error = ReadFileBytes(target_.Path(), now);
            if (!error && !(now == before))
                return Changed();
            if (!error)
                error = ReadFileIdentity(target_.Path(), last);
            if (!error && !(last == read))
                return Changed();
            if (!error && (error = replacement.Replace(before.exists)) == 0) {
                ReadFileIdentity(target_.Path(), swapped_);
                return !witnessed || NothingLandedMeanwhile(replaced, before);
            }
            if (!IsHeldOpen(error, true) || !Patient())
                return Fail(WriteFailure::SystemError, error);
            Sleep(2);
        }
    }

    // After a swap: when the replaced file no longer holds the bytes the change was planned
    // on, another program wrote to it in the instant before the swap. While the new file is
    // still untouched, the replaced one, with that write, goes back in its place and the
    // change is planned again.
    bool NothingLandedMeanwhile(SiblingFile& replaced, const FileBytes& before)
    {
        FileIdentity now;
        FileBytes old;
        if (ReadFileBytes(replaced.Path(), old) || old == before)
            return true;
        if (replaced.PrepareReplace() == 0 && ReadFileIdentity(target_.Path(), now) == 0 && now == swapped_)
            replaced.Replace(true);
        return Changed();
    }

    // Another program changed the file while it was being written: plan again.
    bool Changed()
    {
        busy_ = true;
        return false;
    }

    void WriteOnce()
    {
        FileBytes before;
        std::shared_ptr<const SectionLines> lines;
        if (!ReadSettled(before, lines))
            return;
        const std::vector<IniValue> changes = Changes(*lines, before.exists, false);
        if (changes.empty())
            return;
        if (before.exists && (GetFileAttributesW(target_.Path().c_str()) & FILE_ATTRIBUTE_READONLY)) {
            Fail(WriteFailure::SystemError, ERROR_ACCESS_DENIED);
            return;
        }
        SiblingFile replacement(target_);
        std::string planned = ApplyIniEdits(before.bytes, PlanIniValueEdits(before.bytes, section_, changes));
        if (const uint32_t error = replacement.Write(planned, true)) {
            Fail(WriteFailure::SystemError, error);
            return;
        }
        replacement.TakeTargetAttributes();
        ReaderCopy checkedCopy(target_);
        auto written = std::make_shared<SectionLines>();
        if (!ReadThroughSystem(planned, checkedCopy, *written))
            return;
        if (!ReadsAsPlanned(*lines, *written, changes)) {
            Fail(WriteFailure::CheckFailed);
            return;
        }
        if (!HoldsPlannedBytes(replacement, planned))
            return;
        if (!Swap(replacement, before))
            return;
        // A program that read the file before the swap and writes it afterwards puts its older
        // copy back: the system's profile writer does so under Wine, where it reads and writes
        // the file with two separate opens (while a writer holds the file open, the swap waits
        // for it instead, on Windows and under Wine). Such a copy is due within about as long
        // as a reading of the file takes, longer while a busy program is slowed down: after
        // that, each value must still read as written, or it is written again.
        const double settleMs = busy_ ? std::max(kBusySettleMs, 3 * readMs_) : std::max(kLeastSettleMs, readMs_);
        const double settleStarted = NowMs();
        checkedCopy.LetGo(); // meanwhile
        const double settleLeft = settleMs - (NowMs() - settleStarted);
        if (settleLeft > 0)
            Sleep(static_cast<DWORD>(settleLeft));
        // Untouched since the swap, the file is still the new content whose reading was checked.
        FileIdentity now;
        if (ReadFileIdentity(target_.Path(), now) == 0 && now == swapped_) {
            for (size_t i : pending_)
                outcome_.results[i] = WriteResult::Written;
            pending_.clear();
            known_ = {section_, {true, std::move(planned)}, std::move(written)};
            return;
        }
        FileBytes after;
        std::shared_ptr<const SectionLines> confirmed;
        if (ReadSettled(after, confirmed))
            Changes(*confirmed, after.exists, true);
        if (!pending_.empty())
            Changed();
    }

    const char* section_;
    const std::vector<IniValue>& values_;
    KnownReading& known_;
    const FileTarget target_;
    const DWORD started_;
    double readMs_ = 0; // how long the system's last reading of the file took
    bool busy_ = false; // another program was seen writing the file
    FileIdentity swapped_; // the file right after the last swap
    std::vector<size_t> pending_;
    WriteOutcome outcome_;
};

} // namespace

WriteOutcome WriteIniValues(const char* path, const char* section, const std::vector<IniValue>& values,
                            KnownReading& known)
{
    return ValueWriter(path, section, values, known).Run();
}
