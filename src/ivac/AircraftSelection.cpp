// Aircraft selection on the IvAc radar.
#include "ivac/AircraftSelection.h"

#include <set>
#include <string_view>
#include <vector>

namespace sayvane {

namespace {

constexpr std::string_view kDialogClass = "#32770";
constexpr std::string_view kCommandBoxCaption = "COMMBox";
constexpr std::string_view kEditClass = "Edit";
constexpr int kSkippedEditWidth = 70;  // IvAc's narrow edit beside the command line
constexpr int kTextLimit = 255;
constexpr int kPauseMs = 50;
constexpr std::intptr_t kEnterKeyData = 1;  // repeat count 1, scan code 0, no other bits
constexpr char kZoomReset[] = ".z 0";
constexpr int kBeepFrequency = 400;
constexpr int kBeepMs = 10;
constexpr std::uint16_t kKeyHeldBit = 0x8000;

}  // namespace

SelectionResult AircraftSelection::InviaCallsignIVAC(const std::string& strCallSign, std::int16_t IvAcResetZoom,
                                                     std::int16_t IvAcBeepSelect) {
    if (m_ivac.FindIvAcWindow() == kNoWindow) {
        return SelectionResult::NoIvAc;
    }
    const WindowHandle commandBox = FindCommandBox();
    if (commandBox == kNoWindow) {
        return SelectionResult::NoCommandBox;
    }
    const WindowHandle commandLine = FindCommandLine(commandBox);
    if (commandLine == kNoWindow) {
        return SelectionResult::NoCommandLine;
    }

    TypeLine(commandLine, strCallSign);
    m_clock.Sleep(kPauseMs);
    if (IvAcResetZoom == 1) {
        // Only the pause above lies between IvAc's Enter and this text replacing the line.
        TypeLine(commandLine, kZoomReset);
    }
    if (IvAcBeepSelect == 1) {
        m_sound.Beep(kBeepFrequency, kBeepMs);
    }
    return SelectionResult::Typed;
}

WindowHandle AircraftSelection::FindCommandBox() {
    // Every top-level dialog of any program, top of the Z order first: the box is not looked
    // for among IvAc's own windows, so the first "COMMBox" on the desktop is taken.
    std::vector<WindowHandle> dialogs;
    const int count = m_ivac.FindWindowLike(dialogs, kNoWindow, kDialogClass);
    for (int i = 1; i <= count; ++i) {
        if (m_desktop.Caption(dialogs[static_cast<std::size_t>(i)], kTextLimit) == kCommandBoxCaption) {
            return dialogs[static_cast<std::size_t>(i)];
        }
    }
    return kNoWindow;
}

WindowHandle AircraftSelection::FindCommandLine(WindowHandle commandBox) {
    std::set<WindowHandle> seen;  // ends the walk should the sibling chain come round again
    for (WindowHandle child = m_desktop.FirstChild(commandBox); child != kNoWindow && seen.insert(child).second;
         child = m_desktop.NextSibling(child)) {
        if (m_desktop.ClassName(child, kTextLimit) != kEditClass) {
            continue;
        }
        const std::optional<ScreenRect> rect = m_desktop.WindowRect(child);
        if (rect && rect->Width() != kSkippedEditWidth) {
            return child;
        }
    }
    return kNoWindow;
}

void AircraftSelection::TypeLine(WindowHandle commandLine, const std::string& line) {
    m_desktop.SendSetText(commandLine, line);
    m_clock.Sleep(kPauseMs);
    // Posted, not sent: IvAc handles the key on its own thread while this one waits on. No
    // key-up and no character message follow it.
    (void)m_desktop.Post(commandLine, message::kKeyDown, kVirtualKeyReturn, kEnterKeyData);
}

bool IsShiftDown(Keyboard& keyboard) {
    return (static_cast<std::uint16_t>(keyboard.AsyncKeyState(vk::kShift)) & kKeyHeldBit) != 0;
}

bool IsF12Down(Keyboard& keyboard) {
    return (static_cast<std::uint16_t>(keyboard.AsyncKeyState(vk::kF12)) & kKeyHeldBit) != 0;
}

}  // namespace sayvane
