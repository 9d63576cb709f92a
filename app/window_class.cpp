#include "window_class.h"

#include <cstdio>
#include <cstdint>

#include "app_context.h"
#include "window_object.h"

WindowClassRecord FrameClassRecord(int iconResource)
{
    WindowClassRecord record{};
    record.description.cbSize = sizeof record.description;
    record.description.lpfnWndProc = WindowObject::FirstMessageProc;
    record.description.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    record.cursor = IDC_ARROW;
    record.systemCursor = true;
    record.iconResource = iconResource;
    return record;
}

WindowClassRecord SuperclassRecord(const char* baseClassName, const char* className, DWORD defaultStyle)
{
    WindowClassRecord record{};
    record.description.cbSize = sizeof record.description;
    record.description.lpfnWndProc = WindowObject::FirstMessageProc;
    record.description.lpszClassName = className;
    record.baseClassName = baseClassName;
    record.defaultStyle = defaultStyle;
    return record;
}

namespace {

// Fills the record's description and registers it; runs under the window-creation lock.
ATOM RegisterLocked(WindowClassRecord& record)
{
    AppContext& app = App();
    WNDCLASSEXA& description = record.description;
    if (record.baseClassName) {
        WNDCLASSEXA base{};
        base.cbSize = sizeof base;
        if (!GetClassInfoExA(nullptr, record.baseClassName, &base) &&
            !GetClassInfoExA(app.instance, record.baseClassName, &base))
            return 0;
        const char* ownName = description.lpszClassName;
        const WNDPROC ownProcedure = description.lpfnWndProc;
        description = base;
        record.baseProcedure = base.lpfnWndProc;
        description.lpszClassName = ownName;
        description.lpfnWndProc = ownProcedure;
    } else {
        description.hCursor = LoadCursorA(record.systemCursor ? nullptr : app.instance, record.cursor);
    }
    description.style &= ~CS_GLOBALCLASS;
    description.hInstance = app.instance;
    if (!description.lpszClassName) {
        std::snprintf(record.generatedName, sizeof record.generatedName, "TNW:%8.8X",
                      static_cast<unsigned>(reinterpret_cast<uintptr_t>(&record)));
        description.lpszClassName = record.generatedName;
    }
    WNDCLASSEXA existing{};
    existing.cbSize = sizeof existing;
    if (const ATOM atom = static_cast<ATOM>(GetClassInfoExA(app.instance, description.lpszClassName, &existing)))
        return atom;
    if (record.iconResource) {
        const LPCSTR icon = MAKEINTRESOURCEA(record.iconResource);
        description.hIcon = static_cast<HICON>(LoadImageA(app.resourceInstance, icon, IMAGE_ICON, 32, 32, 0));
        description.hIconSm = static_cast<HICON>(LoadImageA(app.resourceInstance, icon, IMAGE_ICON, 16, 16, 0));
    }
    return RegisterClassExA(&description);
}

} // namespace

ATOM RegisterWindowClass(WindowClassRecord& record, WNDPROC* baseProcedure)
{
    if (!record.atom) {
        ScopedLock lock(App().windowCreationLock);
        if (!record.atom)
            record.atom = RegisterLocked(record);
    }
    if (record.baseClassName && baseProcedure)
        *baseProcedure = record.baseProcedure;
    return record.atom;
}

HWND CreateRoutedWindow(WindowObject* object, WindowClassRecord& record, HWND parent, const RECT* rectangle,
                        const char* name, DWORD style, DWORD extendedStyle, HMENU menuOrId, void* parameter)
{
    WNDPROC baseProcedure = nullptr;
    const ATOM atom = RegisterWindowClass(record, &baseProcedure);
    if (!atom)
        return nullptr;
    if (baseProcedure)
        object->SetDefaultProcedure(baseProcedure);
    if (style == 0)
        style = record.defaultStyle;
    object->Announce();
    if (!menuOrId && (style & WS_CHILD))
        menuOrId = reinterpret_cast<HMENU>(object);
    static const RECT defaultRectangle = {CW_USEDEFAULT, CW_USEDEFAULT, 0, 0};
    const RECT& r = rectangle ? *rectangle : defaultRectangle;
    const HWND window = CreateWindowExA(extendedStyle, MAKEINTATOM(atom), name, style, r.left, r.top,
                                        r.right - r.left, r.bottom - r.top, parent, menuOrId, App().instance, parameter);
    if (!window)
        object->Withdraw();
    return window;
}
