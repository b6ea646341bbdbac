// Message boxes through user32's MessageBoxA.
#include "win32/Win32UserMessages.h"

#include <string>

namespace sayvane::win32 {

void Win32UserMessages::ShowMessage(std::string_view text, std::string_view caption, std::uint32_t style) {
    const std::string terminatedText(text);
    const std::string terminatedCaption(caption);
    HWND owner = m_owner != nullptr && IsWindow(m_owner) ? m_owner : nullptr;
    MessageBoxA(owner, terminatedText.c_str(), terminatedCaption.c_str(), style);
}

}  // namespace sayvane::win32
