// The TeamSpeak 5/6 client's Remote Apps messages, as the WebSocket's text frames carry them.
//
// What the code relies on:
// - Every message is one JSON object with a string "type" and an object "payload".
// - The app opens with {"type":"auth","payload":{"identifier", "version", "name",
//   "description", "content":{"apiKey"}}}; the key is empty the first time. The client asks
//   its user, then answers with an "auth" message whose payload holds the key to keep and the
//   connections it has (each: "id", the own "clientId", "properties" of the server,
//   "channelInfos" with "rootChannels" and "subChannels", and "clientInfos", each with "id",
//   "channelId" and "properties" holding "nickname").
// - Afterwards the client sends events as they happen ("talkStatusChanged",
//   "clientMoved", "clientPropertiesUpdated", "connectStatusChanged", ...), each naming its
//   "connectionId".
// - Texts are UTF-8; numbers that are ids fit in 32 bits.
#pragma once

#include <nlohmann/json.hpp>

#include <optional>
#include <string>
#include <string_view>

namespace sayvane::remote {

// How the app introduces itself to the client (shown to the user when asked to allow it).
struct AppIdentity {
    std::string identifier;
    std::string version;
    std::string name;
    std::string description;
};

// How Sayvane introduces itself.
[[nodiscard]] AppIdentity SayvaneApp();

// The opening "auth" message, with the key the client handed out before (or an empty one).
[[nodiscard]] std::string AuthMessage(const AppIdentity& app, std::string_view apiKey);

struct RemoteMessage {
    std::string type;
    nlohmann::json payload;  // an object; empty when the message had none
};

// One message from the client; nullopt for text that is not JSON (or not UTF-8), not an
// object, or has no string "type". Never throws.
[[nodiscard]] std::optional<RemoteMessage> ParseMessage(std::string_view text);

}  // namespace sayvane::remote
