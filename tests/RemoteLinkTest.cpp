// The TeamSpeak 5/6 link against the simulated client: the user's first answer (allow,
// decline, none) and the key kept from it, the records and speakers the events keep current,
// how it follows the client coming and going and survives a misbehaving one.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "LinkFixture.h"
#include "sim/ScriptedPeer.h"
#include "sim/SimulatedLoopbackSocket.h"
#include "sim/Ts5RemoteClient.h"
#include "sim/VirtualClock.h"
#include "teamspeak/remote/RemoteLink.h"
#include "text/TextRoutines.h"

namespace sayvane::remote {
namespace {

using testing::Frankfurt;

class RemoteLinkTest : public testing::LinkFixture<sim::Ts5RemoteClient, RemoteLink, sim::kTs5DefaultPort> {
protected:
    RemoteLinkTest() {
        client.Server() = Frankfurt();
        link.OnKeyChanged([this](const std::string& key) { keptKeys.push_back(key); });
        link.Configure(RemoteSettings{});
    }

    std::vector<std::string> keptKeys;
};

TEST_F(RemoteLinkTest, AllowedOnceTheKeyIsKeptAndTheEventsKeepTheListsCurrent) {
    socket.SetChunkSize(1);  // every frame arrives split at every byte
    socket.SetSendLimit(3);
    client.Faults().fragmentBytes = 5;  // and every message in frames of five bytes
    client.Shape().logsPerUpdate = 20;  // among a stream of log and other events nobody asked for
    client.SetConfirm(sim::Ts5RemoteClient::Confirm::Allow, 3000);
    ASSERT_TRUE(Until([&] { return client.Asking(); }));
    EXPECT_EQ(link.State(), RemoteState::WaitingForUser);
    EXPECT_EQ(ts.GetSpeakers(), LinkStatus::Running);
    EXPECT_EQ(client.LastApp().name, "Sayvane");
    EXPECT_EQ(client.LastAuthKeyKnown(), false);
    ASSERT_TRUE(UntilState(RemoteState::Connected));
    ASSERT_FALSE(client.LastIssuedKey().empty());
    EXPECT_EQ(keptKeys, std::vector<std::string>{client.LastIssuedKey()});
    EXPECT_EQ(link.ApiKey(), client.LastIssuedKey());

    EXPECT_EQ(link.ServerName(), "IVAO DE Voice");
    EXPECT_EQ(PlayerNames(), (std::vector<std::string>{"EDDF_APP", "DLH4AB", "M\xFCller"})) << "own first, cp1252";
    ASSERT_TRUE(ts.GetChannels());
    ASSERT_EQ(ts.ChannelCount(), 2U);
    EXPECT_EQ(ts.GetUserNickname(), "EDDF_APP");

    // A word shorter than a tick still shows once; joins, moves, renames and leaves follow.
    sim::TsServer& server = client.Server();
    server.StartSpeaking(2);
    client.Update();
    server.StopSpeaking(2);
    server.StartSpeaking(3);
    ASSERT_TRUE(Quiet());
    EXPECT_EQ(Speakers(), (std::vector<std::int32_t>{2, 3}));
    EXPECT_EQ(Speakers(), (std::vector<std::int32_t>{3}));
    server.UpsertPlayer({4, 1, 0, 8, 0, "BAW12"});
    server.FindPlayer(2)->channelId = 1;
    server.FindPlayer(3)->name = "KLM1853";
    ASSERT_TRUE(Quiet());
    EXPECT_EQ(PlayerNames(), (std::vector<std::string>{"EDDF_APP", "DLH4AB", "KLM1853", "BAW12"}));
    EXPECT_EQ(ts.PlayerChannelId(1), 1);
    server.RemovePlayer(3);
    ASSERT_TRUE(Quiet());
    EXPECT_EQ(PlayerNames(), (std::vector<std::string>{"EDDF_APP", "DLH4AB", "BAW12"}));
    EXPECT_EQ(Speakers(), std::vector<std::int32_t>{});

    client.Ping("still there?");
    EXPECT_TRUE(Until([&] { return client.Received().back() == "(pong)"; }));

    ExpectServerLossAndTabSwitchFollowed(RemoteState::NoServer, RemoteState::Connected);

    // The client restarts: found again, and in without asking with the key kept.
    client.Server().clientRunning = false;
    ASSERT_TRUE(UntilState(RemoteState::NotRunning));
    EXPECT_EQ(ts.GetSpeakers(), LinkStatus::NotRunning);
    client.Server().clientRunning = true;
    client.SetConfirm(sim::Ts5RemoteClient::Confirm::NeverAnswer);
    ASSERT_TRUE(UntilState(RemoteState::Connected));
    EXPECT_EQ(client.LastAuthKeyKnown(), true);
    EXPECT_EQ(keptKeys.size(), 1U);
    for (const std::string& seen : client.Received()) {
        EXPECT_EQ(seen.find(client.LastIssuedKey()), std::string::npos) << "the key is never traced";
    }
}

TEST_F(RemoteLinkTest, ADeclineIsKeptUntilTheKeyIsForgottenAndNoAnswerIsWaitedFor) {
    client.SetConfirm(sim::Ts5RemoteClient::Confirm::Decline, 2000);
    ASSERT_TRUE(UntilState(RemoteState::Declined));
    EXPECT_EQ(ts.GetSpeakers(), LinkStatus::Running);
    const std::size_t attempts = socket.ConnectAttempts();
    clock.Advance(5 * 60 * 1000);
    ASSERT_FALSE(Until([&] { return socket.ConnectAttempts() > attempts; }, 60000)) << "not asked again by itself";
    EXPECT_TRUE(keptKeys.empty());

    // "Forget this key" asks again; a user who never answers is waited for.
    client.SetConfirm(sim::Ts5RemoteClient::Confirm::NeverAnswer);
    link.ForgetKey();
    ASSERT_TRUE(UntilState(RemoteState::WaitingForUser));
    EXPECT_FALSE(Until([&] { return link.State() != RemoteState::WaitingForUser; }, 10 * 60 * 1000));
    client.SetConfirm(sim::Ts5RemoteClient::Confirm::Allow);
    ASSERT_TRUE(UntilState(RemoteState::Connected));

    // Forgotten after it was kept: the program is told to forget it too.
    link.ForgetKey();
    EXPECT_EQ(keptKeys, (std::vector<std::string>{client.LastIssuedKey(), ""}));
    EXPECT_EQ(link.State(), RemoteState::NotRunning) << "a new connection, asking again";
}

TEST_F(RemoteLinkTest, ARefusedKeptKeyIsAskedForAnewOnceInEachFormOfRefusal) {
    // TeamSpeak quits while its user is asked: tried again and asked anew, not taken as a no.
    client.SetConfirm(sim::Ts5RemoteClient::Confirm::NeverAnswer);
    ASSERT_TRUE(UntilState(RemoteState::WaitingForUser));
    client.Server().clientRunning = false;
    ASSERT_TRUE(UntilState(RemoteState::NotRunning));
    client.Server().clientRunning = true;
    ASSERT_TRUE(UntilState(RemoteState::WaitingForUser));

    using Refusal = sim::Ts5Shape::Refusal;
    struct Row {
        const char* name;
        Refusal form;
        bool forgotten;  // a refusal said in words forgets the key; a hang-up may be anyone's
    };
    for (const Row& row :
         {Row{"error reply", Refusal::ErrorReply, true}, Row{"bare error", Refusal::BareErrorReply, true},
          Row{"close frame", Refusal::CloseFrame, false}, Row{"dropped", Refusal::Drop, false}}) {
        SCOPED_TRACE(row.name);
        keptKeys.clear();
        client.Shape().refusal = row.form;
        client.SetConfirm(sim::Ts5RemoteClient::Confirm::Decline, 1000);
        link.Configure(RemoteSettings{std::string("KEPT-BY-AN-OLD-INSTALL-") + row.name});
        ASSERT_TRUE(UntilState(RemoteState::AskingAgain));
        EXPECT_EQ(client.LastAuthKeyKnown(), false);
        EXPECT_EQ(keptKeys, row.forgotten ? std::vector<std::string>{""} : std::vector<std::string>{});
        client.SetConfirm(sim::Ts5RemoteClient::Confirm::Allow);
        ASSERT_TRUE(UntilState(RemoteState::Connected));
        EXPECT_EQ(keptKeys.back(), client.LastIssuedKey());
        EXPECT_EQ(link.ApiKey(), client.LastIssuedKey());
    }
    // Refused again when asked anew: the user's no.
    client.SetConfirm(sim::Ts5RemoteClient::Confirm::Decline, 1000);
    link.Configure(RemoteSettings{"KEPT-AND-REFUSED"});
    ASSERT_TRUE(UntilState(RemoteState::Declined));
    EXPECT_EQ(link.Refusal(), "") << "the close frame says nothing";
}

TEST_F(RemoteLinkTest, AMisbehavingClientCostsAConnectionAtMostAndNeverTheLists) {
    struct Fault {
        const char* name;
        void (*set)(sim::Ts5Faults&);
        bool dropsTheConnection;
    };
    const Fault faults[] = {
        {"malformed JSON", [](sim::Ts5Faults& f) { f.malformedMessages = true; }, false},
        {"unknown events, missing fields", [](sim::Ts5Faults& f) { f.strangeEvents = true; }, false},
        // Text that is not UTF-8 fails a WebSocket connection, as the protocol wants.
        {"invalid UTF-8", [](sim::Ts5Faults& f) { f.invalidUtf8 = true; }, true},
        {"over 16 MiB", [](sim::Ts5Faults& f) { f.oversizedMessage = true; }, true},
        {"closed mid-message", [](sim::Ts5Faults& f) { f.closeMidMessage = true; }, true},
    };
    for (const Fault& fault : faults) {
        SCOPED_TRACE(fault.name);
        ASSERT_TRUE(UntilState(RemoteState::Connected));
        const std::size_t attempts = socket.ConnectAttempts();
        fault.set(client.Faults());
        client.Server().StartSpeaking(2);
        ASSERT_TRUE(Quiet());
        client.Faults() = sim::Ts5Faults{};
        ASSERT_TRUE(Until([&] { return link.State() == RemoteState::Connected && client.OutputSize() == 0; }));
        EXPECT_EQ(socket.ConnectAttempts() > attempts, fault.dropsTheConnection);
        EXPECT_EQ(PlayerNames(), (std::vector<std::string>{"EDDF_APP", "DLH4AB", "M\xFCller"}));
        EXPECT_EQ(Speakers(), std::vector<std::int32_t>{2});
        client.Server().StopSpeaking(2);
    }

    // Something on the port that is no Remote Apps: said, and asked again only seldom.
    struct Refusal {
        const char* name;
        void (*set)(sim::Ts5Faults&);
    };
    for (const Refusal& refusal : {Refusal{"403", [](sim::Ts5Faults& f) { f.refuseHandshake = true; }},
                                   Refusal{"wrong accept key", [](sim::Ts5Faults& f) { f.wrongAcceptKey = true; }}}) {
        SCOPED_TRACE(refusal.name);
        refusal.set(client.Faults());
        link.Stop();
        ASSERT_TRUE(UntilState(RemoteState::NotRemoteApps));
        EXPECT_FALSE(link.Refusal().empty());
        const std::int64_t refused = clock.NowMilliseconds();
        const std::size_t attempts = socket.ConnectAttempts();
        ASSERT_TRUE(Until([&] { return socket.ConnectAttempts() > attempts; }, 60000));
        EXPECT_GE(clock.NowMilliseconds() - refused, RemoteLink::kLastRetryMs);
        client.Faults() = sim::Ts5Faults{};
    }

    // A handshake that is never answered costs the time-out, then a new try.
    client.Faults().stall = true;
    link.Stop();
    ASSERT_TRUE(UntilState(RemoteState::Connecting));
    ASSERT_TRUE(UntilState(RemoteState::NotRunning, RemoteLink::kAnswerTimeoutMs + 1000));
    client.Faults().stall = false;
    EXPECT_TRUE(UntilState(RemoteState::Connected));
}

// Whatever listens on the port: it takes the WebSocket's handshake, lets the app in with
// `key`, then floods. The link stays within its bounds, drops the connection where the peer
// sent more than it keeps, and keeps no key that is none.
// Answers the link's WebSocket handshake once, with `first` after it; `sent` turns 1 then.
void AnswerHandshake(sim::ScriptedPeer& peer, int& sent, std::function<std::string()> first) {
    peer.OnReceive([&sent, first = std::move(first)](const std::string& received) {
        const std::size_t key = received.find("Sec-WebSocket-Key: ");
        const std::size_t end = received.find("\r\n", key);
        if (key == std::string::npos || end == std::string::npos || sent != 0) {
            return std::string();
        }
        sent = 1;
        return "HTTP/1.1 101 Switching Protocols\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
               "Sec-WebSocket-Accept: " +
               AcceptKey(received.substr(key + 19, end - key - 19)) + "\r\n\r\n" + first();
    });
}

TEST(RemoteLinkHostilePeer, FloodsAndSilencesCostAConnectionAndNeverTheBounds) {
    const auto text = [](const std::string& payload) { return sim::ServerFrame(payload); };
    const auto in = [&](const std::string& key) {
        return text(R"({"type":"auth","status":{"code":0},"payload":{"apiKey":")" + key +
                    R"(","connections":[{"id":1,"clientId":5,"status":4,"clientInfos":[{"id":5,"channelId":1,)"
                    R"("properties":{"nickname":"ME"}}]}]}})");
    };
    struct Row {
        const char* name;
        std::string key;  // as the peer hands it out, JSON-escaped
        std::function<std::string(int)> flood;
        bool peerReads;
        bool dropped;
    };
    const Row rows[] = {
        {"new tabs", "k",
         [&](int n) {
             return text(R"({"type":"connectStatusChanged","payload":{"connectionId":)" + std::to_string(n + 2) +
                         R"(,"status":1}})");
         },
         true, true},
        {"unknown talkers", "k",
         [&](int n) {
             return text(R"({"type":"talkStatusChanged","payload":{"connectionId":1,)"
                         R"("clientId":)" +
                         std::to_string(n + 6) + R"(,"status":1}})");
         },
         true, false},
        {"repeated auth", "k", [&](int n) { return in("k" + std::to_string(n)); }, true, false},
        {"pings, never reading", "k", [&](int) { return std::string("\x89\x04ping"); }, false, true},
        // Fragments of 60,000 bytes, never the last.
        {"a message without end", "k",
         [&](int n) {
             return std::string{n == 0 ? '\x01' : '\0', '\x7E', '\xEA', '\x60'} + std::string(60000, 'x');
         },
         true, true},
        {"a key with CR/LF", "abc\\r\\nAutoStart=1", nullptr, true, true},
        {"a key of 201 characters", std::string(201, 'k'), nullptr, true, true},
        {"silence once in", "k", nullptr, true, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        sim::VirtualClock clock;
        sim::ScriptedPeer peer;
        sim::SimulatedLoopbackSocket socket(peer, kDefaultRemotePort);
        int sent = 0;
        AnswerHandshake(peer, sent, [&] {
            socket.SetPeerReads(row.peerReads);  // from now on
            return in(row.key);
        });
        if (row.flood) {
            peer.SetFlood([&] { return sent == 0 ? std::string() : row.flood(sent++ - 1); });
        }
        RemoteLink link(socket, clock);
        std::vector<std::string> kept;
        link.OnKeyChanged([&](const std::string& key) { kept.push_back(key); });
        bool overflowed = false;
        // A flood that is borne is borne for two seconds; silence takes its time-out.
        const int ticks = row.flood && !row.dropped ? 20 : 450;
        // A call reads its budget and the message it cut, however many small ones follow.
        const std::size_t mostPerCall = std::string(row.name) == "a message without end"
                                            ? FrameReader::kMaxMessageBytes + 65536
                                            : RemoteLink::kMostBytesPerCall + 65536;
        for (int tick = 0; tick < ticks && socket.ConnectAttempts() < 2; ++tick) {
            const std::uint64_t taken = peer.BytesTaken();
            link.Pump();
            EXPECT_LE(peer.BytesTaken() - taken, mostPerCall);
            EXPECT_LE(link.TabCount(), ServerTabs::kMostTabs);
            EXPECT_LE(link.UnsentBytes(), RemoteLink::kMostUnsentBytes + 16);
            overflowed = overflowed || link.State() == RemoteState::Overflowed;
            clock.Advance(100);
        }
        EXPECT_EQ(socket.ConnectAttempts() > 1, row.dropped) << "tried again after the usual wait";
        EXPECT_EQ(overflowed, row.dropped && std::string(row.name) != "silence once in");
        for (const std::string& key : kept) {
            EXPECT_TRUE(IsKeyText(key)) << key;
        }
    }
}

TEST_F(RemoteLinkTest, ABusyServerComesThroughWhole) {
    ExpectABusyServerWhole(RemoteState::Connected);
}

// Between ticks the socket's activity moves the link on, and the one listening hears of what
// changed, until a flood has cost the budget; the next tick's reading gives it back.
TEST(RemoteLinkActivity, BetweenTicksReadsAFloodOnlyUpToItsBudget) {
    sim::VirtualClock clock;
    sim::ScriptedPeer peer;
    sim::SimulatedLoopbackSocket socket(peer, kDefaultRemotePort);
    int sent = 0;
    AnswerHandshake(peer, sent, [] {
        return sim::ServerFrame(
            R"({"type":"auth","status":{"code":0},"payload":{"apiKey":"k","connections":[{"id":1,"clientId":5,)"
            R"("status":4,"clientInfos":[{"id":5,"channelId":1,"properties":{"nickname":"ME"}}]}]}})");
    });
    peer.SetFlood([&] {
        return sent == 0 ? std::string()
                         : sim::ServerFrame(R"({"type":"talkStatusChanged","payload":{"connectionId":1,"clientId":5,)"
                                            R"("status":)" +
                                            std::to_string(sent++ % 2) + "}}");
    });
    RemoteLink link(socket, clock);
    link.Configure(RemoteSettings{"k", kDefaultRemotePort});
    int told = 0;
    link.OnChanged([&] { ++told; });
    const auto between = [&] {
        for (int i = 0; i < 100; ++i) {
            link.Activity();
        }
    };
    between();
    EXPECT_GT(told, 0);
    const std::uint64_t read = link.BytesRead();
    EXPECT_GE(read, RemoteLink::kMostActivityBytes);
    EXPECT_LE(read, RemoteLink::kMostActivityBytes + RemoteLink::kMostBytesPerCall + 8192);
    (void)link.GetSpeakers();  // a tick
    const std::uint64_t afterTick = link.BytesRead();
    between();
    EXPECT_GE(link.BytesRead() - afterTick, RemoteLink::kMostActivityBytes);
    EXPECT_LE(link.BytesRead() - afterTick, RemoteLink::kMostActivityBytes + RemoteLink::kMostBytesPerCall + 8192);
}

}  // namespace
}  // namespace sayvane::remote
