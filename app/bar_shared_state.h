#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "pair_array_map.h"
#include "unique_any.h"

class CommandBar;

// The message hook of one thread, shared by all bars on it.
struct ThreadHookEntry {
    UniqueHook hook;
    int32_t useCount = 0;
};

// What all menu bars of the process share. The first bar finds out the system's abilities
// under the module lock; the tracking slots and the hook table change only under the
// window-creation lock.
struct CommandBarProcessState {
    bool ready = false;                   // the first bar's one-time set-up is done
    bool animationFlagsSupported = false; // the system takes the popup animation flags
    CommandBar* trackingBar = nullptr; // the bar whose menu is open
    UniqueHook trackingHook;           // follows that menu's popup windows
    std::unique_ptr<PairArrayMap> threadHooks; // thread id to its entry in hookEntries
    std::vector<std::unique_ptr<ThreadHookEntry>> hookEntries; // the one owner of the entries
    UINT getBarMessage = 0;
    UINT autoPopupMessage = 0;
    POINT lastHookPoint = {-1, -1}; // the last mouse position forwarded to a bar
};
