// The configuration window on Windows: a dialog of standard controls bound to the portable
// ConfigForm, which holds their states and reads and writes the settings file.
#pragma once

#include <windows.h>

#include <array>
#include <memory>
#include <string>
#include <string_view>

#include "config/ConfigForm.h"
#include "overlay/Preview.h"
#include "win32/BaseWindow.h"
#include "win32/Handles.h"
#include "win32/OverlaySurface.h"
#include "win32/WindowFlowWin32.h"

namespace sayvane::win32 {

class ConfigWindow final : public BaseWindow<ConfigWindow>, public MainWindow {
public:
    // Creates and shows the window with its controls filled from the settings file.
    static std::unique_ptr<ConfigWindow> Create(WindowFlowWin32& flow);
    ~ConfigWindow() override;
    ConfigWindow(const ConfigWindow&) = delete;
    ConfigWindow& operator=(const ConfigWindow&) = delete;
    ConfigWindow(ConfigWindow&&) = delete;
    ConfigWindow& operator=(ConfigWindow&&) = delete;

    [[nodiscard]] HWND Handle() const override { return Hwnd(); }
    bool PreTranslate(MSG& msg) override;

    // Colour dialog: the chosen colour, or -1 when the user cancels. The sixteen custom
    // colours start white on every call.
    static std::int32_t ColorDlg(HWND owner, std::int32_t initial, bool fullOpen);

private:
    friend class BaseWindow<ConfigWindow>;

    explicit ConfigWindow(WindowFlowWin32& flow);
    // A dialog procedure's answer: TRUE when the message was handled.
    INT_PTR MessageHandler(UINT message, WPARAM wParam, LPARAM lParam);
    void Form_Load();
    void SetIcons(UINT dpi);
    void ShowControls();  // ConfigForm -> controls
    void ReadControls();  // controls -> ConfigForm
    void AddTooltips();
    void ChangeColour(ConfigColour swatch);
    void OnHScroll(WPARAM wParam);
    void cmdEnable_Click();
    void ShowVoiceStatus();  // the status line, for the voice settings the window holds
    void ShowVoiceFields();
    void TakeVoiceEdits();
    void LookChanged();  // the warning line and the preview, for the look the window holds
    void SetPreview(bool on);

    WindowFlowWin32& m_flow;
    ConfigForm m_form;
    HWND m_tooltip = nullptr;
    std::array<UniqueBrush, kConfigColourCount> m_swatchBrushes;
    UniqueIcon m_icon;
    UniqueIcon m_smallIcon;
    bool m_showingControls = false;
    std::string m_voiceStatus;
    bool m_keyProblemShown = false;  // the status line says the key typed is none: in red
    std::string_view m_voiceHint;
    VoiceClient m_portShownFor = VoiceClient::TeamSpeak2;  // whose port the port box shows
    std::string m_warning;
    // The preview while "Preview" is ticked: the window, and the drawing of the sample into it.
    std::unique_ptr<OverlaySurface> m_previewWindow;
    std::unique_ptr<OverlayPreview> m_preview;
};

}  // namespace sayvane::win32
