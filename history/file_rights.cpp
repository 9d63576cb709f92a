#include "file_rights.h"

namespace {

bool UnderWine() { return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr; }

// Wine keeps a file's rights in its host mode bits. It shows them as an access list in which
// the owner always has every right, executing included, and makes a new file's mode from such
// a list, so the list copied as it is gives a history of mode 0644 the mode 0755. Without the
// right to execute, the owner's and everybody's reading and writing come out as they were;
// Wine has no way to say "the owner only", so a mode 0600 comes out 0640. Windows keeps a list
// as it is given, and there it is copied whole.
void WithoutExecuting(std::vector<char>& descriptor)
{
    BOOL present = FALSE, defaulted = FALSE;
    ACL* list = nullptr;
    if (!GetSecurityDescriptorDacl(descriptor.data(), &present, &list, &defaulted) || !present || !list)
        return;
    for (DWORD i = 0; i < list->AceCount; ++i) {
        void* entry = nullptr;
        if (GetAce(list, i, &entry) && static_cast<ACE_HEADER*>(entry)->AceType == ACCESS_ALLOWED_ACE_TYPE)
            static_cast<ACCESS_ALLOWED_ACE*>(entry)->Mask &= ~(FILE_EXECUTE | GENERIC_EXECUTE);
    }
}

} // namespace

uint32_t FileRights::ReadFrom(const std::wstring& path)
{
    DWORD needed = 0;
    GetFileSecurityW(path.c_str(), DACL_SECURITY_INFORMATION, nullptr, 0, &needed);
    // A file system without access lists (FAT) has no rights to keep.
    if (!needed && (GetLastError() == ERROR_NOT_SUPPORTED || GetLastError() == ERROR_INVALID_FUNCTION))
        return 0;
    if (!needed)
        return GetLastError();
    descriptor_.assign(needed, 0);
    if (!GetFileSecurityW(path.c_str(), DACL_SECURITY_INFORMATION, descriptor_.data(), needed, &needed))
        return GetLastError();
    if (UnderWine())
        WithoutExecuting(descriptor_);
    attributes_ = {sizeof attributes_, descriptor_.data(), FALSE};
    return 0;
}
