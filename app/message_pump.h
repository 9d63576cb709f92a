#pragma once

#include <windows.h>

#include "ptr_array.h"

// Sees every message before it is translated and dispatched; nonzero consumes it.
class PumpFilter {
public:
    virtual int FilterMessage(MSG* message) = 0;

protected:
    ~PumpFilter() = default;
};

// Runs when the queue has run empty after a message that re-arms idle processing.
class IdleHook {
public:
    virtual int RunIdle() = 0;

protected:
    ~IdleHook() = default;
};

// The thread's message loop. It points to its filters and idle hooks but never owns them;
// they stay registered until the pump ends.
class MessagePump {
public:
    MessagePump() = default;
    MessagePump(const MessagePump&) = delete;
    MessagePump& operator=(const MessagePump&) = delete;
    virtual ~MessagePump() = default;

    int AddFilter(PumpFilter* filter) { return filters_.Add(filter); }
    int AddIdleHook(IdleHook* hook) { return idleHooks_.Add(hook); }
    int Run();
    void FreeArrays();

    virtual int FilterPass(MSG* message);
    virtual int IdlePass(int idleCount);

private:
    PtrArray filters_;
    PtrArray idleHooks_;
    MSG current_{};
};
