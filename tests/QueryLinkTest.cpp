// The TeamSpeak 3 link against the simulated client: the records it makes of the active
// tab, speakers from the client's notices, and how it follows the client starting, stopping,
// switching tabs, refusing the key and misbehaving.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "LinkFixture.h"
#include "sim/ScriptedPeer.h"
#include "sim/SimulatedLoopbackSocket.h"
#include "sim/Ts3QueryClient.h"
#include "sim/VirtualClock.h"
#include "teamspeak/TeamSpeakLink.h"
#include "teamspeak/query/QueryLink.h"

namespace sayvane::query {
namespace {

using testing::Frankfurt;

class QueryLinkTest : public testing::LinkFixture<sim::Ts3QueryClient, QueryLink, sim::kTs3DefaultPort> {
protected:
    QueryLinkTest() {
        client.Server() = Frankfurt();
        link.Configure(QuerySettings{std::string(sim::kTs3DefaultApiKey), kDefaultQueryPort});
    }
};

TEST_F(QueryLinkTest, TheActiveTabBecomesLibraryRecordsAndTheNoticesKeepThemCurrent) {
    socket.SetChunkSize(1);  // every line arrives split at every byte
    socket.SetSendLimit(3);
    ASSERT_TRUE(UntilState(QueryState::Connected));
    EXPECT_EQ(link.ServerName(), "IVAO DE Voice");
    // The own client first, the query client left out, names in code page 1252.
    EXPECT_EQ(PlayerNames(), (std::vector<std::string>{"EDDF_APP", "DLH4AB", "M\xFCller"}));
    EXPECT_EQ(ts.PlayerChannelId(0), 2);
    ASSERT_TRUE(ts.GetChannels());
    ASSERT_EQ(ts.ChannelCount(), 2U);
    EXPECT_EQ(ts.ChannelName(1), "Frankfurt Approach");
    EXPECT_EQ(ts.GetUserNickname(), "EDDF_APP");
    EXPECT_TRUE(Speakers().empty());

    // A word shorter than a tick still shows once; a long one as long as it lasts.
    sim::TsServer& server = client.Server();
    server.StartSpeaking(2);
    client.Update();
    server.StopSpeaking(2);
    server.StartSpeaking(3);
    ASSERT_TRUE(Until([&] { return client.OutputSize() == 0; }));
    EXPECT_EQ(Speakers(), (std::vector<std::int32_t>{2, 3}));
    EXPECT_EQ(Speakers(), (std::vector<std::int32_t>{3}));

    // Joins, moves, renames and leaves reach the records without a new listing.
    server.UpsertPlayer({4, 1, 0, 8, 0, "BAW12"});
    server.FindPlayer(2)->channelId = 1;
    server.FindPlayer(3)->name = "KLM1853";
    server.RemovePlayer(3);
    ASSERT_TRUE(Until([&] { return client.OutputSize() == 0; }));
    client.ClearCommands();
    EXPECT_EQ(PlayerNames(), (std::vector<std::string>{"EDDF_APP", "DLH4AB", "BAW12"}));
    EXPECT_EQ(ts.PlayerChannelId(1), 1);
    EXPECT_EQ(Speakers(), std::vector<std::int32_t>{});
    EXPECT_TRUE(client.Commands().empty()) << client.Commands().front();

    // A new listing now and then, in case a notice went missing.
    clock.Advance(QueryLink::kRelistMs);
    (void)PlayerNames();
    ASSERT_TRUE(Until([&] { return client.Commands().size() >= 5; }));
    EXPECT_EQ(client.Commands(),
              (std::vector<std::string>{"use schandlerid=1", "whoami", "servervariable virtualserver_name",
                                        "channellist", "clientlist -voice"}));
}

// The shapes the real client's lines come in: the greeting with or without its line about
// "auth"; events told before an answer, or amid it with the answer's data older than they.
TEST_F(QueryLinkTest, EachShapeOfTheClientsLinesIsFollowed) {
    struct Shape {
        const char* label;
        bool authHint;
        bool eventsInsideAnswers;
    };
    const Shape shapes[] = {
        {"newer greeting", true, false}, {"older greeting", false, false}, {"events amid answers", true, true}};
    const std::string odd = "A\\B/C D|E\a\b\f\n\r\t\v";  // every character the query escapes
    for (const Shape& shape : shapes) {
        SCOPED_TRACE(shape.label);
        client.Shapes().authHint = shape.authHint;
        client.Shapes().eventsInsideAnswers = shape.eventsInsideAnswers;
        client.Server() = Frankfurt();
        client.Server().UpsertPlayer({5, 1, 0, 8, 0, odd});
        link.Stop();
        ASSERT_TRUE(UntilState(QueryState::Connected));
        EXPECT_EQ(PlayerNames(), (std::vector<std::string>{"EDDF_APP", "DLH4AB", "M\xFCller", odd}));

        // While the client answers a new listing, one begins to speak, one leaves, one comes.
        bool pending = true;
        client.SetTrace([&](sim::Ts3QueryClient::Direction direction, const std::string& line) {
            if (pending && direction == sim::Ts3QueryClient::Direction::Received && line == "clientlist -voice") {
                pending = false;
                client.Server().StartSpeaking(2);
                client.Server().RemovePlayer(3);
                client.Server().UpsertPlayer({4, 1, 0, 8, 0, "BAW12"});
            }
        });
        clock.Advance(QueryLink::kRelistMs);
        (void)PlayerNames();
        ASSERT_TRUE(Quiet());
        client.SetTrace(nullptr);
        EXPECT_FALSE(pending);
        EXPECT_EQ(PlayerNames(), (std::vector<std::string>{"EDDF_APP", "DLH4AB", odd, "BAW12"}));
        EXPECT_EQ(Speakers(), std::vector<std::int32_t>{2});
        EXPECT_EQ(Speakers(), std::vector<std::int32_t>{2}) << "still talking";

        // A channel is made under exactly its name, escapes and all.
        std::string refusal = "unanswered";
        ASSERT_TRUE(link.RequestChannel(odd, [&](const std::string& said) { refusal = said; }));
        ASSERT_TRUE(Quiet());
        link.DeliverAnswers();
        EXPECT_EQ(refusal, "");
        EXPECT_EQ(client.Server().channels.back().name, odd);
    }
}

TEST_F(QueryLinkTest, TheStatusFollowsTheClientStartingStoppingAndSwitchingTabs) {
    client.Server().clientRunning = false;
    ASSERT_TRUE(Until([&] { return socket.ConnectAttempts() == 4; }));
    EXPECT_EQ(ts.GetSpeakers(), LinkStatus::NotRunning);
    // Tries again after 1, 2, 4, then at most 16 seconds.
    EXPECT_EQ(clock.NowMilliseconds(), 1000 + 2000 + 4000);
    ASSERT_TRUE(Until([&] { return socket.ConnectAttempts() == 7; }, 60000));
    EXPECT_EQ(clock.NowMilliseconds(), 7000 + 8000 + 16000 + 16000);

    client.Server().clientRunning = true;
    ASSERT_TRUE(UntilState(QueryState::Connected, 20000));
    EXPECT_EQ(ts.GetSpeakers(), LinkStatus::Connected);

    ExpectServerLossAndTabSwitchFollowed(QueryState::NoServer, QueryState::Connected);

    // The client stops: the link notices and waits for it again.
    client.Server().clientRunning = false;
    ASSERT_TRUE(UntilState(QueryState::NotRunning));
    EXPECT_EQ(ts.GetSpeakers(), LinkStatus::NotRunning);
}

TEST_F(QueryLinkTest, ARefusedKeyIsSaidAndTriedAgainLateOrAtOnceWithANewOne) {
    // Which error a refused key gets is not known: any id but 0 is a refusal.
    const sim::Ts3Error refusals[] = {{1538, "invalid parameter", {}},
                                      {2568, "insufficient client permissions", "failed_permid=4"},
                                      {256, "invalid apikey", {}}};
    link.Configure(QuerySettings{"WRONG", kDefaultQueryPort});
    for (const sim::Ts3Error& refusal : refusals) {
        SCOPED_TRACE(refusal.id);
        client.Shapes().keyRefusal = refusal;
        link.Stop();
        ASSERT_TRUE(UntilState(QueryState::KeyRefused));
    }
    EXPECT_EQ(client.LastAuthKeyMatched(), false);
    EXPECT_EQ(ts.GetSpeakers(), LinkStatus::Running);
    const std::size_t attempts = socket.ConnectAttempts();
    ASSERT_TRUE(Until([&] { return socket.ConnectAttempts() > attempts; }));
    EXPECT_GE(clock.NowMilliseconds(), QueryLink::kLastRetryMs);

    link.Configure(QuerySettings{std::string(sim::kTs3DefaultApiKey), kDefaultQueryPort});
    ASSERT_TRUE(UntilState(QueryState::Connected, 1000));
    // The key is never written down by the client's log, nor sent but in the one command.
    for (const std::string& command : client.Commands()) {
        EXPECT_EQ(command.find(sim::kTs3DefaultApiKey), std::string::npos) << command;
    }
}

TEST_F(QueryLinkTest, ABusyServerComesThroughWholeAndAnotherTabsNoticesStayThere) {
    ExpectABusyServerWhole(QueryState::Connected);

    // Someone speaks on a server of another tab: not on this one.
    sim::TsServer other;
    other.ownNickname = "ME";
    other.channels = {{7, 0, 0, 0, 0, "Room"}};
    other.players = {{9, 7, 0, 0, 0, "ME"}, {2, 7, 0, 0, 0, "ELSEWHERE"}};
    const std::int32_t tab = client.AddTab(other);
    client.Server(tab).StartSpeaking(2);
    ASSERT_TRUE(Until([&] { return client.OutputSize() == 0; }));
    EXPECT_EQ(Speakers(), std::vector<std::int32_t>{});
    EXPECT_EQ(link.ServerName(), "IVAO DE Voice");
}

TEST_F(QueryLinkTest, AMisbehavingClientCostsAConnectionAtMostAndNeverTheLists) {
    struct Fault {
        void (*set)(sim::Ts3Faults&);
        bool dropsTheConnection;
    };
    const Fault faults[] = {
        {[](sim::Ts3Faults& f) { f.overlongLine = true; }, false},
        {[](sim::Ts3Faults& f) { f.malformedLines = true; }, false},
        {[](sim::Ts3Faults& f) { f.closeMidAnswer = true; }, true},
        {[](sim::Ts3Faults& f) { f.stall = true; }, true},
    };
    for (const Fault& fault : faults) {
        SCOPED_TRACE(&fault - faults);
        ASSERT_TRUE(UntilState(QueryState::Connected));
        fault.set(client.Faults());
        client.Server().StartSpeaking(2);
        clock.Advance(QueryLink::kRelistMs);
        (void)PlayerNames();  // asks for a new listing, which meets the fault
        if (fault.dropsTheConnection) {
            ASSERT_TRUE(UntilState(QueryState::NotRunning, QueryLink::kAnswerTimeoutMs + 1000));
            client.Faults() = sim::Ts3Faults{};
        }
        ASSERT_TRUE(Until([&] { return link.State() == QueryState::Connected && client.OutputSize() == 0; }));
        EXPECT_EQ(PlayerNames(), (std::vector<std::string>{"EDDF_APP", "DLH4AB", "M\xFCller"}));
        EXPECT_EQ(Speakers(), std::vector<std::int32_t>{2});
        client.Server().StopSpeaking(2);
    }
}

// Whatever listens on the port, answering as the row says and flooding: the link stays within
// its bounds, drops the connection where the peer sent more than it keeps or went silent, frees
// what it held, and tries again after the usual wait. A silent client is lost as a server is.
TEST(QueryLinkHostilePeer, FloodsAndSilencesCostAConnectionAndNeverTheBounds) {
    enum class Answers { None, All, UntilListed };
    struct Row {
        const char* name;
        const char* opening;
        std::function<std::string(int)> flood;  // the n-th flood's bytes; empty: no more
        Answers answers;
        bool overflows;
        bool dropped;
    };
    const std::string greeting = "TS3 Client\n\rselected schandlerid=1\n\r";
    const auto lines = [](int most, std::string head, std::string tail = "") {
        return [=](int n) { return n < most ? head + std::to_string(n + 2) + tail + "\n\r" : std::string(); };
    };
    const Row rows[] = {
        {"new tabs", greeting.c_str(), lines(100, "notifyconnectstatuschange status=connected schandlerid="),
         Answers::All, true, true},
        {"unknown talkers", greeting.c_str(), lines(20000, "notifytalkstatuschange schandlerid=1 status=1 clid="),
         Answers::All, false, false},
        {"tab switches", greeting.c_str(), lines(20000, "notifycurrentserverconnectionchanged schandlerid="),
         Answers::All, false, false},
        {"an endless answer", greeting.c_str(), lines(1 << 30, "clid=", " cid=1 client_nickname=X"), Answers::None,
         true, true},
        {"an endless banner", "TS3 Client\n\r", lines(1 << 30, "TS3 Client "), Answers::None, true, true},
        {"a banner line without end", "TS3 Client", [](int) { return std::string(4096, 'x'); }, Answers::None, true,
         true},
        {"silence once in", greeting.c_str(), nullptr, Answers::UntilListed, false, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        sim::VirtualClock clock;
        sim::ScriptedPeer peer;
        sim::SimulatedLoopbackSocket socket(peer, kDefaultQueryPort);
        std::size_t answered = 0;  // bytes of commands answered in this session
        bool silent = false;
        peer.OnConnect([&] {
            answered = 0;
            return std::string(row.opening);
        });
        peer.OnReceive([&](const std::string& received) {
            std::string out;
            for (std::size_t end; !silent && (end = received.find('\n', answered)) != std::string::npos;) {
                const std::string command = received.substr(answered, end - answered);
                answered = end + 1;
                if (row.answers == Answers::None) {
                    continue;
                }
                if (command == "whoami") {
                    out += "clid=1 cid=1\n\r";
                } else if (command == "clientlist -voice") {
                    out += "clid=1 cid=1 client_nickname=ME client_type=0 client_flag_talking=1\n\r";
                    silent = row.answers == Answers::UntilListed;
                }
                out += "error id=0 msg=ok\n\r";
            }
            return out;
        });
        int floods = 0;
        if (row.flood) {
            peer.SetFlood([&] { return row.flood(floods++); });
        }
        QueryLink link(socket, clock);
        link.Configure(QuerySettings{"KEY", kDefaultQueryPort});
        bool overflowed = false;
        bool connected = false;
        LinkStatus status = LinkStatus::Unknown;
        for (int tick = 0; tick < 600 && socket.ConnectAttempts() < 2; ++tick, clock.Advance(100)) {
            status = link.GetSpeakers();  // pumps the link
            connected = connected || status == LinkStatus::Connected;
            const ServerTab& tab = link.KnownTabs().ActiveTab();
            ASSERT_LE(link.KnownTabs().Count(), ServerTabs::kMostTabs);
            ASSERT_LE(tab.Talkers().size(), tab.Clients().size());
            ASSERT_LE(link.QueuedCommands(), 5U) << "one listing at most";
            ASSERT_LE(link.BufferedBytes(),
                      QueryLink::kMostAnswerBytes + LineReader::kMaxLineBytes + QueryLink::kMostBytesPerCall);
            if (link.State() == QueryState::Overflowed || (link.State() == QueryState::NotRunning && tick > 0)) {
                overflowed = overflowed || link.State() == QueryState::Overflowed;
                EXPECT_EQ(status, LinkStatus::NotRunning);
                EXPECT_EQ(link.BufferedBytes() + link.QueuedCommands() + link.KnownTabs().Count(), 0U);
            }
        }
        EXPECT_EQ(overflowed, row.overflows);
        EXPECT_EQ(socket.ConnectAttempts() > 1, row.dropped) << "tried again after the usual wait";
        EXPECT_EQ(connected, row.answers == Answers::UntilListed || (row.answers == Answers::All && !row.dropped));
    }
}

}  // namespace
}  // namespace sayvane::query
