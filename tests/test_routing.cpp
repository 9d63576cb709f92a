#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/app_context.h"
#include "app/subclassed_window.h"
#include "app/window_class.h"
#include "app/window_object.h"

namespace {

// Remembers which window each message arrived for and handles what it is told to.
class RecordingObject : public WindowObject {
public:
    BOOL HandleMessage(HWND window, UINT message, WPARAM, LPARAM, LRESULT& result, DWORD handlerSet) override
    {
        if (message == WM_CREATE)
            createdWindow = window;
        if (message == WM_APP + 1) {
            lastHandlerSet = handlerSet;
            result = 77;
            return TRUE;
        }
        return FALSE;
    }
    void LastMessageDone(HWND oldWindow) override { endedWindow = oldWindow; }

    HWND createdWindow = nullptr;
    HWND endedWindow = nullptr;
    DWORD lastHandlerSet = 99;
};

WindowClassRecord& PlainClass()
{
    static WindowClassRecord record = FrameClassRecord(0);
    return record;
}

WindowClassRecord& ListClass()
{
    static WindowClassRecord record =
        SuperclassRecord(WC_LISTVIEWA, nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN);
    return record;
}

HWND CreatePlain(WindowObject& object, HWND parent = nullptr)
{
    return CreateRoutedWindow(&object, PlainClass(), parent, nullptr, "routed", WS_OVERLAPPEDWINDOW, 0, nullptr,
                              nullptr);
}

std::string ClassNameOf(HWND window)
{
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

TEST(Routing, EachWindowReachesItsOwnObject)
{
    RecordingObject first, second;
    const HWND a = CreatePlain(first);
    const HWND b = CreatePlain(second);
    ASSERT_TRUE(a && b);
    EXPECT_EQ(a, first.Window());
    EXPECT_EQ(a, first.createdWindow);
    EXPECT_EQ(b, second.Window());
    EXPECT_EQ(b, second.createdWindow);
    EXPECT_EQ(77, SendMessageA(b, WM_APP + 1, 0, 0));
    EXPECT_EQ(0u, second.lastHandlerSet);
    EXPECT_EQ(99u, first.lastHandlerSet);
    EXPECT_EQ(nullptr, App().pendingWindows);
    DestroyWindow(a);
    DestroyWindow(b);
}

TEST(Routing, AClassIsRegisteredOnceUnderAGeneratedName)
{
    WindowClassRecord& record = PlainClass();
    const ATOM atom = RegisterWindowClass(record, nullptr);
    ASSERT_NE(0, atom);
    EXPECT_EQ(atom, RegisterWindowClass(record, nullptr));
    const std::string name = record.generatedName;
    ASSERT_EQ(12u, name.size());
    EXPECT_EQ("TNW:", name.substr(0, 4));
    EXPECT_EQ(std::string::npos, name.find_first_not_of("0123456789ABCDEF", 4));
}

TEST(Routing, ARoutedListViewThatHandlesNothingIsAPlainListView)
{
    RecordingObject host, list;
    const HWND frame = CreatePlain(host);
    const HWND view = CreateRoutedWindow(&list, ListClass(), frame, nullptr, nullptr, WS_CHILD | LVS_REPORT, 0,
                                         nullptr, nullptr);
    ASSERT_NE(nullptr, view);
    EXPECT_EQ(std::string(ListClass().generatedName), ClassNameOf(view));
    // Without a control ID the object's address serves as one.
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(&list), GetWindowLongPtrA(view, GWLP_ID));
    LVCOLUMNA column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.cx = 80;
    column.pszText = const_cast<char*>("c");
    SendMessageA(view, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
    for (const char* text : {"one", "two"}) {
        LVITEMA item{};
        item.mask = LVIF_TEXT;
        item.pszText = const_cast<char*>(text);
        SendMessageA(view, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    }
    EXPECT_EQ(2, SendMessageA(view, LVM_GETITEMCOUNT, 0, 0));
    char text[16] = {};
    LVITEMA get{};
    get.pszText = text;
    get.cchTextMax = sizeof text;
    SendMessageA(view, LVM_GETITEMTEXTA, 0, reinterpret_cast<LPARAM>(&get));
    EXPECT_STREQ("two", text);
    EXPECT_EQ(77, SendMessageA(view, WM_APP + 1, 0, 0));
    DestroyWindow(frame);
    // The list ended with its frame: the object has no window and heard the old one.
    EXPECT_EQ(nullptr, list.Window());
    EXPECT_EQ(view, list.endedWindow);
    EXPECT_EQ(frame, host.endedWindow);
}

TEST(Routing, ARefusedCreationLeavesNothingAnnounced)
{
    RecordingObject orphan;
    const HWND window = CreateRoutedWindow(&orphan, PlainClass(), reinterpret_cast<HWND>(0x1234), nullptr, nullptr,
                                           WS_CHILD, 0, nullptr, nullptr);
    EXPECT_EQ(nullptr, window);
    EXPECT_EQ(nullptr, App().pendingWindows);
    // The next window of the thread still reaches its own object.
    RecordingObject next;
    const HWND created = CreatePlain(next);
    EXPECT_EQ(created, next.createdWindow);
    EXPECT_EQ(nullptr, orphan.createdWindow);
    DestroyWindow(created);
}

// Handles WM_INITDIALOG with a focus choice and a command with a message result.
class ProbeDialog : public DialogObject {
public:
    BOOL HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM, LRESULT& result, DWORD) override
    {
        if (message == WM_INITDIALOG) {
            if (endAtOnce)
                PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
            result = 5;
            return TRUE;
        }
        if (message == WM_COMMAND && LOWORD(wParam) == 300) {
            result = 42;
            return TRUE;
        }
        if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
            EndDialog(window, IDCANCEL);
            return TRUE;
        }
        return FALSE;
    }
    bool endAtOnce = false;
};

TEST(Routing, DialogsReturnSomeResultsDirectlyAndStoreTheOthers)
{
    ProbeDialog dialog;
    dialog.Announce();
    const HWND window = CreateDialogParamA(App().resourceInstance, MAKEINTRESOURCEA(100), nullptr,
                                           WindowObject::FirstDialogMessageProc, 0);
    ASSERT_NE(nullptr, window);
    ASSERT_EQ(window, dialog.Window());
    const auto procedure = reinterpret_cast<DLGPROC>(GetWindowLongPtrA(window, DWLP_DLGPROC));
    EXPECT_EQ(5, procedure(window, WM_INITDIALOG, 0, 0));
    EXPECT_EQ(1, procedure(window, WM_COMMAND, 300, 0));
    EXPECT_EQ(42, GetWindowLongPtrA(window, DWLP_MSGRESULT));
    EXPECT_EQ(0, procedure(window, WM_COMMAND, 301, 0));
    DestroyWindow(window);
    EXPECT_EQ(nullptr, dialog.Window());

    ProbeDialog modal;
    modal.endAtOnce = true;
    EXPECT_EQ(IDCANCEL, modal.RunModalDialog(nullptr, 100, 0));
    ProbeDialog missing;
    EXPECT_EQ(-1, missing.RunModalDialog(nullptr, 4321, 0));
    EXPECT_EQ(nullptr, App().pendingWindows);
}

TEST(Routing, SubclassingRoutesAnExistingWindowAndUnsubclassingRestoresIt)
{
    RecordingObject owner;
    const HWND edit = CreateWindowExA(0, "EDIT", "", WS_OVERLAPPED, 0, 0, 50, 20, nullptr, nullptr,
                                      GetModuleHandleA(nullptr), nullptr);
    const LONG_PTR original = GetWindowLongPtrA(edit, GWLP_WNDPROC);
    SubclassedWindow subclass(&owner, 1);
    ASSERT_EQ(1, subclass.Subclass(edit));
    EXPECT_NE(original, GetWindowLongPtrA(edit, GWLP_WNDPROC));
    EXPECT_EQ(77, SendMessageA(edit, WM_APP + 1, 0, 0));
    EXPECT_EQ(1u, owner.lastHandlerSet);
    // Unhandled messages still reach the edit control.
    SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("kept"));
    char text[16] = {};
    GetWindowTextA(edit, text, sizeof text);
    EXPECT_STREQ("kept", text);
    EXPECT_EQ(edit, subclass.Unsubclass(false));
    EXPECT_EQ(original, GetWindowLongPtrA(edit, GWLP_WNDPROC));
    EXPECT_EQ(nullptr, subclass.Window());

    // Someone else subclassed on top: not undone unless forced.
    ASSERT_EQ(1, subclass.Subclass(edit));
    const LONG_PTR ours = GetWindowLongPtrA(edit, GWLP_WNDPROC);
    SetWindowLongPtrA(edit, GWLP_WNDPROC, original);
    EXPECT_EQ(nullptr, subclass.Unsubclass(false));
    SetWindowLongPtrA(edit, GWLP_WNDPROC, ours);
    EXPECT_EQ(edit, subclass.Unsubclass(true));
    EXPECT_EQ(original, GetWindowLongPtrA(edit, GWLP_WNDPROC));
    DestroyWindow(edit);
}

} // namespace
