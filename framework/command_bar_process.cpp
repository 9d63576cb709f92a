#include "command_bar_process.h"

#include <algorithm>
#include <memory>
#include <new>

#include "app/app_context.h"
#include "command_bar.h"

namespace {

UINT RegisterOnce(UINT& slot, const char* name)
{
    if (!slot) {
        ScopedLock lock(App().moduleLock);
        if (!slot)
            slot = RegisterWindowMessageA(name);
    }
    return slot;
}

} // namespace

UINT GetBarMessage() { return RegisterOnce(App().bars.getBarMessage, "TNW_CmdBar_InternalGetBarMsg"); }

UINT AutoPopupMessage() { return RegisterOnce(App().bars.autoPopupMessage, "TNW_CmdBar_InternalAutoPopupMsg"); }

ThreadHookEntry* FindThreadHook(DWORD thread)
{
    const PairArrayMap* table = App().bars.threadHooks.get();
    return table ? static_cast<ThreadHookEntry*>(table->Find(thread)) : nullptr;
}

void AcquireMessageHook()
{
    ScopedLock lock(App().windowCreationLock);
    CommandBarProcessState& state = App().bars;
    if (!state.threadHooks)
        state.threadHooks.reset(new (std::nothrow) PairArrayMap);
    if (!state.threadHooks)
        return;
    const DWORD thread = GetCurrentThreadId();
    if (ThreadHookEntry* entry = FindThreadHook(thread)) {
        ++entry->useCount;
        return;
    }
    std::unique_ptr<ThreadHookEntry> entry(new (std::nothrow) ThreadHookEntry);
    if (!entry)
        return;
    entry->hook.reset(SetWindowsHookExA(WH_GETMESSAGE, CommandBar::MessageHookProc, App().instance, thread));
    if (!entry->hook)
        return;
    entry->useCount = 1;
    if (state.threadHooks->Add(thread, entry.get()))
        state.hookEntries.push_back(std::move(entry));
}

void ReleaseMessageHook()
{
    ScopedLock lock(App().windowCreationLock);
    CommandBarProcessState& state = App().bars;
    const DWORD thread = GetCurrentThreadId();
    ThreadHookEntry* entry = FindThreadHook(thread);
    if (!entry)
        return;
    if (--entry->useCount == 0) {
        state.threadHooks->Remove(thread);
        auto& entries = state.hookEntries;
        entries.erase(std::remove_if(entries.begin(), entries.end(), [entry](const auto& e) { return e.get() == entry; }),
                      entries.end()); // unhooks
    }
    if (state.threadHooks->Count() == 0)
        state.threadHooks.reset();
}

ThreadHookState CurrentThreadHookState()
{
    ScopedLock lock(App().windowCreationLock);
    const ThreadHookEntry* entry = FindThreadHook(GetCurrentThreadId());
    return {entry ? entry->hook.get() : nullptr, entry ? entry->useCount : 0, App().bars.threadHooks != nullptr};
}
