// Messages for the user in a modal message box. While a box is open the program's window
// messages keep running (a timer tick may run inside the call).
#pragma once

#include <cstdint>
#include <string_view>

namespace sayvane {

// MessageBoxA styles, by their values.
namespace message_box {
constexpr std::uint32_t kOk = 0x00;               // MB_OK
constexpr std::uint32_t kIconExclamation = 0x30;  // MB_ICONEXCLAMATION (48)
}  // namespace message_box

class UserMessages {
public:
    virtual ~UserMessages() = default;

    // MessageBoxA with `text`, `caption` and `style`; returns when the user has closed it.
    virtual void ShowMessage(std::string_view text, std::string_view caption, std::uint32_t style) = 0;

protected:
    UserMessages() = default;
    UserMessages(const UserMessages&) = default;
    UserMessages& operator=(const UserMessages&) = default;
    UserMessages(UserMessages&&) = default;
    UserMessages& operator=(UserMessages&&) = default;
};

}  // namespace sayvane
