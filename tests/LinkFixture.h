// A link to a simulated voice client that reports its servers itself (TeamSpeak 3's query
// interface, TeamSpeak 5/6's Remote Apps), over an in-memory loopback socket on a virtual
// clock; and the port it is, as the overlay reads it.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "sim/SimulatedLoopbackSocket.h"
#include "sim/Ts3QueryClient.h"
#include "sim/Ts5RemoteClient.h"
#include "sim/VirtualClock.h"
#include "teamspeak/VoicePort.h"

namespace sayvane::testing {

// A server as the clients' tests serve it: the own client, a pilot with him and one in the
// lobby whose name is not ASCII.
inline sim::TsServer Frankfurt() {
    sim::TsServer server;
    server.serverName = "IVAO DE Voice";
    server.ownNickname = "EDDF_APP";
    server.channels = {{1, 0, 0, 33, 5, "Lobby"}, {2, 0, 0, 1, 10, "Frankfurt Approach"}};
    server.players = {{2, 2, 0, 8, 0, "DLH4AB"}, {1, 2, 1, 8, 1, "EDDF_APP"}, {3, 1, 0, 8, 0, "M\xFCller"}};
    return server;
}

// What each simulated client is made with.
inline std::string ClientArgument(const sim::Ts3QueryClient*, const sim::VirtualClock&) {
    return std::string(sim::kTs3DefaultApiKey);
}
inline const Clock* ClientArgument(const sim::Ts5RemoteClient*, const sim::VirtualClock& clock) {
    return &clock;
}

template <typename Client, typename Link, std::uint16_t kPort>
class LinkFixture : public ::testing::Test {
protected:
    // Lets the client and the link talk, 100 ms at a time, until `done` holds; false when it
    // does not within `mostMs`.
    bool Until(const std::function<bool()>& done, std::int64_t mostMs = 30000) {
        for (std::int64_t waited = 0; waited <= mostMs; waited += 100) {
            client.Update();
            link.Pump();
            if (done()) {
                return true;
            }
            clock.Advance(100);
        }
        return false;
    }
    template <typename State>
    bool UntilState(State state, std::int64_t mostMs = 30000) {
        return Until([&] { return link.State() == state; }, mostMs);
    }
    // The client said all it had to say.
    bool Quiet() {
        return Until([&] { return client.OutputSize() == 0; });
    }

    std::vector<std::string> PlayerNames() {
        std::vector<std::string> names;
        if (ts.GetPlayers()) {
            for (std::size_t i = 0; i < ts.PlayerCount(); ++i) {
                names.emplace_back(ts.PlayerName(i));
            }
        }
        return names;
    }
    std::vector<std::int32_t> Speakers() {
        if (ts.GetSpeakers() != LinkStatus::Connected || ts.Speakers().size() == kSilentSpeakerIds) {
            return {};
        }
        return ts.Speakers();
    }

    // A pump with nothing arrived counts no change of what the overlay shows, a talker does.
    // The server goes ("Running" meanwhile) and comes back; then the client turns to a new
    // tab, whose server is the one shown.
    template <typename State>
    void ExpectServerLossAndTabSwitchFollowed(State noServer, State connected) {
        ASSERT_TRUE(Quiet());
        const std::uint64_t seen = link.Changes();
        link.Pump();
        EXPECT_EQ(link.Changes(), seen);
        client.Server().StartSpeaking(2);
        ASSERT_TRUE(Quiet());
        EXPECT_GT(link.Changes(), seen);
        client.Server().StopSpeaking(2);
        client.Server().connected = false;
        ASSERT_TRUE(UntilState(noServer));
        EXPECT_EQ(ts.GetSpeakers(), LinkStatus::Running);
        client.Server().connected = true;
        ASSERT_TRUE(UntilState(connected));
        sim::TsServer other;
        other.serverName = "Other";
        other.ownNickname = "ME";
        other.channels = {{7, 0, 0, 0, 0, "Room"}};
        other.players = {{9, 7, 0, 0, 0, "ME"}};
        client.SetActiveTab(client.AddTab(other));
        ASSERT_TRUE(Until([&] { return link.ServerName() == "Other" && link.State() == connected; }));
        EXPECT_EQ(PlayerNames(), std::vector<std::string>{"ME"});
    }

    // A server busier than TeamSpeak 2's library could list (1,024 records): all of it comes
    // through, the own client first.
    template <typename State>
    void ExpectABusyServerWhole(State connected) {
        constexpr std::size_t kBusy = 2000;
        sim::TsServer& server = client.Server();
        for (std::int32_t i = 0; server.players.size() < kBusy; ++i) {
            server.channels.push_back({10 + i, 0, 0, 0, 0, "Sector " + std::to_string(i)});
            server.players.push_back({100 + i, 10 + i, 0, 0, 0, "PILOT" + std::to_string(i)});
        }
        ASSERT_TRUE(UntilState(connected));
        ASSERT_TRUE(ts.GetPlayers());
        EXPECT_EQ(ts.PlayerCount(), kBusy);
        EXPECT_EQ(ts.PlayerName(0), "EDDF_APP");
        EXPECT_EQ(ts.PlayerName(kBusy - 1), "PILOT1996");
        ASSERT_TRUE(ts.GetChannels());
        EXPECT_EQ(ts.ChannelCount(), kBusy - 1);
    }

    sim::VirtualClock clock;
    Client client{ClientArgument(static_cast<const Client*>(nullptr), clock)};
    sim::SimulatedLoopbackSocket socket{client, kPort};
    Link link{socket, clock};
    VoicePort& ts = link;  // the link as the overlay reads it
};

}  // namespace sayvane::testing
