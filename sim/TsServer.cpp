// The simulated server's state changes and the library calls served from it.
//
// The byte layout is written out here on its own rather than taken from the program's
// decoder, so that a slip on either side shows up as a failed round trip.
#include "sim/TsServer.h"

#include <algorithm>
#include <cstring>

#include "text/TextRoutines.h"

namespace sayvane::sim {
namespace {

constexpr std::size_t kRecordSize = 50;
constexpr std::size_t kUserInfoSize = 150;
constexpr std::size_t kNameBytes = 30;

constexpr std::int32_t kFlagUnregistered = 2;
constexpr std::int32_t kFlagDefault = 32;
constexpr std::int32_t kCodecSpeex163 = 10;

void PutLong(std::uint8_t* at, std::int32_t value) {
    const auto bits = static_cast<std::uint32_t>(value);
    at[0] = static_cast<std::uint8_t>(bits & 0xFFu);
    at[1] = static_cast<std::uint8_t>((bits >> 8) & 0xFFu);
    at[2] = static_cast<std::uint8_t>((bits >> 16) & 0xFFu);
    at[3] = static_cast<std::uint8_t>((bits >> 24) & 0xFFu);
}

void PutName(std::uint8_t* at, const std::string& name) {
    std::memset(at, 0, kNameBytes);
    // A name of 30 bytes or more fills the field with no NUL, as the library's records do: the
    // program's decoder must stop at the field's end on its own.
    // NOLINTNEXTLINE(bugprone-not-null-terminated-result)
    std::memcpy(at, name.data(), std::min(name.size(), kNameBytes));
}

std::size_t Capacity(const std::int32_t* count) {
    return *count > 0 ? static_cast<std::size_t>(*count) : 0;
}

}  // namespace

void EncodeChannelRecord(const TsChannel& channel, std::uint8_t* record) {
    PutLong(record + 0, channel.id);
    PutLong(record + 4, channel.second);
    PutLong(record + 8, channel.third);
    PutLong(record + 12, channel.flags);
    PutLong(record + 16, channel.codec);
    PutName(record + 20, channel.name);
}

void EncodePlayerRecord(const TsPlayer& player, std::uint8_t* record) {
    PutLong(record + 0, player.id);
    PutLong(record + 4, player.channelId);
    PutName(record + 8, player.name);
    PutLong(record + 38, player.channelPrivileges);
    PutLong(record + 42, player.serverPrivileges);
    PutLong(record + 46, player.flags);
}

void EncodeUserInfoRecord(const std::string& nickname, std::uint8_t* record) {
    std::memset(record, 0, kUserInfoSize);
    PutName(record + 8, nickname);
}

void CopyErrorText(const std::string& text, char* buffer, std::int32_t size) {
    if (buffer == nullptr || size < 1) {
        return;
    }
    const std::size_t length = std::min(text.size(), static_cast<std::size_t>(size) - 1);
    std::memcpy(buffer, text.data(), length);
    buffer[length] = '\0';
}

TsChannel* TsServer::FindChannel(std::int32_t id) {
    const auto it = std::find_if(channels.begin(), channels.end(), [&](const TsChannel& c) { return c.id == id; });
    return it == channels.end() ? nullptr : &*it;
}

TsPlayer* TsServer::FindPlayer(std::int32_t id) {
    const auto it = std::find_if(players.begin(), players.end(), [&](const TsPlayer& p) { return p.id == id; });
    return it == players.end() ? nullptr : &*it;
}

TsPlayer* TsServer::FindPlayerByName(const std::string& name) {
    const auto it = std::find_if(players.begin(), players.end(), [&](const TsPlayer& p) { return p.name == name; });
    return it == players.end() ? nullptr : &*it;
}

void TsServer::UpsertChannel(const TsChannel& channel) {
    if (TsChannel* existing = FindChannel(channel.id)) {
        *existing = channel;
    } else {
        channels.push_back(channel);
    }
}

bool TsServer::RemoveChannel(std::int32_t id) {
    const auto it = std::find_if(channels.begin(), channels.end(), [&](const TsChannel& c) { return c.id == id; });
    if (it == channels.end()) {
        return false;
    }
    channels.erase(it);
    return true;
}

std::optional<std::int32_t> TsServer::CreateChannel(const std::string& name) {
    const bool taken = std::any_of(channels.begin(), channels.end(),
                                   [&](const TsChannel& c) { return AnsiEqualsNoCase(c.name, name); });
    if (name.empty() || taken) {
        return std::nullopt;
    }
    std::int32_t id = 1;
    for (const TsChannel& c : channels) {
        id = std::max(id, c.id + 1);
    }
    channels.push_back(TsChannel{id, 0, 0, kFlagUnregistered, kCodecSpeex163, name});
    if (TsPlayer* own = FindPlayerByName(ownNickname)) {
        own->channelId = id;
    }
    return id;
}

std::int32_t TsServer::DefaultChannelId() const {
    for (const TsChannel& c : channels) {
        if ((c.flags & kFlagDefault) != 0) {
            return c.id;
        }
    }
    return channels.empty() ? 0 : channels.front().id;
}

void TsServer::UpsertPlayer(const TsPlayer& player) {
    if (TsPlayer* existing = FindPlayer(player.id)) {
        *existing = player;
    } else {
        players.push_back(player);
    }
}

bool TsServer::RemovePlayer(std::int32_t id) {
    const auto it = std::find_if(players.begin(), players.end(), [&](const TsPlayer& p) { return p.id == id; });
    if (it == players.end()) {
        return false;
    }
    players.erase(it);
    StopSpeaking(id);
    return true;
}

std::int32_t TsServer::NextPlayerId() const {
    std::int32_t id = 1;
    for (const TsPlayer& p : players) {
        id = std::max(id, p.id + 1);
    }
    return id;
}

void TsServer::StartSpeaking(std::int32_t playerId) {
    if (std::find(speakers.begin(), speakers.end(), playerId) == speakers.end()) {
        speakers.push_back(playerId);
    }
}

void TsServer::StopSpeaking(std::int32_t playerId) {
    speakers.erase(std::remove(speakers.begin(), speakers.end(), playerId), speakers.end());
}

std::int32_t TsServer::Precondition(TsCall call, std::string& errorText) const {
    if (!clientRunning) {
        errorText = "TeamSpeak 2 is not running";
        return kResultNotRunning;
    }
    const std::int32_t forced = forcedResult[static_cast<std::size_t>(call)];
    if (forced != 0) {
        errorText = "Simulated failure " + std::to_string(forced);
        return forced;
    }
    if (!connected) {
        errorText = "Not connected to a server";
        return kResultNotConnected;
    }
    return 0;
}

std::int32_t TsServer::Reported(TsCall call, std::int32_t written) const {
    const auto& forced = reportedCount[static_cast<std::size_t>(call)];
    return forced ? *forced : written;
}

std::int32_t TsServer::ServeSpeakers(std::int32_t* ids, std::int32_t* count, std::string& errorText) const {
    if (ids == nullptr || count == nullptr) {
        errorText = "Invalid argument";
        return kResultBadArgument;
    }
    if (const std::int32_t result = Precondition(TsCall::Speakers, errorText); result != 0) {
        return result;
    }
    const std::size_t written = std::min(speakers.size(), Capacity(count));
    std::copy_n(speakers.begin(), written, ids);
    *count = Reported(TsCall::Speakers, static_cast<std::int32_t>(written));
    return 0;
}

std::int32_t TsServer::ServePlayers(std::uint8_t* records, std::int32_t* count, std::string& errorText) const {
    if (records == nullptr || count == nullptr) {
        errorText = "Invalid argument";
        return kResultBadArgument;
    }
    if (const std::int32_t result = Precondition(TsCall::Players, errorText); result != 0) {
        return result;
    }
    // The own player first, then the others in join order.
    std::vector<const TsPlayer*> ordered;
    ordered.reserve(players.size());
    for (const TsPlayer& p : players) {
        if (!ownNickname.empty() && p.name == ownNickname) {
            ordered.insert(ordered.begin(), &p);
        } else {
            ordered.push_back(&p);
        }
    }
    const std::size_t written = std::min(ordered.size(), Capacity(count));
    for (std::size_t i = 0; i < written; ++i) {
        EncodePlayerRecord(*ordered[i], records + i * kRecordSize);
    }
    *count = Reported(TsCall::Players, static_cast<std::int32_t>(written));
    return 0;
}

std::int32_t TsServer::ServeChannels(std::uint8_t* records, std::int32_t* count, std::string& errorText) const {
    if (records == nullptr || count == nullptr) {
        errorText = "Invalid argument";
        return kResultBadArgument;
    }
    if (const std::int32_t result = Precondition(TsCall::Channels, errorText); result != 0) {
        return result;
    }
    const std::size_t written = std::min(channels.size(), Capacity(count));
    for (std::size_t i = 0; i < written; ++i) {
        EncodeChannelRecord(channels[i], records + i * kRecordSize);
    }
    *count = Reported(TsCall::Channels, static_cast<std::int32_t>(written));
    return 0;
}

std::int32_t TsServer::ServeUserInfo(std::uint8_t* record, std::string& errorText) const {
    if (record == nullptr) {
        errorText = "Invalid argument";
        return kResultBadArgument;
    }
    if (const std::int32_t result = Precondition(TsCall::UserInfo, errorText); result != 0) {
        return result;
    }
    EncodeUserInfoRecord(ownNickname, record);
    return 0;
}

}  // namespace sayvane::sim
