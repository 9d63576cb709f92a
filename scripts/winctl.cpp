// Finds the tool's window for the run script: "wait TITLE" returns once a visible window with
// that title has painted and gone idle, "close TITLE" asks it to close as its close box would.
#include <windows.h>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: winctl wait|close TITLE\n");
        return 2;
    }
    const char* title = argv[2];
    for (int tries = 0; tries < 300; ++tries) {
        HWND window = FindWindowA(nullptr, title);
        if (window && IsWindowVisible(window)) {
            if (std::strcmp(argv[1], "close") == 0)
                return PostMessageA(window, WM_CLOSE, 0, 0) ? 0 : 1;
            DWORD_PTR answer = 0;
            SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &answer);
            Sleep(500);
            return 0;
        }
        Sleep(100);
    }
    std::fprintf(stderr, "winctl: no window titled %s\n", title);
    return 1;
}
