#include "main_window.h"

#include <commctrl.h>
#include <olectl.h>

#include "about_dialog.h"
#include "app/app_context.h"
#include "busy_wait.h"
#include "resource.h"

namespace {

const UiStateEntry kMenuStates[] = {{ID_VIEW_STATUS_BAR, kUiPopupMenuItem},
                                    {ID_IGNORE_CASE, kUiPopupMenuItem},
                                    {ID_IGNORE_WIDTH, kUiPopupMenuItem},
                                    {ID_EDIT_UNDO, kUiPopupMenuItem},
                                    {ID_KEYWORD_DELETE, kUiPopupMenuItem},
                                    {kUiStateTableEnd, 0}};

const char kKeywordName[] = "\x83\x4C\x81\x5B\x83\x8F\x81\x5B\x83\x68"; // キーワード
const char kKeywordLabel[] = "\x83\x4C\x81\x5B\x83\x8F\x81\x5B\x83\x68(&K)";

constexpr DWORD kBarStyle = 0x5600184C;
constexpr DWORD kRebarStyle = 0x56002640;
constexpr DWORD kStatusBarStyle = 0x56000100 | SBT_TOOLTIPS;
constexpr DWORD kListStyle = 0x56000009;
constexpr DWORD kListExtendedStyles = LVS_EX_HEADERDRAGDROP | LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP;
constexpr int kFilterBufferBytes = 260;

} // namespace

MainWindow::MainWindow() : uiState_(kMenuStates), waiting_{WaitKeepingWindowsAlive, nullptr} {}

HWND MainWindow::Open(int showCommand)
{
    const RECT rectangle = {0, 0, 500, 550};
    const HWND window = CreateFrame(nullptr, &rectangle, 0, 0, nullptr);
    if (window) {
        SizeForDpi();
        PlaceCentred(window, nullptr);
        ShowWindow(window, showCommand);
    }
    return window;
}

int MainWindow::FilterMessage(MSG* message)
{
    if (TabBetweenBoxAndList(*message) || SearchBoxKey(*message))
        return 1;
    // Alt+K, the access key its label shows, goes into the keyword box. The window never sees
    // the K, so the release of Alt would make an Alt tap of it, and the menu bar would take
    // the keyboard and the letters typed next: the bar is told.
    if (message->message == WM_SYSKEYDOWN && message->wParam == 'K' && GetKeyState(VK_CONTROL) >= 0) {
        commandBar_.AltTakenByFrame();
        FocusKeywordBox();
        return 1;
    }
    // Delete, Ctrl+Z and Ctrl+C act on the keywords only from the list: in the keyword box they
    // edit its text, as in every text box, and while the menu bar has the keyboard they do
    // nothing. F5 reloads from anywhere.
    if (message->hwnd != List() && (message->message == WM_KEYDOWN || message->message == WM_SYSKEYDOWN) &&
        message->wParam != VK_F5)
        return 0;
    const HACCEL table = Accelerators();
    return table && TranslateAcceleratorA(Window(), table, message) ? 1 : 0;
}

BOOL MainWindow::HandleMessage(HWND, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result, DWORD handlerSet)
{
    if (handlerSet != kOwnWindow)
        return FALSE;
    result = 0;
    // Another program's command answered while history.ini is waited for waits its turn.
    if (document_ && document_->Busy() && (message == WM_COMMAND || message == WM_CLOSE)) {
        const HWND window = Window();
        document_->WhenIdle([=] { PostMessageA(window, message, wParam, lParam); });
        return TRUE;
    }
    switch (message) {
    case WM_CREATE: return OnCreate();
    case WM_DESTROY: OnDestroy(); return TRUE;
    case WM_COMMAND: if (OnCommand(wParam, lParam)) return TRUE; break;
    case WM_CLOSE: if (document_) SettleLastWrite(); break; // closing waits for the look after a write
    case WM_TIMER: if (OnTimer(wParam)) return TRUE; break;
    case WM_INITMENUPOPUP: OnInitMenuPopup(reinterpret_cast<HMENU>(wParam)); break;
    case WM_NOTIFY: OnNotify(*reinterpret_cast<const NMHDR*>(lParam)); break;
    case WM_GETMINMAXINFO: OnGetMinMaxInfo(*reinterpret_cast<MINMAXINFO*>(lParam)); return TRUE;
    case kReportNotRead: ReportNotRead(); return TRUE;
    case kDpiChanged: OnDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam)); return TRUE;
    case kApplyPendingDpi: ApplyPendingDpi(); return TRUE;
    case FileFollower::kChangedMessage:
        if (follower_)
            follower_->Notified([this] { return document_->History().Stamp(); });
        return TRUE;
    }
    const BOOL laidOut = HandleLayoutMessage(message, wParam, lParam, result);
    if (message == WM_SIZE && StatusBar())
        PlaceStatusParts(); // once the status bar has its new width; WM_SIZE goes on
    return laidOut || HandleFrameMessage(message, wParam, lParam, result) ||
           ReflectNotification(message, wParam, lParam, result);
}

bool MainWindow::OnTimer(UINT_PTR timer)
{
    if (timer == kLookTimer)
        SettleLastWrite();
    else if (timer == FileFollower::kTimer && !follower_)
        follower_ = std::make_unique<FileFollower>(Window(), document_->History().Folder());
    else if (timer == FileFollower::kTimer)
        FollowFile();
    return timer == kLookTimer || timer == FileFollower::kTimer;
}

void MainWindow::OnInitMenuPopup(HMENU menu)
{
    // 削除 has nothing to act on while no row is selected.
    uiState_.SetEnabled(ID_KEYWORD_DELETE, SendMessageA(List(), LVM_GETSELECTEDCOUNT, 0, 0) != 0);
    uiState_.ApplyToMenu(menu);
}

void MainWindow::OnNotify(const NMHDR& notification)
{
    // A command's message goes once the user selects other rows.
    const auto& item = reinterpret_cast<const NMLISTVIEW&>(notification);
    if (!keepingStatus_ && notification.hwndFrom == List() && notification.code == LVN_ITEMCHANGED &&
        (item.uChanged & LVIF_STATE) && ((item.uOldState ^ item.uNewState) & LVIS_SELECTED))
        ClearStatus();
}

bool MainWindow::SearchBoxKey(const MSG& message)
{
    if (message.hwnd != keywordBox_ || message.message != WM_KEYDOWN || GetKeyState(VK_CONTROL) < 0 ||
        GetKeyState(VK_MENU) < 0)
        return false;
    switch (message.wParam) {
    case VK_ESCAPE:
        SetWindowTextA(keywordBox_, ""); // refills the list
        return true;
    case VK_DOWN:
    case VK_RETURN:
        SetFocus(List());
        if (SendMessageA(List(), LVM_GETITEMCOUNT, 0, 0) && !SendMessageA(List(), LVM_GETSELECTEDCOUNT, 0, 0))
            listView_.SelectRow(0);
        return true;
    }
    return false;
}

bool MainWindow::TabBetweenBoxAndList(const MSG& message)
{
    if (message.message != WM_KEYDOWN || message.wParam != VK_TAB || GetKeyState(VK_CONTROL) < 0 ||
        GetKeyState(VK_MENU) < 0)
        return false;
    if (message.hwnd == keywordBox_) {
        SetFocus(List());
        return true;
    }
    if (message.hwnd == List()) {
        FocusKeywordBox();
        return true;
    }
    return false;
}

void MainWindow::FocusKeywordBox()
{
    SetFocus(keywordBox_);
    SendMessageA(keywordBox_, EM_SETSEL, 0, -1); // as a dialog selects the text it moves into
}

BOOL MainWindow::OnCreate()
{
    const HWND window = Window();
    dpi_ = WindowDpi(window);
    LoadIconsForDpi();
    commandBar_.CreateBar(window, nullptr, nullptr, kBarStyle, 0, 0, nullptr);
    commandBar_.SetBarMenu(GetMenu(window));
    commandBar_.AddToolbarImages(IDR_MAINFRAME);
    SetMenu(window, nullptr);

    keywordBox_ = CreateKeywordBox();
    ScaleKeywordBox();

    CreateRebar(kRebarStyle, IDW_REBAR);
    AddBand(commandBar_.Window(), nullptr, false, 0, false);
    AddBand(keywordBox_, kKeywordLabel, false, 0, false);
    // The rebar draws the label; screen readers take an edit box's name from the static text
    // just before it, which has no size here, so that the window looks as it did.
    const HWND name = CreateWindowExA(0, "STATIC", kKeywordName, WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, Rebar(), nullptr,
                                      App().instance, nullptr);
    SetWindowPos(keywordBox_, name, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    WidenBands();
    CreateStatusBar(IDS_READY, kStatusBarStyle, ID_VIEW_STATUS_BAR);
    // At the system's DPI the bars keep the fonts they chose.
    if (dpi_ != SystemDpi())
        ScaleBars();

    clientView_ = listView_.Create(window, kListStyle, WS_EX_CLIENTEDGE);
    SendMessageA(clientView_, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, kListExtendedStyles);
    SetupColumns();

    OpenHistory();
    ignoreCase_ = 1;
    ignoreWidth_ = 1;
    FillList("");
    // Following the file starts once the window is on the screen: timers come after painting.
    SetTimer(window, FileFollower::kTimer, USER_TIMER_MINIMUM, nullptr);
    uiState_.SetCheck(ID_VIEW_STATUS_BAR, 1);
    uiState_.SetCheck(ID_IGNORE_CASE, 1);
    uiState_.SetCheck(ID_IGNORE_WIDTH, 1);
    uiState_.SetEnabled(ID_EDIT_UNDO, false);

    if (MessagePump* pump = App().FindPump(GetCurrentThreadId())) {
        pump->AddFilter(this);
        pump->AddIdleHook(this);
    }
    return TRUE;
}

void MainWindow::OnDestroy()
{
    follower_.reset();
    listView_.ShowEntriesOf(nullptr);
    document_.reset();
    PostQuitMessage(0);
}

BOOL MainWindow::OnCommand(WPARAM wParam, LPARAM)
{
    switch (LOWORD(wParam)) {
    case ID_KEYWORD_DELETE:
        DeleteSelectedRows();
        return TRUE;
    case ID_EDIT_COPY:
        CopySelectedKeywords();
        return TRUE;
    case ID_HISTORY_RELOAD:
        ReloadHistory();
        return TRUE;
    case ID_EDIT_UNDO:
        UndoLastDelete();
        return TRUE;
    case ID_IGNORE_CASE:
        ToggleMatching(ignoreCase_, ID_IGNORE_CASE);
        return TRUE;
    case ID_IGNORE_WIDTH:
        ToggleMatching(ignoreWidth_, ID_IGNORE_WIDTH);
        return TRUE;
    case ID_VIEW_STATUS_BAR:
        ToggleStatusBar();
        return TRUE;
    case ID_APP_ABOUT: {
        AboutDialog about;
        about.RunModal(GetActiveWindow(), 0);
        return TRUE;
    }
    case ID_APP_EXIT:
        PostMessageA(Window(), WM_CLOSE, 0, 0);
        return TRUE;
    case ID_FILE_NEW:
        return TRUE;
    case IDC_KEYWORD_BOX:
        if (HIWORD(wParam) != EN_CHANGE)
            return FALSE;
        ClearStatus();
        Refill();
        return TRUE;
    }
    return FALSE;
}

std::string MainWindow::Filter() const
{
    char filter[kFilterBufferBytes] = "";
    GetWindowTextA(keywordBox_, filter, sizeof filter);
    return filter;
}

void MainWindow::Refill()
{
    const std::string filter = Filter();
    SendMessageA(List(), LVM_DELETEALLITEMS, 0, 0);
    FillList(filter.c_str());
}

void MainWindow::ToggleMatching(int& ignoring, UINT id)
{
    ignoring = ignoring ? 0 : 1;
    uiState_.SetCheck(id, ignoring);
    listView_.SetIgnoreWidth(ignoreWidth_ != 0);
    LayoutChildren(true);
    // The empty filter matches the same entries in both modes: rows and their order stay.
    if (GetWindowTextLengthA(keywordBox_) == 0)
        return;
    Refill();
}

void MainWindow::ToggleStatusBar()
{
    const bool visible = !IsWindowVisible(StatusBar());
    ShowWindow(StatusBar(), visible ? SW_SHOWNOACTIVATE : SW_HIDE);
    uiState_.SetCheck(ID_VIEW_STATUS_BAR, visible ? 1 : 0);
    LayoutChildren(true);
}

BOOL MainWindow::ReflectNotification(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    HWND child = nullptr;
    switch (message) {
    case WM_COMMAND:
        child = reinterpret_cast<HWND>(lParam);
        break;
    case WM_NOTIFY:
        child = reinterpret_cast<NMHDR*>(lParam)->hwndFrom;
        break;
    case WM_PARENTNOTIFY:
        child = (LOWORD(wParam) == WM_CREATE || LOWORD(wParam) == WM_DESTROY) ? reinterpret_cast<HWND>(lParam)
                                                                                : GetDlgItem(Window(), HIWORD(wParam));
        break;
    case WM_DRAWITEM:
        if (wParam)
            child = reinterpret_cast<DRAWITEMSTRUCT*>(lParam)->hwndItem;
        break;
    case WM_MEASUREITEM:
        if (wParam)
            child = GetDlgItem(Window(), reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->CtlID);
        break;
    case WM_DELETEITEM:
        if (wParam)
            child = GetDlgItem(Window(), reinterpret_cast<DELETEITEMSTRUCT*>(lParam)->CtlID);
        break;
    case WM_COMPAREITEM:
        if (wParam)
            child = GetDlgItem(Window(), reinterpret_cast<COMPAREITEMSTRUCT*>(lParam)->CtlID);
        break;
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_HSCROLL:
    case WM_VSCROLL:
        child = reinterpret_cast<HWND>(lParam);
        break;
    default:
        if (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC)
            child = reinterpret_cast<HWND>(lParam);
        break;
    }
    if (!child)
        return FALSE;
    result = SendMessageA(child, message + OCM__BASE, wParam, lParam);
    return TRUE;
}
