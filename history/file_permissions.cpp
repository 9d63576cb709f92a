#include "file_permissions.h"

#include <windows.h>

#include <cstring>
#include <vector>

#include "wide_text.h"

namespace {

std::vector<char> ReadDacl(const std::wstring& path)
{
    DWORD needed = 0;
    GetFileSecurityW(path.c_str(), DACL_SECURITY_INFORMATION, nullptr, 0, &needed);
    std::vector<char> descriptor(needed);
    if (!needed || !GetFileSecurityW(path.c_str(), DACL_SECURITY_INFORMATION, descriptor.data(), needed, &needed))
        descriptor.clear();
    return descriptor;
}

bool SameDacl(std::vector<char>& a, std::vector<char>& b)
{
    BOOL presentA = FALSE, presentB = FALSE, defaultedA = FALSE, defaultedB = FALSE;
    ACL* aclA = nullptr;
    ACL* aclB = nullptr;
    if (a.empty() || b.empty() || !GetSecurityDescriptorDacl(a.data(), &presentA, &aclA, &defaultedA) ||
        !GetSecurityDescriptorDacl(b.data(), &presentB, &aclB, &defaultedB))
        return false;
    if (!presentA || !aclA || !presentB || !aclB)
        return presentA == presentB && !aclA == !aclB;
    return aclA->AclSize == aclB->AclSize && std::memcmp(aclA, aclB, aclA->AclSize) == 0;
}

template <typename Function>
Function WineFunction(const wchar_t* module, const char* name)
{
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(module), name)));
}

// The host's name of a file under Wine, or empty.
std::wstring HostPath(const std::wstring& path)
{
    using UnixName = char*(CDECL*)(const wchar_t*);
    static const auto unixName = WineFunction<UnixName>(L"kernel32.dll", "wine_get_unix_file_name");
    char* name = unixName ? unixName(path.c_str()) : nullptr;
    if (!name)
        return std::wstring();
    std::wstring wide = Widen(name, CP_UTF8);
    HeapFree(GetProcessHeap(), 0, name);
    return wide.find(L'"') == std::wstring::npos ? wide : std::wstring();
}

// Wine keeps a file's rights in its host mode bits and cannot express every mode through a
// security descriptor (an owner-only 0600 file comes out 0660 or 0770), so there the host's
// own chmod copies the mode. Wine gives no handle to wait on for a host program: the copy is
// done when the new file's rights read as the old one's.
void CopyModeOnHost(const std::wstring& from, const std::wstring& to, std::vector<char>& wanted)
{
    using DosName = wchar_t*(CDECL*)(const char*);
    static const auto dosName = WineFunction<DosName>(L"kernel32.dll", "wine_get_dos_file_name");
    const std::wstring hostFrom = HostPath(from);
    const std::wstring hostTo = HostPath(to);
    wchar_t* chmod = dosName ? dosName("/bin/chmod") : nullptr;
    if (!chmod || hostFrom.empty() || hostTo.empty()) {
        HeapFree(GetProcessHeap(), 0, chmod);
        return;
    }
    std::wstring commandLine = L"chmod --reference=\"" + hostFrom + L"\" \"" + hostTo + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    const BOOL started = CreateProcessW(chmod, &commandLine[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                                        nullptr, &startup, &process);
    HeapFree(GetProcessHeap(), 0, chmod);
    if (!started)
        return;
    if (process.hThread)
        CloseHandle(process.hThread);
    if (process.hProcess)
        CloseHandle(process.hProcess);
    for (int waited = 0; waited < 500; ++waited) {
        std::vector<char> now = ReadDacl(to);
        if (SameDacl(now, wanted))
            return;
        Sleep(1);
    }
}

} // namespace

void CopyPermissions(const std::wstring& from, const std::wstring& to)
{
    std::vector<char> wanted = ReadDacl(from);
    std::vector<char> current = ReadDacl(to);
    // A new file usually inherits from its folder what the old one has.
    if (wanted.empty() || SameDacl(wanted, current))
        return;
    if (WineFunction<void*>(L"ntdll.dll", "wine_get_version")) {
        CopyModeOnHost(from, to, wanted);
        return;
    }
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    GetSecurityDescriptorControl(wanted.data(), &control, &revision);
    const SECURITY_INFORMATION what =
        DACL_SECURITY_INFORMATION |
        ((control & SE_DACL_PROTECTED) ? PROTECTED_DACL_SECURITY_INFORMATION : UNPROTECTED_DACL_SECURITY_INFORMATION);
    SetFileSecurityW(to.c_str(), what, wanted.data());
}
