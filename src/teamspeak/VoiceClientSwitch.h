// The library calls go to the voice client the settings choose: TeamSpeak 2's own library,
// TeamSpeak 3's query interface or TeamSpeak 5/6's Remote Apps answering like it. Everything
// above sees one library, and asks the switch, not the client, what it can do (create a
// channel) and how it stands (the status line).
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "app/Settings.h"
#include "platform/TsRemoteApi.h"
#include "teamspeak/TeamSpeakLink.h"
#include "teamspeak/query/QueryLink.h"
#include "teamspeak/remote/RemoteLink.h"

namespace sayvane {

class VoiceClientSwitch final : public TsRemoteApi {
public:
    VoiceClientSwitch(TsRemoteApi& teamSpeak2, query::QueryLink& teamSpeak3, remote::RemoteLink& teamSpeak5)
        : m_teamSpeak2(teamSpeak2), m_teamSpeak3(teamSpeak3), m_teamSpeak5(teamSpeak5) {}

    // Takes the voice client and the links' settings; a link only talks while chosen. Returns
    // the settings as the links hold them now: with the key TeamSpeak 5/6 handed out, where
    // it replaced the one given.
    VoiceSettings Choose(const VoiceSettings& settings) {
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
    [[nodiscard]] VoiceClient Chosen() const { return m_chosen; }

    // How the chosen client makes a channel: through TeamSpeak 2's own windows, by a request
    // to the client (TeamSpeak 3's query interface), or not at all (TeamSpeak 5/6's Remote Apps).
    enum class ChannelWay { Windows, Request, None };
    [[nodiscard]] ChannelWay ChannelWayOfChosen() const {
        switch (m_chosen) {
            case VoiceClient::TeamSpeak3: return ChannelWay::Request;
            case VoiceClient::TeamSpeak5: return ChannelWay::None;
            case VoiceClient::TeamSpeak2: break;
        }
        return ChannelWay::Windows;
    }
    // Moves the link of a client asked by request on, and says whether it is connected to a
    // server; false for the others.
    [[nodiscard]] bool ReadyForRequests() {
        if (ChannelWayOfChosen() != ChannelWay::Request) {
            return false;
        }
        m_teamSpeak3.Pump();
        return m_teamSpeak3.State() == query::QueryState::Connected;
    }
    // Asks the client for a channel named `name`, the own client moved into it; `done` later
    // gets an empty text on success, the client's words on a refusal. False (and `done` never
    // called) when the client cannot be asked now.
    using ChannelDone = std::function<void(const std::string& refusal)>;
    bool RequestChannel(const std::string& name, ChannelDone done) {
        return ChannelWayOfChosen() == ChannelWay::Request && m_teamSpeak3.CreateChannel(name, std::move(done));
    }

    // What the chosen client's link sees right now, in words a user can act on: it is asked
    // once (a TeamSpeak 2 speaker call through `link`, or a pump of the other links).
    // `programFolder` is where TSRemote.dll is looked for first.
    [[nodiscard]] std::string StatusLine(TeamSpeakLink& link, std::string_view programFolder);
    // Answers that came in for requests made earlier (a channel asked for), given to their
    // callers; called outside the overlay's tick.
    void DeliverAnswers() { m_teamSpeak3.DeliverChannelAnswer(); }

    // Between two ticks, the sockets' activity moves the link on until it has read this much: a
    // conversation of short answers goes at the client's pace, while a flood waits for the
    // next tick, so that the window's timer, which comes only when no other message waits,
    // still gets its turn.
    static constexpr std::uint64_t kMostActivityBytes = std::uint64_t{1} << 20;

    // Who hears that what the chosen client's link answers may have changed between ticks;
    // nullptr for nobody.
    void OnChanged(std::function<void()> changed) { m_changed = std::move(changed); }
    // The socket of `client`'s link had activity: when it is the chosen one, the link moves on
    // at once, and whoever listens hears when that may have changed what it answers.
    void Activity(VoiceClient client) {
        if (client != m_chosen || client == VoiceClient::TeamSpeak2) {
            return;
        }
        SocketLink* link = client == VoiceClient::TeamSpeak3 ? static_cast<SocketLink*>(&m_teamSpeak3) : &m_teamSpeak5;
        if (BytesRead() - m_bytesAtTick >= kMostActivityBytes) {
            return;
        }
        const std::uint64_t before = link->Changes();
        link->Pump();
        if (m_changed && link->Changes() != before) {
            m_inActivity = true;
            m_changed();
            m_inActivity = false;
        }
    }

    bool IsAvailable() override { return Api().IsAvailable(); }
    std::int32_t tsrGetSpeakers(std::int32_t* ids, std::int32_t* count) override {
        const std::int32_t result = Api().tsrGetSpeakers(ids, count);
        if (!m_inActivity) {  // a tick's call: the activity's budget starts again
            m_bytesAtTick = BytesRead();
        }
        return result;
    }
    std::int32_t tsrGetPlayers(std::uint8_t* records, std::int32_t* count) override {
        return Api().tsrGetPlayers(records, count);
    }
    std::int32_t tsrGetChannels(std::uint8_t* records, std::int32_t* count) override {
        return Api().tsrGetChannels(records, count);
    }
    std::int32_t tsrGetUserInfo(std::uint8_t* record) override { return Api().tsrGetUserInfo(record); }
    std::int32_t tsrGetLastError(char* buffer, std::int32_t size) override {
        return Api().tsrGetLastError(buffer, size);
    }

private:
    [[nodiscard]] std::uint64_t BytesRead() const { return m_teamSpeak3.BytesRead() + m_teamSpeak5.BytesRead(); }
    TsRemoteApi& Api() {
        switch (m_chosen) {
            case VoiceClient::TeamSpeak3: return m_teamSpeak3;
            case VoiceClient::TeamSpeak5: return m_teamSpeak5;
            case VoiceClient::TeamSpeak2: break;
        }
        return m_teamSpeak2;
    }

    TsRemoteApi& m_teamSpeak2;
    query::QueryLink& m_teamSpeak3;
    remote::RemoteLink& m_teamSpeak5;
    VoiceClient m_chosen = VoiceClient::TeamSpeak2;
    std::function<void()> m_changed;
    std::uint64_t m_bytesAtTick = 0;  // both links' bytes read by the last tick's call
    bool m_inActivity = false;        // the listener is being told
};

}  // namespace sayvane
