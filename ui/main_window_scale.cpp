// The main window at the DPI of its monitor: its size, the lengths it gives its bars, box and
// columns, and its fonts and icons, at start and whenever the window moves to a monitor of
// another scale.
#include "main_window.h"

#include <commctrl.h>

#include <algorithm>
#include <utility>

#include "app/app_context.h"
#include "resource.h"

namespace {

const char kNumberHeader[] = "\x83\x43\x83\x93\x83\x66\x83\x62\x83\x4E\x83\x58"; // インデックス
const char kKeywordHeader[] = "\x83\x4C\x81\x5B\x83\x8F\x81\x5B\x83\x68";       // キーワード

// At 96 DPI.
constexpr SIZE kWindowSize = {500, 550};
constexpr SIZE kKeywordBoxSize = {160, 16};
constexpr int kKeywordBoxLeftMargin = 3;
constexpr int kNumberColumnPadding = 15; // beside the header text
constexpr int kSortArrowRoom = 16;       // beside it again, where the header draws its sort arrow
constexpr int kKeywordColumnWidth = 300;
constexpr int kLeastBoxWidth = 80;
constexpr int kLeastRows = 3;

HICON LoadIconOfSize(int metric, UINT dpi)
{
    const int size = MetricForDpi(metric, dpi);
    return static_cast<HICON>(
        LoadImageA(App().resourceInstance, MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON, size, size, 0));
}

} // namespace

void MainWindow::SizeForDpi()
{
    // As large as fits where the work area is smaller than the window would be.
    RECT area{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    const int width = std::min<int>(ScaleLength(kWindowSize.cx, dpi_), area.right - area.left);
    const int height = std::min<int>(ScaleLength(kWindowSize.cy, dpi_), area.bottom - area.top);
    SetWindowPos(Window(), nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HWND MainWindow::CreateKeywordBox()
{
    // The box scrolls its text, so that a filter longer than its width is taken whole.
    const HWND box = CreateWindowExA(WS_EX_STATICEDGE, "EDIT", nullptr, WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 0, 0,
                                     ScaleLength(kKeywordBoxSize.cx, dpi_), ScaleLength(kKeywordBoxSize.cy, dpi_),
                                     Window(), nullptr, App().instance, nullptr);
    SetWindowLongA(box, GWL_ID, IDC_KEYWORD_BOX);
    SendMessageA(box, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), TRUE);
    boxFont_.Remember(box);
    return box;
}

void MainWindow::ScaleKeywordBox()
{
    boxFont_.ScaleTo(dpi_);
    SendMessageA(keywordBox_, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN,
                 MAKELPARAM(ScaleLength(kKeywordBoxLeftMargin, dpi_), 0));
    // The band gives the box its width; the height is the box's own.
    RECT box{};
    GetWindowRect(keywordBox_, &box);
    SetWindowPos(keywordBox_, nullptr, 0, 0, box.right - box.left, ScaleLength(kKeywordBoxSize.cy, dpi_),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainWindow::ScaleBars()
{
    ScaleBarFonts(dpi_);
    ScaleKeywordBox();
    FitBandsToChildren();
    LayoutChildren(true);
}

void MainWindow::SetupColumns()
{
    const HWND list = List();
    listFont_.Remember(list, SystemFont::IconTitle);
    listFont_.ScaleTo(dpi_);
    LVCOLUMNA column{};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = LVCFMT_LEFT;
    column.cx = static_cast<int>(SendMessageA(list, LVM_GETSTRINGWIDTHA, 0, reinterpret_cast<LPARAM>(kNumberHeader))) +
                ScaleLength(kNumberColumnPadding + kSortArrowRoom, dpi_);
    column.pszText = const_cast<char*>(kNumberHeader);
    SendMessageA(list, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
    column.cx = ScaleLength(kKeywordColumnWidth, dpi_);
    column.pszText = const_cast<char*>(kKeywordHeader);
    SendMessageA(list, LVM_INSERTCOLUMNA, 1, reinterpret_cast<LPARAM>(&column));
    listView_.SetKeywordColumnMinimum(column.cx);
}

void MainWindow::OnGetMinMaxInfo(MINMAXINFO& limits)
{
    const HWND rebar = Rebar();
    if (!rebar || !StatusBar())
        return;
    // Across: both bands' borders (the second's holds the label), the buttons and a usable box.
    int across = ScaleLength(kLeastBoxWidth, dpi_);
    for (int band = 0; band < 2; ++band) {
        RECT borders{};
        SendMessageA(rebar, RB_GETBANDBORDERS, band, reinterpret_cast<LPARAM>(&borders));
        across += borders.left + borders.right;
    }
    RECT button{};
    const auto buttons = static_cast<int>(SendMessageA(commandBar_.Window(), TB_BUTTONCOUNT, 0, 0));
    SendMessageA(commandBar_.Window(), TB_GETITEMRECT, buttons - 1, reinterpret_cast<LPARAM>(&button));
    across += button.right;
    // Down: the bars, the list's header and a few rows.
    RECT rebarRectangle{}, statusRectangle{}, header{};
    GetWindowRect(rebar, &rebarRectangle);
    GetWindowRect(StatusBar(), &statusRectangle);
    GetWindowRect(reinterpret_cast<HWND>(SendMessageA(List(), LVM_GETHEADER, 0, 0)), &header);
    const auto spacing = static_cast<int>(HIWORD(SendMessageA(List(), LVM_GETITEMSPACING, TRUE, 0)));
    const int down = (rebarRectangle.bottom - rebarRectangle.top) + (statusRectangle.bottom - statusRectangle.top) +
                     (header.bottom - header.top) + kLeastRows * spacing + 2 * MetricForDpi(SM_CYEDGE, dpi_);
    RECT least{0, 0, across, down};
    AdjustWindowRectEx(&least, static_cast<DWORD>(GetWindowLongA(Window(), GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongA(Window(), GWL_EXSTYLE)));
    limits.ptMinTrackSize = {least.right - least.left, least.bottom - least.top};
}

void MainWindow::LoadIconsForDpi()
{
    UniqueIcon large(LoadIconOfSize(SM_CXICON, dpi_));
    UniqueIcon small(LoadIconOfSize(SM_CXSMICON, dpi_));
    SendMessageA(Window(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(large.get()));
    SendMessageA(Window(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small.get()));
    largeIcon_ = std::move(large); // the window no longer shows the icons these replace
    smallIcon_ = std::move(small);
}

void MainWindow::OnDpiChanged(UINT dpi, const RECT& suggested)
{
    // A native menu bar's menu closes when the scale changes; the bar's menu closes first too,
    // and the window takes the new scale once the bar has left its menu.
    if (commandBar_.Tracking()) {
        pendingDpi_ = {dpi, suggested};
        EndMenu();
        PostMessageA(Window(), kApplyPendingDpi, 0, 0);
        return;
    }
    const UINT before = dpi_;
    dpi_ = dpi;
    LoadIconsForDpi();
    commandBar_.SetDpi(dpi);
    listFont_.ScaleTo(dpi);
    // The number column keeps the width the user gave it, at the new scale; the keyword
    // column takes the rest.
    const auto width = static_cast<int>(SendMessageA(List(), LVM_GETCOLUMNWIDTH, 0, 0));
    SendMessageA(List(), LVM_SETCOLUMNWIDTH, 0, MulDiv(width, static_cast<int>(dpi), static_cast<int>(before)));
    listView_.SetKeywordColumnMinimum(ScaleLength(kKeywordColumnWidth, dpi));
    ScaleBars();
    SetWindowPos(Window(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainWindow::ApplyPendingDpi()
{
    if (commandBar_.Tracking()) {
        PostMessageA(Window(), kApplyPendingDpi, 0, 0); // the menu loop is still ending
        return;
    }
    if (pendingDpi_.first)
        OnDpiChanged(std::exchange(pendingDpi_.first, 0u), pendingDpi_.second);
}
