#include "menu_drawing.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/unique_any.h"
#include "display_scale.h"
#include "framework/gdi_scope.h"
#include "system_sizes.h"

namespace {

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kMidGrey = RGB(128, 128, 128);
// Paints the selected brush where the source is black and keeps the destination where it is white.
constexpr DWORD kBrushWhereSourceBlack = 0x00B8074A;
// Destination AND NOT source.
constexpr DWORD kAndNotSource = 0x00220326;

const char* TextOf(const MenuItemRecord& record) { return record.text ? record.text : ""; }

int Width(const RECT& rectangle) { return rectangle.right - rectangle.left; }
int Height(const RECT& rectangle) { return rectangle.bottom - rectangle.top; }

struct ItemFlags {
    bool rawSelected;
    bool selected; // an identifier of 0xFFFF in its low word never shows as selected
    bool disabled;
    bool checked;
};

ItemFlags FlagsOf(const DRAWITEMSTRUCT& draw)
{
    ItemFlags flags{};
    flags.rawSelected = (draw.itemState & ODS_SELECTED) != 0;
    flags.selected = flags.rawSelected && LOWORD(draw.itemID) != 0xFFFF;
    flags.disabled = (draw.itemState & ODS_GRAYED) != 0;
    flags.checked = (draw.itemState & ODS_CHECKED) != 0;
    return flags;
}

// Where the parts of an item go within its rectangle.
struct ItemLayout {
    RECT column;
    POINT image;
    RECT text;
    RECT separator;
};

ItemLayout LayOut(const MenuDrawingSettings& settings, const RECT& item)
{
    ItemLayout layout{};
    const SIZE button = settings.buttonSize;
    layout.column.left = item.left;
    layout.column.right = item.left + button.cx;
    layout.column.top = item.top + (Height(item) - button.cy) / 2;
    layout.column.bottom = layout.column.top + button.cy;
    layout.image.x = layout.column.left + (button.cx - settings.imageSize.cx) / 2;
    layout.image.y = layout.column.top + (button.cy - settings.imageSize.cy) / 2;
    layout.text = {item.left + button.cx + ScaleLength(3, settings.dpi), item.top, item.right - button.cx, item.bottom};
    layout.separator = {item.left, item.top + Height(item) / 2, item.right, item.bottom};
    return layout;
}

// The checked-button look of the 3D style: face and highlight pixels alternating, anchored at
// the area's corner so that the pattern is the same wherever the area lies.
void FillDithered(HDC dc, const RECT& area)
{
    WORD rows[8];
    for (int row = 0; row < 8; ++row)
        rows[row] = static_cast<WORD>(0x5555 << (row & 1));
    UniqueBitmap pattern(CreateBitmap(8, 8, 1, 1, rows));
    UniqueBrush brush(pattern ? CreatePatternBrush(pattern.get()) : nullptr);
    if (!brush)
        return;
    ColourScope colours(dc, GetSysColor(COLOR_BTNFACE), GetSysColor(COLOR_BTNHIGHLIGHT));
    POINT oldOrigin{};
    SetBrushOrgEx(dc, area.left, area.top, &oldOrigin);
    FillRect(dc, &area, brush.get());
    SetBrushOrgEx(dc, oldOrigin.x, oldOrigin.y, nullptr);
}

COLORREF TextColour(const ItemFlags& flags)
{
    if (flags.disabled)
        return GetSysColor(flags.selected ? COLOR_GRAYTEXT : COLOR_BTNSHADOW);
    return GetSysColor(flags.selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT);
}

// An item without an image shows its check mark, or the check bitmaps its menu gives it, in the
// column. Returns whether anything was drawn there.
bool DrawItemCheck(const MenuDrawingSettings& settings, const DRAWITEMSTRUCT& draw, const RECT& column,
                   const ItemFlags& flags)
{
    MENUITEMINFOA info{};
    info.cbSize = kMenuItemInfoBytes;
    info.fMask = MIIM_CHECKMARKS | MIIM_TYPE;
    GetMenuItemInfoA(reinterpret_cast<HMENU>(draw.hwndItem), draw.itemID, FALSE, &info);
    if (!flags.checked && !info.hbmpUnchecked)
        return false;
    DrawCheckGlyph(settings, draw.hDC, column, flags.selected, flags.disabled, (info.fType & MFT_RADIOCHECK) != 0,
                   flags.checked ? info.hbmpChecked : info.hbmpUnchecked);
    return true;
}

void DrawSeparator(HDC dc, const ItemLayout& layout)
{
    RECT line = layout.separator;
    DrawEdge(dc, &line, EDGE_ETCHED, BF_TOP);
}

void DrawFlatItem(const MenuDrawingSettings& settings, const DRAWITEMSTRUCT& draw, const MenuItemRecord& record)
{
    const HDC dc = draw.hDC;
    RECT item = draw.rcItem;
    const ItemFlags flags = FlagsOf(draw);
    const ItemLayout layout = LayOut(settings, item);

    // A first paint of an unselected item keeps the background the menu has just painted.
    if (flags.rawSelected) {
        FillRect(dc, &item, GetSysColorBrush(COLOR_MENUHILIGHT));
        FrameRect(dc, &item, GetSysColorBrush(COLOR_HIGHLIGHT));
    } else if (draw.itemAction & ODA_SELECT) {
        FillRect(dc, &item, GetSysColorBrush(COLOR_MENU));
    }

    if (record.type & MFT_SEPARATOR) {
        DrawSeparator(dc, layout);
        return;
    }

    if (flags.checked) {
        RECT box = layout.column;
        InflateRect(&box, -1, -1);
        if (flags.selected)
            FillRect(dc, &box, GetSysColorBrush(COLOR_MENU));
        FrameRect(dc, &box, GetSysColorBrush(COLOR_HIGHLIGHT));
    }

    if (record.image < 0) {
        DrawItemCheck(settings, draw, layout.column, flags);
    } else if (flags.disabled) {
        // Background and highlight alike: the silhouette comes out flat, in the shadow colour.
        const HBRUSH behind = GetSysColorBrush(flags.selected && !flags.checked ? COLOR_MENUHILIGHT : COLOR_MENU);
        DrawDisabledImage(settings, dc, record.image, layout.image.x, layout.image.y, behind, behind,
                          GetSysColorBrush(COLOR_BTNSHADOW));
    } else {
        ImageList_Draw(settings.imageList, record.image, dc, layout.image.x, layout.image.y, ILD_TRANSPARENT);
    }

    SetBkMode(dc, TRANSPARENT);
    DrawItemText(settings, dc, layout.text, TextOf(record), TextColour(flags));
}

void Draw3dItem(const MenuDrawingSettings& settings, const DRAWITEMSTRUCT& draw, const MenuItemRecord& record)
{
    const HDC dc = draw.hDC;
    const ItemFlags flags = FlagsOf(draw);
    const ItemLayout layout = LayOut(settings, draw.rcItem);

    if (record.type & MFT_SEPARATOR) {
        DrawSeparator(dc, layout);
        return;
    }

    bool columnDrawn = false;
    if (record.image < 0) {
        columnDrawn = DrawItemCheck(settings, draw, layout.column, flags);
    } else {
        columnDrawn = true;
        RECT column = layout.column;
        if (flags.checked && !(flags.selected && !flags.disabled))
            FillDithered(dc, column);
        else
            FillRect(dc, &column, GetSysColorBrush(COLOR_MENU));
        if (flags.disabled) {
            // A checked item keeps its dither behind the embossed silhouette.
            DrawDisabledImage(settings, dc, record.image, layout.image.x, layout.image.y,
                              flags.checked ? nullptr : GetSysColorBrush(COLOR_MENU),
                              GetSysColorBrush(COLOR_BTNHIGHLIGHT), GetSysColorBrush(COLOR_BTNSHADOW));
        } else {
            if (flags.selected || flags.checked)
                DrawEdge(dc, &column, flags.checked ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
            ImageList_Draw(settings.imageList, record.image, dc, layout.image.x, layout.image.y, ILD_TRANSPARENT);
        }
    }

    const COLORREF background = GetSysColor(flags.selected ? COLOR_HIGHLIGHT : COLOR_MENU);
    if (flags.selected || (draw.itemAction & ODA_SELECT)) {
        // The selection bar leaves a drawn column its own look.
        RECT bar = draw.rcItem;
        if (columnDrawn)
            bar.left += settings.buttonSize.cx + 1;
        FillRect(dc, &bar, GetSysColorBrush(flags.selected ? COLOR_HIGHLIGHT : COLOR_MENU));
    }

    SetBkMode(dc, TRANSPARENT);
    const COLORREF colour = TextColour(flags);
    // Disabled text is embossed; on the selection bar only when its colour would vanish there.
    if (flags.disabled && (!flags.selected || colour == background)) {
        RECT raised = layout.text;
        OffsetRect(&raised, 1, 1);
        DrawItemText(settings, dc, raised, TextOf(record), GetSysColor(COLOR_BTNHIGHLIGHT));
    }
    DrawItemText(settings, dc, layout.text, TextOf(record), colour);
}

// Puts the black-on-white glyph of `mask` onto the destination at `at`, in one system colour.
// `work` is a colour surface of the glyph's size that is free to be overwritten.
void StampGlyph(HDC dc, HDC work, HDC mask, const RECT& glyph, SIZE surface, POINT at, SIZE target,
                int colourIndex)
{
    const COLORREF colour = GetSysColor(colourIndex);
    FillRect(work, &glyph, GetSysColorBrush(colourIndex));
    if (colour == kWhite) {
        BitBlt(dc, at.x, at.y, target.cx, target.cy, mask, 0, 0, MERGEPAINT);
        BitBlt(dc, at.x, at.y, target.cx, target.cy, work, 0, 0, SRCAND);
        return;
    }
    // Leave the colour only under the glyph, black elsewhere, so it can be ORed in.
    if (colour != kBlack)
        BitBlt(work, 0, 0, surface.cx, surface.cy, mask, 0, 0, kAndNotSource);
    BitBlt(dc, at.x, at.y, target.cx, target.cy, mask, 0, 0, SRCAND);
    BitBlt(dc, at.x, at.y, target.cx, target.cy, work, 0, 0, SRCPAINT);
}

// The text as it shows without underlines: "&x" becomes "x" and "&&" a single "&". An ampersand
// is never part of a double-byte character, so the bytes can be scanned one by one.
std::string WithoutAccessMarkers(const std::string& text)
{
    std::string result;
    for (const char* at = text.c_str(); *at; ++at) {
        if (*at == '&') {
            ++at;
            if (!*at)
                break;
        }
        result += *at;
    }
    return result;
}

} // namespace

void MeasureMenuItem(const MenuDrawingSettings& settings, MEASUREITEMSTRUCT* measure)
{
    const MenuItemRecord* record = RecordOf(measure->itemData);
    if (!record)
        return;
    if (record->type & MFT_SEPARATOR) {
        measure->itemHeight = MetricForDpi(SM_CYMENU, settings.dpi) / 2;
        measure->itemWidth = 0;
        return;
    }

    WindowDc screen(nullptr);
    LOGFONTA menuLogFont{};
    GetObjectA(settings.menuFont, sizeof menuLogFont, &menuLogFont);
    // A default item is shown in bold, so it needs the width of its bold text.
    UniqueFont boldFont;
    if (record->state & MFS_DEFAULT) {
        LOGFONTA bold = menuLogFont;
        bold.lfWeight += 200;
        boldFont.reset(CreateFontIndirectA(&bold));
    }
    int textWidth = 0;
    {
        SelectScope font(screen.get(), boldFont ? boldFont.get() : settings.menuFont);
        RECT bounds{};
        DrawTextA(screen.get(), TextOf(*record), -1, &bounds, DT_CALCRECT | DT_SINGLELINE | DT_VCENTER);
        textWidth = Width(bounds);
    }

    const UINT dpi = settings.dpi;
    measure->itemHeight =
        static_cast<UINT>(std::max<LONG>(settings.buttonSize.cy, std::abs(menuLogFont.lfHeight) + ScaleLength(8, dpi)));
    // The system adds room for its own check mark to owner-drawn items; the column replaces it.
    measure->itemWidth = static_cast<UINT>(textWidth + 2 * settings.buttonSize.cx + settings.tabGap +
                                           ScaleLength(6, dpi) - MetricForDpi(SM_CXMENUCHECK, dpi));
}

void DrawMenuItem(const MenuDrawingSettings& settings, const DRAWITEMSTRUCT* draw)
{
    const MenuItemRecord* record = RecordOf(draw->itemData);
    if (!record)
        return;
    if (settings.flatMenus)
        DrawFlatItem(settings, *draw, *record);
    else
        Draw3dItem(settings, *draw, *record);
}

int DrawTextWithCues(HDC dc, const char* text, int count, RECT* rectangle, UINT format, bool cuesShown)
{
    if (cuesShown)
        return DrawTextA(dc, text, count, rectangle, format);
    // Windows hides the access-key underline for DT_HIDEPREFIX; Wine draws it all the same. So
    // hidden cues take the markers out of the text and draw it without prefix processing,
    // which looks the same on both: one drawing, no underline.
    const std::string unmarked = WithoutAccessMarkers(count < 0 ? std::string(text) : std::string(text, count));
    return DrawTextA(dc, unmarked.c_str(), -1, rectangle, format | DT_NOPREFIX);
}

void DrawItemText(const MenuDrawingSettings& settings, HDC dc, const RECT& rectangle, const char* text,
                  COLORREF colour)
{
    // Shift-JIS trail bytes are never below 0x40, so a tab byte is always a tab.
    const char* tab = std::strchr(text, '\t');
    SetTextColor(dc, colour);
    RECT area = rectangle;
    DrawTextWithCues(dc, text, tab ? static_cast<int>(tab - text) : -1, &area, DT_SINGLELINE | DT_VCENTER,
                     settings.cuesShown);
    if (tab) {
        area = rectangle;
        DrawTextWithCues(dc, tab + 1, -1, &area, DT_SINGLELINE | DT_VCENTER | DT_RIGHT, settings.cuesShown);
    }
}

namespace {

// The rectangle of a glyph of that size centred in the column, or the column where it is
// larger.
RECT CentredIn(const RECT& column, SIZE glyph)
{
    RECT target = column;
    if (glyph.cx < Width(column)) {
        target.left = column.left + (Width(column) - glyph.cx) / 2;
        target.right = target.left + glyph.cx;
    }
    if (glyph.cy < Height(column)) {
        target.top = column.top + (Height(column) - glyph.cy) / 2;
        target.bottom = target.top + glyph.cy;
    }
    return target;
}

// Draws the item's own check bitmap, or the system's check or bullet, into the target.
void StampCheck(const MenuDrawingSettings& settings, HDC dc, const RECT& column, const RECT& target, SIZE glyphSize,
                bool disabled, bool radio, HBITMAP bitmap, HBITMAP workSurface)
{
    const SIZE targetSize{Width(target), Height(target)};
    UniqueMemoryDc work(CreateCompatibleDC(dc));
    SelectScope workSelection(work.get(), bitmap ? bitmap : workSurface);
    // Monochrome sources come out black where 0 and white where 1 on the destination.
    ColourScope destinationColours(dc, kBlack, kWhite);
    UniqueMemoryDc mask(CreateCompatibleDC(dc));
    UniqueBitmap maskBitmap(CreateBitmap(glyphSize.cx, glyphSize.cy, 1, 1, nullptr));
    SelectScope maskSelection(mask.get(), maskBitmap.get());
    if (bitmap) {
        // The mask is white where the bitmap has the mask colour; XOR, AND, XOR keeps the
        // destination there and the bitmap everywhere else.
        SetBkColor(work.get(), settings.maskColor);
        SetBkColor(mask.get(), kBlack);
        SetTextColor(mask.get(), kWhite);
        BitBlt(mask.get(), 0, 0, glyphSize.cx, glyphSize.cy, work.get(), 0, 0, SRCCOPY);
        BitBlt(dc, target.left, target.top, targetSize.cx, targetSize.cy, work.get(), 0, 0, SRCINVERT);
        BitBlt(dc, target.left, target.top, targetSize.cx, targetSize.cy, mask.get(), 0, 0, SRCAND);
        BitBlt(dc, target.left, target.top, targetSize.cx, targetSize.cy, work.get(), 0, 0, SRCINVERT);
        return;
    }
    RECT glyph{0, 0, std::min<LONG>(glyphSize.cx, Width(column)), std::min<LONG>(glyphSize.cy, Height(column))};
    DrawFrameControl(mask.get(), &glyph, DFC_MENU, radio ? DFCS_MENUBULLET : DFCS_MENUCHECK);
    if (!settings.flatMenus && disabled)
        StampGlyph(dc, work.get(), mask.get(), glyph, glyphSize, {target.left + 1, target.top + 1}, targetSize,
                   COLOR_BTNHIGHLIGHT);
    StampGlyph(dc, work.get(), mask.get(), glyph, glyphSize, {target.left, target.top}, targetSize,
               disabled ? COLOR_BTNSHADOW : COLOR_MENUTEXT);
}

} // namespace

int DrawCheckGlyph(const MenuDrawingSettings& settings, HDC dc, const RECT& column, bool selected, bool disabled,
                   bool radio, HBITMAP bitmap)
{
    SIZE glyphSize{};
    UniqueBitmap workSurface;
    if (bitmap) {
        BITMAP info{};
        if (GetObjectA(bitmap, sizeof info, &info))
            glyphSize = {info.bmWidth, info.bmHeight};
    } else {
        glyphSize = {MetricForDpi(SM_CXMENUCHECK, settings.dpi), MetricForDpi(SM_CYMENUCHECK, settings.dpi)};
        workSurface.reset(CreateCompatibleBitmap(dc, glyphSize.cx, glyphSize.cy));
    }
    RECT target = CentredIn(column, glyphSize);
    if (!settings.flatMenus) {
        if (!selected || disabled)
            FillDithered(dc, target);
        else
            FillRect(dc, &target, GetSysColorBrush(COLOR_MENU));
    }
    StampCheck(settings, dc, column, target, glyphSize, disabled, radio, bitmap, workSurface.get());
    if (!settings.flatMenus && !disabled) {
        if (glyphSize.cx < Width(column))
            InflateRect(&target, 1, 1);
        DrawEdge(dc, &target, BDR_SUNKENOUTER, BF_RECT);
    }
    return 1;
}

void DrawDisabledImage(const MenuDrawingSettings& settings, HDC dc, int index, int x, int y, HBRUSH background,
                       HBRUSH highlight, HBRUSH shadow)
{
    const SIZE size = settings.imageSize;
    UniqueMemoryDc memory(CreateCompatibleDC(dc));
    UniqueBitmap picture(CreateCompatibleBitmap(dc, size.cx, size.cy));
    if (!memory || !picture)
        return;
    SelectScope selection(memory.get(), picture.get());
    PatBlt(memory.get(), 0, 0, size.cx, size.cy, WHITENESS);
    // With white button text (a high-contrast scheme) the image's colours say nothing about its
    // shape, so its mask is used instead.
    const UINT style = GetSysColor(COLOR_BTNTEXT) == kWhite ? ILD_MASK : ILD_NORMAL;
    ImageList_Draw(settings.imageList, index, memory.get(), 0, 0, style);
    StampSilhouette(dc, x, y, size.cx, size.cy, memory.get(), nullptr, 0, 0, background, highlight, shadow);
}

namespace {

// A two-colour DIB section: copying a colour picture into it maps every pixel to the nearer of
// black and white, which gives the silhouette.
UniqueBitmap CreateTwoColourSection(HDC dc, int width, int height)
{
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colours[2];
    } format{};
    format.header.biSize = sizeof format.header;
    format.header.biWidth = width;
    format.header.biHeight = height;
    format.header.biPlanes = 1;
    format.header.biBitCount = 1;
    format.header.biCompression = BI_RGB;
    format.colours[1] = {255, 255, 255, 0};
    void* bits = nullptr;
    return UniqueBitmap(CreateDIBSection(dc, reinterpret_cast<BITMAPINFO*>(&format), DIB_RGB_COLORS, &bits, nullptr, 0));
}

// Copies the source picture into the silhouette, mid grey counted as picture.
void CopySilhouette(HDC silhouette, HDC source, HBITMAP sourceBitmap, int sourceX, int sourceY, int width, int height)
{
    SelectScope sourceSelection(source, sourceBitmap);
    UniqueMemoryDc colour(CreateCompatibleDC(source));
    UniqueBitmap colourBitmap(CreateCompatibleBitmap(source, width, height));
    SelectScope colourSelection(colour.get(), colourBitmap.get());
    UniqueMemoryDc mono(CreateCompatibleDC(source));
    UniqueBitmap monoBitmap(CreateBitmap(width, height, 1, 1, nullptr));
    SelectScope monoSelection(mono.get(), monoBitmap.get());
    BitBlt(colour.get(), 0, 0, width, height, source, sourceX, sourceY, SRCCOPY);
    // Mid grey lies as near to white as to black; make it black so that it counts as picture.
    SetBkColor(colour.get(), kMidGrey);
    BitBlt(mono.get(), 0, 0, width, height, colour.get(), 0, 0, SRCCOPY);
    BitBlt(colour.get(), 0, 0, width, height, mono.get(), 0, 0, SRCINVERT);
    BitBlt(silhouette, 0, 0, width, height, colour.get(), 0, 0, SRCCOPY);
}

} // namespace

bool StampSilhouette(HDC destination, int x, int y, int width, int height, HDC source, HBITMAP sourceBitmap,
                     int sourceX, int sourceY, HBRUSH background, HBRUSH highlight, HBRUSH shadow)
{
    UniqueMemoryDc ownSource;
    if (!source) {
        ownSource.reset(CreateCompatibleDC(destination));
        if (!ownSource)
            return false;
        source = ownSource.get();
    }
    UniqueMemoryDc silhouette(CreateCompatibleDC(destination));
    if (!silhouette)
        return false;
    UniqueBitmap section = CreateTwoColourSection(silhouette.get(), width, height);
    if (!section)
        return false;
    SelectScope sectionSelection(silhouette.get(), section.get());
    CopySilhouette(silhouette.get(), source, sourceBitmap, sourceX, sourceY, width, height);
    if (background) {
        RECT area{x, y, x + width, y + height};
        FillRect(destination, &area, background);
    }
    {
        SelectScope brush(destination, highlight);
        BitBlt(destination, x + 1, y + 1, width, height, silhouette.get(), 0, 0, kBrushWhereSourceBlack);
    }
    {
        SelectScope brush(destination, shadow);
        BitBlt(destination, x, y, width, height, silhouette.get(), 0, 0, kBrushWhereSourceBlack);
    }
    return true;
}
