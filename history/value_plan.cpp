#include "value_plan.h"

#include <algorithm>
#include <unordered_set>

namespace {

std::vector<std::string> Keys(const std::vector<IniValue*>& values)
{
    std::vector<std::string> keys;
    for (const IniValue* value : values)
        keys.push_back(value->key);
    return keys;
}

// Whether the value's key is to be written, having given the value its result otherwise. A
// missing key reads empty. A file caught in the middle of its rewriting lacks keys too; found
// missing again in the same bytes, the key has been removed.
bool ToWrite(IniValue& value, const KeyReading& read, const SectionLines& reading, bool missingIsGone,
             bool& keysMissing)
{
    const std::string wanted = TextAsRead(value.value);
    if (!read.present) {
        if (wanted.empty() && (!value.hasExpected || value.expected.empty()))
            value.result = WriteResult::Written;
        else if (missingIsGone)
            value.result = WriteResult::Gone;
        else
            keysMissing = true;
        return false;
    }
    const std::string text = read.text.String();
    if (text == wanted)
        value.result = WriteResult::Written;
    else if ((value.hasExpected && text != value.expected) || (value.condition && !value.condition(reading)))
        value.result = WriteResult::ValueChanged;
    return value.result == WriteResult::NotWritten;
}

} // namespace

ValuePlan PlanValues(const std::string& bytes, const SectionLines& reading, const char* section,
                     std::vector<IniValue>& values, bool missingIsGone)
{
    ValuePlan plan;
    std::vector<IniValue*> pending;
    for (IniValue& value : values)
        if (value.result == WriteResult::NotWritten)
            pending.push_back(&value);
    const std::vector<KeyReading> read = reading.Read(Keys(pending));
    for (size_t i = 0; i < pending.size(); ++i)
        if (ToWrite(*pending[i], read[i], reading, missingIsGone, plan.keysMissing))
            plan.writes.push_back(pending[i]);
    // Each value's bytes are replaced, in the order of their places in the file. Should the
    // reader find a key where the layout does not, nothing is written for it and the check of
    // the new content fails.
    const std::vector<ValueSpan> spans = FindValues(bytes, section, Keys(plan.writes));
    std::vector<size_t> order(spans.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::sort(order.begin(), order.end(), [&spans](size_t x, size_t y) { return spans[x].lineFrom < spans[y].lineFrom; });
    size_t copied = 0;
    for (size_t i : order) {
        const ValueSpan& span = spans[i];
        if (!span.found || span.lineFrom < copied)
            continue;
        IniValue& write = *plan.writes[i];
        ValueChange& change = write.change;
        change.lineBefore = bytes.substr(span.lineFrom, span.lineTo - span.lineFrom);
        if (!write.lineNow.empty() && change.lineBefore == write.lineNow) {
            change.lineAfter = write.lineThen;
        } else {
            change.value = bytes.substr(span.from, span.to - span.from);
            change.lineAfter = change.lineBefore;
            change.lineAfter.replace(span.from - span.lineFrom, span.to - span.from,
                                     (span.hasEquals ? "" : "=") + write.value);
        }
        plan.bytes.append(bytes, copied, span.lineFrom - copied);
        plan.bytes += change.lineAfter;
        copied = span.lineTo;
    }
    plan.bytes.append(bytes, copied, std::string::npos);
    return plan;
}

bool ReadsAsPlanned(const SectionLines& before, const SectionLines& after, const std::vector<IniValue*>& writes)
{
    const std::vector<KeyReading> read = after.Read(Keys(writes));
    for (size_t i = 0; i < writes.size(); ++i) {
        const std::string text = read[i].text.String();
        if (!read[i].present || (text != TextAsRead(writes[i]->value) && (writes[i]->readAs.empty() || text != writes[i]->readAs)))
            return false;
    }
    // Lines of the written keys aside, the two readings hold the same lines in the same order:
    // they are walked side by side, and a key is looked at only where the lines differ.
    std::unordered_set<std::string> written;
    for (const IniValue* write : writes)
        written.insert(FoldKey(write->key.data(), write->key.size()));
    auto isWritten = [&written](const SectionLines::Line& line) {
        return written.count(FoldKey(line.key.data, line.key.length)) != 0;
    };
    // Where the reader took a line end into a value, the lines after it read as part of it: a
    // line may come or go only where it lies inside a written key's value on the other side
    // (its key, blanks, "=", blanks and its value). Lines of written keys are passed over first.
    auto insideWritten = [&isWritten](const SectionLines& other, const SectionLines::Line& line) {
        const std::string key = line.key.String();
        const std::string text = line.value.String();
        auto blanks = [](const std::string& value, size_t at) {
            while (at < value.size() && (value[at] == ' ' || value[at] == '\t'))
                ++at;
            return at;
        };
        for (const SectionLines::Line& holder : other.Lines()) {
            if (!isWritten(holder))
                continue;
            const std::string value = holder.value.String();
            for (size_t at = value.find(key); at != std::string::npos; at = value.find(key, at + 1)) {
                const size_t equals = blanks(value, at + key.size());
                if (equals < value.size() && value[equals] == '=' &&
                    value.compare(blanks(value, equals + 1), text.size(), text) == 0)
                    return true;
            }
        }
        return false;
    };
    const auto& old = before.Lines();
    const auto& now = after.Lines();
    size_t i = 0, j = 0;
    while (i < old.size() || j < now.size()) {
        if (i < old.size() && j < now.size() && old[i].key == now[j].key && old[i].value == now[j].value)
            ++i, ++j;
        else if (i < old.size() && isWritten(old[i]))
            ++i;
        else if (j < now.size() && isWritten(now[j]))
            ++j;
        else if (i < old.size() && insideWritten(after, old[i]))
            ++i;
        else if (j < now.size() && insideWritten(before, now[j]))
            ++j;
        else
            return false;
    }
    return true;
}
