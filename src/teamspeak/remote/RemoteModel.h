// What the TeamSpeak 5/6 client's Remote Apps messages have told about its server
// connections (its tabs), kept in the same server model as TeamSpeak 3's. A pure function of
// the messages fed to it; the conversation that receives them is the link's.
//
// What the code relies on (besides RemoteMessages.h):
// - The "auth" answer's payload holds "apiKey", "currentConnectionId" and "connections"; each
//   connection has "id", the own "clientId" (0 while not connected), its "status" (below),
//   "properties" with the server's "name", "channelInfos" ("rootChannels", and "subChannels"
//   by parent id, each channel with "id" and "properties.name") and "clientInfos" (each with
//   "id", "channelId" and "properties" with "nickname", "flagTalking" and "inputHardware").
// - Connection status: 0 disconnected, 1 connecting, 2 connected ("info" has "clientId" and
//   "serverName"), 3 establishing, 4 established. A tab that connects later gets no
//   snapshot: a "channels" event and one "clientMoved" per client in view describe it.
// - Events name their "connectionId": "talkStatusChanged" ("clientId", "status" 1 talking,
//   0 stopped, 2 talking with the microphone off: not heard), "clientMoved" ("clientId",
//   "newChannelId", "0" when it leaves the view; with the client's "properties" when it comes
//   into view, without them for a move or a leave), "clientPropertiesUpdated" ("clientId",
//   "properties": the client's whole state, nickname included), "connectStatusChanged"
//   ("status", "info"), "channels" ("info" as "channelInfos"), "serverPropertiesUpdated" and
//   "channelPropertiesUpdated" ("channelId", "properties").
// - Which tab is active is not sent as such: exactly one tab has the microphone, the one
//   where our own client's "inputHardware" is set, and it changes through
//   "clientPropertiesUpdated" or "clientMoved" for our own client, and sometimes also
//   "clientSelfPropertyUpdated" ("flag" "inputHardware"). The auth answer's
//   "currentConnectionId" names it when it names a known tab (it was seen as 0 too); failing
//   both, the first connected tab is taken.
// - A tab the user opens is first heard of in its "connectStatusChanged"; other events for
//   an unknown connection are ignored.
#pragma once

#include <optional>
#include <string>

#include "teamspeak/ServerTabs.h"
#include "teamspeak/remote/RemoteMessages.h"

namespace sayvane::remote {

class RemoteModel {
public:
    // Applies one message. Unknown types, missing fields, fields of another kind and ids
    // that point nowhere change nothing.
    void Apply(const RemoteMessage& message);

    // The client let the app in (an "auth" answer without a refusal came), and the key it
    // handed out then.
    [[nodiscard]] bool Allowed() const { return m_allowed; }
    [[nodiscard]] const std::string& ApiKey() const { return m_apiKey; }
    // The client's refusal of the app, when its "auth" answer carried one.
    [[nodiscard]] const std::optional<ReplyStatus>& Refusal() const { return m_refusal; }

    [[nodiscard]] ServerTabs& Tabs() { return m_tabs; }
    [[nodiscard]] const ServerTabs& Tabs() const { return m_tabs; }

    // Forgets every tab, the answer and the refusal (a new connection to the client).
    void Clear();

private:
    void Auth(const RemoteMessage& message);
    // One connection of the auth answer; true when our own client has the microphone there.
    bool Connection(const nlohmann::json& connection);
    void ConnectStatus(std::int32_t tabId, ServerTab& tab, const nlohmann::json& payload);
    void ClientMoved(std::int32_t tabId, ServerTab& tab, std::int32_t clientId, const nlohmann::json& payload);
    // Our own client's properties on a tab: the microphone there makes it the active one.
    void OwnProperties(std::int32_t tabId, const ServerTab& tab, std::int32_t clientId,
                       const nlohmann::json& properties);
    void ChooseActiveIfNone();

    ServerTabs m_tabs;
    bool m_allowed = false;
    std::string m_apiKey;
    std::optional<ReplyStatus> m_refusal;
};

}  // namespace sayvane::remote
