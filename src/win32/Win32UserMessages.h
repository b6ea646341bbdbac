// Message boxes through user32's MessageBoxA.
#pragma once

#include <windows.h>

#include "platform/UserMessages.h"

namespace sayvane::win32 {

class Win32UserMessages final : public UserMessages {
public:
    // `owner` is the window the boxes belong to (it is disabled while one is open); nullptr
    // makes them stand alone.
    explicit Win32UserMessages(HWND owner = nullptr) : m_owner(owner) {}

    void ShowMessage(std::string_view text, std::string_view caption, std::uint32_t style) override;

private:
    HWND m_owner;  // not owned
};

}  // namespace sayvane::win32
