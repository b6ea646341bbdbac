// The player name read straight from the TeamSpeak 2 client's main window: the line under
// "Player:" in one of its rich-text panes.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Desktop.h"

namespace sayvane {

// A window's whole text, asked for with WM_GETTEXTLENGTH and read with WM_GETTEXT (which
// works across processes, where GetWindowTextA does not read a control's own text). Empty
// when the window reports no text.
std::string ReadWindowText(Desktop& desktop, WindowHandle hWnd);

// The most characters ReadWindowText asks a window for: far beyond any real pane or edit box,
// and a buffer a 32-bit process can always allocate.
inline constexpr long kMaxWindowText = 16L * 1024 * 1024;

// Keeps `TSWindowNickname`, one per process: the overlay and the channel creation hold a
// reference to the same reader. The name keeps its last value until a later scan finds a
// pane with "Player:" again; TeamSpeak 2 closing does not clear it.
class TeamSpeakWindowReader {
public:
    explicit TeamSpeakWindowReader(Desktop& desktop) : m_desktop(desktop) {}

    // Finds the window captioned "TeamSpeak 2" and scans all its descendants; without such a
    // window nothing changes.
    void ReadTeamSpeakWindow();

    // One descendant of the scan: a pane whose class starts with "TRichEditWithLinks" (any
    // case) and whose text holds "Player:" sets the name. Always true: the scan goes on, so
    // the last such pane wins. `applicationValue` is not read.
    bool TSChildWindowProc(WindowHandle hWnd, std::intptr_t applicationValue);

    [[nodiscard]] const std::string& TSWindowNickname() const { return m_nickname; }

private:
    Desktop& m_desktop;
    std::string m_nickname;
};

}  // namespace sayvane
