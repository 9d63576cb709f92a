#include "tool_process.h"

#include <psapi.h>

#include <cstdlib>

#include "time_scale.h"

namespace {

// The build passes a path as the host system writes it; Wine maps the host's root to Z:.
std::string ProgramPath(const char* variable)
{
    std::string path = std::getenv(variable) ? std::getenv(variable) : "";
    if (!path.empty() && path[0] == '/')
        path = "Z:" + path;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

struct WindowSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindVisibleTopWindow(HWND window, LPARAM parameter)
{
    auto* search = reinterpret_cast<WindowSearch*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->processId && IsWindowVisible(window) && !GetWindow(window, GW_OWNER)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

} // namespace

ToolProcess::ToolProcess(const std::string& folder, const std::string& arguments, const char* programVariable)
{
    std::string commandLine = "\"" + ProgramPath(programVariable) + "\" " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup, &info)) {
        CloseHandle(info.hThread);
        process_ = info.hProcess;
        processId_ = info.dwProcessId;
    }
}

ToolProcess::~ToolProcess()
{
    if (!process_)
        return;
    if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT)
        TerminateProcess(process_, 99);
    CloseHandle(process_);
}

HWND ToolProcess::WaitForWindow(DWORD timeoutMs)
{
    if (!process_)
        return nullptr;
    timeoutMs = Scaled(timeoutMs);
    WaitForInputIdle(process_, timeoutMs);
    for (DWORD waited = 0; waited < timeoutMs; waited += 50) {
        WindowSearch search{processId_, nullptr};
        EnumWindows(FindVisibleTopWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found)
            return window_ = search.found;
        Sleep(50);
    }
    return nullptr;
}

DWORD ToolProcess::Close()
{
    PostMessageA(window_, WM_CLOSE, 0, 0);
    return WaitForExit();
}

void ToolProcess::Kill()
{
    TerminateProcess(process_, 99);
    WaitForSingleObject(process_, INFINITE);
}

DWORD ToolProcess::WaitForExit(DWORD timeoutMs)
{
    DWORD code = STILL_ACTIVE;
    if (process_ && WaitForSingleObject(process_, Scaled(timeoutMs)) == WAIT_OBJECT_0)
        GetExitCodeProcess(process_, &code);
    return code;
}

size_t ToolProcess::WorkingSetBytes() const
{
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    return GetProcessMemoryInfo(process_, &counters, sizeof counters) ? counters.WorkingSetSize : 0;
}
