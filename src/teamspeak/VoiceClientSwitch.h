// The library calls go to the voice client the settings choose: TeamSpeak 2's own library,
// or TeamSpeak 3's query interface answering like it. Everything above sees one library.
#pragma once

#include "app/Settings.h"
#include "platform/TsRemoteApi.h"
#include "teamspeak/query/QueryLink.h"

namespace sayvane {

class VoiceClientSwitch final : public TsRemoteApi {
public:
    VoiceClientSwitch(TsRemoteApi& teamSpeak2, query::QueryLink& teamSpeak3)
        : m_teamSpeak2(teamSpeak2), m_teamSpeak3(teamSpeak3) {}

    // Takes the voice client and the query settings; the query link only talks while chosen.
    void Choose(const VoiceSettings& settings) {
        m_teamSpeak3.Configure(query::QuerySettings{settings.apiKey, settings.port});
        if (settings.client != VoiceClient::TeamSpeak3 && m_chosen == VoiceClient::TeamSpeak3) {
            m_teamSpeak3.Stop();  // no connection stays open to a client nobody follows
        }
        m_chosen = settings.client;
    }
    [[nodiscard]] VoiceClient Chosen() const { return m_chosen; }
    // Answers that came in for requests made earlier (a channel asked for), given to their
    // callers; called outside the overlay's tick.
    void DeliverAnswers() { m_teamSpeak3.DeliverChannelAnswer(); }
    // The query link while TeamSpeak 3 is chosen, else nullptr.
    [[nodiscard]] query::QueryLink* Query() { return m_chosen == VoiceClient::TeamSpeak3 ? &m_teamSpeak3 : nullptr; }

    bool IsAvailable() override { return Api().IsAvailable(); }
    std::int32_t tsrGetSpeakers(std::int32_t* ids, std::int32_t* count) override {
        return Api().tsrGetSpeakers(ids, count);
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
    TsRemoteApi& Api() {
        return m_chosen == VoiceClient::TeamSpeak3 ? static_cast<TsRemoteApi&>(m_teamSpeak3) : m_teamSpeak2;
    }

    TsRemoteApi& m_teamSpeak2;
    query::QueryLink& m_teamSpeak3;
    VoiceClient m_chosen = VoiceClient::TeamSpeak2;
};

}  // namespace sayvane
