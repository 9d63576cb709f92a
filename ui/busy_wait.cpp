#include "busy_wait.h"

#include <windows.h>

void WaitKeepingWindowsAlive(uint32_t ms)
{
    SetCursor(LoadCursor(nullptr, IDC_WAIT));
    const DWORD started = GetTickCount();
    for (DWORD waited = 0; waited < ms; waited = GetTickCount() - started) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - waited, QS_PAINT | QS_SENDMESSAGE);
        // Messages sent by other threads are answered inside PeekMessage itself.
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE | PM_QS_PAINT | PM_QS_SENDMESSAGE))
            DispatchMessageA(&message);
    }
}
