#pragma once

#include <windows.h>

#include <string>

// A program of the build, the real Morvek.exe by default, started as its own process in a
// folder of the test's choosing.
class ToolProcess {
public:
    // Starts the program whose path the environment variable names, in the folder.
    explicit ToolProcess(const std::string& folder, const std::string& arguments = std::string(),
                         const char* programVariable = "MORVEK_EXE");
    ~ToolProcess();
    ToolProcess(const ToolProcess&) = delete;
    ToolProcess& operator=(const ToolProcess&) = delete;

    bool Started() const { return process_ != nullptr; }
    // The tool's top-level window once it is visible, or null after the timeout.
    HWND WaitForWindow(DWORD timeoutMs = 20000);
    // The exit code once the process has ended, or STILL_ACTIVE after the timeout.
    DWORD WaitForExit(DWORD timeoutMs = 20000);
    // Closes the window WaitForWindow found, as its close box would, and waits for the exit code.
    DWORD Close();
    // Stops the process at once, as a crash or the task manager would, and waits until it has.
    void Kill();
    // The memory the process has in use now: its working set, in bytes.
    size_t WorkingSetBytes() const;

private:
    HANDLE process_ = nullptr;
    HWND window_ = nullptr;
    DWORD processId_ = 0;
};
