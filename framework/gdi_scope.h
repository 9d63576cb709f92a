#pragma once

#include <windows.h>

// Selects an object into a DC for the lifetime of a scope and selects the previous one back,
// so that the object can be deleted afterwards. A null object selects nothing.
class SelectScope {
public:
    SelectScope(HDC dc, HGDIOBJ object) : dc_(dc), previous_(object ? SelectObject(dc, object) : nullptr) {}
    ~SelectScope()
    {
        if (previous_)
            SelectObject(dc_, previous_);
    }
    SelectScope(const SelectScope&) = delete;
    SelectScope& operator=(const SelectScope&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// Sets a DC's text and background colours for a scope and puts the old ones back.
class ColourScope {
public:
    ColourScope(HDC dc, COLORREF text, COLORREF background)
        : dc_(dc), oldText_(SetTextColor(dc, text)), oldBackground_(SetBkColor(dc, background))
    {
    }
    ~ColourScope()
    {
        SetTextColor(dc_, oldText_);
        SetBkColor(dc_, oldBackground_);
    }
    ColourScope(const ColourScope&) = delete;
    ColourScope& operator=(const ColourScope&) = delete;

private:
    HDC dc_;
    COLORREF oldText_;
    COLORREF oldBackground_;
};

// A DC from GetWindowDC, given back with ReleaseDC. A null window gives the screen's DC.
class WindowDc {
public:
    explicit WindowDc(HWND window) : window_(window), dc_(GetWindowDC(window)) {}
    ~WindowDc()
    {
        if (dc_)
            ReleaseDC(window_, dc_);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;

    HDC get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};
