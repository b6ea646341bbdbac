// The voice client chosen, and the readings kept with the port that made them.
#include "teamspeak/VoiceClientSwitch.h"

namespace sayvane {

VoiceSettings VoiceClientSwitch::Choose(const VoiceSettings& settings) {
    m_teamSpeak3.Configure(query::QuerySettings{settings.apiKey, settings.port});
    m_teamSpeak5.Configure(remote::RemoteSettings{settings.remoteKey, settings.remotePort});
    // No connection stays open to a client nobody follows.
    if (settings.client != VoiceClient::TeamSpeak3 && m_chosen == VoiceClient::TeamSpeak3) {
        m_teamSpeak3.Stop();
    }
    if (settings.client != VoiceClient::TeamSpeak5 && m_chosen == VoiceClient::TeamSpeak5) {
        m_teamSpeak5.Stop();
    }
    m_chosen = settings.client;
    VoiceSettings held = settings;
    held.remoteKey = m_teamSpeak5.ApiKey();
    return held;
}

VoicePort& VoiceClientSwitch::Port() const {
    switch (m_chosen) {
        case VoiceClient::TeamSpeak3: return m_teamSpeak3;
        case VoiceClient::TeamSpeak5: return m_teamSpeak5;
        case VoiceClient::TeamSpeak2: break;
    }
    return m_teamSpeak2;
}

void VoiceClientSwitch::Activity(VoiceClient client) {
    if (client != m_chosen) {
        return;
    }
    switch (client) {
        case VoiceClient::TeamSpeak3: m_teamSpeak3.Activity(); break;
        case VoiceClient::TeamSpeak5: m_teamSpeak5.Activity(); break;
        case VoiceClient::TeamSpeak2: break;
    }
}

void VoiceClientSwitch::OnChanged(std::function<void()> changed) {
    // Only the chosen link hears its socket's activity, so each may hold the listener.
    m_teamSpeak2.OnChanged(changed);
    m_teamSpeak3.OnChanged(changed);
    m_teamSpeak5.OnChanged(std::move(changed));
}

void VoiceClientSwitch::Count(Reading& reading, VoicePort& port, std::uint64_t portRevision) {
    if (&port != reading.port) {
        reading.revision += 2;
    } else {
        reading.revision += portRevision - reading.portRevision;
    }
    reading.port = &port;
    reading.portRevision = portRevision;
}

bool VoiceClientSwitch::Refill(Reading& reading, bool (VoicePort::*get)(),
                               std::uint64_t (VoicePort::*revision)() const) {
    VoicePort& port = Port();
    if (!(port.*get)()) {
        return false;
    }
    Count(reading, port, (port.*revision)());
    return true;
}

bool VoiceClientSwitch::GetChannels() {
    return Refill(m_channels, &VoicePort::GetChannels, &VoicePort::ChannelsRevision);
}

bool VoiceClientSwitch::GetPlayers() {
    return Refill(m_players, &VoicePort::GetPlayers, &VoicePort::PlayersRevision);
}

}  // namespace sayvane
