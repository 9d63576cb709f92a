#include "thread_windows.h"

namespace {

struct Search {
    const char* name;
    HWND found;
};

BOOL CALLBACK Visit(HWND window, LPARAM parameter)
{
    auto* search = reinterpret_cast<Search*>(parameter);
    char name[32] = {};
    GetClassNameA(window, name, sizeof name);
    if (lstrcmpA(name, search->name) == 0 && IsWindowVisible(window)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

} // namespace

HWND FindVisibleThreadWindow(const char* className)
{
    Search search{className, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), Visit, reinterpret_cast<LPARAM>(&search));
    return search.found;
}
