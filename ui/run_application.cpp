// The program's composition root: the one place that knows both the pump and the main window.
#include "app/run_application.h"

#include <windows.h>

#include "app/app_context.h"
#include "app/message_pump.h"
#include "main_window.h"

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
