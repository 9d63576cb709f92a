#include "message_box_answerer.h"

#include "time_scale.h"

namespace {

// A message box's text control; its icon is the static control with an icon style, whose
// number differs between systems.
constexpr int kTextId = 0xFFFF;

struct Search {
    HWND found;
};

BOOL CALLBACK FindBox(HWND window, LPARAM parameter)
{
    char name[16] = {};
    GetClassNameA(window, name, sizeof name);
    if (lstrcmpA(name, "#32770") != 0 || !IsWindowVisible(window))
        return TRUE;
    reinterpret_cast<Search*>(parameter)->found = window;
    return FALSE;
}

BOOL CALLBACK FindIcon(HWND control, LPARAM parameter)
{
    if ((GetWindowLongA(control, GWL_STYLE) & SS_TYPEMASK) != SS_ICON)
        return TRUE;
    *reinterpret_cast<HICON*>(parameter) = reinterpret_cast<HICON>(SendMessageA(control, STM_GETICON, 0, 0));
    return FALSE;
}

} // namespace

MessageBoxAnswerer::MessageBoxAnswerer(DWORD threadId) : threadId_(threadId)
{
    InitializeCriticalSection(&lock_);
    thread_ = CreateThread(nullptr, 0, Run, this, 0, nullptr);
}

MessageBoxAnswerer::~MessageBoxAnswerer()
{
    InterlockedExchange(&stop_, 1);
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
    DeleteCriticalSection(&lock_);
}

std::vector<MessageBoxAnswerer::Box> MessageBoxAnswerer::Boxes()
{
    EnterCriticalSection(&lock_);
    std::vector<Box> boxes = boxes_;
    LeaveCriticalSection(&lock_);
    return boxes;
}

std::vector<MessageBoxAnswerer::Box> MessageBoxAnswerer::WaitForBoxes(size_t count, DWORD timeoutMs)
{
    Eventually([&] { return Boxes().size() >= count; }, timeoutMs);
    return Boxes();
}

DWORD WINAPI MessageBoxAnswerer::Run(void* self)
{
    auto* answerer = static_cast<MessageBoxAnswerer*>(self);
    HWND answered = nullptr;
    while (!answerer->stop_) {
        Search search{nullptr};
        EnumThreadWindows(answerer->threadId_, FindBox, reinterpret_cast<LPARAM>(&search));
        if (search.found && search.found != answered) {
            answerer->Answer(search.found);
            answered = search.found;
        }
        Sleep(10);
    }
    return 0;
}

void MessageBoxAnswerer::Answer(HWND box)
{
    const DWORD shownAt = GetTickCount();
    char title[256] = {}, text[2048] = {};
    GetWindowTextA(box, title, sizeof title);
    GetDlgItemTextA(box, kTextId, text, sizeof text);
    HICON icon = nullptr;
    EnumChildWindows(box, FindIcon, reinterpret_cast<LPARAM>(&icon));
    EnterCriticalSection(&lock_);
    boxes_.push_back({GetWindow(box, GW_OWNER), title, text, icon && icon == LoadIcon(nullptr, IDI_WARNING), shownAt});
    LeaveCriticalSection(&lock_);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
}
