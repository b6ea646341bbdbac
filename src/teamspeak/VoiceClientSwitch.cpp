// The status line of the voice client chosen.
#include "teamspeak/VoiceClientSwitch.h"

namespace sayvane {

std::string VoiceClientSwitch::StatusLine(TeamSpeakLink& link, std::string_view programFolder) {
    if (m_chosen == VoiceClient::TeamSpeak3) {
        query::QueryLink* query = &m_teamSpeak3;
        query->Pump();
        switch (query->State()) {
            case query::QueryState::NotRunning:
                return "TeamSpeak 3 is not running, or its ClientQuery plugin is off (nothing answers on port " +
                       std::to_string(query->Port()) + ")";
            case query::QueryState::Connecting: return "TeamSpeak 3 answers; connecting...";
            case query::QueryState::KeyRefused:
                return "TeamSpeak 3 refused the API key: copy it again from ClientQuery's settings";
            case query::QueryState::Overflowed:
                return "What answers on port " + std::to_string(query->Port()) +
                       " sent more than Sayvane keeps: trying again";
            case query::QueryState::NoServer: return "TeamSpeak 3 runs, without a server connection";
            case query::QueryState::Connected: return "TeamSpeak 3 is connected to " + query->ServerName();
        }
    }
    if (m_chosen == VoiceClient::TeamSpeak5) {
        remote::RemoteLink* remote = &m_teamSpeak5;
        remote->Pump();
        switch (remote->State()) {
            case remote::RemoteState::NotRunning:
                return "TeamSpeak 5/6 is not running (nothing answers on port " + std::to_string(remote->Port()) + ")";
            case remote::RemoteState::Connecting: return "TeamSpeak 5/6 answers; connecting...";
            case remote::RemoteState::NotRemoteApps:
                return "What answers on port " + std::to_string(remote->Port()) +
                       " is not TeamSpeak's Remote Apps: " + remote->Refusal();
            case remote::RemoteState::WaitingForUser: return "Waiting for you to allow Sayvane in TeamSpeak";
            case remote::RemoteState::AskingAgain:
                return "TeamSpeak did not take the key Sayvane kept: allow Sayvane again in TeamSpeak";
            case remote::RemoteState::Declined:
                return "TeamSpeak declined Sayvane" +
                       (remote->Refusal().empty() ? std::string() : " (" + remote->Refusal() + ")") +
                       ": \"Forget this key\" asks again";
            case remote::RemoteState::Overflowed:
                return "What answers on port " + std::to_string(remote->Port()) +
                       " sent more than Sayvane keeps: trying again";
            case remote::RemoteState::NoServer: return "TeamSpeak 5/6 runs, without a server connection";
            case remote::RemoteState::Connected: return "TeamSpeak 5/6 is connected to " + remote->ServerName();
        }
    }
    if (!IsAvailable()) {
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
