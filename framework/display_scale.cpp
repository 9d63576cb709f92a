#include "display_scale.h"

#include <cstddef>
#include <cstring>

#include "app/unique_any.h"
#include "gdi_scope.h"
#include "system_sizes.h"

namespace {

template <typename Function>
Function Export(HMODULE module, const char* name)
{
    // Through void*: the export's real type is known only by its name.
    return module ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

HMODULE User32() { return GetModuleHandleA("user32.dll"); }

// Windows 8.1's per-monitor DPI, from a library that older systems lack. It is loaded from the
// system folder only, and kept for the process's life.
UINT MonitorDpi(HWND window)
{
    using GetDpiForMonitorFunction = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
    static const UniqueLibrary shcore(LoadLibraryExA("shcore.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
    static const auto getDpiForMonitor = Export<GetDpiForMonitorFunction>(shcore.get(), "GetDpiForMonitor");
    UINT x = 0, y = 0;
    constexpr int kEffectiveDpi = 0;
    if (!getDpiForMonitor ||
        FAILED(getDpiForMonitor(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), kEffectiveDpi, &x, &y)))
        return 0;
    return y;
}

// The two forms of a font differ only in the face name, which comes last.
static_assert(offsetof(LOGFONTA, lfFaceName) == offsetof(LOGFONTW, lfFaceName), "the fields before the face name");

void CopyFont(const LOGFONTW& wide, LOGFONTA& font)
{
    font = {};
    std::memcpy(&font, &wide, offsetof(LOGFONTW, lfFaceName));
    WideCharToMultiByte(CP_ACP, 0, wide.lfFaceName, -1, font.lfFaceName, LF_FACESIZE, nullptr, nullptr);
    font.lfFaceName[LF_FACESIZE - 1] = 0;
}

// Windows 10's metrics for any DPI; Unicode only.
bool FontFromMetricsForDpi(SystemFont which, UINT dpi, LOGFONTA& font)
{
    using Function = BOOL(WINAPI*)(UINT, UINT, void*, UINT, UINT);
    static const auto forDpi = Export<Function>(User32(), "SystemParametersInfoForDpi");
    if (!forDpi)
        return false;
    if (which == SystemFont::IconTitle) {
        LOGFONTW wide{};
        if (!forDpi(SPI_GETICONTITLELOGFONT, sizeof wide, &wide, 0, dpi))
            return false;
        CopyFont(wide, font);
        return true;
    }
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics; // the function is younger than the padded border
    if (!forDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi))
        return false;
    CopyFont(which == SystemFont::Menu ? metrics.lfMenuFont : metrics.lfStatusFont, font);
    return true;
}

} // namespace

UINT WindowDpi(HWND window)
{
    using Function = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = Export<Function>(User32(), "GetDpiForWindow");
    if (const UINT dpi = getDpiForWindow ? getDpiForWindow(window) : 0)
        return dpi;
    if (const UINT dpi = MonitorDpi(window))
        return dpi;
    return SystemDpi();
}

UINT SystemDpi()
{
    const WindowDc screen(nullptr);
    const int dpi = GetDeviceCaps(screen.get(), LOGPIXELSY);
    return dpi > 0 ? static_cast<UINT>(dpi) : kBaseDpi;
}

int MetricForDpi(int index, UINT dpi)
{
    using Function = int(WINAPI*)(int, UINT);
    static const auto forDpi = Export<Function>(User32(), "GetSystemMetricsForDpi");
    if (forDpi)
        return forDpi(index, dpi);
    const UINT system = SystemDpi();
    return dpi == system ? GetSystemMetrics(index) : MulDiv(GetSystemMetrics(index), dpi, system);
}

bool SystemFontForDpi(SystemFont which, UINT dpi, LOGFONTA& font)
{
    if (dpi != SystemDpi() && FontFromMetricsForDpi(which, dpi, font))
        return true;
    if (which == SystemFont::IconTitle) {
        if (!SystemParametersInfoA(SPI_GETICONTITLELOGFONT, sizeof font, &font, 0))
            return false;
    } else {
        NONCLIENTMETRICSA metrics{};
        metrics.cbSize = kNonClientMetricsBytes;
        if (!SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, kNonClientMetricsBytes, &metrics, 0))
            return false;
        font = which == SystemFont::Menu ? metrics.lfMenuFont : metrics.lfStatusFont;
    }
    font = FontForDpi(font, dpi);
    return true;
}

LOGFONTA FontForDpi(LOGFONTA font, UINT dpi)
{
    const UINT system = SystemDpi();
    if (dpi != system)
        font.lfHeight = MulDiv(font.lfHeight, static_cast<int>(dpi), static_cast<int>(system));
    return font;
}
