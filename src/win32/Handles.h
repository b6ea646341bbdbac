// Small move-only owners for GDI, user and module handles: each frees its handle once, the way that
// kind of handle is freed. Copying is deleted (a copy would free the handle twice); moving
// hands the handle on and leaves the source empty.
#pragma once

#include <windows.h>

#include <utility>

namespace sayvane::win32 {

// Owns `Handle` and frees it with `Free` (DeleteObject, DestroyIcon, DestroyMenu, DeleteDC,
// DestroyWindow, FreeLibrary).
template <typename Handle, BOOL(WINAPI* Free)(Handle)>
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(Handle handle) noexcept : m_handle(handle) {}
    ~UniqueHandle() { Reset(); }
    UniqueHandle(UniqueHandle&& other) noexcept : m_handle(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            Reset(other.Release());
        }
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    [[nodiscard]] Handle Get() const noexcept { return m_handle; }
    explicit operator bool() const noexcept { return m_handle != nullptr; }
    // Frees the handle held (if any) and takes `handle`.
    void Reset(Handle handle = nullptr) noexcept {
        if (m_handle != nullptr) {
            Free(m_handle);
        }
        m_handle = handle;
    }
    // Gives the handle up without freeing it: the caller owns it now.
    [[nodiscard]] Handle Release() noexcept { return std::exchange(m_handle, nullptr); }

private:
    Handle m_handle = nullptr;
};

// DeleteObject takes any GDI object; this typed front keeps each owner to its own kind.
template <typename GdiObject>
BOOL WINAPI DeleteGdiObject(GdiObject object) noexcept {
    return DeleteObject(object);
}

// A GDI object of one kind: a font cannot be put where a brush is owned.
template <typename GdiObject>
using ScopedGdiObject = UniqueHandle<GdiObject, DeleteGdiObject<GdiObject>>;
using UniqueFont = ScopedGdiObject<HFONT>;
using UniqueBrush = ScopedGdiObject<HBRUSH>;
using UniquePen = ScopedGdiObject<HPEN>;
using UniqueBitmap = ScopedGdiObject<HBITMAP>;
// Icons and menus are user objects, freed by their own calls.
using UniqueIcon = UniqueHandle<HICON, DestroyIcon>;
using UniqueMenu = UniqueHandle<HMENU, DestroyMenu>;
// A memory device context from CreateCompatibleDC.
using UniqueMemoryDC = UniqueHandle<HDC, DeleteDC>;
// A window nobody else destroys (a hidden owner): gone with its owner object.
using UniqueWindow = UniqueHandle<HWND, DestroyWindow>;
// A library loaded with LoadLibrary.
using UniqueModule = UniqueHandle<HMODULE, FreeLibrary>;

// Selects an object into a device context for the guard's lifetime, then puts back the one
// it replaced.
class ScopedSelect {
public:
    ScopedSelect(HDC dc, HGDIOBJ object) noexcept : m_dc(dc), m_previous(SelectObject(dc, object)) {}
    ~ScopedSelect() {
        if (m_dc != nullptr) {
            SelectObject(m_dc, m_previous);
        }
    }
    ScopedSelect(ScopedSelect&& other) noexcept
        : m_dc(std::exchange(other.m_dc, nullptr)), m_previous(std::exchange(other.m_previous, nullptr)) {}
    ScopedSelect& operator=(ScopedSelect&&) = delete;  // a selection is undone where it was made
    ScopedSelect(const ScopedSelect&) = delete;
    ScopedSelect& operator=(const ScopedSelect&) = delete;

private:
    HDC m_dc;
    HGDIOBJ m_previous;
};

// The device context of a window (GetDC), released to that window (ReleaseDC).
class ScopedGetDC {
public:
    explicit ScopedGetDC(HWND hwnd) noexcept : m_hwnd(hwnd), m_dc(GetDC(hwnd)) {}
    ~ScopedGetDC() { Release(); }
    ScopedGetDC(ScopedGetDC&& other) noexcept
        : m_hwnd(std::exchange(other.m_hwnd, nullptr)), m_dc(std::exchange(other.m_dc, nullptr)) {}
    ScopedGetDC& operator=(ScopedGetDC&& other) noexcept {
        if (this != &other) {
            Release();
            m_hwnd = std::exchange(other.m_hwnd, nullptr);
            m_dc = std::exchange(other.m_dc, nullptr);
        }
        return *this;
    }
    ScopedGetDC(const ScopedGetDC&) = delete;
    ScopedGetDC& operator=(const ScopedGetDC&) = delete;

    [[nodiscard]] HDC Get() const noexcept { return m_dc; }

private:
    void Release() noexcept {
        if (m_dc != nullptr) {
            ReleaseDC(m_hwnd, std::exchange(m_dc, nullptr));
        }
    }

    HWND m_hwnd;
    HDC m_dc;
};

}  // namespace sayvane::win32
