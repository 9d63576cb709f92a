// Long use: thousands of filter keystrokes, reloads and menu openings on a 10,000-keyword
// history. Prints the process's committed memory and the free GDI capacity after the first
// round and at the end; they must stay the same within a small tolerance.
#include <windows.h>

#include <commctrl.h>
#include <psapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench_session.h"
#include "ui/main_window.h"
#include "ui/resource.h"

namespace {

void WriteHistory(int keywords)
{
    std::string file = "[Keywords]\r\nStartPos=0\r\nEndPos=" + std::to_string(keywords) + "\r\n";
    for (int n = 0; n < keywords; ++n)
        file += std::to_string(n) + "=" + (n % 2 ? "Wine bar " : "\x95\x5C\x8E\xA6 search ") + std::to_string(n) + "\r\n";
    BenchSession::WriteHistory(file);
}

// The memory committed for the process alone (Wine leaves PrivateUsage at 0).
size_t PrivateKilobytes()
{
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters.PagefileUsage / 1024;
}

// GetGuiResources answers 0 under Wine: count how many brushes can still be made instead.
int FreeGdiCapacity()
{
    std::vector<HBRUSH> brushes;
    while (HBRUSH brush = CreateSolidBrush(RGB(brushes.size() & 0xFF, 0, 0)))
        brushes.push_back(brush);
    for (HBRUSH brush : brushes)
        DeleteObject(brush);
    return static_cast<int>(brushes.size());
}

void Pump()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

BOOL CALLBACK FindMenuWindow(HWND window, LPARAM found)
{
    char name[16] = {};
    GetClassNameA(window, name, sizeof name);
    if (lstrcmpA(name, "#32768") == 0 && IsWindowVisible(window)) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

// Ends the menu loop once its popup window is there.
void CALLBACK CloseOpenMenu(HWND, UINT, UINT_PTR timer, DWORD)
{
    HWND menu = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindMenuWindow, reinterpret_cast<LPARAM>(&menu));
    if (menu) {
        KillTimer(nullptr, timer);
        EndMenu();
    }
}

// One round: keystrokes typing and erasing a word, reloads, and menus opened from the bar.
void Round(MainWindow& window, int keystrokes, int reloads, int menus)
{
    const HWND box = window.KeywordBox();
    const char word[] = "wine";
    for (int i = 0; i < keystrokes; ++i) {
        const int step = i % 8;
        SendMessageA(box, WM_CHAR, step < 4 ? static_cast<unsigned char>(word[step]) : '\b', 1);
        UpdateWindow(window.List());
        Pump();
    }
    for (int i = 0; i < reloads; ++i) {
        SendMessageA(window.Window(), WM_COMMAND, ID_HISTORY_RELOAD, 0);
        UpdateWindow(window.List());
        Pump();
    }
    for (int i = 0; i < menus; ++i) {
        const UINT_PTR timer = SetTimer(nullptr, 0, 1, CloseOpenMenu);
        window.Bar().DropDownBarMenu(i % 4, false);
        KillTimer(nullptr, timer);
        Pump();
    }
}

} // namespace

int main()
{
    const BenchSession session("tnw-soak");
    WriteHistory(10000);

    MainWindow window;
    window.Open(SW_SHOWNORMAL);
    // The first round is a tenth of the long one: enough for the heap to reach its working size.
    Round(window, 1000, 100, 100);
    // The GDI probe makes tens of thousands of brushes, and the heap does not always give that
    // memory back: it is probed before the memory is taken, so both figures come after it.
    const int gdiAfterFirst = FreeGdiCapacity();
    const size_t memoryAfterFirst = PrivateKilobytes();
    // In quarters, to see whether the memory levels off or keeps growing.
    for (int quarter = 1; quarter <= 4; ++quarter) {
        Round(window, 2500, 250, 250);
        std::printf("soak-private-kb-quarter-%d 10000 %zu\n", quarter, PrivateKilobytes());
        std::fflush(stdout);
    }
    const size_t memoryAtEnd = PrivateKilobytes();
    const int gdiAtEnd = FreeGdiCapacity();
    std::printf("soak-private-kb-first-round 10000 %zu\nsoak-private-kb-end 10000 %zu\n", memoryAfterFirst, memoryAtEnd);
    std::printf("soak-gdi-free-first-round 10000 %d\nsoak-gdi-free-end 10000 %d\n", gdiAfterFirst, gdiAtEnd);
    DestroyWindow(window.Window());
    // Within 2 MB of memory and without losing a single GDI object.
    const bool steady = memoryAtEnd <= memoryAfterFirst + 2048 && gdiAtEnd == gdiAfterFirst;
    std::printf("soak %s\n", steady ? "steady" : "GROWING");
    return steady ? 0 : 1;
}
