// The about window's texts.
#pragma once

#include <string_view>

namespace sayvane {

inline constexpr std::string_view kProgramName = "Sayvane";
inline constexpr std::string_view kAboutInfoText =
    "Sayvane: a TeamSpeak2 add-on to display Channel Speakers\r\n\n"
    "Use SHIFT+F12 to Display Aircraft in IvAc Radar Window";
// Appended below the information while the about window serves as the splash.
inline constexpr std::string_view kLoadingText = "\r\n\nLoading ...";
inline constexpr std::string_view kCloseHint = "click anywhere to close this window";

// The author link: the project's own page.
inline constexpr std::string_view kAuthorName = "Sayvane team";
inline constexpr std::string_view kAuthorTip = "Software Author IVAO status";
inline constexpr std::string_view kAuthorPage = "https://sayvane.example.org/";

}  // namespace sayvane
