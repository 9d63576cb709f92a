// Works the tool's window for the scripts: "wait TITLE" returns once a visible window with
// that title has painted and gone idle; "close TITLE" asks it to close as its close box would;
// "keys TITLE KEYS" brings it to the front and types the keys (a letter, or @ for Alt held
// with the next key, ~ for Escape); "flatmenus 0|1" switches the system's flat menus.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

HWND FindTool(const char* title)
{
    for (int tries = 0; tries < 300; ++tries) {
        HWND window = FindWindowA(nullptr, title);
        if (window && IsWindowVisible(window))
            return window;
        Sleep(100);
    }
    std::fprintf(stderr, "winctl: no window titled %s\n", title);
    return nullptr;
}

void Press(std::vector<WORD> keys)
{
    std::vector<INPUT> inputs;
    for (WORD key : keys) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = key;
        inputs.push_back(input);
    }
    for (auto key = keys.rbegin(); key != keys.rend(); ++key) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = *key;
        input.ki.dwFlags = KEYEVENTF_KEYUP;
        inputs.push_back(input);
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    Sleep(300);
}

int TypeKeys(HWND window, const char* keys)
{
    SetForegroundWindow(window);
    Sleep(300);
    for (const char* c = keys; *c; ++c) {
        if (*c == '@' && c[1])
            Press({VK_MENU, static_cast<WORD>(*++c)});
        else if (*c == '~')
            Press({VK_ESCAPE});
        else
            Press({static_cast<WORD>(*c)});
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc >= 3 && std::strcmp(argv[1], "flatmenus") == 0) {
        const BOOL flat = std::atoi(argv[2]) != 0;
        return SystemParametersInfoA(SPI_SETFLATMENU, 0, reinterpret_cast<void*>(static_cast<INT_PTR>(flat)),
                                     SPIF_UPDATEINIFILE | SPIF_SENDCHANGE)
                   ? 0
                   : 1;
    }
    if (argc < 3) {
        std::fprintf(stderr, "usage: winctl wait|close TITLE | keys TITLE KEYS | flatmenus 0|1\n");
        return 2;
    }
    const HWND window = FindTool(argv[2]);
    if (!window)
        return 1;
    if (std::strcmp(argv[1], "close") == 0)
        return PostMessageA(window, WM_CLOSE, 0, 0) ? 0 : 1;
    if (std::strcmp(argv[1], "keys") == 0 && argc == 4)
        return TypeKeys(window, argv[3]);
    DWORD_PTR answer = 0;
    SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &answer);
    Sleep(500);
    return 0;
}
