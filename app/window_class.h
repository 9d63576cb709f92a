#pragma once

#include <windows.h>

class WindowObject;

// One kind of routed window: its class description, filled and registered once per process.
struct WindowClassRecord {
    WNDCLASSEXA description;
    const char* baseClassName;      // a system control to build on, or null
    WNDPROC baseProcedure;          // that control's procedure, once registered
    const char* cursor;             // for classes of their own
    bool systemCursor;
    ATOM atom;
    char generatedName[13];         // "TNW:" and eight hexadecimal digits
    int iconResource;               // the frame's icon, 0 for none
    DWORD defaultStyle;             // what a style of 0 stands for
};

// A record for a class of the program's own with the given background and icon.
WindowClassRecord FrameClassRecord(int iconResource);
// A record for a class built on a system control; a null name gets a generated one.
WindowClassRecord SuperclassRecord(const char* baseClassName, const char* className, DWORD defaultStyle);

// Registers the record's class once and returns its atom, 0 on failure; baseProcedure
// receives the procedure of the control the class builds on, if any.
ATOM RegisterWindowClass(WindowClassRecord& record, WNDPROC* baseProcedure);

// Creates a window of the record's class bound to object from its first message on.
// Returns the window or null; a refused creation leaves nothing announced.
HWND CreateRoutedWindow(WindowObject* object, WindowClassRecord& record, HWND parent, const RECT* rectangle,
                        const char* name, DWORD style, DWORD extendedStyle, HMENU menuOrId, void* parameter);
