// The overlay's notification-area icon and its pop-up menu, as the logic drives them.
#pragma once

#include <string>
#include <string_view>

namespace sayvane {

// The pictures the tray can show: TeamSpeak readable, or not.
enum class TrayPicture { Enabled, Disabled };

// The pop-up menu's items that the logic changes or receives.
enum class MenuItem { Disable, ShowIvac, WinOnTop, ShowMe, ShowChannel, IvAc, InOut, CreateTSChannel, Close, Exit };

class TrayIcon {
public:
    virtual ~TrayIcon() = default;

    virtual void Add(TrayPicture picture, std::string_view tip) = 0;     // NIM_ADD
    virtual void Modify(TrayPicture picture, std::string_view tip) = 0;  // NIM_MODIFY
    virtual void Remove() = 0;  // NIM_DELETE, and the icon's callbacks no longer open the menu; harmless twice

    virtual void SetChecked(MenuItem item, bool checked) = 0;
    virtual void SetCaption(MenuItem item, std::string_view caption) = 0;
    virtual void SetEnabled(MenuItem item, bool enabled) = 0;

protected:
    TrayIcon() = default;
    TrayIcon(const TrayIcon&) = default;
    TrayIcon& operator=(const TrayIcon&) = default;
    TrayIcon(TrayIcon&&) = default;
    TrayIcon& operator=(TrayIcon&&) = default;
};

}  // namespace sayvane
