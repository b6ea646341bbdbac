// The TeamSpeak 5/6 client's Remote Apps messages: the opening one, and what is taken from
// the client's text.
#include <gtest/gtest.h>

#include "teamspeak/remote/RemoteMessages.h"

namespace sayvane::remote {
namespace {

TEST(RemoteMessages, TheAuthMessageCarriesTheAppAndItsKey) {
    const AppIdentity app{"org.sayvane", "1.0.9", "Sayvane", "Who speaks, at a glance"};
    const std::optional<RemoteMessage> auth = ParseMessage(AuthMessage(app, "KEY-1"));
    ASSERT_TRUE(auth.has_value());
    EXPECT_EQ(auth->type, "auth");
    EXPECT_EQ(auth->payload.at("identifier"), "org.sayvane");
    EXPECT_EQ(auth->payload.at("name"), "Sayvane");
    EXPECT_EQ(auth->payload.at("content").at("apiKey"), "KEY-1");
    EXPECT_EQ(ParseMessage(AuthMessage(app, ""))->payload.at("content").at("apiKey"), "");
}

TEST(RemoteMessages, OnlyObjectsWithAStringTypeAreMessages) {
    const std::pair<const char*, const char*> cases[] = {
        {R"({"type":"talkStatusChanged","payload":{"connectionId":1,"clientId":5,"status":1}})", "talkStatusChanged"},
        {R"({"type":"ping"})", "ping"},
        {R"({"type":"x","payload":[1,2]})", "x"},  // a payload that is no object reads as empty
        {R"({"payload":{}})", nullptr},
        {R"({"type":7})", nullptr},
        {R"(["type","auth"])", nullptr},
        {R"({"type":"auth",)", nullptr},
        {"{\"type\":\"a\xC3\"}", nullptr},  // not UTF-8
        {"", nullptr},
    };
    for (const auto& [text, type] : cases) {
        const std::optional<RemoteMessage> message = ParseMessage(text);
        if (type == nullptr) {
            EXPECT_FALSE(message.has_value()) << text;
            continue;
        }
        ASSERT_TRUE(message.has_value()) << text;
        EXPECT_EQ(message->type, type);
        EXPECT_TRUE(message->payload.is_object()) << text;
    }
    EXPECT_EQ(ParseMessage(std::get<0>(cases[0]))->payload.at("clientId"), 5);
}

}  // namespace
}  // namespace sayvane::remote
