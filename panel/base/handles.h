// Owners of Windows handles that close themselves.
#pragma once

#include <windows.h>

#include <utility>

namespace carrow {

// Owns a handle and releases it with Release when it goes; empty is null.
template <class Handle, auto Release>
class Owned {
public:
    Owned() = default;
    explicit Owned(Handle handle) : handle_(handle) {}
    Owned(Owned&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    Owned& operator=(Owned&& other) noexcept {
        std::swap(handle_, other.handle_);
        return *this;
    }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    ~Owned() {
        if (handle_) Release(handle_);
    }

    Handle Get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

private:
    Handle handle_ = nullptr;
};

inline void CloseKernelHandle(HANDLE handle) { CloseHandle(handle); }
inline void DeleteGdiObject(HGDIOBJ object) { DeleteObject(object); }

// A kernel handle (process, snapshot, file) closed with CloseHandle; the
// failure value INVALID_HANDLE_VALUE is taken as none.
class UniqueHandle : public Owned<HANDLE, CloseKernelHandle> {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE handle)
        : Owned(handle == INVALID_HANDLE_VALUE ? nullptr : handle) {}
};

// A GDI object (font, brush, pen, region) deleted with DeleteObject.
template <class Object>
using GdiObject = Owned<Object, DeleteGdiObject>;

using Font = GdiObject<HFONT>;
using Brush = GdiObject<HBRUSH>;
using Pen = GdiObject<HPEN>;

// Selects an object into a device context for the guard's lifetime.
class Selected {
public:
    Selected(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
    Selected(const Selected&) = delete;
    Selected& operator=(const Selected&) = delete;
    ~Selected() { SelectObject(dc_, old_); }

private:
    HDC dc_;
    HGDIOBJ old_;
};

// A window's device context, released when the owner goes; empty when the
// window gave none.  Of the whole window, frame included, or of its client
// area (the screen's for no window).
class WindowDc {
public:
    enum Area { Whole, Client };
    explicit WindowDc(HWND window, Area area = Whole)
        : window_(window), dc_(area == Whole ? GetWindowDC(window) : GetDC(window)) {}
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    ~WindowDc() {
        if (dc_) ReleaseDC(window_, dc_);
    }
    HDC Get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// One WM_PAINT: BeginPaint now, EndPaint when the owner goes, also when the
// drawing in between failed.
class PaintScope {
public:
    explicit PaintScope(HWND window) : window_(window), dc_(BeginPaint(window, &paint_)) {}
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;
    ~PaintScope() { EndPaint(window_, &paint_); }
    HDC Dc() const { return dc_; }

private:
    HWND window_;
    PAINTSTRUCT paint_{};
    HDC dc_;
};

}  // namespace carrow
