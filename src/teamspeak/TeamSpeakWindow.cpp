// The player name read straight from the TeamSpeak 2 client's main window.
#include "teamspeak/TeamSpeakWindow.h"

#include <algorithm>
#include <string_view>

#include "text/TextRoutines.h"

namespace sayvane {

namespace {

constexpr int kClassNameBuffer = 50;  // class names of up to 49 characters are read whole
constexpr std::string_view kPaneClass = "TRICHEDITWITHLINKS";
constexpr std::string_view kPlayerLabel = "Player:";
constexpr std::string_view kLineBreak = "\r\n";

}  // namespace

std::string ReadWindowText(Desktop& desktop, WindowHandle hWnd) {
    const long length = desktop.TextLength(hWnd);
    if (length <= 0) {
        return {};
    }
    // Room for the text and its terminating NUL; only what the window reports as copied is kept.
    // The length is the other program's answer: one that claims more than kMaxWindowText is
    // read through that many characters, so a wild answer can neither overflow the buffer size
    // nor ask for a buffer the process cannot allocate.
    const long characters = std::min<long>(length, kMaxWindowText);
    return desktop.Text(hWnd, static_cast<int>(characters) + 1);
}

void TeamSpeakWindowReader::ReadTeamSpeakWindow() {
    const WindowHandle main = m_desktop.FindTopLevelWindow(std::nullopt, "TeamSpeak 2");
    if (main == kNoWindow) {
        return;
    }
    m_desktop.EnumerateDescendants(main, [this](WindowHandle child) { return TSChildWindowProc(child, 0); });
}

bool TeamSpeakWindowReader::TSChildWindowProc(WindowHandle hWnd, std::intptr_t /*applicationValue*/) {
    // A prefix test in any case: "TRichEditWithLinks1" and "trICHeditWITHlinks" pass alike.
    const std::string className = m_desktop.ClassName(hWnd, kClassNameBuffer);
    if (AnsiToUpper(std::string_view(className).substr(0, kPaneClass.size())) != kPaneClass) {
        return true;
    }
    const std::string text = ReadWindowText(m_desktop, hWnd);
    const std::size_t label = text.find(kPlayerLabel);
    if (label == std::string::npos) {
        return true;
    }
    // The label stands on a line of its own with the name on the next: dropping every
    // "Player:" + CR LF leaves the name at the front, up to the next line break.
    std::string name = ReplaceText(text.substr(label), std::string(kPlayerLabel) + std::string(kLineBreak), "", 1, -1,
                                   CompareMode::CaseSensitive);
    if (const std::size_t lineEnd = name.find(kLineBreak); lineEnd != std::string::npos) {
        name.erase(lineEnd);
    }
    m_nickname = std::move(name);
    return true;
}

}  // namespace sayvane
