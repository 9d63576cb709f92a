#pragma once

#include <windows.h>

#include <memory>

#include "pair_array_map.h"

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

// The process-wide module state: instance handles, the two locks, the list of windows
// announced for creation and the map from thread to that thread's message pump.
struct AppContext {
    HINSTANCE instance = nullptr;
    HINSTANCE resourceInstance = nullptr;
    CRITICAL_SECTION moduleLock{};
    CRITICAL_SECTION windowCreationLock{};
    PendingWindow* pendingWindows = nullptr;
    PairArrayMap* pumpMap = nullptr;

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
