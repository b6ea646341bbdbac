// The overlay's refresh cycle, told tick by tick on the simulated platform: a TeamSpeak
// server behind the library, a desktop with the voice client's and the radar's windows.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "OverlayHarness.h"
#include "sim/IvAcScene.h"

namespace sayvane {
namespace {

using sim::EventLog;

class RefreshCycleTest : public ::testing::Test, protected testing::OverlayHarness {
protected:
    RefreshCycleTest() : m_tsMain(AddApproachScene()) {}

    sim::TsServer& Server() { return api.Server(); }

    // Starts the overlay with these settings (besides Refresh 5 = 500 ms, Delay 2 = 1000 ms).
    Overlay& Start(const std::string& settings = "") {
        WriteSettings(settings + "Refresh=5\r\nDelay=2\r\n");  // the first of two keys wins
        return Create();
    }

    [[nodiscard]] std::vector<std::string> Speakers() const { return testing::Texts(overlay->State().lstSpeakers); }

    // The same server behind TeamSpeak 3 or 5/6 instead of TeamSpeak 2, with IvAc running.
    void ServeThrough(sim::SimulatedTsClient& client) {
        client.Server() = Server();
        Server().clientRunning = false;
        desktop.Destroy(m_tsMain);
        AddIvAc(desktop, "IvAc 1.2 - eddf_app [Online]");
    }
    // Ticks, letting `client` answer, until `done` holds (at most 40 ticks).
    bool TickUntil(sim::SimulatedTsClient& client, const std::function<bool()>& done) {
        for (int i = 0; i < 40 && !done(); ++i) {
            client.Update();
            Tick();
        }
        return done();
    }

    WindowHandle m_tsMain;
};

TEST_F(RefreshCycleTest, TheFirstConnectedTickShowsAnEmptyNoticeThenFillsTheLists) {
    Start();
    Tick();
    EXPECT_EQ(window.StatusText(), "Connected");
    EXPECT_EQ(window.StatusColour(), 49152);
    EXPECT_EQ(clock.Sleeps(), std::vector<int>{1000}) << "a notice with the still empty channel name";
    EXPECT_EQ(overlay->State().lstUsers.Count(), 3u) << "the status change filled the lists";
    EXPECT_EQ(overlay->State().CurrentChannelName, "Approach");
    EXPECT_FALSE(window.IsVisible());

    Tick();  // the channel is new to the cycle: shown once, in its colour
    EXPECT_EQ(window.LineTexts(), std::vector<std::string>{"Approach"});
    EXPECT_EQ(window.Lines().front().colour, 33023);
    EXPECT_EQ(clock.Sleeps().size(), 2u);
    Tick();
    EXPECT_FALSE(window.IsVisible());
    EXPECT_EQ(clock.Sleeps().size(), 2u) << "known and unchanged: hidden, no notice";
}

TEST_F(RefreshCycleTest, SpeakersShowNewestFirstAndStayForTheRetentionTimeAfterTheLastTickHeard) {
    Start();
    Tick(3);
    Server().StartSpeaking(11);
    Tick();
    EXPECT_EQ(Speakers(), std::vector<std::string>{"DLH4AB"});
    EXPECT_EQ(window.LineTexts(), std::vector<std::string>{"DLH4AB"});
    EXPECT_EQ(window.Lines().front().colour, 65280);
    EXPECT_TRUE(window.IsVisible());
    Server().StartSpeaking(12);
    Tick();
    EXPECT_EQ(window.LineTexts(), (std::vector<std::string>{"BAW12", "DLH4AB"}));
    // The older one heard again moves up.
    Server().StopSpeaking(11);
    Server().StopSpeaking(12);
    Server().StartSpeaking(11);
    Tick();
    EXPECT_EQ(window.LineTexts(), (std::vector<std::string>{"DLH4AB", "BAW12"}));

    Tick(5);
    EXPECT_EQ(Speakers(), std::vector<std::string>{"DLH4AB"});
    Server().StopSpeaking(11);
    const std::int32_t stamp = overlay->State().lstSpeakers[0].value;
    Tick(stamp + 2 - overlay->State().TickNumber);  // 1000 ms / 500 ms: stamp + 2 is not less than the tick
    ASSERT_EQ(overlay->State().TickNumber, stamp + 2);
    EXPECT_EQ(Speakers(), std::vector<std::string>{"DLH4AB"});
    Tick();
    EXPECT_TRUE(Speakers().empty());
    EXPECT_FALSE(window.IsVisible());
}

TEST_F(RefreshCycleTest, AChangedScreenPlacesTheOverlayAgainAtOnceWhileItShowsLines) {
    Start("Position=01000\r\n");
    Tick(3);
    Server().StartSpeaking(11);
    Tick();
    const TwipsRect at96 = window.Geometry();
    ASSERT_EQ(at96.left, 15 * (1024 - 2) - at96.width) << "top right at 96 dots per inch";
    ASSERT_EQ(at96.top, 30);

    // The screen goes to 144 dots per inch: 10 twips a pixel. The corner is the same pixel,
    // so in twips it moves; the lines are drawn again at once, not at the next content change.
    ScreenMetrics at144 = sim::SimOverlayWindow::DefaultScreen();
    at144.twipsPerPixelX = at144.twipsPerPixelY = 10;
    const int redraws = window.Redraws();
    window.SetScreen(at144);
    overlay->ScreenChanged();
    EXPECT_EQ(window.Redraws(), redraws + 1);
    EXPECT_EQ(window.Geometry().left, 10 * (1024 - 2) - window.Geometry().width);
    EXPECT_EQ(window.Geometry().top, 20);
    EXPECT_EQ(window.LineTexts(), std::vector<std::string>{"DLH4AB"});

    // A change in the middle of a tick is not drawn inside it: that tick's own draw takes the
    // new screen, and the next tick draws again in case the change came after it.
    bool changed = false;
    clock.OnYield([&] {
        if (!changed) {
            changed = true;
            window.SetScreen(sim::SimOverlayWindow::DefaultScreen());
            overlay->ScreenChanged();
        }
    });
    Tick();
    EXPECT_TRUE(changed);
    EXPECT_EQ(window.Redraws(), redraws + 2) << "one draw in that tick, none nested";
    EXPECT_EQ(window.Geometry().left, 15 * (1024 - 2) - window.Geometry().width);
    Tick();
    EXPECT_EQ(window.Redraws(), redraws + 3);
    Tick();
    EXPECT_EQ(window.Redraws(), redraws + 3) << "then unchanged content is not drawn again";

    // Hidden, with nothing to show: nothing is drawn for a changed screen.
    Server().StopSpeaking(11);
    Tick(4);
    ASSERT_FALSE(window.IsVisible());
    const int hiddenRedraws = window.Redraws();
    window.SetScreen(at144);
    overlay->ScreenChanged();
    EXPECT_EQ(window.Redraws(), hiddenRedraws);
    EXPECT_FALSE(window.IsVisible());
}

TEST_F(RefreshCycleTest, TheListsAreRefreshedAboutEveryEightSeconds) {
    for (const auto& [refresh, period] : {std::pair<const char*, int>{"5", 17}, {"4", 18}}) {
        Start(std::string("Refresh=") + refresh + "\r\n");  // 500 ms, then 450 ms
        api.ClearCalls();
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

TEST_F(RefreshCycleTest, OnlyAMissingFirstSpeakerIdRefreshesThePlayerList) {
    Start();
    Server().StartSpeaking(11);
    Tick();  // lstUsers is still empty on the first tick
    EXPECT_EQ(CallsOf("tsrGetPlayers"), 1) << "only the status change's refresh";
    EXPECT_TRUE(Speakers().empty());
    Server().StopSpeaking(11);
    Tick();

    // Two players join and speak before the periodic refresh knows them.
    Server().players.push_back({13, 2, 0, 8, 0, "AFR7731"});
    Server().players.push_back({14, 2, 0, 8, 0, "EZY45KP"});
    Server().StartSpeaking(13);
    Server().StartSpeaking(14);
    api.ClearCalls();
    Tick();
    EXPECT_EQ(CallsOf("tsrGetPlayers"), 1) << "the first missing ID refreshes; the second is then known";
    EXPECT_EQ(Speakers(), std::vector<std::string>{"EZY45KP"}) << "the next ID is looked up in the new list";
    EXPECT_EQ(overlay->State().lstInOut.Count(), 2u) << "both join in the same tick";
    Tick();
    EXPECT_EQ(Speakers(), (std::vector<std::string>{"AFR7731", "EZY45KP"}));

    // A missing ID after a found one makes no refresh.
    Server().players.push_back({15, 2, 0, 8, 0, "SWR100"});
    Server().speakers = {13, 15};
    api.ClearCalls();
    Tick();
    EXPECT_EQ(CallsOf("tsrGetPlayers"), 0);

    // IDs that are not positive are skipped, not looked for, even before a known one.
    Server().speakers = {-5, 0, -2147483647 - 1, 11};
    api.ClearCalls();
    Tick();
    EXPECT_EQ(CallsOf("tsrGetPlayers"), 0);
    EXPECT_EQ(Speakers(), (std::vector<std::string>{"EZY45KP", "AFR7731", "DLH4AB"})) << "only DLH4AB is added";

    // IDs nobody has, even after refreshing: each refreshes on every tick it is heard, and
    // nobody is listed for them.
    Server().speakers = {98, 2147483647};
    api.ClearCalls();
    Tick(5);
    EXPECT_EQ(CallsOf("tsrGetPlayers"), 10);
    EXPECT_TRUE(Speakers().empty());
    EXPECT_FALSE(window.IsVisible());
}

TEST_F(RefreshCycleTest, ShiftF12SelectsTheLastPilotHeardButNeverTheUser) {
    const WindowHandle commandLine = AddIvAc(desktop, "IvAc 1.2 - EDDF_APP [Online]").commBoxes.front().commandLine;
    Server().players[0].name = "eddf_app";  // the user, listed in another case than the nickname
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
    EXPECT_EQ(TextsSentTo(commandLine), (std::vector<std::string>{".s DLH4AB", ".s DLH4AB"}))
        << "again on every tick held";
    HoldShiftF12(false);

    overlay->MenuCommand(MenuItem::ShowIvac);
    EXPECT_EQ(TextsSentTo(commandLine).back(), ".s DLH4AB") << "the menu entry sends the same";
    overlay->MenuCommand(MenuItem::IvAc);  // selection off
    HoldShiftF12(true);
    Server().StartSpeaking(11);
    Tick();
    overlay->MenuCommand(MenuItem::ShowIvac);
    EXPECT_EQ(TextsSentTo(commandLine).size(), 3u) << "nothing while IvAc selection is off";
}

TEST_F(RefreshCycleTest, OnlyTheUserHeardWithShowMeOnSendsAnEmptySelection) {
    const WindowHandle commandLine = AddIvAc(desktop, "IvAc 1.2 - EDDF_APP [Online]").commBoxes.front().commandLine;
    Server().players[0].name = "eddf_app";  // the user, listed in another case than the nickname
    Start("IvAcSelect=1\r\nShowMe=1\r\nMeFromChannel=0\r\nIvAcResetZoom=1\r\nIvAcBeepSelect=1\r\n");
    Tick(3);
    Server().StartSpeaking(10);
    HoldShiftF12(true);
    Tick();
    EXPECT_EQ(Speakers(), std::vector<std::string>{"eddf_app"});
    EXPECT_EQ(TextsSentTo(commandLine), (std::vector<std::string>{".s ", ".z 0"}));
    EXPECT_EQ(sound.Beeps().size(), 1u);
    HoldShiftF12(false);
    overlay->MenuCommand(MenuItem::ShowIvac);
    EXPECT_EQ(TextsSentTo(commandLine).size(), 2u) << "the menu needs a pilot";
}

TEST_F(RefreshCycleTest, LosingTheLinkShowsDisconnectedOnceIfAChannelWasKnown) {
    struct Case {
        const char* story;
        int ticksBefore;  // 0: the link is lost before the first tick, with no channel known
        bool clientQuits;
        const char* status;
        std::int32_t statusColour;
    };
    const Case cases[] = {
        {"the server goes away", 3, false, "Running", 33023},
        {"the client quits", 3, true, "Not Running", 192},
        {"the client is closed from the start", 0, true, "Not Running", 192},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.story);
        Server().connected = Server().clientRunning = true;
        Start();
        log.clear();
        Tick(c.ticksBefore);
        const std::size_t sleeps = clock.Sleeps().size();
        (c.clientQuits ? Server().clientRunning : Server().connected) = false;
        Tick();
        if (c.ticksBefore > 0) {
            EXPECT_EQ(window.LineTexts(), std::vector<std::string>{"Disconnected"});
            ASSERT_EQ(clock.Sleeps().size(), sleeps + 1);
            EXPECT_EQ(clock.Sleeps().back(), 1000);
        } else {
            EXPECT_EQ(clock.Sleeps().size(), sleeps) << "nothing to show";
        }
        EXPECT_FALSE(window.IsVisible()) << "hidden at the end of the tick";
        EXPECT_EQ(window.StatusText(), c.status);
        EXPECT_EQ(window.StatusColour(), c.statusColour);
        EXPECT_TRUE(overlay->State().lstUsers.Empty());
        const std::size_t shown = clock.Sleeps().size();
        Tick(3);
        EXPECT_EQ(clock.Sleeps().size(), shown) << "later lost-link ticks show nothing";
        EXPECT_EQ(std::count(log.begin(), log.end(), std::string("Status \"") + c.status + "\""), 1);
    }
}

TEST_F(RefreshCycleTest, TheTrayAndMenuFollowTheLinkAndTheMenuCreatesThePositionsChannel) {
    AddIvAc(desktop, "IvAc 1.2 - eddf_app [Online]");
    // The voice client answers command 12 with its create-channel dialog.
    WindowHandle nameField = kNoWindow;
    desktop.OnMessage([&](const sim::DesktopMessage& m) {
        if (m.target == m_tsMain && m.message == message::kCommand && m.wParam == 12) {
            const WindowHandle dialog = desktop.Add(sim::Window("TfrmCreateChannel").Process(7));
            desktop.Add(sim::Window("TButton").Parent(dialog).Caption("Create Channel"));
            const WindowHandle group = desktop.Add(sim::Window("TGroupBox").Parent(dialog));
            nameField = desktop.Add(sim::Window("TLabeledEdit").Parent(group).Bounds(10, 250, 100, 20).Text(""));
        }
    });
    Start();
    Tick();
    EXPECT_EQ(tray.Picture(), TrayPicture::Enabled);
    EXPECT_EQ(tray.Tip(), "Sayvane Enabled (EDDF_APP)");
    EXPECT_EQ(tray.Caption(MenuItem::ShowMe), "Show Me  (EDDF_APP)");
    EXPECT_EQ(tray.Caption(MenuItem::CreateTSChannel), "Create TS Channel  (EDDF_APP)");
    EXPECT_TRUE(tray.Enabled(MenuItem::CreateTSChannel));
    overlay->MenuCommand(MenuItem::CreateTSChannel);
    EXPECT_EQ(desktop.CurrentText(nameField), "EDDF_APP");
    EXPECT_TRUE(messages.Messages().empty());

    Server().forcedResult[static_cast<std::size_t>(sim::TsCall::Channels)] = -5;
    overlay->RefreshChannelList();
    EXPECT_EQ(tray.Picture(), TrayPicture::Disabled);
    EXPECT_EQ(tray.Caption(MenuItem::CreateTSChannel), "Create TS Channel ");
    EXPECT_FALSE(tray.Enabled(MenuItem::CreateTSChannel));
    Server().forcedResult = {};
    Server().channels.resize(1);
    overlay->RefreshChannelList();
    EXPECT_EQ(tray.Picture(), TrayPicture::Enabled) << "back after a failure, even with one channel";
}

TEST_F(RefreshCycleTest, WithTeamSpeak3ChosenTheSameOverlayFollowsItsQueryInterface) {
    ServeThrough(teamSpeak3);
    Start("ShowInOut=1\r\nVoiceClient=3\r\nQueryApiKey=" + std::string(sim::kTs3DefaultApiKey) + "\r\n");
    const auto tickUntil = [&](const std::function<bool()>& done) { return TickUntil(teamSpeak3, done); };
    ASSERT_TRUE(tickUntil([&] { return window.StatusText() == "Connected"; }));
    ASSERT_TRUE(tickUntil([&] { return overlay->State().lstUsers.Count() == 3; }));

    teamSpeak3.Server().StartSpeaking(11);
    EXPECT_TRUE(tickUntil([&] { return Speakers() == std::vector<std::string>{"DLH4AB"}; }));
    teamSpeak3.Server().StopSpeaking(11);
    teamSpeak3.Server().UpsertPlayer({13, 2, 0, 8, 0, "AFR7731"});
    EXPECT_TRUE(
        tickUntil([&] { return testing::Texts(overlay->State().lstInOut) == std::vector<std::string>{"In:AFR7731"}; }));

    EXPECT_TRUE(tray.Enabled(MenuItem::CreateTSChannel));
    overlay->MenuCommand(MenuItem::CreateTSChannel);
    EXPECT_TRUE(tickUntil([&] { return teamSpeak3.Server().FindChannel(3) != nullptr; }));
    EXPECT_EQ(teamSpeak3.Server().FindChannel(3)->name, "EDDF_APP");
    EXPECT_TRUE(tickUntil([&] { return teamSpeak3.Server().FindPlayerByName("EDDF_APP")->channelId == 3; }));
    teamSpeak3.Update();  // the answer to the move
    Tick();

    // A refusal's box comes after the tick that heard it: the ticks its message loop lets
    // through go on, and one of them sees the client go.
    teamSpeak3.Faults().refuseChannelCreate = sim::Ts3PermissionError();
    std::string statusWhileShown;
    messages.whileShown = [&] {
        teamSpeak3.Server().connected = false;
        tickUntil([&] { return window.StatusText() == "Running"; });
        statusWhileShown = window.StatusText();
    };
    overlay->MenuCommand(MenuItem::CreateTSChannel);
    EXPECT_TRUE(tickUntil([&] { return !messages.Messages().empty(); }));
    EXPECT_EQ(messages.Messages().back().text,
              "TeamSpeak 3 did not create the channel EDDF_APP:\r\n\ninsufficient client permissions");
    EXPECT_EQ(statusWhileShown, "Running");
    EXPECT_EQ(overlay->SkippedTicks(), 0);

    EXPECT_EQ(window.LineTexts(), std::vector<std::string>{"Disconnected"}) << "drawn by the tick that lost it";
}

TEST_F(RefreshCycleTest, WithTeamSpeak5ChosenTheSameOverlayFollowsItsRemoteAppsButCreatesNoChannel) {
    ServeThrough(teamSpeak5);
    Start("ShowInOut=1\r\nVoiceClient=5\r\n");
    const auto tickUntil = [&](const std::function<bool()>& done) { return TickUntil(teamSpeak5, done); };
    ASSERT_TRUE(tickUntil([&] { return window.StatusText() == "Connected"; }));
    teamSpeak5.Server().StartSpeaking(11);
    EXPECT_TRUE(tickUntil([&] { return Speakers() == std::vector<std::string>{"DLH4AB"}; }));
    teamSpeak5.Server().UpsertPlayer({13, 2, 0, 8, 0, "AFR7731"});
    EXPECT_TRUE(
        tickUntil([&] { return testing::Texts(overlay->State().lstInOut) == std::vector<std::string>{"In:AFR7731"}; }));
    EXPECT_FALSE(tray.Enabled(MenuItem::CreateTSChannel)) << "Remote Apps cannot create channels";
    EXPECT_EQ(tray.Caption(MenuItem::CreateTSChannel), "Create TS Channel ");

    teamSpeak5.Server().clientRunning = false;
    EXPECT_TRUE(tickUntil([&] { return window.StatusText() == "Not Running"; }));
    EXPECT_EQ(window.LineTexts(), std::vector<std::string>{"Disconnected"}) << "drawn by the tick that lost it";
}

// What the client says between two ticks: a server found runs its tick at once; a talk start is
// drawn the moment the socket tells, stamped with the running tick so that retention still
// counts ticks.
TEST_F(RefreshCycleTest, WhatTheClientSaysBetweenTicksIsShownAtOnceWithTheRunningTicksStamp) {
    ServeThrough(teamSpeak5);
    Start("VoiceClient=5\r\n");
    // The client found between two ticks: the tick that sees it runs at once and fills the lists.
    for (int i = 0; i < 4; ++i) {
        teamSpeak5.Update();
        voice.Activity(VoiceClient::TeamSpeak5);
    }
    EXPECT_EQ(window.StatusText(), "Connected");
    EXPECT_EQ(overlay->State().lstUsers.Count(), 3U);
    Tick(3);
    const auto heard = [&](std::int32_t id) {
        teamSpeak5.Server().StartSpeaking(id);
        teamSpeak5.Update();
        voice.Activity(VoiceClient::TeamSpeak5);
    };
    const std::int32_t tick = overlay->State().TickNumber;
    heard(11);
    EXPECT_EQ(Speakers(), std::vector<std::string>{"DLH4AB"});
    EXPECT_EQ(overlay->State().lstSpeakers[0].value, tick);
    EXPECT_EQ(window.LineTexts(), std::vector<std::string>{"DLH4AB"});
    voice.Activity(VoiceClient::TeamSpeak3);  // not the client followed: nothing asked of it
    EXPECT_EQ(querySocket.ConnectAttempts(), 0U);
    heard(12);
    EXPECT_EQ(Speakers(), (std::vector<std::string>{"DLH4AB", "BAW12"}));
    Tick();
    // Heard again after a pause: first again at once.
    teamSpeak5.Server().StopSpeaking(11);
    teamSpeak5.Update();
    Tick();
    heard(11);
    EXPECT_EQ(window.LineTexts(), (std::vector<std::string>{"DLH4AB", "BAW12"}));
}

TEST_F(RefreshCycleTest, TheLibraryNicknameOverridesTheOneFromTheWindow) {
    EXPECT_EQ(Start("MeFromChannel=1\r\nNickName=SOMEONE\r\n").Settings().NickName, "") << "found at run time";
    // The pane's text is longer than any buffer, and so is the name in it: both are read whole.
    const std::string fromWindow(300, 'N');
    desktop.SetText(desktop.FindChildWindow(m_tsMain, kNoWindow, "TRichEditWithLinks", std::nullopt),
                    std::string(400, '-') + "Player:\r\n" + fromWindow + "\r\nChannel:\r\nLobby");
    reader.ReadTeamSpeakWindow();
    overlay->RefreshChannelList();
    overlay->RefreshPlayerList();
    EXPECT_EQ(overlay->Settings().NickName, "EDDF_APP");
    Server().ownNickname.clear();
    overlay->RefreshPlayerList();
    EXPECT_EQ(overlay->Settings().NickName, fromWindow);

    // A failed player read leaves the channel and captions alone.
    Server().forcedResult[static_cast<std::size_t>(sim::TsCall::Players)] = -5;
    const std::string caption = tray.Caption(MenuItem::ShowMe);
    overlay->RefreshPlayerList();
    EXPECT_TRUE(overlay->State().lstUsers.Empty());
    EXPECT_EQ(tray.Caption(MenuItem::ShowMe), caption);
    EXPECT_EQ(overlay->State().CurrentChannelName, "Approach");
}

TEST_F(RefreshCycleTest, TicksDueDuringAYieldAreSkipped) {
    Start();
    Tick(3);
    int nested = 0;
    clock.OnYield([&] {
        if (nested++ < 3) {
            overlay->tmrRefresh_Timer();  // the timer fires while the tick lets messages run
        }
    });
    api.ClearCalls();
    Tick();
    EXPECT_EQ(CallsOf("tsrGetSpeakers"), 1) << "one tick ran, the nested ones did not";
    EXPECT_EQ(overlay->SkippedTicks(), 3);
    EXPECT_EQ(nested, 4) << "a connected tick yields after its first step, after the join/leave step, before "
                            "drawing and before the hot key";
    clock.OnYield({});
    Tick();
    EXPECT_EQ(CallsOf("tsrGetSpeakers"), 2) << "the next tick runs again";
}

// How often the hidden panel is refilled is nobody's concern; what it shows is read by the
// end-to-end tests.
TEST_F(RefreshCycleTest, TheDiagnosticPanelMirrorsTheLists) {
    Start();
    Tick(3);
    EXPECT_EQ(window.Mirrored("lstUsers").size(), 3u);
    EXPECT_EQ(window.Mirrored("lstChans")[1], (std::pair<std::string, std::int32_t>{"Approach", 2}));
    Server().StartSpeaking(12);
    Tick();
    EXPECT_EQ(window.Mirrored("lstSpeakers").front().first, "BAW12");
}

}  // namespace
}  // namespace sayvane
