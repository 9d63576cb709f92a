#include "bench_session.h"

#include <commctrl.h>

#include "app/unique_any.h"

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

void BenchSession::WriteFileBytes(const char* path, const std::string& bytes)
{
    const UniqueFile out(CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    WriteFile(out.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}
