// How tests drive the simulated voice client (ts2sim) besides its scenario: messages sent
// to its main window (class "TMainForm"), and the command IDs of its menu.
#pragma once

namespace sayvane::peers {

// Window messages (WM_APP + n). Send them; each answers as noted.
inline constexpr unsigned kTs2SimStep = 0x8000 + 0x101;    // applies the next events; answers how many
inline constexpr unsigned kTs2SimHold = 0x8000 + 0x102;    // stops scenario time; answers 1
inline constexpr unsigned kTs2SimResume = 0x8000 + 0x103;  // lets scenario time run; answers 1
inline constexpr unsigned kTs2SimNow = 0x8000 + 0x104;     // answers the scenario time in ms

// WM_COMMAND IDs of the main window. The create-channel command is 12, as Sayvane posts
// it; started with --no-command-12 the client ignores 12 and its menu item carries the
// other ID, so only the keyboard path through the menu opens the dialog.
inline constexpr unsigned kCmdCreateChannel = 12;
inline constexpr unsigned kCmdCreateChannelMenuOnly = 212;

}  // namespace sayvane::peers
