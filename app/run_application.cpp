#include "run_application.h"

#include <windows.h>

#include "app_context.h"
#include "message_pump.h"
#include "ui/main_window.h"

int RunApplication(const char*, int showCommand)
{
    MessagePump pump;
    const DWORD thread = GetCurrentThreadId();
    App().RegisterPump(thread, &pump);
    int exitCode = 0;
    {
        MainWindow mainWindow;
        if (mainWindow.Open(showCommand))
            exitCode = pump.Run();
        App().UnregisterPump(thread);
    }
    pump.FreeArrays();
    return exitCode;
}
