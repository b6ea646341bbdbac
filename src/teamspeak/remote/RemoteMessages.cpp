// The Remote Apps messages in and out.
#include "teamspeak/remote/RemoteMessages.h"

namespace sayvane::remote {

AppIdentity SayvaneApp() {
    return AppIdentity{"sayvane", SAYVANE_VERSION, "Sayvane",
                       "Shows who is speaking, and selects the pilot heard last on the IvAc radar"};
}

std::string AuthMessage(const AppIdentity& app, std::string_view apiKey) {
    const nlohmann::json message = {
        {"type", "auth"},
        {"payload",
         {{"identifier", app.identifier},
          {"version", app.version},
          {"name", app.name},
          {"description", app.description},
          {"content", {{"apiKey", std::string(apiKey)}}}}},
    };
    // Texts that are not UTF-8 are written with replacement characters rather than throwing.
    return message.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::optional<RemoteMessage> ParseMessage(std::string_view text) {
    // Without exceptions: text that does not parse (invalid UTF-8 included) gives a discarded value.
    nlohmann::json message = nlohmann::json::parse(text.begin(), text.end(), nullptr, false);
    if (message.is_discarded() || !message.is_object()) {
        return std::nullopt;
    }
    const auto type = message.find("type");
    if (type == message.end() || !type->is_string()) {
        return std::nullopt;
    }
    RemoteMessage parsed{type->get<std::string>(), nlohmann::json::object()};
    const auto payload = message.find("payload");
    if (payload != message.end() && payload->is_object()) {
        parsed.payload = std::move(*payload);
    }
    return parsed;
}

}  // namespace sayvane::remote
