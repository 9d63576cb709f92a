// Stands in for the search application in end-to-end tests: it writes history.ini in the
// current folder while the tool is open, until a file named "stop" appears there.
//   search_app write <interval ms> <first key>
//       records a new keyword the way the search application does, with the system's
//       WritePrivateProfileStringA: key first, first + 1, ... in the Keywords section.
//   search_app append <interval ms>
//       appends a raw line "a<n>=appended <n>" at the end, creating the file when missing.
// When stopped it leaves "written.txt": one line per write, "<key> <1 when the system
// reported success, else 0>".
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

bool Append(const std::string& line)
{
    const HANDLE file = CreateFileA("history.ini", FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const bool ok = WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr) &&
                    written == line.size();
    CloseHandle(file);
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
        return 2;
    const std::string mode = argv[1];
    const DWORD interval = static_cast<DWORD>(std::atoi(argv[2]));
    const long first = argc > 3 ? std::atol(argv[3]) : 0;
    std::string log;
    for (long n = 0; GetFileAttributesA("stop") == INVALID_FILE_ATTRIBUTES; ++n) {
        std::string key;
        bool ok = false;
        if (mode == "write") {
            key = std::to_string(first + n);
            ok = WritePrivateProfileStringA("Keywords", key.c_str(), ("searched " + key).c_str(), ".\\history.ini") != 0;
        } else {
            key = "a" + std::to_string(n);
            ok = Append(key + "=appended " + std::to_string(n) + "\r\n");
        }
        log += key + (ok ? " 1\n" : " 0\n");
        Sleep(interval);
    }
    FILE* out = std::fopen("written.txt", "wb");
    if (!out)
        return 1;
    std::fwrite(log.data(), 1, log.size(), out);
    std::fclose(out);
    return 0;
}
