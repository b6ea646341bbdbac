// The status line of the voice client.
#include "config/VoiceStatus.h"

namespace sayvane {

std::string VoiceStatusLine(VoiceClientSwitch& voice, TeamSpeakLink& link, std::string_view programFolder) {
    if (query::QueryLink* query = voice.Query()) {
        query->Pump();
        switch (query->State()) {
            case query::QueryState::NotRunning:
                return "TeamSpeak 3 is not running, or its ClientQuery plugin is off (nothing answers on port " +
                       std::to_string(query->Port()) + ")";
            case query::QueryState::Connecting: return "TeamSpeak 3 answers; connecting...";
            case query::QueryState::KeyRefused:
                return "TeamSpeak 3 refused the API key: copy it again from ClientQuery's settings";
            case query::QueryState::NoServer: return "TeamSpeak 3 runs, without a server connection";
            case query::QueryState::Connected: return "TeamSpeak 3 is connected to " + query->ServerName();
        }
    }
    if (!voice.IsAvailable()) {
        return "TSRemote.dll not found: Sayvane looked in " + std::string(programFolder) + " and on the system path";
    }
    switch (link.GetSpeakers()) {
        case LinkStatus::NotRunning: return "TeamSpeak 2 is not running";
        case LinkStatus::Running: return "TeamSpeak 2 runs, without a server connection";
        case LinkStatus::Connected: {
            const std::string nickname = link.GetUserNickname();
            return "TeamSpeak 2 is connected" + (nickname.empty() ? std::string() : " (as " + nickname + ")");
        }
        case LinkStatus::Unknown: break;
    }
    return "TeamSpeak 2 answers with an error";
}

}  // namespace sayvane
