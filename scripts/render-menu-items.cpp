// Paints popup items with the menu bar's own drawing code into a picture (a BMP file), in the
// flat style on the left and the 3D style on the right: checked, unchecked, selected,
// disabled, with an accelerator, a separator and a radio item. For the documentation.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/unique_any.h"
#include "framework/menu_drawing.h"

namespace {

struct Item {
    std::wstring text;
    UINT type;
    UINT state;
    UINT drawState;
};

std::string ShiftJis(const std::wstring& text)
{
    char bytes[256] = {};
    WideCharToMultiByte(932, 0, text.c_str(), -1, bytes, sizeof bytes, nullptr, nullptr);
    return bytes;
}

bool SaveBitmap(const char* path, const void* pixels, int width, int height)
{
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = -height;
    info.biPlanes = 1;
    info.biBitCount = 32;
    const DWORD bytes = static_cast<DWORD>(width * height * 4);
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + bytes;
    FILE* out = std::fopen(path, "wb");
    if (!out)
        return false;
    std::fwrite(&file, sizeof file, 1, out);
    std::fwrite(&info, sizeof info, 1, out);
    std::fwrite(pixels, bytes, 1, out);
    return std::fclose(out) == 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: render-menu-items OUT.bmp\n");
        return 2;
    }
    const std::vector<Item> items = {
        {L"リロード(&R)\tF5", MFT_STRING, 0, 0},
        {L"", MFT_SEPARATOR, 0, 0},
        {L"ステータスバー(&S)", MFT_STRING, MFS_CHECKED, ODS_CHECKED},
        {L"大文字小文字を区別しない(&I)", MFT_STRING, 0, 0},
        {L"削除(&D)\tDelete", MFT_STRING, 0, ODS_SELECTED},
        {L"選択されたチェック(&C)", MFT_STRING, MFS_CHECKED, ODS_CHECKED | ODS_SELECTED},
        {L"使えない項目(&X)\tCtrl+X", MFT_STRING, MFS_GRAYED, ODS_GRAYED},
        {L"ラジオ項目(&O)", MFT_RADIOCHECK, MFS_CHECKED, ODS_CHECKED},
    };
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    UniqueFont font(CreateFontIndirectA(&metrics.lfMenuFont));

    const int columnWidth = 300;
    const int width = 2 * columnWidth + 30;
    const int height = 10 + static_cast<int>(items.size()) * 24 + 10;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* pixels = nullptr;
    UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
    UniqueBitmap surface(CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &pixels, nullptr, 0));
    const HGDIOBJ previousBitmap = SelectObject(dc.get(), surface.get());
    const HGDIOBJ previousFont = SelectObject(dc.get(), font.get());
    RECT all = {0, 0, width, height};
    FillRect(dc.get(), &all, GetSysColorBrush(COLOR_APPWORKSPACE));

    const HMENU menu = CreatePopupMenu();
    for (size_t i = 0; i < items.size(); ++i)
        AppendMenuA(menu, items[i].type | items[i].state, 1000 + i, ShiftJis(items[i].text).c_str());
    for (int style = 0; style < 2; ++style) {
        MenuDrawingSettings settings;
        settings.menuFont = font.get();
        settings.flatMenus = style == 0;
        settings.cuesShown = true;
        const int left = 10 + style * (columnWidth + 10);
        RECT panel = {left, 10, left + columnWidth, height - 10};
        FillRect(dc.get(), &panel, GetSysColorBrush(COLOR_MENU));
        int top = 10;
        for (size_t i = 0; i < items.size(); ++i) {
            std::string text = ShiftJis(items[i].text);
            MenuItemRecord record{{static_cast<DWORD>(MSAA_MENU_SIG), 0, nullptr}, kMenuItemSignature, &text[0], items[i].type,
                                  items[i].state, -1};
            MEASUREITEMSTRUCT measure{};
            measure.CtlType = ODT_MENU;
            measure.itemData = reinterpret_cast<ULONG_PTR>(&record);
            MeasureMenuItem(settings, &measure);
            DRAWITEMSTRUCT draw{};
            draw.CtlType = ODT_MENU;
            draw.itemID = static_cast<UINT>(1000 + i);
            draw.itemAction = ODA_DRAWENTIRE;
            draw.itemState = items[i].drawState;
            draw.hwndItem = reinterpret_cast<HWND>(menu);
            draw.hDC = dc.get();
            draw.rcItem = {left, top, left + columnWidth, top + static_cast<int>(measure.itemHeight)};
            draw.itemData = reinterpret_cast<ULONG_PTR>(&record);
            DrawMenuItem(settings, &draw);
            top += static_cast<int>(measure.itemHeight);
        }
    }
    GdiFlush();
    const bool saved = SaveBitmap(argv[1], pixels, width, height);
    SelectObject(dc.get(), previousFont);
    SelectObject(dc.get(), previousBitmap);
    DestroyMenu(menu);
    return saved ? 0 : 1;
}
