#include "message_pump.h"

namespace {

// Messages that arrive continuously while nothing happens; they must not re-arm idle work.
bool RearmsIdle(UINT message)
{
    const UINT caretBlink = 0x0118;
    return message != WM_PAINT && message != WM_NCMOUSEMOVE && message != caretBlink &&
           message != WM_MOUSEMOVE;
}

} // namespace

int MessagePump::Run()
{
    bool idle = true;
    int idleCount = 0;
    for (;;) {
        while (idle && !PeekMessageA(&current_, nullptr, 0, 0, PM_NOREMOVE)) {
            if (!IdlePass(idleCount++))
                idle = false;
        }
        const BOOL got = GetMessageA(&current_, nullptr, 0, 0);
        if (got == -1)
            continue;
        if (got == 0)
            break;
        if (!FilterPass(&current_)) {
            TranslateMessage(&current_);
            DispatchMessageA(&current_);
        }
        if (RearmsIdle(current_.message)) {
            idle = true;
            idleCount = 0;
        }
    }
    return static_cast<int>(current_.wParam);
}

int MessagePump::FilterPass(MSG* message)
{
    // The filter registered last is asked first.
    for (int i = filters_.Count() - 1; i >= 0; --i) {
        auto* filter = static_cast<PumpFilter*>(filters_.At(i));
        if (filter && filter->FilterMessage(message))
            return 1;
    }
    return 0;
}

int MessagePump::IdlePass(int)
{
    for (int i = 0; i < idleHooks_.Count(); ++i) {
        if (auto* hook = static_cast<IdleHook*>(idleHooks_.At(i)))
            hook->RunIdle();
    }
    return 0;
}

void MessagePump::FreeArrays()
{
    filters_.Free();
    idleHooks_.Free();
}
