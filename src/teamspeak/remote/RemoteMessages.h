// The TeamSpeak 5/6 client's Remote Apps messages, as the WebSocket's text frames carry them.
//
// What the code relies on:
// - Every message is one JSON object with a string "type" and an object "payload".
// - The app opens with {"type":"auth","payload":{"identifier", "version", "name",
//   "description", "content":{"apiKey"}}}; the key is empty the first time. The client asks
//   its user, then answers with an "auth" message whose payload holds the key to keep and the
//   connections it has.
// - Answers to the app's requests carry "status": {"code", "message"}, code 0 meaning done;
//   events carry none. Recordings show it beside "type"; inside "payload" is read as well.
// - Ids come as JSON numbers or as strings of digits (channel ids are strings in the channel
//   tree and in "clientMoved"); flags as booleans or as 0/1. Both forms are read everywhere.
// - Texts are UTF-8; ids that Sayvane keeps fit in 32 bits.
// - The client sends many members and messages Sayvane never reads (a busy server's "auth"
//   answer carries some 3.5 KB of properties per client, and "log" events stream unasked):
//   only the members named in RemoteMessages.cpp are kept, so memory follows what is used.
#pragma once

#include <nlohmann/json.hpp>

#include <cstdint>
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

// How Sayvane introduces itself: the same in every release (see RemoteMessages.cpp).
[[nodiscard]] AppIdentity SayvaneApp();

// The opening "auth" message, with the key the client handed out before (or an empty one).
[[nodiscard]] std::string AuthMessage(const AppIdentity& app, std::string_view apiKey);

// The client's word on a request: code 0 is done, any other a refusal.
struct ReplyStatus {
    std::int64_t code = 0;
    std::string message;  // UTF-8, as sent; may be empty
};

struct RemoteMessage {
    std::string type;
    nlohmann::json payload;             // an object; empty when the message had none
    std::optional<ReplyStatus> status;  // answers only
};

// One message from the client; nullopt for text that is not JSON (or not UTF-8), not an
// object, or has no string "type". Members Sayvane does not read are left out. Never throws.
[[nodiscard]] std::optional<RemoteMessage> ParseMessage(std::string_view text);

// A member read as an id: a JSON integer, or a string of decimal digits, within 32 bits;
// nullopt for anything else (missing, another kind, "12a", out of range).
[[nodiscard]] std::optional<std::int32_t> IdOf(const nlohmann::json& value);
// A member read as a flag: a boolean, or the number (or digit string) 0 or 1; nullopt else.
[[nodiscard]] std::optional<bool> FlagOf(const nlohmann::json& value);
// A member of an object; a null value when `object` is none or lacks it.
[[nodiscard]] const nlohmann::json& Member(const nlohmann::json& object, const char* key);

}  // namespace sayvane::remote
