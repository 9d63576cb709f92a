#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "app/message_pump.h"

namespace {

std::vector<UINT> received;

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    received.push_back(message);
    return DefWindowProcA(window, message, wParam, lParam);
}

// A message-only window that records what is dispatched to it.
class RecordingWindow {
public:
    RecordingWindow()
    {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = RecordingProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "PumpTestWindow";
        RegisterClassA(&windowClass);
        handle = CreateWindowA("PumpTestWindow", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, windowClass.hInstance, nullptr);
        received.clear();
    }
    ~RecordingWindow() { DestroyWindow(handle); }
    HWND handle;
};

struct CountingFilter : PumpFilter {
    explicit CountingFilter(int consumes) : consumes_(consumes) {}
    int FilterMessage(MSG*) override
    {
        ++asked;
        return consumes_;
    }
    int asked = 0;
    int consumes_;
};

TEST(MessagePump, TheFilterRegisteredLastIsAskedFirst)
{
    MessagePump pump;
    CountingFilter first(0), second(1);
    pump.AddFilter(&first);
    pump.AddFilter(&second);
    MSG message{};
    EXPECT_EQ(1, pump.FilterPass(&message));
    EXPECT_EQ(1, second.asked);
    EXPECT_EQ(0, first.asked);
    CountingFilter passing(0);
    MessagePump other;
    other.AddFilter(&passing);
    EXPECT_EQ(0, other.FilterPass(&message));
    EXPECT_EQ(0, MessagePump().FilterPass(&message));
}

TEST(MessagePump, UnfilteredMessagesAreTranslatedAndDispatchedAndQuitEndsTheLoop)
{
    RecordingWindow window;
    MessagePump pump;
    PostMessageA(window.handle, WM_KEYDOWN, 'A', 0x001E0001);
    PostQuitMessage(7);
    EXPECT_EQ(7, pump.Run());
    EXPECT_NE(received.end(), std::find(received.begin(), received.end(), static_cast<UINT>(WM_CHAR)));
}

TEST(MessagePump, ConsumedMessagesAreNotDispatched)
{
    RecordingWindow window;
    MessagePump pump;
    CountingFilter consuming(1);
    pump.AddFilter(&consuming);
    PostMessageA(window.handle, WM_APP, 0, 0);
    PostQuitMessage(0);
    EXPECT_EQ(0, pump.Run());
    EXPECT_TRUE(received.empty());
    EXPECT_EQ(1, consuming.asked);
}

// Posts one message per idle run and notes whether a timer message came in between: mouse
// moves and repaints must not re-arm idle processing, other messages must.
struct ScriptedIdle : IdleHook {
    explicit ScriptedIdle(HWND window) : window_(window) {}
    int RunIdle() override
    {
        timerBefore.push_back(std::count(received.begin(), received.end(), static_cast<UINT>(WM_TIMER)));
        received.clear();
        const UINT script[] = {WM_MOUSEMOVE, WM_NCMOUSEMOVE, 0x0118, WM_APP};
        if (runs < 4) {
            PostMessageA(window_, script[runs], 0, 0);
            SetTimer(window_, 1, 150, nullptr);
        } else {
            KillTimer(window_, 1);
            PostQuitMessage(0);
        }
        ++runs;
        return 1;
    }
    HWND window_;
    int runs = 0;
    std::vector<long> timerBefore;
};

TEST(MessagePump, OnlyMessagesOtherThanMouseMovesAndRepaintsRearmIdleWork)
{
    RecordingWindow window;
    MessagePump pump;
    ScriptedIdle idle(window.handle);
    pump.AddIdleHook(&idle);
    pump.Run();
    // Runs 2 to 4 needed a timer message to wake them; run 5 followed WM_APP directly.
    ASSERT_EQ(5, idle.runs);
    EXPECT_EQ(0, idle.timerBefore[0]);
    EXPECT_GE(idle.timerBefore[1], 1);
    EXPECT_GE(idle.timerBefore[2], 1);
    EXPECT_GE(idle.timerBefore[3], 1);
    EXPECT_EQ(0, idle.timerBefore[4]);
}

} // namespace
