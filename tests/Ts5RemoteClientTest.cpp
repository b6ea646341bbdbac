// The simulated TeamSpeak 5/6 client against the link's own codec and model: the handshake,
// the user's answers to an app that asks in, the faults as an app receives them, and events
// that keep the model equal to the servers over frames cut small.
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "sim/Ts5RemoteClient.h"
#include "teamspeak/remote/RemoteModel.h"
#include "teamspeak/remote/WebSocket.h"

namespace sayvane::sim {
namespace {

using Confirm = Ts5RemoteClient::Confirm;

constexpr char kNonce[] = "dGhlIHNhbXBsZSBub25jZQ==";
constexpr std::array<std::uint8_t, 4> kMask = {0x12, 0x34, 0x56, 0x78};
constexpr char kIssuedBefore[] = "ISSUED-BEFORE";

// The app's end of the connection, made of the link's codec and model.
class App {
public:
    explicit App(Ts5RemoteClient& client, std::size_t readChunk = 0) : m_client(client), m_readChunk(readChunk) {}

    // Connects, then sends the handshake and, once it is answered, the auth: a byte at a time.
    void Open(const std::string& key) {
        ASSERT_TRUE(m_client.Connect());
        Send(remote::HandshakeRequest(kTs5DefaultPort, kNonce));
        Read();
        if (m_handshake.State() == remote::HandshakeState::Accepted) {
            Send(
                remote::EncodeFrame(remote::Opcode::Text, remote::AuthMessage({"id", "1", "App", "Test"}, key), kMask));
        }
    }
    void Send(std::string_view bytes) {
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            m_client.Receive(bytes.substr(i, 1));
        }
    }
    // Takes what the client queued: messages go to the model, pings are answered.
    void Read() {
        const std::size_t chunk = m_readChunk == 0 ? std::numeric_limits<std::size_t>::max() : m_readChunk;
        for (std::string bytes; !(bytes = m_client.TakeOutput(chunk)).empty();) {
            if (m_handshake.State() == remote::HandshakeState::Accepted) {
                m_frames.Feed(bytes);
            } else if (m_handshake.Feed(bytes) == remote::HandshakeState::Accepted) {
                m_frames.Feed(m_handshake.Rest());
            }
        }
        for (remote::Message message; m_frames.Next(message);) {
            if (message.kind == remote::Message::Kind::Ping) {
                Send(remote::EncodeFrame(remote::Opcode::Pong, message.payload, kMask));
            }
            const std::optional<remote::RemoteMessage> parsed = remote::ParseMessage(message.payload);
            const bool text = message.kind == remote::Message::Kind::Text;
            types += (types.empty() ? "" : " ") + std::string(!text ? "(control)" : parsed ? parsed->type : "?");
            if (text && parsed) {
                model.Apply(*parsed);
            }
        }
    }
    [[nodiscard]] const remote::HandshakeReader& Handshake() const { return m_handshake; }
    [[nodiscard]] const remote::FrameReader& Frames() const { return m_frames; }

    remote::RemoteModel model;
    std::string types;  // of the messages read, "?" for text that is none

private:
    Ts5RemoteClient& m_client;
    std::size_t m_readChunk;
    remote::HandshakeReader m_handshake{kNonce};
    remote::FrameReader m_frames;
};

struct OpeningCase {
    const char* name;
    const char* key;
    Confirm confirm;
    int delayUpdates;
    void (*fault)(Ts5Faults&);
    // What the app sees after five updates.
    const char* refusal;  // the handshake's, empty when accepted
    const char* types;
    const char* readerError;
    bool open;
};

void NoFault(Ts5Faults&) {}

TEST(Ts5RemoteClientTest, TheAppIsLetInAsTheUserAnswersAndFaultsReachItAsTheyClaim) {
    const OpeningCase cases[] = {
        {"known key", kIssuedBefore, Confirm::Decline, 0, NoFault, "", "auth", "", true},
        {"allowed late", "", Confirm::Allow, 3, NoFault, "", "auth", "", true},
        {"declined", "STALE", Confirm::Decline, 0, NoFault, "", "(control)", "", false},
        {"never answered", "", Confirm::NeverAnswer, 0, NoFault, "", "", "", true},
        {"refused", "", Confirm::Allow, 0, [](Ts5Faults& f) { f.refuseHandshake = true; },
         "the server answered: HTTP/1.1 403 Forbidden", "", "", false},
        {"wrong accept", "", Confirm::Allow, 0, [](Ts5Faults& f) { f.wrongAcceptKey = true; },
         "wrong Sec-WebSocket-Accept", "", "", true},
        {"malformed", kIssuedBefore, Confirm::Allow, 0, [](Ts5Faults& f) { f.malformedMessages = true; }, "",
         "auth ? ? ? ? ? ? ?", "", true},
        {"not UTF-8", kIssuedBefore, Confirm::Allow, 0, [](Ts5Faults& f) { f.invalidUtf8 = true; }, "", "auth",
         "text not valid UTF-8", true},
        {"over 1 MiB", kIssuedBefore, Confirm::Allow, 0, [](Ts5Faults& f) { f.oversizedMessage = true; }, "", "auth",
         "message over 1 MiB", true},
        {"cut", kIssuedBefore, Confirm::Allow, 0, [](Ts5Faults& f) { f.closeMidMessage = true; }, "", "", "", false},
    };
    for (const OpeningCase& c : cases) {
        SCOPED_TRACE(c.name);
        Ts5RemoteClient client;
        client.AddKnownKey(kIssuedBefore);
        client.SetConfirm(c.confirm, c.delayUpdates);
        c.fault(client.Faults());
        App app(client);
        app.Open(c.key);
        for (int update = 1; update <= 5; ++update) {
            client.Update();
            app.Read();
            EXPECT_TRUE(update >= c.delayUpdates || app.types.empty()) << "answered before the user did";
        }
        EXPECT_EQ(app.Handshake().Reason(), c.refusal);
        EXPECT_EQ(app.types, c.types);
        EXPECT_EQ(app.Frames().Error(), c.readerError);
        EXPECT_EQ(client.IsOpen(), c.open);
        if (app.model.Allowed()) {
            const std::string issued = std::string(c.key).empty() ? client.LastIssuedKey() : c.key;
            EXPECT_EQ(app.model.ApiKey(), issued);
            EXPECT_EQ(client.KnownKeys().count(issued), 1U);
        }
        const std::string auth = std::string("auth apikey=") + (std::string(c.key).empty() ? "<empty>" : "<hidden>");
        EXPECT_EQ(client.Received(),
                  c.refusal[0] == '\0' ? std::vector<std::string>{auth} : std::vector<std::string>{});
    }
}

// The model's view of a tab next to the server's: name, own id, channels, clients, speakers.
std::string Described(const ServerTab& tab) {
    std::string text = tab.serverName + " own=" + std::to_string(tab.ownId) + " |";
    for (const TabChannel& channel : tab.channels) {
        text += " " + std::to_string(channel.id) + ":" + channel.name;
    }
    text += " |";
    for (const TabClient& client : tab.clients) {
        text += " " + std::to_string(client.id) + ":" + client.nickname + "@" + std::to_string(client.channelId);
    }
    text += " | talking";
    for (const std::int32_t id : tab.talking) {
        text += " " + std::to_string(id);
    }
    return text;
}

std::string Described(TsServer server) {
    ServerTab tab;
    tab.serverName = server.serverName;
    const TsPlayer* own = server.FindPlayerByName(server.ownNickname);
    tab.ownId = own != nullptr ? own->id : 0;
    for (const TsChannel& channel : server.channels) {
        tab.channels.push_back({channel.id, channel.name});
    }
    for (const TsPlayer& player : server.players) {
        tab.clients.push_back({player.id, player.channelId, player.name});
    }
    tab.talking = server.speakers;
    return Described(tab);
}

TEST(Ts5RemoteClientTest, EventsInSmallFramesKeepTheModelEqualToTheServers) {
    Ts5RemoteClient client;
    client.Faults().fragmentBytes = 5;
    TsServer& server = client.Server();
    server.serverName = "IVAO DE Voice";
    server.ownNickname = "EDDF_APP";
    // Channel 3 is a subchannel of 2 ("second" names its parent), listed right after it.
    server.channels = {{1, -1, 0, 33, 5, "Lobby"}, {2, -1, 0, 1, 10, "Approach"}, {3, 2, 0, 1, 10, "Final"}};
    server.players = {{1, 2, 0, 8, 0, "EDDF_APP"}, {2, 2, 0, 8, 0, "DLH4AB"}, {3, 1, 0, 8, 0, "M\xFCller"}};
    server.speakers = {2};
    App app(client, 3);
    app.Open("");
    app.Read();
    ASSERT_TRUE(app.model.Allowed());
    EXPECT_EQ(Described(app.model.Tabs().ActiveTab()), Described(server));

    const std::vector<std::function<void()>> changes = {
        [&] { server.StopSpeaking(2), server.StartSpeaking(3); },
        [&] {
            server.UpsertPlayer({4, 3, 0, 8, 0, "BAW12"}), server.FindPlayer(2)->channelId = 1;
        },
        [&] { server.FindPlayer(3)->name = "KLM1853", server.RemovePlayer(2); },
        [&] { server.serverName = "IVAO DE", server.channels[0].name = "Halle"; },
        [&] {
            server.UpsertChannel({9, -1, 0, 0, 0, "EDDF_TWR"}), server.RemoveChannel(3);
        },
        [&] { server.connected = false; },
        [&] { server.connected = true; },
    };
    for (std::size_t i = 0; i < changes.size(); ++i) {
        SCOPED_TRACE(i);
        changes[i]();
        client.Update();
        app.Read();
        EXPECT_EQ(app.model.Tabs().Tab(1).connected, server.connected);
        if (server.connected) {
            EXPECT_EQ(Described(app.model.Tabs().Tab(1)), Described(server));
        }
    }

    // A second tab, connected, to which the user turns; a ping answered; the app closes.
    TsServer second = server;
    second.serverName = "VATSIM";
    client.AddTab(second);
    client.SetActiveTab(2);
    client.Ping("are you there");
    client.Update();
    app.Read();
    EXPECT_EQ(app.model.Tabs().Active(), 2);
    EXPECT_EQ(app.model.Tabs().ActiveTab().serverName, "VATSIM");
    app.Send(remote::EncodeFrame(remote::Opcode::Close, std::string("\x03\xE8", 2), kMask));
    EXPECT_FALSE(client.IsOpen());
    EXPECT_EQ(client.Received(), (std::vector<std::string>{"auth apikey=<empty>", "(pong)", "(close 1000)"}));
    EXPECT_EQ(app.Frames().Error(), "");
}

}  // namespace
}  // namespace sayvane::sim
