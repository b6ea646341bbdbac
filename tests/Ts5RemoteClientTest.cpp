// The simulated TeamSpeak 5/6 client's wire output, read with the WebSocket codec and plain JSON
// against the shapes the real clients were recorded sending: the auth answer in each form, keys
// known only to the app they were issued to, the user's answers and the faults as an app sees
// them, a tab's life in events, and the microphone following the tab in front.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <cstdint>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "sim/Ts5RemoteClient.h"
#include "teamspeak/remote/WebSocket.h"

namespace sayvane::sim {
namespace {

using nlohmann::json;
using Confirm = Ts5RemoteClient::Confirm;

constexpr char kNonce[] = "dGhlIHNhbXBsZSBub25jZQ==";
const remote::AppIdentity kApp{"de.sayvane", "1", "Sayvane", "Shows who speaks"};
// The unasked-for events, which an app passes over.
const std::string kUnasked =
    " log textMessage clientChatComposing groupInfo neededPermissions streamInfoReplace "
    "clientChannelGroupChanged channelsSubscribed ";

std::string TypeOf(const json& message) {
    const bool typed = message.is_object() && message.contains("type") && message["type"].is_string();
    return typed ? message["type"].get<std::string>() : "?";
}

bool Unasked(const json& message) {
    return kUnasked.find(" " + TypeOf(message) + " ") != std::string::npos;
}

// The app's end: the codec, and each text message read as JSON (discarded when it is none).
struct App {
    App(Ts5RemoteClient& peer, const std::string& key, const remote::AppIdentity& app = kApp) : client(peer) {
        EXPECT_TRUE(client.Connect());
        client.Receive(remote::HandshakeRequest(kTs5DefaultPort, kNonce));
        Next();
        json auth = {{"type", "auth"}};
        json& payload = auth["payload"];
        payload["identifier"] = app.identifier, payload["version"] = app.version, payload["name"] = app.name;
        payload["description"] = app.description, payload["content"]["apiKey"] = key;
        if (handshake.State() == remote::HandshakeState::Accepted) {
            client.Receive(remote::EncodeFrame(remote::Opcode::Text, auth.dump(), {1, 2, 3, 4}));
        }
    }
    // What the client queued by its next update; without the unasked-for events unless `all`.
    std::vector<json> Next(bool all = false) {
        client.Update();
        for (std::string got; !(got = client.TakeOutput(SIZE_MAX)).empty();) {
            if (handshake.State() == remote::HandshakeState::Accepted) {
                bytes += got.size();
                frames.Feed(got);
            } else if (handshake.Feed(got) == remote::HandshakeState::Accepted) {
                frames.Feed(handshake.Rest());
            }
        }
        std::vector<json> messages;
        for (remote::Message message; frames.Next(message);) {
            const json read = json::parse(message.payload, nullptr, false);
            closed = closed || message.kind == remote::Message::Kind::Close;
            if (message.kind == remote::Message::Kind::Text && (all || !Unasked(read))) {
                messages.push_back(read);
            }
        }
        return messages;
    }

    Ts5RemoteClient& client;
    remote::HandshakeReader handshake{kNonce};
    remote::FrameReader frames;
    std::size_t bytes = 0;  // read after the handshake
    bool closed = false;    // a close frame came
};

// The types in order, a run as "type*N", a reply's status as "(code)" or "(code,why)".
std::string Types(const std::vector<json>& messages) {
    std::string types;
    for (std::size_t i = 0, run = 1; i < messages.size(); i += run) {
        run = 1;
        while (i + run < messages.size() && TypeOf(messages[i + run]) == TypeOf(messages[i])) {
            ++run;
        }
        types += (i == 0 ? "" : " ") + TypeOf(messages[i]) + (run > 1 ? "*" + std::to_string(run) : "");
        const json status = messages[i].is_object() ? messages[i].value("status", json()) : json();
        if (status.is_object()) {
            types += "(" + status.value("code", json()).dump() + (status.contains("message") ? ",why)" : ")");
        }
    }
    return types;
}

// A message in short: its type and payload (a "!" when a status comes with it), made-up unique ids
// as "*", and a client's property set as its nickname, "talks" and "no-mic" for its flags and
// "+" when it is the full set; another property set as its name.
std::string Brief(json message) {
    const auto set = [](const json& flag) { return flag == true || flag == 1; };
    std::function<void(json&)> cut = [&](json& node) {
        for (auto it = node.begin(); node.is_structured() && it != node.end(); ++it) {
            const std::string key = node.is_object() ? it.key() : "";
            if (key == "properties" && it->contains("nickname")) {
                *it = (*it)["nickname"].get<std::string>() + (set((*it)["flagTalking"]) ? " talks" : "") +
                      (set((*it)["inputHardware"]) ? "" : " no-mic") + (it->size() > 40 ? "+" : "");
            } else if (key == "properties" && it->is_object()) {
                *it = it->value("name", "?");
            } else if (key == "uid" || key == "serverUid") {
                *it = "*";
            } else {
                cut(*it);
            }
        }
    };
    cut(message);
    return TypeOf(message) + " " + message["payload"].dump(-1, ' ', true) + (message.contains("status") ? "!" : "");
}

// Two tabs: Frankfurt (a subchannel, a speaker, one talking with his microphone muted, ourselves
// talking) and an idle second server, which is in front.
void TwoTabs(Ts5RemoteClient& client) {
    TsServer& server = client.Server();
    server.serverName = "M\xFCnchen Radar";
    server.ownNickname = "EDDF_APP";
    server.channels = {{1, 0, 0, 32, 5, "Lobby"}, {2, 0, 0, 0, 10, "Approach"}, {3, 2, 0, 0, 10, "Final"}};
    server.players = {{1, 2, 0, 8, 0, "EDDF_APP"}, {2, 3, 0, 8, 0, "DLH4AB"}, {3, 1, 0, 8, 16, "M\xFCller"}};
    server.speakers = {1, 2, 3};
    TsServer second = server;
    second.serverName = "Other";
    second.speakers.clear();
    client.SetActiveTab(client.AddTab(second));
}

TEST(Ts5RemoteClientTest, TheAuthAnswerTakesEachFormTheRecordingsLeaveOpen) {
    using S = Ts5Shape;
    struct Row {
        S::Flags flags;
        S::StatusPlacement placement;
        S::CurrentConnection current;
        std::size_t crowd;
        json on;  // a flag set, as written
        const char* statusAt;
        int currentId;
    };
    const Row rows[] = {
        {S::Flags::Boolean, S::StatusPlacement::TopLevel, S::CurrentConnection::Zero, 0, true, "/status", 0},
        {S::Flags::Number, S::StatusPlacement::InPayload, S::CurrentConnection::ActiveTab, 1000, 1, "/payload/status",
         2},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.statusAt);
        Ts5RemoteClient client;
        TwoTabs(client);
        client.Shape().flags = row.flags, client.Shape().statusPlacement = row.placement;
        client.Shape().currentConnection = row.current;
        client.SetCrowd(row.crowd);
        client.Update();
        App app(client, "");
        std::vector<json> asked = app.Next();
        ASSERT_EQ(asked.size(), 1U);
        json& reply = asked[0];
        EXPECT_EQ(reply.at(json::json_pointer(row.statusAt)), (json{{"code", 0}, {"message", "ok"}}));
        EXPECT_EQ(reply.contains("status") + reply["payload"].contains("status"), 1);
        EXPECT_EQ(reply["payload"]["apiKey"], client.LastIssuedKey());
        EXPECT_EQ(reply["payload"]["currentConnectionId"], row.currentId);
        json& tabs = reply["payload"]["connections"];
        EXPECT_EQ(tabs[0]["clientInfos"][0]["properties"]["flagTalking"], row.on);
        for (const json& info : tabs[0]["clientInfos"]) {
            EXPECT_NEAR(static_cast<double>(info.dump().size()), 3500.0, 300.0);
        }
        EXPECT_EQ(tabs[1]["clientInfos"].size(), std::max<std::size_t>(3, row.crowd));
        EXPECT_GT(app.bytes, 2 * 3000 * row.crowd) << "a busy server's answer takes megabytes";
        for (json& tab : tabs) {
            tab.erase("channelInfos");  // as in the "channels" event, below
            tab["clientInfos"].erase(tab["clientInfos"].begin() + 3, tab["clientInfos"].end());
        }
        EXPECT_EQ(Brief({{"payload", tabs}}),
                  R"(? [{"clientId":1,"clientInfos":[{"channelId":2,"id":1,"properties":"EDDF_APP talks no-mic+"},)"
                  R"({"channelId":3,"id":2,"properties":"DLH4AB talks+"},)"
                  R"({"channelId":1,"id":3,"properties":"M\u00fcller talks+"}],"id":1,)"
                  R"("properties":"M\u00fcnchen Radar","status":4},{"clientId":1,"clientInfos":[)"
                  R"({"channelId":2,"id":1,"properties":"EDDF_APP+"},{"channelId":3,"id":2,"properties":"DLH4AB+"},)"
                  R"({"channelId":1,"id":3,"properties":"M\u00fcller+"}],"id":2,"properties":"Other","status":4}])");
    }
}

TEST(Ts5RemoteClientTest, AKeyIsKnownOnlyToTheAppItWasIssuedTo) {
    Ts5RemoteClient client;
    client.AddKnownKey("ANY-APP");
    client.AddKnownKey("FOR-SAYVANE", kApp);
    remote::AppIdentity newer = kApp, reworded = kApp;
    newer.version = "2", reworded.description = "Shows who talks";
    // A key the user hands out is bound to the app that asked for it.
    EXPECT_EQ(Types(App(client, "", newer).Next()), "auth(0,why)");
    client.SetConfirm(Confirm::NeverAnswer);
    const std::string issued = client.LastIssuedKey();
    const std::vector<std::tuple<std::string, remote::AppIdentity, bool>> rows = {
        {"ANY-APP", reworded, true},   {"FOR-SAYVANE", kApp, true},
        {"FOR-SAYVANE", newer, false}, {"FOR-SAYVANE", reworded, false},
        {"NEVER-ISSUED", kApp, false}, {issued, newer, true},
        {issued, kApp, false}};
    for (const auto& [key, identity, letIn] : rows) {
        SCOPED_TRACE(key + " from " + identity.version + " " + identity.description);
        std::vector<json> asked = App(client, key, identity).Next();
        ASSERT_EQ(Types(asked), letIn ? "auth(0,why)" : "");
        EXPECT_EQ(client.Asking(), !letIn) << "else the user is asked";
        EXPECT_TRUE(!letIn || asked[0]["payload"]["apiKey"] == key);
    }
}

TEST(Ts5RemoteClientTest, TheAppHearsTheUsersAnswerAndEachFaultAsClaimed) {
    using R = Ts5Shape::Refusal;
    using F = Ts5Faults;
    struct Row {
        const char* name;
        Confirm confirm;
        int delay;  // in updates
        R refusal;
        bool F::*fault;
        int from;  // the update that brings the first message
        const char* types;
        const char* end;  // how the app's connection stands after five updates
    };
    const Row rows[] = {
        {"allowed late", Confirm::Allow, 3, R::ErrorReply, nullptr, 3, "auth(0,why)", "open"},
        {"never answered", Confirm::NeverAnswer, 0, R::ErrorReply, nullptr, 0, "", "open"},
        {"declined: error", Confirm::Decline, 0, R::ErrorReply, nullptr, 1, "auth(2,why)", "open"},
        {"declined: bare error", Confirm::Decline, 0, R::BareErrorReply, nullptr, 1, "auth(2)", "open"},
        {"declined: closed", Confirm::Decline, 0, R::CloseFrame, nullptr, 0, "", "close frame"},
        {"declined: dropped", Confirm::Decline, 0, R::Drop, nullptr, 0, "", "dropped"},
        {"403", Confirm::Allow, 0, R::Drop, &F::refuseHandshake, 0, "", "refused"},
        {"wrong accept key", Confirm::Allow, 0, R::Drop, &F::wrongAcceptKey, 0, "", "refused"},
        {"stalled", Confirm::Allow, 0, R::Drop, &F::stall, 0, "", "open"},
        {"malformed", Confirm::Allow, 0, R::Drop, &F::malformedMessages, 1, "auth(0,why) ?*7", "open"},
        {"strange", Confirm::Allow, 0, R::Drop, &F::strangeEvents, 1,
         "auth(0,why) someEventOfALaterVersion talkStatusChanged*3 clientMoved*4 clientPropertiesUpdated*2 "
         "connectStatusChanged*2 serverPropertiesUpdated channels channelPropertiesUpdated clientSelfPropertyUpdated",
         "open"},
        {"not UTF-8", Confirm::Allow, 0, R::Drop, &F::invalidUtf8, 1, "auth(0,why)", "failed"},
        {"over 16 MiB", Confirm::Allow, 0, R::Drop, &F::oversizedMessage, 1, "auth(0,why)", "failed"},
        {"cut", Confirm::Allow, 0, R::Drop, &F::closeMidMessage, 0, "", "dropped"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Ts5RemoteClient client;
        client.SetConfirm(row.confirm, row.delay);
        client.Shape().refusal = row.refusal;
        if (row.fault != nullptr) {
            client.Faults().*row.fault = true;
        }
        App app(client, "");
        std::vector<json> messages;
        int from = 0;
        for (int update = 1; update <= 5; ++update) {
            for (const json& message : app.Next()) {
                from = from == 0 ? update : from;
                messages.push_back(message);
            }
        }
        EXPECT_EQ(from, row.from);
        EXPECT_EQ(Types(messages), row.types);
        EXPECT_EQ(app.handshake.State() == remote::HandshakeState::Refused ? "refused"
                  : app.frames.State() == remote::FrameState::Failed       ? "failed"
                  : app.closed                                             ? "close frame"
                  : client.IsOpen()                                        ? "open"
                                                                           : "dropped",
                  std::string(row.end));
        EXPECT_EQ(app.bytes > kTs5MessageLimit, std::string(row.name) == "over 16 MiB");
        EXPECT_LT(app.bytes, kTs5MessageLimit + 4096) << "just over the limit";
    }
}

// A tab connects, its clients move, talk, leave and are renamed, the user turns from tab to tab
// (the microphone's handover told in each form), and the tab disconnects.
TEST(Ts5RemoteClientTest, ATabsLifeIsToldInTheEventsTheRecordingsShow) {
    Ts5RemoteClient client;
    TwoTabs(client);
    client.SetActiveTab(1);
    TsServer& server = client.Server();
    server.connected = false;
    App app(client, "");
    ASSERT_EQ(Types(app.Next()), "auth(0,why)");
    Ts5Shape& shape = client.Shape();
    shape.movedByOthers = true;
    const std::pair<std::function<void()>, std::string> steps[] = {
        {[&] { server.connected = true; },
         R"(connectStatusChanged {"connectionId":1,"error":0,"info":null,"status":1}
connectStatusChanged {"connectionId":1,"error":0,"info":{"clientId":1,"serverName":"M\u00fcnchen Radar",)"
         R"("serverUid":"*"},"status":2}
connectStatusChanged {"connectionId":1,"error":0,"info":{"clientId":1},"status":3}
connectStatusChanged {"connectionId":1,"error":0,"info":{"clientId":1},"status":4}
channels {"connectionId":1,"info":{"rootChannels":[{"id":"1","order":"0","parentId":"0","properties":"Lobby"},)"
         R"({"id":"2","order":"1","parentId":"0","properties":"Approach"}],)"
         R"("subChannels":{"2":[{"id":"3","order":"0","parentId":"2","properties":"Final"}]}}}
clientMoved {"clientId":1,"connectionId":1,"newChannelId":"2","oldChannelId":"0","properties":"EDDF_APP talks+"}
clientMoved {"clientId":2,"connectionId":1,"newChannelId":"3","oldChannelId":"0","properties":"DLH4AB talks+"}
clientMoved {"clientId":3,"connectionId":1,"newChannelId":"1","oldChannelId":"0","properties":"M\u00fcller talks+"}
talkStatusChanged {"clientId":1,"connectionId":1,"isWhisper":false,"status":1}
talkStatusChanged {"clientId":2,"connectionId":1,"isWhisper":false,"status":1}
talkStatusChanged {"clientId":3,"connectionId":1,"isWhisper":false,"status":2}
)"},
        {[&] { server.FindPlayer(2)->channelId = 1, server.StopSpeaking(2); },
         R"(clientMoved {"clientId":2,"connectionId":1,"invoker":{"id":1,"nickname":"EDDF_APP","uid":"*"},)"
         R"("newChannelId":"1","oldChannelId":"3","type":2,"visibility":1}
talkStatusChanged {"clientId":2,"connectionId":1,"isWhisper":false,"status":0}
)"},
        {[&] { server.RemovePlayer(3), server.FindPlayer(2)->name = "BAW12"; },
         R"(clientMoved {"clientId":3,"connectionId":1,"newChannelId":"0","oldChannelId":"1","type":1,"visibility":2}
clientPropertiesUpdated {"clientId":2,"connectionId":1,"properties":"BAW12+"}
)"},
        {[&] { server.serverName = "Radar", server.channels[1].name = "Director"; },
         R"(channelPropertiesUpdated {"channelId":"2","connectionId":1,"properties":"Director"}
serverPropertiesUpdated {"connectionId":1,"properties":"Radar"}
)"},
        {[&] { shape.selfUpdates = Ts5Shape::SelfUpdates::Never, client.SetActiveTab(2); },
         R"(clientPropertiesUpdated {"clientId":1,"connectionId":1,"properties":"EDDF_APP talks no-mic+"}
clientPropertiesUpdated {"clientId":1,"connectionId":2,"properties":"EDDF_APP+"}
)"},
        {[&] { shape.selfUpdates = Ts5Shape::SelfUpdates::Always, shape.newTabFirst = true, client.SetActiveTab(1); },
         R"(clientPropertiesUpdated {"clientId":1,"connectionId":1,"properties":"EDDF_APP talks+"}
clientSelfPropertyUpdated {"connectionId":1,"flag":"inputHardware","newValue":true,"oldValue":false}
clientPropertiesUpdated {"clientId":1,"connectionId":2,"properties":"EDDF_APP no-mic+"}
clientSelfPropertyUpdated {"connectionId":2,"flag":"inputHardware","newValue":false,"oldValue":true}
)"},
        {[&] {
             shape.selfUpdates = Ts5Shape::SelfUpdates::Alternate, shape.newTabFirst = false, client.SetActiveTab(2);
         },
         R"(clientPropertiesUpdated {"clientId":1,"connectionId":1,"properties":"EDDF_APP talks no-mic+"}
clientSelfPropertyUpdated {"connectionId":1,"flag":"inputHardware","newValue":false,"oldValue":true}
clientPropertiesUpdated {"clientId":1,"connectionId":2,"properties":"EDDF_APP+"}
)"},
        {[&] { server.connected = false; }, R"(connectStatusChanged {"connectionId":1,"error":0,"info":null,"status":0}
)"},
    };
    std::map<std::string, int> counts;
    const auto read = [&] {
        std::string briefs;
        for (const json& message : app.Next(true)) {
            ++counts[TypeOf(message)];
            briefs += Unasked(message) ? "" : Brief(message) + "\n";
        }
        return briefs;
    };
    for (const auto& [change, told] : steps) {
        change();
        EXPECT_EQ(read(), told);
    }
    // Besides those that go with what happens, a stream of unasked-for events on demand.
    shape.logsPerUpdate = 3;
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(read(), "");
    }
    std::istringstream types(kUnasked);
    for (std::string type; types >> type;) {
        EXPECT_GT(counts[type], 0) << type;
        EXPECT_LE(counts[type], counts["log"]) << type;
    }
    EXPECT_EQ(counts["currentServerConnectionChanged"], 0);
}

}  // namespace
}  // namespace sayvane::sim
