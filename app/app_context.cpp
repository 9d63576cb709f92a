#include "app_context.h"

#include "pair_array_map.h"

AppContext& App()
{
    static AppContext context;
    return context;
}

int AppContext::RegisterPump(DWORD threadId, MessagePump* pump)
{
    ScopedLock lock(moduleLock);
    return pumpMap ? pumpMap->Add(threadId, pump) : 0;
}

int AppContext::UnregisterPump(DWORD threadId)
{
    ScopedLock lock(moduleLock);
    return pumpMap ? pumpMap->Remove(threadId) : 0;
}

MessagePump* AppContext::FindPump(DWORD threadId)
{
    ScopedLock lock(moduleLock);
    return pumpMap ? static_cast<MessagePump*>(pumpMap->Find(threadId)) : nullptr;
}

AppContextScope::AppContextScope(HINSTANCE instance) : pumpMap_(std::make_unique<PairArrayMap>())
{
    AppContext& app = App();
    app.instance = instance;
    app.resourceInstance = instance;
    InitializeCriticalSection(&app.moduleLock);
    InitializeCriticalSection(&app.windowCreationLock);
    app.pendingWindows = nullptr;
    app.pumpMap = pumpMap_.get();
}

AppContextScope::~AppContextScope()
{
    AppContext& app = App();
    app.pumpMap = nullptr;
    DeleteCriticalSection(&app.windowCreationLock);
    DeleteCriticalSection(&app.moduleLock);
}
