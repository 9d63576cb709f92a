#pragma once

#include <windows.h>

#include <commctrl.h>

#include "menu_item_record.h"

// What the menu bar's popup items are measured and painted with: the bar's images, sizes,
// font and the system settings it follows.
struct MenuDrawingSettings {
    HIMAGELIST imageList = nullptr;
    SIZE imageSize = {16, 15};
    SIZE buttonSize = {22, 21};   // the image column of an item, at the DPI below
    COLORREF maskColor = RGB(192, 192, 192);
    HFONT menuFont = nullptr;
    int tabGap = 0;
    bool flatMenus = false;
    bool cuesShown = false;
    UINT dpi = 96; // what every other length the items are drawn with is scaled to
};

// Fills itemWidth and itemHeight of an item carrying a MenuItemRecord.
void MeasureMenuItem(const MenuDrawingSettings& settings, MEASUREITEMSTRUCT* measure);
// Paints an item carrying a MenuItemRecord, in the flat style when settings.flatMenus is set,
// else in the 3D style.
void DrawMenuItem(const MenuDrawingSettings& settings, const DRAWITEMSTRUCT* draw);
// A check mark, a radio bullet or an item check bitmap centred in the column; returns 1.
int DrawCheckGlyph(const MenuDrawingSettings& settings, HDC dc, const RECT& column, bool selected, bool disabled,
                   bool radio, HBITMAP bitmap);
// An image of the image list as a one-colour silhouette (embossed with two brushes).
void DrawDisabledImage(const MenuDrawingSettings& settings, HDC dc, int index, int x, int y, HBRUSH background,
                       HBRUSH highlight, HBRUSH shadow);
bool StampSilhouette(HDC destination, int x, int y, int width, int height, HDC source, HBITMAP sourceBitmap,
                     int sourceX, int sourceY, HBRUSH background, HBRUSH highlight, HBRUSH shadow);
// DrawTextA with the access-key underlines shown, or hidden (the "&" markers then draw nothing).
int DrawTextWithCues(HDC dc, const char* text, int count, RECT* rectangle, UINT format, bool cuesShown);
// The item text left-aligned and the text after its tab right-aligned in the rectangle.
void DrawItemText(const MenuDrawingSettings& settings, HDC dc, const RECT& rectangle, const char* text,
                  COLORREF colour);
