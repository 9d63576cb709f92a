#include "profile_section_read.h"

#include <windows.h>

uint32_t ReadProfileSection(const char* path, const char* section, std::vector<char>& lines)
{
    // The section is never longer than the file; start there and grow while the system
    // reports a full buffer (its count is then two less than the buffer's size).
    WIN32_FILE_ATTRIBUTE_DATA attributes{};
    size_t bytes = 4096;
    if (GetFileAttributesExA(path, GetFileExInfoStandard, &attributes) && !attributes.nFileSizeHigh)
        bytes += attributes.nFileSizeLow;
    const size_t largest = 512u << 20;
    for (; bytes <= largest; bytes *= 2) {
        lines.assign(bytes, 0);
        SetLastError(ERROR_SUCCESS);
        const DWORD got = GetPrivateProfileSectionA(section, lines.data(), static_cast<DWORD>(bytes), path);
        const DWORD error = GetLastError();
        // The reader may keep what it parsed of the file, which under Wine takes three times the
        // file's size, until told to let go of it; telling it writes nothing.
        WritePrivateProfileStringA(nullptr, nullptr, nullptr, path);
        if (got + 2 < bytes) {
            lines.resize(got + 2);
            // Nothing read: a missing file or section, or a file the reader could not open.
            if (got == 0 && error != ERROR_SUCCESS && error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND)
                return error;
            return 0;
        }
    }
    lines.clear();
    return ERROR_NOT_ENOUGH_MEMORY;
}
