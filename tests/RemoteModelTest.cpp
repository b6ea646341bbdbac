// The TeamSpeak 5/6 client's Remote Apps messages made into server tabs: transcripts written
// in the shapes the real clients send (tests/transcripts/), replayed message by message with
// the model checked at each "=" line; and what a hostile or huge answer does to it.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "TempFolder.h"
#include "teamspeak/remote/RemoteModel.h"
#include "text/Utf8.h"

namespace sayvane::remote {
namespace {

// The model as one line: the auth answer, then the active tab (names back in UTF-8) and the
// speakers the link would take now.
std::string Describe(RemoteModel& model) {
    if (!model.Allowed()) {
        const std::optional<ReplyStatus>& refusal = model.Refusal();
        return refusal ? "refused code=" + std::to_string(refusal->code) +
                             (refusal->message.empty() ? "" : " " + refusal->message)
                       : "not answered";
    }
    ServerTabs& tabs = model.Tabs();
    const ServerTab& tab = tabs.ActiveTab();
    std::string line = "allowed key=" + model.ApiKey() + " | active=" + std::to_string(tabs.Active());
    if (!tab.connected) {
        return line + " disconnected";
    }
    line += " server=" + AnsiToUtf8(tab.serverName) + " own=" + std::to_string(tab.ownId) + " | channels=";
    for (const TabChannel& channel : tab.Channels()) {
        line += (&channel == tab.Channels().data() ? "" : ",") + std::to_string(channel.id) + " " +
                AnsiToUtf8(channel.name);
    }
    line += " | clients=";
    for (const TabClient& client : tab.Clients()) {
        line += (&client == tab.Clients().data() ? "" : ",") + std::to_string(client.id) + " " +
                AnsiToUtf8(client.nickname) + "@" + std::to_string(client.channelId);
    }
    line += " | speakers=";
    for (const std::int32_t id : tabs.TakeSpeakers()) {
        line += (line.back() == '=' ? "" : ",") + std::to_string(id);
    }
    return line;
}

class Transcript : public ::testing::TestWithParam<const char*> {};

TEST_P(Transcript, TheModelFollowsWhatTheClientSays) {
    RemoteModel model;
    int checked = 0;
    int number = 0;
    for (const std::string& line :
         testing::ReadLines(SAYVANE_SOURCE_DIR "/tests/transcripts/" + std::string(GetParam()))) {
        ++number;
        if (line.rfind("= ", 0) == 0) {
            EXPECT_EQ(Describe(model), line.substr(2)) << "line " << number;
            ++checked;
        } else if (line.rfind('{', 0) == 0) {
            const std::optional<RemoteMessage> message = ParseMessage(line);
            ASSERT_TRUE(message.has_value()) << "line " << number;
            model.Apply(*message);
        }
    }
    EXPECT_GT(checked, 0) << "no transcript read";
}

INSTANTIATE_TEST_SUITE_P(RemoteModel, Transcript,
                         ::testing::Values("ts6-one-server.txt", "ts6-two-tabs.txt", "ts5-numbers-and-refusals.txt",
                                           "refused-key.txt"));

// A connection of the auth answer with `clients` clients, each with `filler` bytes of
// properties Sayvane never reads.
std::string BusyAuth(int clients, std::size_t filler) {
    const std::string padding(filler, 'p');
    std::string text =
        R"({"type":"auth","status":{"code":0,"message":"ok"},"payload":{"apiKey":"k","connections":[)"
        R"({"id":1,"clientId":1,"status":4,"channelInfos":{"rootChannels":[{"id":"1"}]},"clientInfos":[)";
    for (int id = 1; id <= clients; ++id) {
        text += (id == 1 ? "" : ",") + std::string(R"({"id":)") + std::to_string(id) +
                R"(,"channelId":1,"properties":{"nickname":"C)" + std::to_string(id) + R"(","flagTalking":)" +
                (id % 1000 == 0 ? "true" : "false") + R"(,"awayMessage":")" + padding + R"("}})";
    }
    return text + "]}]}}";
}

TEST(RemoteModel, AHugeAnswerIsTakenWholeAndAHostileTreeOrTabFloodIsBounded) {
    // A server of 10,000 clients (more than are kept), and one of 2,000 with 5 KB of
    // properties each (10 MB).
    for (const auto& [clients, filler] : {std::pair{10000, std::size_t{10}}, std::pair{2000, std::size_t{5000}}}) {
        RemoteModel model;
        const std::string text = BusyAuth(clients, filler);
        const std::optional<RemoteMessage> message = ParseMessage(text);
        ASSERT_TRUE(message.has_value());
        EXPECT_LT(message->payload.dump().size(), text.size() - clients * filler) << "what is never read is not kept";
        model.Apply(*message);
        const auto kept = std::min(static_cast<std::size_t>(clients), ServerTab::kMostClients);
        ASSERT_EQ(model.Tabs().ActiveTab().Clients().size(), kept);
        EXPECT_EQ(model.Tabs().Overflowed(), kept < static_cast<std::size_t>(clients)) << "for the link to drop it";
        EXPECT_EQ(model.Tabs().TakeSpeakers().size(), kept / 1000);
    }

    // Channels nested deeper than any stack would take, and a loop among them.
    RemoteModel model;
    model.Apply(*ParseMessage(BusyAuth(1, 0)));
    std::string deep =
        R"({"type":"channels","payload":{"connectionId":1,"info":{"rootChannels":[{"id":"1"}],"subChannels":{)";
    for (int i = 1; i < 100000; ++i) {
        deep += "\"" + std::to_string(i) + "\":[{\"id\":\"" + std::to_string(i + 1) + "\"}],";
    }
    deep += R"("100000":[{"id":1}]}}}})";
    model.Apply(*ParseMessage(deep));
    EXPECT_EQ(model.Tabs().ActiveTab().Channels().size(), ServerTab::kMostChannels);
    EXPECT_TRUE(model.Tabs().Overflowed()) << "for the link to drop the connection";
    model.Tabs().Clear();
    model.Apply(*ParseMessage(R"({"type":"connectStatusChanged","payload":{"connectionId":1,"status":4}})"));

    // Tabs only from a connection's status, and no more than anyone opens.
    for (int id = 100; id < 1100; ++id) {
        model.Apply(*ParseMessage(R"({"type":"connectStatusChanged","payload":{"connectionId":)" + std::to_string(id) +
                                  ",\"status\":1}}"));
        model.Apply(*ParseMessage(R"({"type":"clientMoved","payload":{"connectionId":)" + std::to_string(id + 5000) +
                                  R"(,"clientId":1,"newChannelId":"1","properties":{"nickname":"X"}}})"));
    }
    EXPECT_EQ(model.Tabs().Count(), ServerTabs::kMostTabs);
    EXPECT_TRUE(model.Tabs().Overflowed());
    EXPECT_EQ(model.Tabs().Active(), 1);
}

}  // namespace
}  // namespace sayvane::remote
