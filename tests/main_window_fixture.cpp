#include "main_window_fixture.h"

#include <commctrl.h>

#include "app/app_context.h"
#include "app/unique_any.h"
#include "synthesized_input.h"
#include "time_scale.h"

namespace {

// The key whose release a PressKeys waits for, and whether the thread has taken it from its
// queue yet: whichever loop takes it, the fixture's own or a menu's, the hook sees it.
WORD awaitedKey = 0;
bool awaitedKeyTaken = false;

LRESULT CALLBACK WatchTakenMessages(int code, WPARAM removal, LPARAM lParam)
{
    const MSG* message = reinterpret_cast<const MSG*>(lParam);
    if (code == HC_ACTION && removal == PM_REMOVE && (message->message == WM_KEYUP || message->message == WM_SYSKEYUP) &&
        message->wParam == awaitedKey)
        awaitedKeyTaken = true;
    return CallNextHookEx(nullptr, code, removal, lParam);
}

} // namespace

MainWindowFixture::MainWindowFixture(const std::string& history) : folder(std::make_unique<TempFolder>())
{
    WriteBytes("history.ini", history);
    App().RegisterPump(GetCurrentThreadId(), &pump);
    frame = window.Open(SW_SHOWNORMAL);
    SetForegroundWindow(frame);
    Pump();
}

MainWindowFixture::~MainWindowFixture()
{
    if (IsWindow(frame))
        DestroyWindow(frame);
    // The window posted its quit message; it must not end a later test's loop.
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
    App().UnregisterPump(GetCurrentThreadId());
}

void MainWindowFixture::Pump()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            quitCode = static_cast<int>(message.wParam);
            return;
        }
        if (!pump.FilterPass(&message)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
}

bool MainWindowFixture::PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs)
{
    const DWORD started = GetTickCount();
    for (Pump(); !condition(); Pump()) {
        if (quitCode >= 0 || GetTickCount() - started >= Scaled(timeoutMs))
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
}

void MainWindowFixture::Command(UINT id)
{
    SendMessageA(frame, WM_COMMAND, id, 0);
    // As a user would, the test goes on once the look at the file after a write has been.
    PumpUntil([this] { return !window.Document() || !window.Document()->LookDue(); });
}

void MainWindowFixture::PressKeys(std::initializer_list<WORD> keys)
{
    // The first key pressed is the last released.
    const UniqueHook watch(SetWindowsHookExA(WH_GETMESSAGE, WatchTakenMessages, nullptr, GetCurrentThreadId()));
    awaitedKey = *keys.begin();
    awaitedKeyTaken = false;
    ::PressKeys(keys);
    PumpUntil([] { return awaitedKeyTaken; });
}

std::vector<std::string> MainWindowFixture::Rows()
{
    std::vector<std::string> rows;
    const HWND list = window.List();
    const auto count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < count; ++row) {
        char number[16] = {}, text[300] = {};
        LVITEMA item{};
        item.pszText = number;
        item.cchTextMax = sizeof number;
        SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
        item.iSubItem = 1;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
        rows.push_back(std::string(number) + ":" + text);
    }
    return rows;
}

void MainWindowFixture::SelectRows(std::initializer_list<int> rows)
{
    LVITEMA none{};
    none.stateMask = LVIS_SELECTED;
    SendMessageA(window.List(), LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&none));
    for (int row : rows) {
        LVITEMA item{};
        item.stateMask = LVIS_SELECTED;
        item.state = LVIS_SELECTED;
        SendMessageA(window.List(), LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
    }
}

std::vector<int> MainWindowFixture::SelectedRows()
{
    std::vector<int> rows;
    for (int row = -1; (row = static_cast<int>(SendMessageA(window.List(), LVM_GETNEXTITEM, row, LVNI_SELECTED))) >= 0;)
        rows.push_back(row);
    return rows;
}

std::string MainWindowFixture::StatusText(int part)
{
    char status[256] = {};
    SendMessageA(window.StatusBar(), SB_GETTEXTA, part, reinterpret_cast<LPARAM>(status));
    return status;
}

void MainWindowFixture::Type(const std::string& text)
{
    for (char c : text)
        SendMessageA(window.KeywordBox(), WM_CHAR, static_cast<unsigned char>(c), 1);
    Pump();
}
