// The overlay's refresh cycle, told tick by tick on the simulated platform: a TeamSpeak
// server behind the library, a desktop with the voice client's and the radar's windows.
#include <gtest/gtest.h>

#include <algorithm>

#include "OverlayHarness.h"
#include "sim/IvAcScene.h"

namespace sayvane {
namespace {

using sim::EventLog;

class RefreshCycleTest : public ::testing::Test {
protected:
    RefreshCycleTest() {
        auto& server = Server();
        server.serverName = "IVAO Europe";
        server.ownNickname = "EDDF_APP";
        server.channels = {{1, 0, 0, 32, 9, "Lobby"}, {2, 0, 0, 1, 9, "Approach"}};
        server.players = {{10, 2, 0, 8, 0, "EDDF_APP"}, {11, 2, 0, 8, 0, "DLH4AB"}, {12, 2, 0, 8, 0, "BAW12"}};
        m_tsMain = m_desktop.Add(sim::Window("TMainForm").Caption("TeamSpeak 2").Process(7));
        m_desktop.Add(sim::Window("TRichEditWithLinks").Parent(m_tsMain).Text("Player:\r\nEDDF_APP\r\n"));
    }

    sim::TsServer& Server() { return m_api.Server(); }

    // Starts the overlay with these settings (besides Refresh 5 = 500 ms, Delay 2 = 1000 ms).
    Overlay& Start(const std::string& settings = "") {
        m_h.WriteSettings(settings + "Refresh=5\r\nDelay=2\r\n");  // the first of two keys wins
        return m_h.Create();
    }

    void Tick(int count = 1) {
        for (int i = 0; i < count; ++i) {
            m_clock.Advance(m_overlay->Settings().RefreshInterval);
            m_overlay->tmrRefresh_Timer();
        }
    }

    // Runs ticks until the overlay's TickNumber reaches `tick`.
    void TickUntil(std::int32_t tick) {
        for (int guard = 0; guard < 1000 && m_overlay->State().TickNumber != tick; ++guard) {
            Tick();
        }
        ASSERT_EQ(m_overlay->State().TickNumber, tick);
    }

    [[nodiscard]] std::vector<std::string> Speakers() const {
        std::vector<std::string> names;
        for (const ListItem& item : m_overlay->State().lstSpeakers.Items()) {
            names.push_back(item.text);
        }
        return names;
    }

    void HoldShiftF12(bool held) {
        m_h.keyboard.SetHeld(vk::kShift, held);
        m_h.keyboard.SetHeld(vk::kF12, held);
    }

    // The command lines put into the radar's command box, in order.
    [[nodiscard]] std::vector<std::string> CommandLines(const sim::IvAcScene& radar) const {
        std::vector<std::string> lines;
        for (const sim::DesktopMessage& m : m_desktop.Messages()) {
            if (m.target == radar.commBoxes.front().commandLine && m.message == message::kSetText) {
                lines.push_back(m.text);
            }
        }
        return lines;
    }

    [[nodiscard]] int CallsOf(const std::string& name) const {
        const auto& calls = m_api.Calls();
        return static_cast<int>(std::count(calls.begin(), calls.end(), name));
    }

    testing::OverlayHarness m_h;
    sim::VirtualClock& m_clock = m_h.clock;
    sim::SimulatedTsRemote& m_api = m_h.api;
    sim::SimulatedDesktop& m_desktop = m_h.desktop;
    TeamSpeakWindowReader& m_reader = m_h.reader;
    EventLog& m_log = m_h.log;
    sim::SimOverlayWindow& m_window = m_h.window;
    sim::SimTrayIcon& m_tray = m_h.tray;
    std::unique_ptr<Overlay>& m_overlay = m_h.overlay;
    WindowHandle m_tsMain = kNoWindow;
    WindowHandle m_nameField = kNoWindow;
};

TEST_F(RefreshCycleTest, TheFirstConnectedTickShowsAnEmptyNoticeThenFillsTheLists) {
    Start();
    Tick();
    EXPECT_EQ(m_window.StatusText(), "Connected");
    EXPECT_EQ(m_window.StatusColour(), 49152);
    EXPECT_EQ(m_clock.Sleeps(), std::vector<int>{1000}) << "a notice with the still empty channel name";
    EXPECT_EQ(m_overlay->State().lstUsers.Count(), 3u) << "the status change filled the lists";
    EXPECT_EQ(m_overlay->State().CurrentChannelName, "Approach");
    EXPECT_FALSE(m_window.IsVisible());

    Tick();  // the channel is new to the cycle: shown once
    EXPECT_EQ(m_window.LineTexts(), std::vector<std::string>{"Approach"});
    EXPECT_EQ(m_clock.Sleeps().size(), 2u);
    Tick();
    EXPECT_FALSE(m_window.IsVisible());
    EXPECT_EQ(m_clock.Sleeps().size(), 2u) << "known and unchanged: hidden, no notice";
}

TEST_F(RefreshCycleTest, ASpeakerStaysForTheRetentionTimeAfterTheLastTickHeard) {
    Start();
    Tick(3);
    Server().StartSpeaking(11);
    Tick();
    EXPECT_EQ(Speakers(), std::vector<std::string>{"DLH4AB"});
    EXPECT_EQ(m_window.LineTexts(), std::vector<std::string>{"DLH4AB"});
    EXPECT_EQ(m_window.Lines().front().colour, 65280);
    EXPECT_TRUE(m_window.IsVisible());
    Tick(5);
    Server().StopSpeaking(11);
    const std::int32_t stamp = m_overlay->State().lstSpeakers[0].value;
    TickUntil(stamp + 2);  // 1000 ms / 500 ms: stamp + 2 is not less than the tick
    EXPECT_EQ(Speakers(), std::vector<std::string>{"DLH4AB"});
    Tick();
    EXPECT_TRUE(Speakers().empty());
    EXPECT_FALSE(m_window.IsVisible());
}

TEST_F(RefreshCycleTest, AChangedScreenPlacesTheOverlayAgainAtOnceWhileItShowsLines) {
    Start("Position=01000\r\n");
    Tick(3);
    Server().StartSpeaking(11);
    Tick();
    const TwipsRect at96 = m_window.Geometry();
    ASSERT_EQ(at96.left, 15 * (1024 - 2) - at96.width) << "top right at 96 dots per inch";
    ASSERT_EQ(at96.top, 30);

    // The screen goes to 144 dots per inch: 10 twips a pixel. The corner is the same pixel,
    // so in twips it moves; the lines are drawn again at once, not at the next content change.
    ScreenMetrics at144 = sim::SimOverlayWindow::DefaultScreen();
    at144.twipsPerPixelX = at144.twipsPerPixelY = 10;
    const int redraws = m_window.Redraws();
    m_window.SetScreen(at144);
    m_overlay->ScreenChanged();
    EXPECT_EQ(m_window.Redraws(), redraws + 1);
    EXPECT_EQ(m_window.Geometry().left, 10 * (1024 - 2) - m_window.Geometry().width);
    EXPECT_EQ(m_window.Geometry().top, 20);
    EXPECT_EQ(m_window.LineTexts(), std::vector<std::string>{"DLH4AB"});

    // A change in the middle of a tick is not drawn inside it: that tick's own draw takes the
    // new screen, and the next tick draws again in case the change came after it.
    bool changed = false;
    m_clock.OnYield([&] {
        if (!changed) {
            changed = true;
            m_window.SetScreen(sim::SimOverlayWindow::DefaultScreen());
            m_overlay->ScreenChanged();
        }
    });
    Tick();
    EXPECT_TRUE(changed);
    EXPECT_EQ(m_window.Redraws(), redraws + 2) << "one draw in that tick, none nested";
    EXPECT_EQ(m_window.Geometry().left, 15 * (1024 - 2) - m_window.Geometry().width);
    Tick();
    EXPECT_EQ(m_window.Redraws(), redraws + 3);
    Tick();
    EXPECT_EQ(m_window.Redraws(), redraws + 3) << "then unchanged content is not drawn again";

    // Hidden, with nothing to show: nothing is drawn for a changed screen.
    Server().StopSpeaking(11);
    Tick(4);
    ASSERT_FALSE(m_window.IsVisible());
    const int hiddenRedraws = m_window.Redraws();
    m_window.SetScreen(at144);
    m_overlay->ScreenChanged();
    EXPECT_EQ(m_window.Redraws(), hiddenRedraws);
    EXPECT_FALSE(m_window.IsVisible());
}

TEST_F(RefreshCycleTest, NewestSpeakerFirstAndTheOlderOneMovesUpWhenHeardAgain) {
    Start();
    Tick(3);
    Server().StartSpeaking(11);
    Tick();
    Server().StartSpeaking(12);
    Tick();
    EXPECT_EQ(m_window.LineTexts(), (std::vector<std::string>{"BAW12", "DLH4AB"}));
    Server().StopSpeaking(11);
    Server().StopSpeaking(12);
    Server().StartSpeaking(11);
    Tick();
    EXPECT_EQ(m_window.LineTexts(), (std::vector<std::string>{"DLH4AB", "BAW12"}));
}

TEST_F(RefreshCycleTest, TheListsAreRefreshedAboutEveryEightSeconds) {
    for (const auto& [refresh, period] : {std::pair<const char*, int>{"5", 17}, {"4", 18}}) {
        Start(std::string("Refresh=") + refresh + "\r\n");  // 500 ms, then 450 ms
        m_api.ClearCalls();
        std::vector<int> refreshTicks;
        for (int tick = 1; tick <= 2 * period + 1; ++tick) {
            const int before = CallsOf("tsrGetChannels");
            Tick();
            if (CallsOf("tsrGetChannels") > before) {
                refreshTicks.push_back(tick);
            }
        }
        // The first tick's status change refreshes without resetting the counter.
        EXPECT_EQ(refreshTicks, (std::vector<int>{1, period, 2 * period})) << refresh;
    }
}

TEST_F(RefreshCycleTest, SpeakersMissingFromThePlayerListRefreshItAtOnce) {
    Start();
    Tick(2);
    // Two players join and speak before the periodic refresh knows them.
    Server().players.push_back({13, 2, 0, 8, 0, "AFR7731"});
    Server().players.push_back({14, 2, 0, 8, 0, "EZY45KP"});
    Server().StartSpeaking(13);
    Server().StartSpeaking(14);
    m_api.ClearCalls();
    Tick();
    EXPECT_EQ(CallsOf("tsrGetPlayers"), 1) << "the first missing ID refreshes; the second is then known";
    EXPECT_EQ(Speakers(), std::vector<std::string>{"EZY45KP"}) << "the next ID is looked up in the new list";
    EXPECT_EQ(m_overlay->State().lstInOut.Count(), 2u) << "both join in the same tick";
    Tick();
    EXPECT_EQ(Speakers(), (std::vector<std::string>{"AFR7731", "EZY45KP"}));

    // A missing ID after a found one makes no refresh.
    Server().players.push_back({15, 2, 0, 8, 0, "SWR100"});
    Server().speakers = {13, 15};
    m_api.ClearCalls();
    Tick();
    EXPECT_EQ(CallsOf("tsrGetPlayers"), 0);

    // Two IDs nobody knows, even after refreshing: each refreshes.
    Server().speakers = {98, 99};
    m_api.ClearCalls();
    Tick();
    EXPECT_EQ(CallsOf("tsrGetPlayers"), 2);
}

TEST_F(RefreshCycleTest, WithAnEmptyPlayerListNoSpeakerRefreshesIt) {
    Start();
    Server().StartSpeaking(11);
    m_api.ClearCalls();
    Tick();  // lstUsers is still empty on the first tick
    EXPECT_EQ(CallsOf("tsrGetPlayers"), 1) << "only the status change's refresh";
    EXPECT_TRUE(Speakers().empty());
}

TEST_F(RefreshCycleTest, ShiftF12SelectsTheLastPilotHeardButNeverTheUser) {
    const sim::IvAcScene radar = AddIvAc(m_desktop, "IvAc 1.2 - EDDF_APP [Online]");
    Start("IvAcSelect=1\r\nMeFromChannel=0\r\nNickName=EDDF_APP\r\n");
    Tick(3);
    Server().StartSpeaking(11);
    Tick();
    Server().StopSpeaking(11);
    Server().StartSpeaking(10);  // the user, with ShowMe off
    Tick();
    EXPECT_EQ(Speakers(), std::vector<std::string>{"DLH4AB"});
    HoldShiftF12(true);
    Tick(2);
    EXPECT_EQ(CommandLines(radar), (std::vector<std::string>{".s DLH4AB", ".s DLH4AB"})) << "again on every tick held";
    m_h.keyboard.SetHeld(vk::kShift, false);  // F12 alone sends nothing
    Tick();
    EXPECT_EQ(CommandLines(radar).size(), 2u);
    HoldShiftF12(false);

    m_overlay->MenuCommand(MenuItem::ShowIvac);
    EXPECT_EQ(CommandLines(radar).back(), ".s DLH4AB") << "the menu entry sends the same";
    m_overlay->MenuCommand(MenuItem::IvAc);  // selection off
    HoldShiftF12(true);
    Server().StartSpeaking(11);
    Tick();
    m_overlay->MenuCommand(MenuItem::ShowIvac);
    EXPECT_EQ(CommandLines(radar).size(), 3u) << "nothing while IvAc selection is off";
}

TEST_F(RefreshCycleTest, OnlyTheUserHeardWithShowMeOnSendsAnEmptySelection) {
    const sim::IvAcScene radar = AddIvAc(m_desktop, "IvAc 1.2 - EDDF_APP [Online]");
    Start("IvAcSelect=1\r\nShowMe=1\r\nMeFromChannel=0\r\nIvAcResetZoom=1\r\nIvAcBeepSelect=1\r\n");
    Tick(3);
    Server().StartSpeaking(10);
    HoldShiftF12(true);
    Tick();
    EXPECT_EQ(Speakers(), std::vector<std::string>{"EDDF_APP"});
    EXPECT_EQ(CommandLines(radar), (std::vector<std::string>{".s ", ".z 0"}));
    EXPECT_EQ(m_h.sound.Beeps().size(), 1u);
    HoldShiftF12(false);
    m_overlay->MenuCommand(MenuItem::ShowIvac);
    EXPECT_EQ(CommandLines(radar).size(), 2u) << "the menu needs a pilot";
}

TEST_F(RefreshCycleTest, TheMenuCreatesThePositionsChannelThroughTheDialog) {
    AddIvAc(m_desktop, "IvAc 1.2 - eddf_app [Online]");
    // The voice client answers command 12 with its create-channel dialog.
    m_desktop.OnMessage([this](const sim::DesktopMessage& m) {
        if (m.target == m_tsMain && m.message == message::kCommand && m.wParam == 12) {
            const WindowHandle dialog = m_desktop.Add(sim::Window("TfrmCreateChannel").Process(7));
            m_desktop.Add(sim::Window("TButton").Parent(dialog).Caption("Create Channel"));
            const WindowHandle group = m_desktop.Add(sim::Window("TGroupBox").Parent(dialog));
            m_nameField = m_desktop.Add(sim::Window("TLabeledEdit").Parent(group).Bounds(10, 250, 100, 20).Text(""));
        }
    });
    Start();
    Tick();
    EXPECT_TRUE(m_h.tray.Enabled(MenuItem::CreateTSChannel));
    m_overlay->MenuCommand(MenuItem::CreateTSChannel);
    EXPECT_EQ(m_desktop.CurrentText(m_nameField), "EDDF_APP");
    EXPECT_TRUE(m_h.messages.Messages().empty());
}

TEST_F(RefreshCycleTest, ADisconnectInAChannelShowsDisconnectedOnce) {
    Start();
    Tick(3);
    Server().StartSpeaking(11);
    Tick();
    const std::size_t sleeps = m_clock.Sleeps().size();
    Server().connected = false;
    Tick();
    EXPECT_EQ(m_window.LineTexts(), std::vector<std::string>{"Disconnected"});
    EXPECT_EQ(m_clock.Sleeps().size(), sleeps + 1);
    EXPECT_EQ(m_clock.Sleeps().back(), 1000);
    EXPECT_FALSE(m_window.IsVisible()) << "hidden at the end of the tick";
    EXPECT_EQ(m_window.StatusText(), "Running");
    EXPECT_TRUE(m_overlay->State().lstUsers.Empty());
    Tick(3);
    EXPECT_EQ(m_clock.Sleeps().size(), sleeps + 1) << "later lost-link ticks show nothing";
    EXPECT_EQ(std::count(m_log.begin(), m_log.end(), "Status \"Running\""), 1);
}

TEST_F(RefreshCycleTest, TheClientQuittingInAChannelShowsDisconnectedThenNotRunning) {
    Start();
    Tick(3);
    Server().clientRunning = false;
    Tick();
    EXPECT_EQ(m_window.LineTexts(), std::vector<std::string>{"Disconnected"});
    EXPECT_FALSE(m_window.IsVisible());
    EXPECT_EQ(m_window.StatusText(), "Not Running");
    EXPECT_EQ(m_window.StatusColour(), 192);
}

TEST_F(RefreshCycleTest, TheClientClosedWithNoChannelKnownShowsNothing) {
    Server().clientRunning = false;
    Start();
    Tick();
    EXPECT_TRUE(m_clock.Sleeps().empty());
    EXPECT_FALSE(m_window.IsVisible());
    EXPECT_EQ(m_window.StatusText(), "Not Running");
}

TEST_F(RefreshCycleTest, JoinAndLeaveLinesAppearInTheirColours) {
    Start();
    Tick(3);
    Server().players.push_back({13, 2, 0, 8, 0, "AFR7731"});
    Server().players.erase(Server().players.begin() + 2);  // BAW12 leaves
    Tick(17);                                              // up to the next periodic refresh
    EXPECT_EQ(m_window.LineTexts(), (std::vector<std::string>{"Out:BAW12", "In:AFR7731"}));
    EXPECT_EQ(m_window.Lines()[0].colour, 8421631);
    EXPECT_EQ(m_window.Lines()[1].colour, 16776960);
    EXPECT_EQ(m_window.Lines()[0].fontSize, 16);
}

TEST_F(RefreshCycleTest, TheTrayAndMenuFollowTheLink) {
    AddIvAc(m_desktop, "IvAc 1.2 - eddf_app [Online]");
    Start();
    Tick();
    EXPECT_EQ(m_tray.Picture(), TrayPicture::Enabled);
    EXPECT_EQ(m_tray.Tip(), "Sayvane Enabled (EDDF_APP)");
    EXPECT_EQ(m_tray.Caption(MenuItem::ShowMe), "Show Me  (EDDF_APP)");
    EXPECT_EQ(m_tray.Caption(MenuItem::CreateTSChannel), "Create TS Channel  (EDDF_APP)");
    EXPECT_TRUE(m_tray.Enabled(MenuItem::CreateTSChannel));

    Server().forcedResult[static_cast<std::size_t>(sim::TsCall::Channels)] = -5;
    m_overlay->RefreshChannelList();
    EXPECT_EQ(m_tray.Picture(), TrayPicture::Disabled);
    EXPECT_EQ(m_tray.Caption(MenuItem::CreateTSChannel), "Create TS Channel ");
    EXPECT_FALSE(m_tray.Enabled(MenuItem::CreateTSChannel));
    Server().forcedResult = {};
    Server().channels.resize(1);
    m_overlay->RefreshChannelList();
    EXPECT_EQ(m_tray.Picture(), TrayPicture::Enabled) << "back after a failure, even with one channel";
}

TEST_F(RefreshCycleTest, TheLibraryNicknameOverridesTheOneFromTheWindow) {
    Start("MeFromChannel=1\r\nNickName=SOMEONE\r\n");
    m_desktop.SetText(m_desktop.FindChildWindow(m_tsMain, kNoWindow, "TRichEditWithLinks", std::nullopt),
                      "Player:\r\nFROM_WINDOW\r\n");
    m_reader.ReadTeamSpeakWindow();
    m_overlay->RefreshChannelList();
    m_overlay->RefreshPlayerList();
    EXPECT_EQ(m_overlay->Settings().NickName, "EDDF_APP");
    Server().ownNickname.clear();
    m_overlay->RefreshPlayerList();
    EXPECT_EQ(m_overlay->Settings().NickName, "FROM_WINDOW");

    // A failed player read leaves the channel and captions alone.
    Server().forcedResult[static_cast<std::size_t>(sim::TsCall::Players)] = -5;
    const std::string caption = m_tray.Caption(MenuItem::ShowMe);
    m_overlay->RefreshPlayerList();
    EXPECT_TRUE(m_overlay->State().lstUsers.Empty());
    EXPECT_EQ(m_tray.Caption(MenuItem::ShowMe), caption);
    EXPECT_EQ(m_overlay->State().CurrentChannelName, "Approach");
}

TEST_F(RefreshCycleTest, TicksDueDuringAYieldAreSkipped) {
    Start();
    Tick(3);
    int nested = 0;
    m_clock.OnYield([&] {
        if (nested++ < 3) {
            m_overlay->tmrRefresh_Timer();  // the timer fires while the tick lets messages run
        }
    });
    m_api.ClearCalls();
    Tick();
    EXPECT_EQ(CallsOf("tsrGetSpeakers"), 1) << "one tick ran, the nested ones did not";
    EXPECT_EQ(m_overlay->SkippedTicks(), 3);
    m_clock.OnYield({});
    Tick();
    EXPECT_EQ(CallsOf("tsrGetSpeakers"), 2) << "the next tick runs again";
}

TEST_F(RefreshCycleTest, TheDiagnosticPanelMirrorsListsOnlyWhenTheyChange) {
    Start();
    Tick(3);
    const int users = m_window.MirrorUpdates("lstUsers");
    const int base = m_window.MirrorUpdates("lstChkPlayer");
    EXPECT_EQ(m_window.Mirrored("lstUsers").size(), 3u);
    EXPECT_EQ(m_window.Mirrored("lstChans")[1], (std::pair<std::string, std::int32_t>{"Approach", 2}));
    Tick(20);  // refilled on every tick and by the periodic refresh, but with the same content
    EXPECT_EQ(m_window.MirrorUpdates("lstUsers"), users);
    EXPECT_EQ(m_window.MirrorUpdates("lstChkPlayer"), base);
    Server().StartSpeaking(12);
    Tick();
    EXPECT_EQ(m_window.Mirrored("lstSpeakers").front().first, "BAW12");
}

}  // namespace
}  // namespace sayvane
