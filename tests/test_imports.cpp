// Morvek.exe must start on every Windows from XP SP3 on: the loader refuses a program that
// imports a function the system lacks, or asks for a newer subsystem.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "temp_folder.h"

namespace {

// Functions that Windows XP SP3 lacks and that a build could pull in: from the program's own
// code, the C++ runtime or the threads runtime beneath it.
const std::set<std::string> kNewerThanXp = {
    // kernel32
    "GetTickCount64", "GetFinalPathNameByHandleA", "GetFinalPathNameByHandleW", "SetFileInformationByHandle",
    "GetFileInformationByHandleEx", "CreateSymbolicLinkA", "CreateSymbolicLinkW", "InitializeCriticalSectionEx",
    "InitOnceExecuteOnce", "InitOnceBeginInitialize", "InitOnceComplete", "InitializeSRWLock",
    "AcquireSRWLockExclusive", "AcquireSRWLockShared", "ReleaseSRWLockExclusive", "ReleaseSRWLockShared",
    "TryAcquireSRWLockExclusive", "InitializeConditionVariable", "SleepConditionVariableCS",
    "SleepConditionVariableSRW", "WakeConditionVariable", "WakeAllConditionVariable", "FlsAlloc", "FlsFree",
    "FlsGetValue", "FlsSetValue", "CompareStringEx", "LCMapStringEx", "GetLocaleInfoEx", "LCIDToLocaleName",
    "LocaleNameToLCID", "GetUserDefaultLocaleName", "GetSystemTimePreciseAsFileTime", "QueryFullProcessImageNameA",
    "QueryFullProcessImageNameW", "GetErrorMode", "CancelIoEx", "CreateEventExA", "CreateEventExW",
    "CreateMutexExA", "CreateMutexExW", "CreateSemaphoreExA", "CreateSemaphoreExW", "GetProductInfo",
    "SetThreadStackGuarantee", "GetCurrentProcessorNumber", "CreateFile2", "GetFileAttributesTransactedW",
    "MoveFileTransactedW", "CopyFile2", "GetNativeSystemInfo", "Wow64DisableWow64FsRedirection",
    "GetThreadId", "GetProcessId",
    // user32
    "SetProcessDPIAware", "ChangeWindowMessageFilter", "ChangeWindowMessageFilterEx", "GetDpiForWindow",
    "GetDpiForSystem", "GetSystemMetricsForDpi", "SystemParametersInfoForDpi", "AdjustWindowRectExForDpi",
    "GetDpiForMonitor", "EnableNonClientDpiScaling", "SetProcessDpiAwarenessContext", "IsProcessDPIAware", "AddClipboardFormatListener",
    "ShutdownBlockReasonCreate", "GetWindowDisplayAffinity", "RegisterPowerSettingNotification",
    // advapi32
    "RegGetValueA", "RegGetValueW", "RegDeleteTreeA", "RegDeleteTreeW", "RegSetKeyValueA", "RegSetKeyValueW",
    // comctl32
    "TaskDialog", "TaskDialogIndirect", "LoadIconMetric", "LoadIconWithScaleDown",
};

struct Imports {
    std::vector<std::string> functions; // "dll!function"
    WORD subsystemMajor = 0;
    WORD subsystemMinor = 0;
    WORD systemMajor = 0;
    WORD systemMinor = 0;
};

// Reads the import table of a 32-bit program file.
bool ReadImports(const std::string& bytes, Imports& imports)
{
    if (bytes.size() < sizeof(IMAGE_DOS_HEADER))
        return false;
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(bytes.data());
    if (dos->e_magic != IMAGE_DOS_SIGNATURE || bytes.size() < dos->e_lfanew + sizeof(IMAGE_NT_HEADERS32))
        return false;
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(bytes.data() + dos->e_lfanew);
    if (nt->Signature != IMAGE_NT_SIGNATURE || nt->OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR32_MAGIC)
        return false;
    imports.subsystemMajor = nt->OptionalHeader.MajorSubsystemVersion;
    imports.subsystemMinor = nt->OptionalHeader.MinorSubsystemVersion;
    imports.systemMajor = nt->OptionalHeader.MajorOperatingSystemVersion;
    imports.systemMinor = nt->OptionalHeader.MinorOperatingSystemVersion;
    const IMAGE_SECTION_HEADER* sections = IMAGE_FIRST_SECTION(nt);
    const auto at = [&](DWORD rva) -> const char* {
        for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i) {
            const IMAGE_SECTION_HEADER& section = sections[i];
            if (rva >= section.VirtualAddress && rva < section.VirtualAddress + section.Misc.VirtualSize) {
                const DWORD offset = rva - section.VirtualAddress + section.PointerToRawData;
                return offset < bytes.size() ? bytes.data() + offset : nullptr;
            }
        }
        return nullptr;
    };
    const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    auto* descriptor = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(at(directory.VirtualAddress));
    for (; descriptor && descriptor->Name; ++descriptor) {
        const std::string dll = at(descriptor->Name);
        const DWORD thunks = descriptor->OriginalFirstThunk ? descriptor->OriginalFirstThunk : descriptor->FirstThunk;
        for (auto* thunk = reinterpret_cast<const IMAGE_THUNK_DATA32*>(at(thunks)); thunk && thunk->u1.AddressOfData;
             ++thunk) {
            if (thunk->u1.Ordinal & IMAGE_ORDINAL_FLAG32)
                continue;
            const auto* byName = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(at(thunk->u1.AddressOfData));
            if (byName)
                imports.functions.push_back(dll + "!" + reinterpret_cast<const char*>(byName->Name));
        }
    }
    return !imports.functions.empty();
}

TEST(Imports, TheProgramStartsOnWindowsXp)
{
    std::string path = std::getenv("MORVEK_EXE") ? std::getenv("MORVEK_EXE") : "";
    if (!path.empty() && path[0] == '/')
        path = "Z:" + path;
    Imports imports;
    ASSERT_TRUE(ReadImports(ReadBytes(path), imports)) << path;
    for (const std::string& function : imports.functions)
        EXPECT_EQ(0u, kNewerThanXp.count(function.substr(function.find('!') + 1))) << function;
    EXPECT_LE(imports.subsystemMajor * 100 + imports.subsystemMinor, 501);
    EXPECT_LE(imports.systemMajor * 100 + imports.systemMinor, 501);
    // The reader found the imports every build has.
    EXPECT_NE(imports.functions.end(),
              std::find(imports.functions.begin(), imports.functions.end(), "KERNEL32.dll!CreateFileW"));
}

} // namespace
