// What the TeamSpeak 5/6 client's Remote Apps messages have told about its server
// connections (its tabs), kept in the same server model as TeamSpeak 3's. A pure function of
// the messages fed to it; the conversation that receives them is the link's.
//
// What the code relies on (besides RemoteMessages.h):
// - The "auth" answer's payload holds "apiKey" and "connections"; each connection has "id",
//   the own "clientId" (0 while not connected), "properties" with the server's "name",
//   "channelInfos" ("rootChannels", and "subChannels" by parent id, each channel with "id" and
//   "properties.name") and "clientInfos" (each with "id", "channelId" and "properties" with
//   "nickname" and "flagTalking").
// - Events name their "connectionId": "talkStatusChanged" ("clientId", "status" 1 or 0),
//   "clientMoved" ("clientId", "oldChannelId" 0 when it comes into view, "newChannelId" 0
//   when it leaves, "properties"), "clientPropertiesUpdated" ("clientId", "properties"),
//   "connectStatusChanged" ("status" 0 disconnected, 4 connected, "info.clientId"),
//   "channels" ("info" as "channelInfos"), "serverPropertiesUpdated" ("properties").
// - No event names the active tab. "clientSelfPropertyUpdated" with "flag" "inputHardware"
//   (and "newValue" true) comes for the tab that takes the microphone, which is the one the
//   user turned to; until then the first connected tab is taken.
// - A tab the user opens is first heard of in its "connectStatusChanged"; other events for
//   an unknown connection are ignored.
#pragma once

#include <string>

#include "teamspeak/ServerTabs.h"
#include "teamspeak/remote/RemoteMessages.h"

namespace sayvane::remote {

class RemoteModel {
public:
    // Applies one message. Unknown types, missing fields, fields of another type and ids
    // that point nowhere change nothing.
    void Apply(const RemoteMessage& message);

    // The client let the app in (its "auth" answer came), and the key it handed out then.
    [[nodiscard]] bool Allowed() const { return m_allowed; }
    [[nodiscard]] const std::string& ApiKey() const { return m_apiKey; }

    [[nodiscard]] ServerTabs& Tabs() { return m_tabs; }
    [[nodiscard]] const ServerTabs& Tabs() const { return m_tabs; }

    // Forgets every tab and that the app was let in (a new connection to the client); the key
    // stays, to be offered again.
    void Clear();

private:
    void Connection(const nlohmann::json& connection);
    void ChooseActiveIfNone();

    ServerTabs m_tabs;
    bool m_allowed = false;
    std::string m_apiKey;
};

}  // namespace sayvane::remote
