#include "run_application.h"

#include <windows.h>

#include "app_context.h"
#include "message_pump.h"

namespace {

// Until the main window exists, a plain window titled like the tool stands in for it so
// that the pump runs and the process ends with the window.
LRESULT CALLBACK StandInProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND CreateStandInWindow()
{
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = StandInProc;
    windowClass.hInstance = App().instance;
    windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = "TNW:StandIn";
    RegisterClassExA(&windowClass);
    return CreateWindowExA(WS_EX_APPWINDOW | WS_EX_WINDOWEDGE, windowClass.lpszClassName, "Tarnwell",
                           WS_OVERLAPPEDWINDOW | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT,
                           500, 550, nullptr, nullptr, App().instance, nullptr);
}

} // namespace

int RunApplication(const char*, int showCommand)
{
    MessagePump pump;
    const DWORD thread = GetCurrentThreadId();
    App().RegisterPump(thread, &pump);
    const HWND window = CreateStandInWindow();
    int exitCode = 0;
    if (window) {
        ShowWindow(window, showCommand);
        exitCode = pump.Run();
    }
    App().UnregisterPump(thread);
    pump.FreeArrays();
    return exitCode;
}
