// The voice-client port the overlay reads, answered by the client the settings choose:
// TeamSpeak 2 through its library, TeamSpeak 3 through its query interface, TeamSpeak 5/6
// through its Remote Apps. A reading stays with the port that made it until the next one, so a
// change of client mid-way never mixes two clients' lists; the revisions keep growing across a
// change, so that nothing above takes one client's list for the other's.
#pragma once

#include <string>
#include <string_view>

#include "app/Settings.h"
#include "teamspeak/VoicePort.h"
#include "teamspeak/query/QueryLink.h"
#include "teamspeak/remote/RemoteLink.h"

namespace sayvane {

class VoiceClientSwitch final : public VoicePort {
public:
    VoiceClientSwitch(VoicePort& teamSpeak2, query::QueryLink& teamSpeak3, remote::RemoteLink& teamSpeak5)
        : m_teamSpeak2(teamSpeak2), m_teamSpeak3(teamSpeak3), m_teamSpeak5(teamSpeak5) {}

    // Takes the voice client and the links' settings; a link only talks while chosen. Returns
    // the settings as the links hold them now: with the key TeamSpeak 5/6 handed out, where
    // it replaced the one given.
    VoiceSettings Choose(const VoiceSettings& settings);
    [[nodiscard]] VoiceClient Chosen() const { return m_chosen; }
    void UseSettings(const VoiceSettings& settings) override { (void)Choose(settings); }

    // The socket of `client`'s link had activity: when it is the chosen one, the link moves on
    // at once, and whoever listens hears when that may have changed what it answers.
    void Activity(VoiceClient client);
    void OnChanged(std::function<void()> changed) override;

    LinkStatus GetSpeakers() override { return Read(m_speakersFrom).GetSpeakers(); }
    [[nodiscard]] const SpeakerSnapshot& Speakers() const override { return m_speakersFrom->Speakers(); }
    [[nodiscard]] bool GetChannels() override;
    [[nodiscard]] bool GetPlayers() override;
    [[nodiscard]] std::size_t ChannelCount() const override { return m_channels.port->ChannelCount(); }
    [[nodiscard]] std::int32_t ChannelId(std::size_t index) const override { return m_channels.port->ChannelId(index); }
    [[nodiscard]] std::string_view ChannelName(std::size_t index) const override {
        return m_channels.port->ChannelName(index);
    }
    [[nodiscard]] std::size_t PlayerCount() const override { return m_players.port->PlayerCount(); }
    [[nodiscard]] std::int32_t PlayerId(std::size_t index) const override { return m_players.port->PlayerId(index); }
    [[nodiscard]] std::int32_t PlayerChannelId(std::size_t index) const override {
        return m_players.port->PlayerChannelId(index);
    }
    [[nodiscard]] std::string_view PlayerName(std::size_t index) const override {
        return m_players.port->PlayerName(index);
    }
    [[nodiscard]] std::uint64_t ChannelsRevision() const override { return m_channels.revision; }
    [[nodiscard]] std::uint64_t PlayersRevision() const override { return m_players.revision; }
    [[nodiscard]] const ListEdits& PlayerEdits() const override { return m_players.port->PlayerEdits(); }
    [[nodiscard]] std::string GetUserNickname() override { return Port().GetUserNickname(); }

    [[nodiscard]] std::string StatusLine(std::string_view programFolder) override {
        return Port().StatusLine(programFolder);
    }
    [[nodiscard]] ChannelWay WayToMakeChannels() const override { return Port().WayToMakeChannels(); }
    [[nodiscard]] bool ReadyForRequests() override { return Port().ReadyForRequests(); }
    bool RequestChannel(const std::string& name, ChannelDone done) override {
        return Port().RequestChannel(name, std::move(done));
    }
    void DeliverAnswers() override { Port().DeliverAnswers(); }

private:
    // Which port a list was last read from, and the switch's own revision of it.
    struct Reading {
        VoicePort* port;
        std::uint64_t portRevision = 0;
        std::uint64_t revision = 0;
    };
    [[nodiscard]] VoicePort& Port() const;
    // The chosen port, which `from` now follows.
    VoicePort& Read(VoicePort*& from) {
        from = &Port();
        return *from;
    }
    // After a reading of the chosen port: a reading of another port counts two revisions, so
    // that its edits are never taken for the ones of the list held.
    static void Count(Reading& reading, VoicePort& port, std::uint64_t portRevision);
    // A reading of the chosen port's channels or players, counted in `reading`.
    bool Refill(Reading& reading, bool (VoicePort::*get)(), std::uint64_t (VoicePort::*revision)() const);

    VoicePort& m_teamSpeak2;
    query::QueryLink& m_teamSpeak3;
    remote::RemoteLink& m_teamSpeak5;
    VoiceClient m_chosen = VoiceClient::TeamSpeak2;
    VoicePort* m_speakersFrom = &m_teamSpeak2;
    Reading m_channels{&m_teamSpeak2, m_teamSpeak2.ChannelsRevision()};
    Reading m_players{&m_teamSpeak2, m_teamSpeak2.PlayersRevision()};
};

}  // namespace sayvane
