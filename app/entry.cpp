#include <windows.h>

#include <commctrl.h>
#include <objbase.h>

#include "app_context.h"
#include "run_application.h"

namespace {

// Starts the platform libraries, sets the module state up, runs the application and tears
// everything down in the reverse order.
int ProcessEntry(HINSTANCE instance, const char* commandLine, int showCommand)
{
    CoInitialize(nullptr);
    // Lets the system finish its window-manager set-up before the first window exists.
    DefWindowProcA(nullptr, 0, 0, 0);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES | ICC_COOL_CLASSES};
    InitCommonControlsEx(&controls);
    int exitCode = 0;
    {
        AppContextScope context(instance);
        exitCode = RunApplication(commandLine, showCommand);
    }
    CoUninitialize();
    return exitCode;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showCommand)
{
    return ProcessEntry(instance, commandLine, showCommand);
}
