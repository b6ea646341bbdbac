// The Remote Apps messages in and out.
#include "teamspeak/remote/RemoteMessages.h"

#include <algorithm>
#include <array>
#include <limits>

namespace sayvane::remote {

namespace {

using nlohmann::json;

// The members Sayvane reads, of any message, sorted; besides them, keys made of digits (the
// channel tree's "subChannels" are keyed by their parent's id). The app's own "auth" members
// are kept too, so that one reading serves both ends (the simulated client reads it).
constexpr std::array<std::string_view, 31> kReadMembers = {
    "apiKey",       "channelId",     "channelInfos", "clientId",    "clientInfos",
    "code",         "connectionId",  "connections",  "content",     "currentConnectionId",
    "description",  "flag",          "flagTalking",  "id",          "identifier",
    "info",         "inputHardware", "message",      "name",        "newChannelId",
    "newValue",     "nickname",      "oldChannelId", "payload",     "properties",
    "rootChannels", "serverName",    "status",       "subChannels", "type",
    "version",
};

bool IsRead(const std::string& key) {
    if (!key.empty() && std::all_of(key.begin(), key.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return true;
    }
    return std::binary_search(kReadMembers.begin(), kReadMembers.end(), std::string_view(key));
}

std::optional<ReplyStatus> StatusOf(const json& object) {
    const json& status = Member(object, "status");
    if (!status.is_object()) {
        return std::nullopt;
    }
    const json& code = Member(status, "code");
    const json& message = Member(status, "message");
    ReplyStatus reply;
    // A status whose code is missing or unreadable is no "done": it counts as a refusal.
    reply.code = code.is_number_integer() ? code.get<std::int64_t>() : -1;
    if (message.is_string()) {
        reply.message = message.get<std::string>();
    }
    return reply;
}

}  // namespace

AppIdentity SayvaneApp() {
    // The client recognises a key it handed out only when the app introduces itself exactly
    // as it did then: had the version here followed the build, every update of Sayvane would
    // make TeamSpeak ask its user again (or refuse). So these four never change.
    return AppIdentity{"sayvane", "1", "Sayvane",
                       "Shows who is speaking, and selects the pilot heard last on the IvAc radar"};
}

std::string AuthMessage(const AppIdentity& app, std::string_view apiKey) {
    const json message = {
        {"type", "auth"},
        {"payload",
         {{"identifier", app.identifier},
          {"version", app.version},
          {"name", app.name},
          {"description", app.description},
          {"content", {{"apiKey", std::string(apiKey)}}}}},
    };
    // Texts that are not UTF-8 are written with replacement characters rather than throwing.
    return message.dump(-1, ' ', false, json::error_handler_t::replace);
}

std::optional<RemoteMessage> ParseMessage(std::string_view text) {
    const json::parser_callback_t keepRead = [](int /*depth*/, json::parse_event_t event, json& parsed) {
        return event != json::parse_event_t::key || IsRead(parsed.get_ref<const std::string&>());
    };
    // Without exceptions: text that does not parse (invalid UTF-8 included) gives a discarded value.
    json message = json::parse(text.begin(), text.end(), keepRead, false);
    if (message.is_discarded() || !message.is_object()) {
        return std::nullopt;
    }
    const auto type = message.find("type");
    if (type == message.end() || !type->is_string()) {
        return std::nullopt;
    }
    RemoteMessage parsed{type->get<std::string>(), json::object(), StatusOf(message)};
    const auto payload = message.find("payload");
    if (payload != message.end() && payload->is_object()) {
        parsed.payload = std::move(*payload);
        if (!parsed.status) {
            parsed.status = StatusOf(parsed.payload);
        }
    }
    return parsed;
}

std::optional<std::int32_t> IdOf(const json& value) {
    std::int64_t number = 0;
    if (value.is_number_integer()) {
        if (value.is_number_unsigned() && value.get<std::uint64_t>() > std::numeric_limits<std::uint32_t>::max()) {
            return std::nullopt;
        }
        number = value.get<std::int64_t>();
    } else if (value.is_string()) {
        const std::string& digits = value.get_ref<const std::string&>();
        // At most ten digits: anything longer is out of range whatever it says.
        if (digits.empty() || digits.size() > 10 ||
            !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
            return std::nullopt;
        }
        for (const char digit : digits) {
            number = number * 10 + (digit - '0');
        }
    } else {
        return std::nullopt;
    }
    if (number < std::numeric_limits<std::int32_t>::min() || number > std::numeric_limits<std::int32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(number);
}

std::optional<bool> FlagOf(const json& value) {
    if (value.is_boolean()) {
        return value.get<bool>();
    }
    const std::optional<std::int32_t> number = IdOf(value);
    if (number == 0 || number == 1) {
        return *number == 1;
    }
    return std::nullopt;
}

const json& Member(const json& object, const char* key) {
    static const json kNone;
    if (!object.is_object()) {
        return kNone;
    }
    const auto it = object.find(key);
    return it == object.end() ? kNone : *it;
}

}  // namespace sayvane::remote
