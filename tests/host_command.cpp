#include "host_command.h"

#include <windows.h>

#include <string>

#include "temp_folder.h"
#include "time_scale.h"

int RunOnHost(const std::string& command, unsigned timeoutMs)
{
    static unsigned serial = 0;
    const std::string status = "/tmp/tnw-host-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++serial);
    const std::string statusFile = "Z:" + status;
    DeleteFileA(statusFile.c_str());
    std::string commandLine = "/bin/sh -c \"" + command + "; echo $? > " + status + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA("Z:\\bin\\sh", &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return -1;
    if (process.hThread)
        CloseHandle(process.hThread);
    if (process.hProcess)
        CloseHandle(process.hProcess);
    for (unsigned waited = 0; waited < Scaled(timeoutMs); waited += 10) {
        const std::string text = ReadBytes(statusFile);
        if (!text.empty() && text.back() == '\n') {
            DeleteFileA(statusFile.c_str());
            return std::stoi(text);
        }
        Sleep(10);
    }
    return -1;
}

std::string HostPath(const std::string& windowsPath)
{
    using UnixName = char*(CDECL*)(const wchar_t*);
    const auto unixName = reinterpret_cast<UnixName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    wchar_t wide[MAX_PATH * 4] = {};
    MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, wide, MAX_PATH * 4);
    char* name = unixName ? unixName(wide) : nullptr;
    const std::string path = name ? name : "";
    HeapFree(GetProcessHeap(), 0, name);
    return path;
}

bool MakeLink(const std::string& target, const std::string& link)
{
    return RunOnHost("ln -s " + target + " " + link) == 0 && GetFileAttributesA(link.c_str()) != INVALID_FILE_ATTRIBUTES;
}
