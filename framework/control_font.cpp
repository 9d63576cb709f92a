#include "control_font.h"

void ControlFont::Remember(HWND control)
{
    control_ = control;
    const auto own = reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0));
    // A control without a font of its own draws with the system font.
    known_ = GetObjectA(own ? own : GetStockObject(SYSTEM_FONT), sizeof remembered_, &remembered_) != 0;
}

void ControlFont::Remember(HWND control, SystemFont source)
{
    control_ = control;
    fromSystem_ = true;
    source_ = source;
}

void ControlFont::ScaleTo(UINT dpi)
{
    if (!given_ && dpi == SystemDpi())
        return;
    LOGFONTA font{};
    if (!fromSystem_) {
        if (known_)
            Give(FontForDpi(remembered_, dpi));
    } else if (SystemFontForDpi(source_, dpi, font)) {
        Give(font);
    }
}

void ControlFont::Give(const LOGFONTA& font)
{
    UniqueFont made(CreateFontIndirectA(&font));
    if (!made || !control_)
        return;
    SendMessageA(control_, WM_SETFONT, reinterpret_cast<WPARAM>(made.get()), TRUE);
    given_ = std::move(made); // the control no longer draws with the font this replaces
}
