// The menu bar's popup items, painted into a bitmap and checked pixel by pixel. The system
// colours are set to distinct values for the whole suite so that every pixel tells which part
// of the drawing made it.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/unique_any.h"
#include "framework/gdi_scope.h"
#include "framework/menu_drawing.h"

namespace {

constexpr COLORREF kMenu = RGB(240, 236, 220);
constexpr COLORREF kMenuHighlight = RGB(80, 140, 220);
constexpr COLORREF kHighlight = RGB(20, 40, 120);
constexpr COLORREF kHighlightText = RGB(250, 250, 100);
constexpr COLORREF kMenuText = RGB(30, 0, 60);
constexpr COLORREF kShadow = RGB(120, 110, 100);
constexpr COLORREF kButtonHighlight = RGB(255, 255, 255);
constexpr COLORREF kFace = RGB(200, 180, 160);
constexpr COLORREF kGrayText = RGB(150, 150, 160);
constexpr COLORREF kButtonText = RGB(0, 0, 0);
// What was on the canvas before the item was painted.
constexpr COLORREF kStale = RGB(255, 0, 255);

constexpr COLORREF kImageBlue = RGB(0, 0, 200);
constexpr COLORREF kMaskGrey = RGB(192, 192, 192);

const int kColourIndices[] = {COLOR_MENU,      COLOR_MENUHILIGHT, COLOR_HIGHLIGHT, COLOR_HIGHLIGHTTEXT,
                              COLOR_MENUTEXT,  COLOR_BTNSHADOW,   COLOR_BTNHIGHLIGHT, COLOR_BTNFACE,
                              COLOR_GRAYTEXT,  COLOR_BTNTEXT};
const COLORREF kColours[] = {kMenu,  kMenuHighlight,   kHighlight, kHighlightText, kMenuText,
                             kShadow, kButtonHighlight, kFace,      kGrayText,      kButtonText};
constexpr int kColourCount = sizeof kColourIndices / sizeof kColourIndices[0];

// Changes one system colour for the lifetime of a scope.
class SysColourScope {
public:
    SysColourScope(int index, COLORREF colour) : index_(index), old_(GetSysColor(index))
    {
        SetSysColors(1, &index_, &colour);
    }
    ~SysColourScope() { SetSysColors(1, &index_, &old_); }
    SysColourScope(const SysColourScope&) = delete;
    SysColourScope& operator=(const SysColourScope&) = delete;

private:
    int index_;
    COLORREF old_;
};

std::string ShiftJis(const wchar_t* text)
{
    char bytes[256] = {};
    WideCharToMultiByte(932, 0, text, -1, bytes, sizeof bytes, nullptr, nullptr);
    return bytes;
}

HBITMAP MakeDibSection(HDC dc, int width, int height, int bitCount, uint32_t** bits)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down: row 0 first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = static_cast<WORD>(bitCount);
    info.bmiHeader.biCompression = BI_RGB;
    void* memory = nullptr;
    const HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &memory, nullptr, 0);
    if (bits)
        *bits = static_cast<uint32_t*>(memory);
    return bitmap;
}

// A 32-bit surface to paint items on, with pixels readable as COLORREFs.
class Canvas {
public:
    static constexpr int kWidth = 216;
    static constexpr int kHeight = 48;

    Canvas()
        : dc_(CreateCompatibleDC(nullptr)), bitmap_(MakeDibSection(dc_.get(), kWidth, kHeight, 32, &bits_)),
          selection_(dc_.get(), bitmap_.get())
    {
    }

    HDC dc() const { return dc_.get(); }

    void Fill(COLORREF colour)
    {
        UniqueBrush brush(CreateSolidBrush(colour));
        RECT all{0, 0, kWidth, kHeight};
        FillRect(dc_.get(), &all, brush.get());
    }

    COLORREF At(int x, int y) const
    {
        GdiFlush();
        const uint32_t pixel = bits_[y * kWidth + x];
        return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
    }

    int Count(const RECT& area, const std::function<bool(COLORREF)>& test) const
    {
        int count = 0;
        for (int y = area.top; y < area.bottom; ++y)
            for (int x = area.left; x < area.right; ++x)
                count += test(At(x, y)) ? 1 : 0;
        return count;
    }
    int CountColour(const RECT& area, COLORREF colour) const
    {
        return Count(area, [colour](COLORREF pixel) { return pixel == colour; });
    }
    int CountOther(const RECT& area, COLORREF colour) const
    {
        return Count(area, [colour](COLORREF pixel) { return pixel != colour; });
    }

    std::vector<uint32_t> Snapshot() const
    {
        GdiFlush();
        return std::vector<uint32_t>(bits_, bits_ + kWidth * kHeight);
    }

private:
    uint32_t* bits_ = nullptr;
    UniqueMemoryDc dc_;
    UniqueBitmap bitmap_;
    SelectScope selection_;
};

// The test image: a blue block on the transparent grey, with a white patch (light, so a hole in
// the silhouette) and a mid-grey patch (counted as picture).
constexpr RECT kImageBlock{2, 2, 14, 13};
constexpr RECT kImageWhite{5, 5, 8, 8};
constexpr RECT kImageMidGrey{9, 5, 12, 8};

UniqueImageList MakeImageList()
{
    UniqueImageList list(ImageList_Create(16, 15, ILC_COLOR24 | ILC_MASK, 1, 1));
    UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
    UniqueBitmap picture(MakeDibSection(dc.get(), 16, 15, 24, nullptr));
    {
        SelectScope selection(dc.get(), picture.get());
        const auto paint = [&dc](RECT area, COLORREF colour) {
            UniqueBrush brush(CreateSolidBrush(colour));
            FillRect(dc.get(), &area, brush.get());
        };
        paint({0, 0, 16, 15}, kMaskGrey);
        paint(kImageBlock, kImageBlue);
        paint(kImageWhite, RGB(255, 255, 255));
        paint(kImageMidGrey, RGB(128, 128, 128));
    }
    ImageList_AddMasked(list.get(), picture.get(), kMaskGrey);
    return list;
}

// A small bitmap in the mask colour with a coloured square in the middle, for item check bitmaps.
UniqueBitmap MakeCheckBitmap(COLORREF colour)
{
    UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
    UniqueBitmap bitmap(MakeDibSection(dc.get(), 10, 10, 24, nullptr));
    SelectScope selection(dc.get(), bitmap.get());
    UniqueBrush grey(CreateSolidBrush(kMaskGrey));
    UniqueBrush middle(CreateSolidBrush(colour));
    RECT all{0, 0, 10, 10};
    RECT square{3, 3, 7, 7};
    FillRect(dc.get(), &all, grey.get());
    FillRect(dc.get(), &square, middle.get());
    return bitmap;
}

constexpr UINT kOpenId = 100;
constexpr UINT kRadioId = 101;
constexpr UINT kBitmapId = 102;
constexpr UINT kUnreachableId = 0xFFFF;

class MenuDrawing : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        for (int i = 0; i < kColourCount; ++i)
            savedColours_[i] = GetSysColor(kColourIndices[i]);
        SetSysColors(kColourCount, kColourIndices, kColours);
    }
    static void TearDownTestSuite() { SetSysColors(kColourCount, kColourIndices, savedColours_); }

    void SetUp() override
    {
        NONCLIENTMETRICSA metrics{};
        metrics.cbSize = sizeof metrics;
        SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
        font_.reset(CreateFontIndirectA(&metrics.lfMenuFont));
        images_ = MakeImageList();
        settings_.menuFont = font_.get();
        settings_.imageList = images_.get();
        SelectObject(canvas_.dc(), font_.get());

        AppendMenuA(menu_.get(), MF_STRING, kOpenId, "Open");
        AppendMenuA(menu_.get(), MF_STRING, kRadioId, "Radio");
        MENUITEMINFOA radio{};
        radio.cbSize = sizeof radio;
        radio.fMask = MIIM_FTYPE;
        radio.fType = MFT_STRING | MFT_RADIOCHECK;
        SetMenuItemInfoA(menu_.get(), kRadioId, FALSE, &radio);
        AppendMenuA(menu_.get(), MF_STRING, kBitmapId, "Bitmaps");
        SetMenuItemBitmaps(menu_.get(), kBitmapId, MF_BYCOMMAND, uncheckedBitmap_.get(), checkedBitmap_.get());
        AppendMenuA(menu_.get(), MF_STRING, kUnreachableId, "Odd");

        text_ = "Open";
        record_ = {{static_cast<DWORD>(MSAA_MENU_SIG), 0, nullptr}, kMenuItemSignature, &text_[0], MFT_STRING, 0, -1};
    }

    void TearDown() override { SelectObject(canvas_.dc(), GetStockObject(SYSTEM_FONT)); }

    void SetText(const std::string& text)
    {
        text_ = text;
        record_.text = &text_[0];
    }

    void Draw(UINT id, UINT state, UINT action = ODA_DRAWENTIRE)
    {
        DRAWITEMSTRUCT draw{};
        draw.CtlType = ODT_MENU;
        draw.itemID = id;
        draw.itemAction = action;
        draw.itemState = state;
        draw.hwndItem = reinterpret_cast<HWND>(menu_.get());
        draw.hDC = canvas_.dc();
        draw.rcItem = item_;
        draw.itemData = reinterpret_cast<ULONG_PTR>(&record_);
        DrawMenuItem(settings_, &draw);
    }

    MEASUREITEMSTRUCT Measure()
    {
        MEASUREITEMSTRUCT measure{};
        measure.CtlType = ODT_MENU;
        measure.itemID = kOpenId;
        measure.itemData = reinterpret_cast<ULONG_PTR>(&record_);
        MeasureMenuItem(settings_, &measure);
        return measure;
    }

    // The image column of the item and where its image lands (default sizes: 22 x 21, 16 x 15).
    RECT Column() const { return {item_.left, item_.top, item_.left + 22, item_.top + 21}; }
    POINT ImageAt(int x, int y) const { return {item_.left + 3 + x, item_.top + 3 + y}; }
    COLORREF ImagePixel(int x, int y) const
    {
        const POINT at = ImageAt(x, y);
        return canvas_.At(at.x, at.y);
    }
    RECT TextArea() const { return {item_.left + 25, item_.top, item_.right - 22, item_.bottom}; }
    // Everything of the item right of the column and left of the text.
    RECT Gap() const { return {item_.left + 22, item_.top, item_.left + 25, item_.bottom}; }

    static COLORREF savedColours_[kColourCount];
    UniqueFont font_;
    UniqueImageList images_;
    UniqueBitmap checkedBitmap_ = MakeCheckBitmap(RGB(220, 0, 0));
    UniqueBitmap uncheckedBitmap_ = MakeCheckBitmap(RGB(0, 160, 0));
    MenuDrawingSettings settings_;
    Canvas canvas_;
    UniqueMenu menu_{CreatePopupMenu()};
    std::string text_;
    MenuItemRecord record_{};
    RECT item_{4, 4, 204, 26};
};

COLORREF MenuDrawing::savedColours_[kColourCount];

TEST_F(MenuDrawing, SeparatorsMeasureHalfAMenuBarAndPaintOneEtchedLineAcrossTheMiddle)
{
    record_.type = MFT_SEPARATOR;
    const MEASUREITEMSTRUCT measure = Measure();
    EXPECT_EQ(0u, measure.itemWidth);
    EXPECT_EQ(static_cast<UINT>(GetSystemMetrics(SM_CYMENU) / 2), measure.itemHeight);

    item_.bottom = item_.top + static_cast<int>(measure.itemHeight);
    const int middle = item_.top + static_cast<int>(measure.itemHeight) / 2;
    for (const bool flat : {true, false}) {
        SCOPED_TRACE(flat ? "flat" : "3D");
        settings_.flatMenus = flat;
        canvas_.Fill(kStale);
        Draw(0, 0);
        EXPECT_EQ(item_.right - item_.left, canvas_.CountColour({item_.left, middle, item_.right, middle + 1}, kShadow));
        EXPECT_EQ(item_.right - item_.left,
                  canvas_.CountColour({item_.left, middle + 1, item_.right, middle + 2}, kButtonHighlight));
        // Nothing else: the menu's own background stays.
        EXPECT_EQ(0, canvas_.CountOther({0, 0, Canvas::kWidth, middle}, kStale));
        EXPECT_EQ(0, canvas_.CountOther({0, middle + 2, Canvas::kWidth, Canvas::kHeight}, kStale));
    }
}

TEST_F(MenuDrawing, ItemsAreAsTallAsTheColumnOrTheFontAndWideEnoughForTheirText)
{
    LOGFONTA logFont{};
    GetObjectA(font_.get(), sizeof logFont, &logFont);
    logFont.lfHeight = -11;
    UniqueFont small(CreateFontIndirectA(&logFont));
    logFont.lfHeight = -30;
    UniqueFont large(CreateFontIndirectA(&logFont));

    settings_.menuFont = small.get();
    SetText("x");
    const MEASUREITEMSTRUCT shortItem = Measure();
    EXPECT_EQ(21u, shortItem.itemHeight);
    SetText("xxxxxxxxxx");
    const MEASUREITEMSTRUCT longItem = Measure();
    // Nine more x's make the item exactly nine x's wider.
    {
        UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
        SelectScope font(dc.get(), small.get());
        SIZE one{};
        SIZE ten{};
        GetTextExtentPoint32A(dc.get(), "x", 1, &one);
        GetTextExtentPoint32A(dc.get(), "xxxxxxxxxx", 10, &ten);
        EXPECT_EQ(static_cast<UINT>(ten.cx - one.cx), longItem.itemWidth - shortItem.itemWidth);
        // Room for the text, the column at the left and as much at the right, where the
        // system's own check mark space is given back.
        EXPECT_EQ(static_cast<UINT>(ten.cx + 2 * 22 + 6 - GetSystemMetrics(SM_CXMENUCHECK)), longItem.itemWidth);
    }
    settings_.tabGap = 7;
    EXPECT_EQ(longItem.itemWidth + 7, Measure().itemWidth);

    settings_.menuFont = large.get();
    EXPECT_EQ(38u, Measure().itemHeight);
}

TEST_F(MenuDrawing, DefaultItemsMeasureWiderInBoldButKeepTheNormalHeight)
{
    SetText("Open the history file");
    const MEASUREITEMSTRUCT normal = Measure();
    record_.state = MFS_DEFAULT;
    const MEASUREITEMSTRUCT bold = Measure();
    EXPECT_GT(bold.itemWidth, normal.itemWidth);
    EXPECT_EQ(normal.itemHeight, bold.itemHeight);
}

TEST_F(MenuDrawing, FlatSelectionIsAFilledFramedBarAndLeavingItRepaintsTheMenuColour)
{
    settings_.flatMenus = true;
    canvas_.Fill(kStale);
    Draw(kOpenId, ODS_SELECTED, ODA_SELECT);
    const int middleX = (item_.left + item_.right) / 2;
    const int middleY = (item_.top + item_.bottom) / 2;
    EXPECT_EQ(kHighlight, canvas_.At(item_.left, middleY));
    EXPECT_EQ(kHighlight, canvas_.At(item_.right - 1, middleY));
    EXPECT_EQ(kHighlight, canvas_.At(middleX, item_.top));
    EXPECT_EQ(kHighlight, canvas_.At(middleX, item_.bottom - 1));
    // Inside the frame, left of the text, nothing but the fill.
    EXPECT_EQ(0, canvas_.CountOther({item_.left + 1, item_.top + 1, item_.left + 25, item_.bottom - 1}, kMenuHighlight));
    EXPECT_GT(canvas_.CountColour(TextArea(), kHighlightText), 0) << "the text in the highlight text colour";
    // Nothing outside the item.
    EXPECT_EQ(0, canvas_.CountOther({0, 0, Canvas::kWidth, item_.top}, kStale));
    EXPECT_EQ(0, canvas_.CountOther({0, item_.bottom, Canvas::kWidth, Canvas::kHeight}, kStale));

    canvas_.Fill(kStale);
    Draw(kOpenId, 0, ODA_SELECT);
    EXPECT_EQ(0, canvas_.Count(item_, [](COLORREF pixel) { return pixel == kStale; }));
    EXPECT_GT(canvas_.CountColour(TextArea(), kMenuText), 0);

    // A first paint keeps the background the menu painted.
    canvas_.Fill(kStale);
    Draw(kOpenId, 0, ODA_DRAWENTIRE);
    EXPECT_EQ(0, canvas_.CountOther(Column(), kStale));
    EXPECT_GT(canvas_.CountColour(TextArea(), kMenuText), 0);
}

TEST_F(MenuDrawing, AnItemNumberedFFFFShowsTheSelectionBarButNotSelectedText)
{
    settings_.flatMenus = true;
    canvas_.Fill(kMenu);
    Draw(kUnreachableId, ODS_SELECTED, ODA_SELECT);
    EXPECT_EQ(kHighlight, canvas_.At(item_.left, item_.top));
    EXPECT_EQ(kMenuHighlight, canvas_.At(item_.left + 2, item_.top + 2));
    EXPECT_EQ(0, canvas_.CountColour(TextArea(), kHighlightText));
    EXPECT_GT(canvas_.CountColour(TextArea(), kMenuText), 0);

    settings_.flatMenus = false;
    canvas_.Fill(kMenu);
    Draw(kUnreachableId, ODS_SELECTED, ODA_SELECT);
    EXPECT_EQ(0, canvas_.CountColour(item_, kHighlight));
    EXPECT_GT(canvas_.CountColour(TextArea(), kMenuText), 0);
}

// Pixels of a colour whose right or lower neighbour has the same colour.
int TouchingPixels(const Canvas& canvas, const RECT& area, COLORREF colour)
{
    int count = 0;
    for (int y = area.top; y < area.bottom - 1; ++y)
        for (int x = area.left; x < area.right - 1; ++x)
            if (canvas.At(x, y) == colour && (canvas.At(x + 1, y) == colour || canvas.At(x, y + 1) == colour))
                ++count;
    return count;
}

TEST_F(MenuDrawing, ACheckedItemWithoutImageShowsItsMarkInTheColumn)
{
    for (const bool flat : {true, false}) {
        SCOPED_TRACE(flat ? "flat" : "3D");
        settings_.flatMenus = flat;

        canvas_.Fill(kMenu);
        Draw(kOpenId, 0);
        EXPECT_EQ(0, canvas_.CountOther(Column(), kMenu)) << "an unchecked item leaves its column empty";

        canvas_.Fill(kMenu);
        Draw(kOpenId, ODS_CHECKED);
        const int markPixels = canvas_.CountColour(Column(), kMenuText);
        EXPECT_GT(markPixels, 8);
        EXPECT_EQ(0, canvas_.CountOther(Gap(), kMenu)) << "the mark stays in its column";
        const std::vector<uint32_t> check = canvas_.Snapshot();

        canvas_.Fill(kMenu);
        Draw(kRadioId, ODS_CHECKED);
        EXPECT_GT(canvas_.CountColour(Column(), kMenuText), 4);
        EXPECT_NE(check, canvas_.Snapshot()) << "a radio item shows a bullet, not a check mark";

        // Disabled: the mark in the shadow colour (embossed in 3D).
        canvas_.Fill(kMenu);
        Draw(kOpenId, ODS_CHECKED | ODS_GRAYED);
        EXPECT_EQ(0, canvas_.CountColour(Column(), kMenuText));
        EXPECT_EQ(markPixels, canvas_.CountColour(Column(), kShadow));
        // The emboss in 3D: highlight pixels next to each other, which the dither alone never has.
        if (flat)
            EXPECT_EQ(0, canvas_.CountColour(Column(), kButtonHighlight));
        else
            EXPECT_GT(TouchingPixels(canvas_, Column(), kButtonHighlight), 0);
    }
}

TEST_F(MenuDrawing, FlatCheckedItemsAreFramedAndThreeDOnesSitOnADitherWithASunkenEdge)
{
    settings_.flatMenus = true;
    canvas_.Fill(kMenu);
    Draw(kOpenId, ODS_CHECKED);
    const RECT column = Column();
    // The frame lies one pixel inside the column.
    EXPECT_EQ(kMenu, canvas_.At(column.left, column.top + 5));
    EXPECT_EQ(kHighlight, canvas_.At(column.left + 1, column.top + 5));
    EXPECT_EQ(kHighlight, canvas_.At(column.right - 2, column.top + 5));
    EXPECT_EQ(kHighlight, canvas_.At(column.left + 5, column.top + 1));
    EXPECT_EQ(kHighlight, canvas_.At(column.left + 5, column.bottom - 2));

    // 3D: the mark's box is dithered and sunk.
    settings_.flatMenus = false;
    canvas_.Fill(kMenu);
    Draw(kOpenId, ODS_CHECKED);
    const int faces = canvas_.CountColour(column, kFace);
    EXPECT_GT(faces, 10);
    EXPECT_EQ(kShadow, canvas_.At(column.left + (22 - GetSystemMetrics(SM_CXMENUCHECK)) / 2 - 1, column.top + 10));
}

TEST_F(MenuDrawing, ItemCheckBitmapsAreDrawnWithTheMaskColourTransparent)
{
    settings_.flatMenus = true;
    // A 10 x 10 bitmap is centred in the 22 x 21 column.
    const RECT column = Column();
    const int left = column.left + 6;
    const int top = column.top + 5;

    canvas_.Fill(kMenu);
    Draw(kBitmapId, ODS_CHECKED);
    EXPECT_EQ(16, canvas_.CountColour(column, RGB(220, 0, 0)));
    EXPECT_EQ(RGB(220, 0, 0), canvas_.At(left + 3, top + 3));
    EXPECT_EQ(RGB(220, 0, 0), canvas_.At(left + 6, top + 6));
    EXPECT_EQ(0, canvas_.CountColour(column, kMaskGrey));
    EXPECT_EQ(kMenu, canvas_.At(left, top));
    EXPECT_EQ(kMenu, canvas_.At(left + 9, top + 9));

    // Unchecked, the item shows its unchecked bitmap.
    canvas_.Fill(kMenu);
    Draw(kBitmapId, 0);
    EXPECT_EQ(16, canvas_.CountColour(column, RGB(0, 160, 0)));
    EXPECT_EQ(0, canvas_.CountColour(column, RGB(220, 0, 0)));
    EXPECT_EQ(0, canvas_.CountColour(column, kMaskGrey));
}

// Where the text has ink: columns that hold any pixel other than the background.
std::vector<bool> InkColumns(const Canvas& canvas, const RECT& area, COLORREF background)
{
    std::vector<bool> ink(static_cast<size_t>(area.right - area.left));
    for (int x = area.left; x < area.right; ++x)
        ink[static_cast<size_t>(x - area.left)] = canvas.CountOther({x, area.top, x + 1, area.bottom}, background) > 0;
    return ink;
}

TEST_F(MenuDrawing, AcceleratorTextIsRightAlignedAndTheAccessKeyUnderlinedOnlyWhileCuesAreShown)
{
    settings_.flatMenus = true;
    settings_.cuesShown = true;
    SetText(ShiftJis(L"リロード(&R)\tF5"));
    canvas_.Fill(kMenu);
    Draw(kOpenId, 0);
    const RECT text = TextArea();
    const std::vector<bool> ink = InkColumns(canvas_, text, kMenu);
    const int width = static_cast<int>(ink.size());
    int first = 0;
    while (first < width && !ink[static_cast<size_t>(first)])
        ++first;
    int last = width - 1;
    while (last >= 0 && !ink[static_cast<size_t>(last)])
        --last;
    EXPECT_LE(first, 3) << "the item text starts at the left of the text area";
    EXPECT_GE(last, width - 4) << "F5 ends at the right of the text area";
    // Between them a run without ink: two separate texts, not one.
    int longestGap = 0;
    for (int x = first, run = 0; x <= last; ++x) {
        run = ink[static_cast<size_t>(x)] ? 0 : run + 1;
        longestGap = std::max(longestGap, run);
    }
    EXPECT_GT(longestGap, 20);
    const std::vector<uint32_t> withCues = canvas_.Snapshot();

    settings_.cuesShown = false;
    canvas_.Fill(kMenu);
    Draw(kOpenId, 0);
    const std::vector<uint32_t> withoutCues = canvas_.Snapshot();
    int differences = 0;
    int row = -1;
    bool oneRow = true;
    for (size_t i = 0; i < withCues.size(); ++i) {
        if (withCues[i] == withoutCues[i])
            continue;
        ++differences;
        const int y = static_cast<int>(i) / Canvas::kWidth;
        if (row >= 0 && y != row)
            oneRow = false;
        row = y;
    }
    EXPECT_GT(differences, 2) << "the underline disappears";
    EXPECT_LT(differences, 16);
    EXPECT_TRUE(oneRow);

    // A doubled ampersand is one ampersand either way.
    SetText("Save && Quit");
    settings_.cuesShown = true;
    canvas_.Fill(kMenu);
    Draw(kOpenId, 0);
    const std::vector<uint32_t> doubledWithCues = canvas_.Snapshot();
    settings_.cuesShown = false;
    canvas_.Fill(kMenu);
    Draw(kOpenId, 0);
    EXPECT_EQ(doubledWithCues, canvas_.Snapshot());

    // Without a tab the whole text stays at the left.
    SetText(ShiftJis(L"リロード(&R)"));
    canvas_.Fill(kMenu);
    Draw(kOpenId, 0);
    EXPECT_EQ(0, canvas_.CountOther({text.right - 40, text.top, text.right, text.bottom}, kMenu));
    EXPECT_GT(canvas_.CountOther({text.left, text.top, text.left + 20, text.bottom}, kMenu), 0);
}

TEST_F(MenuDrawing, ThreeDCheckedImagesSitOnADitherWhileUnselectedAndOnTheMenuColourWhileSelected)
{
    record_.image = 0;
    const RECT column = Column();
    const int ditherRow = column.top + 1;

    canvas_.Fill(kMenu);
    Draw(kOpenId, ODS_CHECKED);
    // Alternating face and highlight pixels between the edge and the image.
    for (int x = column.left + 1; x < column.right - 2; ++x) {
        const COLORREF here = canvas_.At(x, ditherRow);
        EXPECT_TRUE(here == kFace || here == kButtonHighlight) << x;
        EXPECT_NE(here, canvas_.At(x + 1, ditherRow)) << x;
        EXPECT_NE(here, canvas_.At(x, ditherRow + 1)) << x;
    }
    // Sunken: shadow at the top and left, highlight at the bottom and right.
    EXPECT_EQ(kShadow, canvas_.At(column.left + 5, column.top));
    EXPECT_EQ(kShadow, canvas_.At(column.left, column.top + 5));
    EXPECT_EQ(kButtonHighlight, canvas_.At(column.left + 5, column.bottom - 1));
    EXPECT_EQ(kButtonHighlight, canvas_.At(column.right - 1, column.top + 5));
    EXPECT_EQ(kImageBlue, ImagePixel(3, 3));

    canvas_.Fill(kStale);
    Draw(kOpenId, ODS_CHECKED | ODS_SELECTED, ODA_SELECT);
    EXPECT_EQ(column.right - column.left - 2,
              canvas_.CountColour({column.left + 1, ditherRow, column.right - 1, ditherRow + 1}, kMenu));
    EXPECT_EQ(kShadow, canvas_.At(column.left + 5, column.top));
    EXPECT_EQ(kButtonHighlight, canvas_.At(column.left + 5, column.bottom - 1));
    EXPECT_EQ(kImageBlue, ImagePixel(3, 3));
    // The selection bar starts one pixel right of the column.
    const int middleY = (item_.top + item_.bottom) / 2;
    EXPECT_EQ(kStale, canvas_.At(column.right, middleY));
    EXPECT_EQ(kHighlight, canvas_.At(column.right + 1, middleY));
    EXPECT_EQ(kHighlight, canvas_.At(item_.right - 1, middleY));

    // Selected but not checked: a raised box.
    canvas_.Fill(kMenu);
    Draw(kOpenId, ODS_SELECTED, ODA_SELECT);
    EXPECT_EQ(kButtonHighlight, canvas_.At(column.left + 5, column.top));
    EXPECT_EQ(kButtonHighlight, canvas_.At(column.left, column.top + 5));
    EXPECT_EQ(kShadow, canvas_.At(column.left + 5, column.bottom - 1));
    EXPECT_EQ(kShadow, canvas_.At(column.right - 1, column.top + 5));
}

TEST_F(MenuDrawing, ThreeDSelectionStartsAtTheLeftWhenTheColumnIsEmpty)
{
    canvas_.Fill(kStale);
    Draw(kOpenId, ODS_SELECTED, ODA_SELECT);
    const int middleY = (item_.top + item_.bottom) / 2;
    EXPECT_EQ(kHighlight, canvas_.At(item_.left, middleY));
    EXPECT_EQ(kHighlight, canvas_.At(item_.left + 22, middleY));
}

TEST_F(MenuDrawing, DisabledImagesAreSilhouettesFlatInTheShadowColourAndEmbossedIn3D)
{
    record_.image = 0;
    const auto expectSilhouette = [this](COLORREF background) {
        EXPECT_EQ(0, canvas_.CountColour(Column(), kImageBlue));
        EXPECT_EQ(kShadow, ImagePixel(kImageBlock.left, kImageBlock.top));
        EXPECT_EQ(kShadow, ImagePixel(kImageBlock.right - 1, kImageBlock.bottom - 1));
        EXPECT_EQ(kShadow, ImagePixel(kImageMidGrey.left + 1, kImageMidGrey.top + 1)) << "mid grey is picture";
        EXPECT_EQ(background, ImagePixel(kImageWhite.left + 1, kImageWhite.top + 1)) << "white is a hole";
        EXPECT_EQ(background, ImagePixel(0, 0));
    };

    settings_.flatMenus = true;
    canvas_.Fill(kMenu);
    Draw(kOpenId, ODS_GRAYED);
    expectSilhouette(kMenu);
    // Flat: no highlight below and right of the shape.
    EXPECT_EQ(kMenu, ImagePixel(kImageBlock.right, kImageBlock.bottom));

    canvas_.Fill(kMenu);
    Draw(kOpenId, ODS_GRAYED | ODS_SELECTED, ODA_SELECT);
    expectSilhouette(kMenuHighlight);
    EXPECT_EQ(kMenuHighlight, ImagePixel(kImageBlock.right, kImageBlock.bottom));

    settings_.flatMenus = false;
    canvas_.Fill(kMenu);
    Draw(kOpenId, ODS_GRAYED);
    expectSilhouette(kMenu);
    EXPECT_EQ(kButtonHighlight, ImagePixel(kImageBlock.right, kImageBlock.bottom));
    EXPECT_EQ(kButtonHighlight, ImagePixel(kImageBlock.right, kImageBlock.top + 1));
    EXPECT_EQ(kMenu, ImagePixel(kImageBlock.right, kImageBlock.top));

    // A checked disabled image keeps the dither around it.
    canvas_.Fill(kMenu);
    Draw(kOpenId, ODS_GRAYED | ODS_CHECKED);
    EXPECT_EQ(kShadow, ImagePixel(kImageBlock.left, kImageBlock.top));
    EXPECT_GT(canvas_.CountColour(Column(), kFace), 20);
}

TEST_F(MenuDrawing, WithWhiteButtonTextDisabledImagesAreStampedFromTheMask)
{
    SysColourScope whiteText(COLOR_BTNTEXT, RGB(255, 255, 255));
    record_.image = 0;
    settings_.flatMenus = true;
    canvas_.Fill(kMenu);
    Draw(kOpenId, ODS_GRAYED);
    EXPECT_EQ(kShadow, ImagePixel(kImageWhite.left + 1, kImageWhite.top + 1)) << "no holes: the mask is solid";
    EXPECT_EQ(kShadow, ImagePixel(kImageBlock.left, kImageBlock.top));
    EXPECT_EQ(kMenu, ImagePixel(0, 0));
}

TEST_F(MenuDrawing, DisabledTextIsEmbossedIn3DAndStaysVisibleOnASelectionOfItsOwnColour)
{
    canvas_.Fill(kMenu);
    Draw(kOpenId, ODS_GRAYED);
    EXPECT_GT(canvas_.CountColour(TextArea(), kShadow), 0);
    EXPECT_GT(canvas_.CountColour(TextArea(), kButtonHighlight), 0);

    // Selected, grey text on the selection bar: plain.
    canvas_.Fill(kMenu);
    Draw(kOpenId, ODS_GRAYED | ODS_SELECTED, ODA_SELECT);
    EXPECT_GT(canvas_.CountColour(TextArea(), kGrayText), 0);
    EXPECT_EQ(0, canvas_.CountColour(TextArea(), kButtonHighlight));

    SysColourScope sameColour(COLOR_GRAYTEXT, kHighlight);
    canvas_.Fill(kMenu);
    Draw(kOpenId, ODS_GRAYED | ODS_SELECTED, ODA_SELECT);
    EXPECT_GT(canvas_.CountColour(TextArea(), kButtonHighlight), 0);
}

// How many more GDI objects the process can make; a leak lowers it.
int FreeGdiCapacity()
{
    std::vector<HBRUSH> brushes;
    brushes.reserve(70000);
    while (brushes.size() < 200000) {
        const HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
        if (!brush)
            break;
        brushes.push_back(brush);
    }
    for (const HBRUSH brush : brushes)
        DeleteObject(brush);
    return static_cast<int>(brushes.size());
}

TEST_F(MenuDrawing, MeasuringAndDrawingFreeEverythingTheyMake)
{
    const auto drawEveryKind = [this] {
        for (const bool flat : {true, false}) {
            settings_.flatMenus = flat;
            for (const int image : {-1, 0}) {
                record_.image = image;
                for (const UINT state : {0u, 1u, 2u, 3u, 8u, 9u, 10u, 11u}) {
                    Draw(kOpenId, state, ODA_SELECT);
                    Draw(kRadioId, state, ODA_DRAWENTIRE);
                    Draw(kBitmapId, state, ODA_SELECT);
                }
            }
        }
        record_.image = -1;
        record_.state = MFS_DEFAULT;
        Measure();
        record_.state = 0;
        Measure();
        record_.type = MFT_SEPARATOR;
        Measure();
        Draw(0, 0);
        record_.type = MFT_STRING;
    };
    SetText(ShiftJis(L"リロード(&R)\tF5"));
    // Whatever the system keeps once (stock objects, font caches) is made before counting.
    drawEveryKind();
    const int before = FreeGdiCapacity();
    ASSERT_GT(before, 1000);
    for (int round = 0; round < 4; ++round)
        drawEveryKind();
    EXPECT_EQ(before, FreeGdiCapacity());
}

} // namespace
