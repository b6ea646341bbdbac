// Selecting an aircraft on the IvAc radar: a command line typed into IvAc's command box with
// window messages (no keystrokes, no change of focus), and the Shift+F12 hot-key test.
#pragma once

#include <cstdint>
#include <string>

#include "ivac/IvAcWindows.h"
#include "platform/Clock.h"
#include "platform/Desktop.h"
#include "platform/Keyboard.h"
#include "platform/Sound.h"

namespace sayvane {

// How far a selection got. The callers need not look: a selection either completes or sends
// nothing, quietly.
enum class SelectionResult {
    Typed,          // the command line (and the zoom reset, when asked) went in with Enter
    NoIvAc,         // no top-level window captioned "IvAc 1..."
    NoCommandBox,   // no top-level "#32770" dialog captioned "COMMBox"
    NoCommandLine,  // the command box has no "Edit" child other than 70 pixels wide
};

class AircraftSelection {
public:
    AircraftSelection(IvAcWindows& ivac, Desktop& desktop, Clock& clock, Sound& sound)
        : m_ivac(ivac), m_desktop(desktop), m_clock(clock), m_sound(sound) {}

    // Puts `strCallSign`, the whole command line (".s " + the callsign), into IvAc's command
    // line with WM_SETTEXT and posts Enter to it; then ".z 0" and Enter when `IvAcResetZoom`
    // is 1, and a 400 Hz beep of 10 ms when `IvAcBeepSelect` is 1 (any other value is off).
    // Blocks for 100 ms, or 150 ms with the zoom reset, and lets no message run meanwhile.
    SelectionResult InviaCallsignIVAC(const std::string& strCallSign, std::int16_t IvAcResetZoom,
                                      std::int16_t IvAcBeepSelect);

private:
    [[nodiscard]] WindowHandle FindCommandBox();
    [[nodiscard]] WindowHandle FindCommandLine(WindowHandle commandBox);
    void TypeLine(WindowHandle commandLine, const std::string& line);

    IvAcWindows& m_ivac;
    Desktop& m_desktop;
    Clock& m_clock;
    Sound& m_sound;
};

// The hot key's two halves, held down now whichever program has the focus (bit 15 of
// GetAsyncKeyState for VK_SHIFT and VK_F12).
[[nodiscard]] bool IsShiftDown(Keyboard& keyboard);
[[nodiscard]] bool IsF12Down(Keyboard& keyboard);

}  // namespace sayvane
