// The threads runtime that the C++ library is built on asks kernel32 for GetTickCount64, which
// Windows XP lacks: the loader would refuse to start the program there. The program answers
// that import itself, with the system's function where there is one and with the 32-bit count
// and its wraps counted (every 49.7 days) on Windows XP. It lives in the program's own objects,
// not in a library, so that the linker takes it before the system's import library.
#include <windows.h>

namespace {

using TickCountFunction = ULONGLONG(WINAPI*)();

// Plain globals, set up before any constructor runs: the threads runtime may ask early.
volatile LONG resolved = 0;
TickCountFunction systemTickCount = nullptr;
volatile LONG counting = 0;
DWORD lastLow = 0;
ULONGLONG wraps = 0;

ULONGLONG WINAPI TickCount64()
{
    if (!resolved) {
        systemTickCount = reinterpret_cast<TickCountFunction>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetTickCount64")));
        InterlockedExchange(&resolved, 1);
    }
    if (systemTickCount)
        return systemTickCount();
    while (InterlockedExchange(&counting, 1))
        Sleep(0);
    const DWORD low = GetTickCount();
    if (low < lastLow)
        wraps += 1ull << 32;
    lastLow = low;
    const ULONGLONG ticks = wraps | low;
    InterlockedExchange(&counting, 0);
    return ticks;
}

} // namespace

extern "C" {
// The name the import would have: "__imp_" and the decorated name of the stdcall function.
extern TickCountFunction const importedTickCount64 __asm__("__imp__GetTickCount64@0");
TickCountFunction const importedTickCount64 = TickCount64;
}
