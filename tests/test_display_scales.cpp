// The real program at the display scale of its Wine prefix (tests/test_display_scales.sh runs
// this at 96, 120, 144 and 192 DPI), measured from another process: every length it sets
// itself grows with the DPI, and nothing is cut off.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "remote_list.h"
#include "temp_folder.h"
#include "tool_process.h"

namespace {

SIZE SizeOf(HWND window)
{
    RECT r{};
    GetWindowRect(window, &r);
    return {r.right - r.left, r.bottom - r.top};
}

// The width of a text as it shows, without the "&" of its access key, in the menu font.
int ShownTextWidth(std::string text)
{
    text.erase(std::remove(text.begin(), text.end(), '&'), text.end());
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = offsetof(NONCLIENTMETRICSA, iPaddedBorderWidth);
    SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0);
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, CreateFontIndirectA(&metrics.lfMenuFont));
    SIZE size{};
    GetTextExtentPoint32A(dc, text.data(), static_cast<int>(text.size()), &size);
    DeleteObject(SelectObject(dc, old));
    ReleaseDC(nullptr, dc);
    return size.cx;
}

TEST(DisplayScale, EveryLengthGrowsWithTheDpiAndNothingIsCutOff)
{
    const int dpi = std::getenv("TNW_DPI") ? std::atoi(std::getenv("TNW_DPI")) : 96;
    HDC screen = GetDC(nullptr);
    ASSERT_EQ(dpi, GetDeviceCaps(screen, LOGPIXELSY)) << "the prefix is not at this DPI";
    ReleaseDC(nullptr, screen);
    TempFolder folder;
    WriteBytes("history.ini", "[Keywords]\r\nStartPos=0\r\nEndPos=1\r\n0=Wine\r\n");
    ToolProcess tool(folder.Path());
    const HWND window = tool.WaitForWindow();
    ASSERT_NE(nullptr, window);
    const HWND rebar = FindWindowExA(window, nullptr, REBARCLASSNAMEA, nullptr);
    const HWND bar = FindWindowExA(rebar, nullptr, "TNW_CommandBar", nullptr);
    const HWND box = FindWindowExA(rebar, nullptr, "Edit", nullptr);
    const HWND status = FindWindowExA(window, nullptr, STATUSCLASSNAMEA, nullptr);
    const RemoteList keywords(window);
    const HWND list = keywords.Window();
    RemoteMemory memory(window);
    ASSERT_TRUE(bar && box && list && status && memory.Ready());

    RECT area{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    RECT buttons[4] = {};
    for (int i = 0; i < 4; ++i)
        memory.Send(bar, TB_GETITEMRECT, i, buttons[i]);
    RECT row{LVIR_BOUNDS, 0, 0, 0};
    memory.Send(list, LVM_GETITEMRECT, 0, row);
    const auto column = [list](int index) { return static_cast<int>(SendMessageA(list, LVM_GETCOLUMNWIDTH, index, 0)); };

    // Each at least 0.9 times its length at 96 DPI under this Wine, scaled; the window as
    // large as fits the work area.
    const struct {
        const char* what;
        int at96;
        LONG measured;
    } lengths[] = {
        {"window width", std::min(500, MulDiv(area.right - area.left, 96, dpi)), SizeOf(window).cx},
        {"window height", std::min(550, MulDiv(area.bottom - area.top, 96, dpi)), SizeOf(window).cy},
        {"keyword box height", 16, SizeOf(box).cy},
        {"button 0", 82, buttons[0].right - buttons[0].left},
        {"button 1", 58, buttons[1].right - buttons[1].left},
        {"button 2", 58, buttons[2].right - buttons[2].left},
        {"button 3", 70, buttons[3].right - buttons[3].left},
        {"number column", 87, column(0)},
        {"keyword column", 300, column(1)},
        {"list row", 14, row.bottom - row.top},
        {"status bar", 20, SizeOf(status).cy},
    };
    for (const auto& length : lengths)
        EXPECT_GE(length.measured, MulDiv(length.at96, 9 * dpi, 10 * 96)) << length.what << " at " << dpi << " DPI";
    EXPECT_LE(SizeOf(window).cx, area.right - area.left);
    EXPECT_LE(SizeOf(window).cy, area.bottom - area.top);

    // The bar shows its last button whole; the box is wider than its label's text and lies
    // after the bar.
    RECT barRectangle{}, boxRectangle{};
    GetWindowRect(bar, &barRectangle);
    GetWindowRect(box, &boxRectangle);
    EXPECT_LE(buttons[3].right, barRectangle.right - barRectangle.left);
    EXPECT_LE(barRectangle.right, boxRectangle.left);
    EXPECT_GT(SizeOf(box).cx, ShownTextWidth("\x83\x4C\x81\x5B\x83\x8F\x81\x5B\x83\x68(&K)"));
    // No button's text and no header's text is cut off.
    for (int i = 0; i < 4; ++i) {
        char text[64] = {};
        SendMessageA(bar, TB_GETBUTTONTEXTA, i, reinterpret_cast<LPARAM>(memory.At(512)));
        memory.Read(512, text, sizeof text - 1);
        EXPECT_GE(buttons[i].right - buttons[i].left, ShownTextWidth(text)) << "button " << i;
    }
    const char* const headers[] = {"\x83\x43\x83\x93\x83\x66\x83\x62\x83\x4E\x83\x58", // インデックス
                                   "\x83\x4C\x81\x5B\x83\x8F\x81\x5B\x83\x68"};             // キーワード
    for (int index = 0; index < 2; ++index) {
        memory.Write(512, headers[index], lstrlenA(headers[index]) + 1);
        EXPECT_GT(column(index), SendMessageA(list, LVM_GETSTRINGWIDTHA, 0, reinterpret_cast<LPARAM>(memory.At(512))))
            << "column " << index;
    }
    EXPECT_EQ(0u, tool.Close());
}

} // namespace
