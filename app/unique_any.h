#pragma once

#include <windows.h>

#include <commctrl.h>

#include <utility>

// A move-only owner of one handle; Traits names the handle type, its empty value and how to
// close it. Handles that belong to someone else are never put into one.
template <typename Traits>
class UniqueAny {
public:
    using Type = typename Traits::Type;

    UniqueAny() = default;
    explicit UniqueAny(Type value) : value_(value) {}
    UniqueAny(UniqueAny&& other) noexcept : value_(other.release()) {}
    UniqueAny& operator=(UniqueAny&& other) noexcept
    {
        reset(other.release());
        return *this;
    }
    UniqueAny(const UniqueAny&) = delete;
    UniqueAny& operator=(const UniqueAny&) = delete;
    ~UniqueAny() { reset(); }

    Type get() const { return value_; }
    explicit operator bool() const { return value_ != Traits::Empty(); }
    Type release() { return std::exchange(value_, Traits::Empty()); }
    void reset(Type value = Traits::Empty())
    {
        const Type old = std::exchange(value_, value);
        if (old != Traits::Empty())
            Traits::Close(old);
    }

private:
    Type value_ = Traits::Empty();
};

struct FileHandleTraits {
    using Type = HANDLE;
    static Type Empty() { return INVALID_HANDLE_VALUE; }
    static void Close(Type handle) { CloseHandle(handle); }
};
using UniqueFile = UniqueAny<FileHandleTraits>;

struct FindHandleTraits {
    using Type = HANDLE;
    static Type Empty() { return INVALID_HANDLE_VALUE; }
    static void Close(Type handle) { FindClose(handle); }
};
using UniqueFind = UniqueAny<FindHandleTraits>;

template <typename Handle, BOOL(WINAPI* CloseFunction)(Handle)>
struct NullHandleTraits {
    using Type = Handle;
    static Type Empty() { return nullptr; }
    static void Close(Type handle) { CloseFunction(handle); }
};

// GDI objects of one kind, deleted with DeleteObject.
template <typename Object>
struct GdiObjectTraits {
    using Type = Object;
    static Type Empty() { return nullptr; }
    static void Close(Type object) { DeleteObject(object); }
};

using UniqueMenu = UniqueAny<NullHandleTraits<HMENU, DestroyMenu>>;
using UniqueHook = UniqueAny<NullHandleTraits<HHOOK, UnhookWindowsHookEx>>;
using UniqueWindow = UniqueAny<NullHandleTraits<HWND, DestroyWindow>>;
using UniqueMemoryDc = UniqueAny<NullHandleTraits<HDC, DeleteDC>>;
using UniqueIcon = UniqueAny<NullHandleTraits<HICON, DestroyIcon>>;
using UniqueLibrary = UniqueAny<NullHandleTraits<HMODULE, FreeLibrary>>;
using UniqueFont = UniqueAny<GdiObjectTraits<HFONT>>;
using UniqueBitmap = UniqueAny<GdiObjectTraits<HBITMAP>>;
using UniqueBrush = UniqueAny<GdiObjectTraits<HBRUSH>>;

struct ImageListTraits {
    using Type = HIMAGELIST;
    static Type Empty() { return nullptr; }
    static void Close(Type list) { ImageList_Destroy(list); }
};
using UniqueImageList = UniqueAny<ImageListTraits>;

// Memory the system allocated for the caller with LocalAlloc, as FormatMessage does.
struct LocalMemoryTraits {
    using Type = void*;
    static Type Empty() { return nullptr; }
    static void Close(Type memory) { LocalFree(memory); }
};
using UniqueLocal = UniqueAny<LocalMemoryTraits>;
