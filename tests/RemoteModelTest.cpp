// The TeamSpeak 5/6 client's Remote Apps messages made into server tabs: a scripted
// conversation from the client's answer to the app through the events that follow.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "teamspeak/remote/RemoteModel.h"

namespace sayvane::remote {
namespace {

std::vector<std::string> Nicknames(const ServerTab& tab) {
    std::vector<std::string> names;
    for (const TabClient& client : tab.clients) {
        names.push_back(client.nickname + "@" + std::to_string(client.channelId));
    }
    return names;
}

class RemoteModelTest : public ::testing::Test {
protected:
    void Say(const std::string& text) {
        const std::optional<RemoteMessage> message = ParseMessage(text);
        ASSERT_TRUE(message.has_value()) << text;
        model.Apply(*message);
    }
    RemoteModel model;
};

TEST_F(RemoteModelTest, TheAnswerToTheAppAndTheEventsKeepTheTabsCurrent) {
    Say(R"({"type":"auth","payload":{"apiKey":"K-1","connections":[
        {"id":1,"clientId":5,"properties":{"name":"IVAO DE Voice"},
         "channelInfos":{"rootChannels":[{"id":1,"properties":{"name":"Lobby"}},{"id":3,"properties":{"name":"Tower"}}],
                         "subChannels":{"1":[{"id":2,"properties":{"name":"Approach"}}]}},
         "clientInfos":[{"id":5,"channelId":2,"properties":{"nickname":"EDDF_APP"}},
                        {"id":7,"channelId":2,"properties":{"nickname":"DLH4AB","flagTalking":true}},
                        {"id":8,"channelId":1,"properties":{"nickname":"M\u00fcller"}},
                        {"channelId":1,"properties":{"nickname":"no id"}}]},
        {"id":2,"clientId":0}]}})");
    EXPECT_TRUE(model.Allowed());
    EXPECT_EQ(model.ApiKey(), "K-1");
    ServerTabs& tabs = model.Tabs();
    ASSERT_EQ(tabs.Active(), 1) << "the connected one";
    const ServerTab& tab = tabs.ActiveTab();
    EXPECT_EQ(tab.serverName, "IVAO DE Voice");
    EXPECT_EQ(tab.ownId, 5);
    ASSERT_EQ(tab.channels.size(), 3U);
    EXPECT_EQ(tab.channels[1].name, "Approach") << "each subchannel after its parent";
    EXPECT_EQ(Nicknames(tab), (std::vector<std::string>{"EDDF_APP@2", "DLH4AB@2", "M\xFCller@1"}));
    EXPECT_EQ(tabs.TakeSpeakers(), std::vector<std::int32_t>{7});

    // Channels nested deeper than any stack would take, and a loop among them.
    std::string deep =
        R"({"type":"channels","payload":{"connectionId":2,"info":{"rootChannels":[{"id":1}],"subChannels":{)";
    for (int i = 1; i < 100000; ++i) {
        deep += "\"" + std::to_string(i) + "\":[{\"id\":" + std::to_string(i + 1) + "}],";
    }
    deep += R"("100000":[{"id":1}]}}}})";
    Say(deep);
    EXPECT_EQ(tabs.Tab(2).channels.size(), 100000U);

    // A word shorter than a tick shows once; moves, joins, leaves and renames.
    Say(R"({"type":"talkStatusChanged","payload":{"connectionId":1,"clientId":8,"status":1}})");
    Say(R"({"type":"talkStatusChanged","payload":{"connectionId":1,"clientId":8,"status":0}})");
    EXPECT_EQ(tabs.TakeSpeakers(), (std::vector<std::int32_t>{7, 8}));
    Say(R"({"type":"clientMoved","payload":{"connectionId":1,"clientId":9,"oldChannelId":0,"newChannelId":2,
            "properties":{"nickname":"BAW12"}}})");
    Say(R"({"type":"clientMoved","payload":{"connectionId":1,"clientId":7,"oldChannelId":2,"newChannelId":0}})");
    Say(R"({"type":"clientMoved","payload":{"connectionId":1,"clientId":8,"oldChannelId":1,"newChannelId":3}})");
    Say(R"({"type":"clientPropertiesUpdated","payload":{"connectionId":1,"clientId":8,"properties":{"nickname":"KLM1"}}})");
    EXPECT_EQ(Nicknames(tabs.ActiveTab()), (std::vector<std::string>{"EDDF_APP@2", "KLM1@3", "BAW12@2"}));
    EXPECT_EQ(tabs.TakeSpeakers(), std::vector<std::int32_t>{}) << "the talker left";

    // Fields of the wrong kind, ids pointing nowhere and unknown events change nothing.
    Say(R"({"type":"clientMoved","payload":{"connectionId":"1","clientId":5,"newChannelId":0}})");
    Say(R"({"type":"clientPropertiesUpdated","payload":{"connectionId":1,"clientId":99,"properties":{"nickname":"X"}}})");
    Say(R"({"type":"somethingNew","payload":{"connectionId":1}})");
    Say(R"({"type":"talkStatusChanged","payload":{"connectionId":1,"clientId":424242,"status":1}})");
    Say(R"({"type":"channels","payload":{"connectionId":1}})");
    Say(R"({"type":"clientMoved","payload":{"connectionId":4242,"clientId":1,"oldChannelId":0,"newChannelId":1}})");
    Say(R"({"type":"clientSelfPropertyUpdated","payload":{"connectionId":4242,"flag":"inputHardware"}})");
    Say(R"({"type":"clientSelfPropertyUpdated","payload":{"connectionId":2,"flag":"inputHardware","newValue":false}})");
    EXPECT_EQ(Nicknames(tabs.ActiveTab()).size(), 3U);
    EXPECT_EQ(tabs.ActiveTab().channels.size(), 3U);
    EXPECT_EQ(tabs.TakeSpeakers(), std::vector<std::int32_t>{});
    EXPECT_EQ(tabs.Ids(), (std::vector<std::int32_t>{1, 2})) << "no tab made up, the active one kept";
    for (int id = 100; id < 1100; ++id) {
        Say(R"({"type":"connectStatusChanged","payload":{"connectionId":)" + std::to_string(id) + ",\"status\":1}}");
    }
    EXPECT_EQ(tabs.Ids().size(), 64U) << "a flood of tabs is not believed";

    // The other tab connects and takes the microphone: it is the one shown. The first one
    // losing its server forgets it.
    Say(R"({"type":"connectStatusChanged","payload":{"connectionId":2,"status":4,"info":{"clientId":11}}})");
    EXPECT_EQ(tabs.Active(), 1);
    Say(R"({"type":"clientSelfPropertyUpdated","payload":{"connectionId":2,"flag":"inputHardware","newValue":true}})");
    EXPECT_EQ(tabs.Active(), 2);
    EXPECT_EQ(tabs.ActiveTab().ownId, 11);
    Say(R"({"type":"connectStatusChanged","payload":{"connectionId":1,"status":0}})");
    EXPECT_TRUE(tabs.Tab(1).clients.empty());
    EXPECT_FALSE(tabs.Tab(1).connected);
}

}  // namespace
}  // namespace sayvane::remote
