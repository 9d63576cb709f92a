#include "bench_session.h"

#include <commctrl.h>

BenchSession::CommonControls::CommonControls()
{
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES | ICC_COOL_CLASSES};
    InitCommonControlsEx(&controls);
}

BenchSession::BenchSession(const char* folderName) : context_(GetModuleHandleA(nullptr))
{
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    char current[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, current);
    previous_ = current;
    scratch_ = std::string(folder) + folderName;
    CreateDirectoryA(scratch_.c_str(), nullptr);
    SetCurrentDirectoryA(scratch_.c_str());
}

BenchSession::~BenchSession()
{
    DeleteFileA("history.ini");
    SetCurrentDirectoryA(previous_.c_str());
    RemoveDirectoryA(scratch_.c_str());
}

void BenchSession::WriteHistory(const std::string& bytes)
{
    HANDLE out = CreateFileA("history.ini", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(out);
}
