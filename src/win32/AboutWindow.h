// The about window: the program's name, description, hot-key hint, file version and the
// author link. It serves as the start-up splash too; a click closes it.
#pragma once

#include <windows.h>

#include <string>

#include "app/Startup.h"
#include "win32/BaseWindow.h"
#include "win32/Handles.h"

namespace sayvane::win32 {

inline constexpr char kAboutClass[] = "SayvaneAbout";

class AboutWindow final : public BaseWindow<AboutWindow>, public Splash {
public:
    // Creates the window, hidden, centred on `owner` (or the screen), with its texts filled.
    AboutWindow(HINSTANCE instance, HWND owner);
    ~AboutWindow() override;
    AboutWindow(const AboutWindow&) = delete;
    AboutWindow& operator=(const AboutWindow&) = delete;
    AboutWindow(AboutWindow&&) = delete;
    AboutWindow& operator=(AboutWindow&&) = delete;

    [[nodiscard]] bool Created() const { return Hwnd() != nullptr; }

    // Splash
    [[nodiscard]] std::string InfoText() const override;
    void SetInfoText(const std::string& text) override;
    void Show() override;
    void Repaint() override;
    void Close() override;

    // Shows the window over its owner and waits until the user clicks it away; the owner
    // takes no input meanwhile.
    void ShowModal();

private:
    friend class BaseWindow<AboutWindow>;

    LRESULT MessageHandler(UINT message, WPARAM wParam, LPARAM lParam);
    HWND Label(const char* text, DWORD align, int id);
    void Form_Load();
    void Layout();
    void AddTip(HWND control, const char* text);

    HINSTANCE m_instance;
    HWND m_owner;
    HWND m_tooltip = nullptr;
    HWND m_lblInfo = nullptr;
    HWND m_lblVersion = nullptr;
    UINT m_dpi = 96;  // of the monitor the window is on
    UniqueFont m_font;
    UniqueFont m_titleFont;
    UniqueFont m_linkFont;
    UniqueBitmap m_picture;
    UniqueIcon m_icon;
};

}  // namespace sayvane::win32
