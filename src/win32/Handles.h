// Small move-only owners for GDI and user handles: each deletes its handle once.
#pragma once

#include <windows.h>

#include <utility>

namespace sayvane::win32 {

template <typename Handle, BOOL(WINAPI* Destroy)(Handle)>
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(Handle handle) : m_handle(handle) {}
    ~UniqueHandle() { Reset(); }
    UniqueHandle(UniqueHandle&& other) noexcept : m_handle(std::exchange(other.m_handle, nullptr)) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            Reset(std::exchange(other.m_handle, nullptr));
        }
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    [[nodiscard]] Handle Get() const { return m_handle; }
    explicit operator bool() const { return m_handle != nullptr; }
    void Reset(Handle handle = nullptr) {
        if (m_handle != nullptr) {
            Destroy(m_handle);
        }
        m_handle = handle;
    }

private:
    Handle m_handle = nullptr;
};

inline BOOL WINAPI DeleteGdiObject(HGDIOBJ object) {
    return DeleteObject(object);
}

using UniqueFont = UniqueHandle<HGDIOBJ, DeleteGdiObject>;
using UniqueBrush = UniqueHandle<HGDIOBJ, DeleteGdiObject>;
using UniqueBitmap = UniqueHandle<HGDIOBJ, DeleteGdiObject>;
using UniquePen = UniqueHandle<HGDIOBJ, DeleteGdiObject>;
using UniqueIcon = UniqueHandle<HICON, DestroyIcon>;
using UniqueMenu = UniqueHandle<HMENU, DestroyMenu>;

// Selects an object into a device context for the guard's lifetime.
class ScopedSelect {
public:
    ScopedSelect(HDC dc, HGDIOBJ object) : m_dc(dc), m_previous(SelectObject(dc, object)) {}
    ~ScopedSelect() { SelectObject(m_dc, m_previous); }
    ScopedSelect(const ScopedSelect&) = delete;
    ScopedSelect& operator=(const ScopedSelect&) = delete;

private:
    HDC m_dc;
    HGDIOBJ m_previous;
};

// A device context of a window for the guard's lifetime.
class ScopedGetDC {
public:
    explicit ScopedGetDC(HWND hwnd) : m_hwnd(hwnd), m_dc(GetDC(hwnd)) {}
    ~ScopedGetDC() { ReleaseDC(m_hwnd, m_dc); }
    ScopedGetDC(const ScopedGetDC&) = delete;
    ScopedGetDC& operator=(const ScopedGetDC&) = delete;
    [[nodiscard]] HDC Get() const { return m_dc; }

private:
    HWND m_hwnd;
    HDC m_dc;
};

}  // namespace sayvane::win32
