#pragma once

#include <windows.h>

#include <memory>

#include "bar_shared_state.h"
#include "pair_array_map.h"
#include "stub_pages.h"

class MessagePump;
struct PendingWindow;

// Holds a critical section for the lifetime of a scope. Re-entrant for the owning thread.
class ScopedLock {
public:
    explicit ScopedLock(CRITICAL_SECTION& section) : section_(section) { EnterCriticalSection(&section_); }
    ~ScopedLock() { LeaveCriticalSection(&section_); }
    ScopedLock(const ScopedLock&) = delete;
    ScopedLock& operator=(const ScopedLock&) = delete;

private:
    CRITICAL_SECTION& section_;
};

// The process-wide module state, the one home of what the process shares and changes:
// instance handles, the two locks, the list of windows announced for creation, the map from
// thread to that thread's message pump, the pages of window stubs and what all menu bars share.
// Constants worked out once (code page tables, functions looked up at run time) stay beside
// their users; the tick-count shim keeps plain globals, as it may be asked before any
// constructor runs.
struct AppContext {
    HINSTANCE instance = nullptr;
    HINSTANCE resourceInstance = nullptr;
    CRITICAL_SECTION moduleLock{};
    CRITICAL_SECTION windowCreationLock{};
    PendingWindow* pendingWindows = nullptr;
    PairArrayMap* pumpMap = nullptr;
    StubPages stubPages;         // under the window-creation lock
    CommandBarProcessState bars;

    int RegisterPump(DWORD threadId, MessagePump* pump);
    int UnregisterPump(DWORD threadId);
    MessagePump* FindPump(DWORD threadId);
};

// The one AppContext of the process.
AppContext& App();

// Sets the AppContext up for a process and tears it down in the reverse order.
class AppContextScope {
public:
    explicit AppContextScope(HINSTANCE instance);
    ~AppContextScope();
    AppContextScope(const AppContextScope&) = delete;
    AppContextScope& operator=(const AppContextScope&) = delete;

private:
    std::unique_ptr<PairArrayMap> pumpMap_; // the map App() points to, for the scope's life
};
