// The player name read from TeamSpeak 2's main window, on the simulated desktop.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>

#include "sim/SimulatedDesktop.h"
#include "teamspeak/TeamSpeakWindow.h"

namespace sayvane {
namespace {

using sim::Window;

class TeamSpeakWindowTest : public ::testing::Test {
protected:
    TeamSpeakWindowTest() {
        main = desktop.Add(Window("TMainForm").Caption("TeamSpeak 2").Bounds(100, 100, 600, 400));
        panel = desktop.Add(Window("TPanel").Parent(main));
        pane = desktop.Add(Window("TRichEditWithLinks").Parent(panel).Text("Player:\r\nPREVIOUS\r\n"));
        reader.ReadTeamSpeakWindow();
    }

    sim::SimulatedDesktop desktop;
    TeamSpeakWindowReader reader{desktop};
    WindowHandle main = kNoWindow;
    WindowHandle panel = kNoWindow;
    WindowHandle pane = kNoWindow;
};

TEST_F(TeamSpeakWindowTest, ThePaneTextDecidesTheName) {
    struct Case {
        const char* what;
        const char* paneText;
        const char* expected;
    };
    const Case cases[] = {
        {"the label on a line of its own", "Server:\r\nTower\r\nPlayer:\r\nEDDF_TWR\r\nChannel:\r\nLobby", "EDDF_TWR"},
        {"a label followed by a space keeps the label", "Player: EDDF_TWR", "Player: EDDF_TWR"},
        {"the text ends right after the name", "Server:\r\nTower\r\nPlayer:\r\nEDDF_TWR", "EDDF_TWR"},
        {"text before the label is dropped", "Welcome Player: A\r\nmore", "Player: A"},
        {"every label with a line break goes", "Player:\r\nPlayer:\r\nX\r\nY", "X"},
        {"a bare CR does not end the name", "Player:\r\nAB\rCD\r\nEF", "AB\rCD"},
        {"a label with nothing after it gives empty text", "Status\r\nPlayer:\r\n", ""},
        {"\"player:\" in lower case is not the label", "Server:\r\nplayer:\r\nabc", "PREVIOUS"},
        {"no label at all", "Channel:\r\nLobby", "PREVIOUS"},
        {"an empty pane", "", "PREVIOUS"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        desktop.SetText(pane, "Player:\r\nPREVIOUS");
        reader.ReadTeamSpeakWindow();
        ASSERT_EQ(reader.TSWindowNickname(), "PREVIOUS");

        desktop.SetText(pane, c.paneText);
        reader.ReadTeamSpeakWindow();
        EXPECT_EQ(reader.TSWindowNickname(), c.expected);
    }
}

TEST_F(TeamSpeakWindowTest, PanesAreRecognisedByTheFirst18CharactersOfTheirClassInAnyCase) {
    struct Case {
        const char* className;
        bool read;
    };
    const Case cases[] = {
        {"TRichEditWithLinks", true},   {"trichEDITwithLINKS", true},
        {"TRichEditWithLinks2", true},  {"TRichEditWithLinksAndAVeryLongClassNameBeyondTheBufferOf50", true},
        {"TRichEditWithLink", false},                      // 17 characters
        {"TRichEdit", false},           {"TEdit", false},  // no edit or other control that says "Player:"
        {"XTRichEditWithLinks", false}, {"", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.className);
        // After the pane with the previous name: when read, it wins.
        const WindowHandle candidate = desktop.Add(Window(c.className).Parent(main).Text("Player:\r\nABC"));
        reader.ReadTeamSpeakWindow();
        EXPECT_EQ(reader.TSWindowNickname(), c.read ? "ABC" : "PREVIOUS");
        desktop.Destroy(candidate);
    }
}

// A window answers WM_GETTEXTLENGTH itself: one that claims 2^31 - 1 characters (or more)
// once made the buffer size overflow. It is now read through the largest buffer asked for.
class ClaimingDesktop final : public sim::SimulatedDesktop {
public:
    std::optional<long> claimed;  // none: the true length
    long TextLength(WindowHandle window) override {
        const long length = SimulatedDesktop::TextLength(window);
        return claimed.value_or(length);
    }
};

TEST(ReadWindowText, ReadsTheWholeTextOrNothingThroughABoundedBuffer) {
    ClaimingDesktop desktop;
    const WindowHandle edit = desktop.Add(Window("Edit").Caption("caption").Text(std::string(3000, 'x')));
    EXPECT_EQ(ReadWindowText(desktop, edit), std::string(3000, 'x')) << "no fixed buffer limit";
    EXPECT_EQ(ReadWindowText(desktop, kNoWindow), "");
    desktop.Destroy(edit);
    EXPECT_EQ(ReadWindowText(desktop, edit), "");

    const WindowHandle pane = desktop.Add(Window("TRichEditWithLinks").Text("Player:\r\nABC"));
    for (const long claimed : {2147483647L, 2147483646L, kMaxWindowText + 1}) {
        desktop.claimed = claimed;
        desktop.ClearMessages();
        EXPECT_EQ(ReadWindowText(desktop, pane), "Player:\r\nABC") << claimed;
        ASSERT_EQ(desktop.Messages().size(), 2U);
        EXPECT_EQ(desktop.Messages()[1].wParam, static_cast<std::uintptr_t>(kMaxWindowText + 1)) << claimed;
    }
    desktop.claimed = 5;
    EXPECT_EQ(ReadWindowText(desktop, pane), "Playe") << "a short answer still cuts the text";
}

}  // namespace
}  // namespace sayvane
