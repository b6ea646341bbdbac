// The one binding of a window to the object that handles its messages, for every window class
// of the program: the object is the window's creation parameter, kept in GWLP_USERDATA from
// the first message on, and every message goes to T::MessageHandler.
#pragma once

#include <windows.h>

#include <utility>

namespace sayvane::win32 {

// T derives from BaseWindow<T>, declares it a friend and has
//   LRESULT MessageHandler(UINT message, WPARAM wParam, LPARAM lParam);
// which sees every message from WM_NCCREATE (a dialog's from WM_INITDIALOG) until the object
// lets go of the window (Unbind). Messages of a window without an object get the default
// handling.
template <typename T>
class BaseWindow {
public:
    BaseWindow(const BaseWindow&) = delete;
    BaseWindow& operator=(const BaseWindow&) = delete;
    BaseWindow(BaseWindow&&) = delete;
    BaseWindow& operator=(BaseWindow&&) = delete;

    // The window, while it is bound to this object.
    [[nodiscard]] HWND Hwnd() const noexcept { return m_hwnd; }

protected:
    BaseWindow() = default;
    // A window still bound goes with its object, without a word to it: T is gone by now.
    ~BaseWindow() { DestroyUnbound(); }

    // Registers the window class `name` once in `instance`, with WindowProc as its procedure;
    // `wc` gives the rest (cursor, background).
    static bool RegisterClassOnce(HINSTANCE instance, const char* name, WNDCLASSA wc = {}) noexcept {
        WNDCLASSA existing{};
        if (GetClassInfoA(instance, name, &existing)) {
            return true;
        }
        wc.lpfnWndProc = &WindowProc;
        wc.hInstance = instance;
        wc.lpszClassName = name;
        return RegisterClassA(&wc) != 0;
    }

    // Creates a window of a class registered with RegisterClassOnce, bound to this object.
    HWND CreateBound(DWORD exStyle, const char* className, const char* caption, DWORD style, POINT at, SIZE size,
                     HWND parent, HINSTANCE instance) noexcept {
        return CreateWindowExA(exStyle, className, caption, style, at.x, at.y, size.cx, size.cy, parent, nullptr,
                               instance, Self());
    }

    // Creates a modeless dialog from the template `resource`, bound to this object.
    HWND CreateBoundDialog(HINSTANCE instance, const char* resource, HWND owner) noexcept {
        return CreateDialogParamA(instance, resource, owner, &DialogProc, reinterpret_cast<LPARAM>(Self()));
    }

    // Lets go of the window: from now on its messages get the default handling.
    void Unbind() noexcept {
        if (m_hwnd != nullptr) {
            SetWindowLongPtrA(std::exchange(m_hwnd, nullptr), GWLP_USERDATA, 0);
        }
    }

    // Destroys the window, if it is still there, after letting go of it, so that the object
    // hears nothing of its destruction: for destructors, while the object comes apart.
    void DestroyUnbound() noexcept {
        const HWND hwnd = m_hwnd;
        Unbind();
        if (hwnd != nullptr && IsWindow(hwnd)) {
            DestroyWindow(hwnd);
        }
    }

private:
    T* Self() noexcept { return static_cast<T*>(this); }

    static void Bind(HWND hwnd, T* self) noexcept {
        static_cast<BaseWindow*>(self)->m_hwnd = hwnd;
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }

    static T* Bound(HWND hwnd) noexcept { return reinterpret_cast<T*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA)); }

    // Bound at WM_NCCREATE, before WM_CREATE and whatever creation sends; only WM_GETMINMAXINFO
    // may come earlier, and gets the default handling.
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
        if (message == WM_NCCREATE) {
            auto* self = static_cast<T*>(reinterpret_cast<const CREATESTRUCTA*>(lParam)->lpCreateParams);
            if (self != nullptr) {
                Bind(hwnd, self);
            }
        }
        T* self = Bound(hwnd);
        return self != nullptr ? self->MessageHandler(message, wParam, lParam)
                               : DefWindowProcA(hwnd, message, wParam, lParam);
    }

    // A dialog procedure first hears of its window at WM_INITDIALOG, whose lParam is the
    // parameter CreateDialogParam was given. Before it, and for a dialog without an object,
    // FALSE: the dialog manager's default handling.
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
        if (message == WM_INITDIALOG && lParam != 0) {
            Bind(hwnd, reinterpret_cast<T*>(lParam));
        }
        T* self = Bound(hwnd);
        return self != nullptr ? static_cast<INT_PTR>(self->MessageHandler(message, wParam, lParam)) : FALSE;
    }

    HWND m_hwnd = nullptr;
};

}  // namespace sayvane::win32
