// A TeamSpeak 2 server and client as the remote-control library sees them: channels,
// players, who speaks, the own nickname, and the library's five calls served from that
// state as real byte records. Used by the in-memory library of the tests and by the
// substitute TSRemote.dll.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sayvane::sim {

struct TsChannel {
    std::int32_t id = 0;
    std::int32_t second = 0;  // carried, not interpreted (a parent or order field to the client)
    std::int32_t third = 0;
    std::int32_t flags = 0;
    std::int32_t codec = 0;
    std::string name;  // ANSI bytes; only the first 30 reach a record
};

struct TsPlayer {
    std::int32_t id = 0;
    std::int32_t channelId = 0;
    std::int32_t channelPrivileges = 0;
    std::int32_t serverPrivileges = 0;
    std::int32_t flags = 0;
    std::string name;
};

// The calls whose result and count a test may force.
enum class TsCall { Speakers = 0, Players = 1, Channels = 2, UserInfo = 3 };
inline constexpr std::size_t kTsCallCount = 4;

// Library results the clients of the library know by value.
inline constexpr std::int32_t kResultNotRunning = -1000;
inline constexpr std::int32_t kResultNotConnected = -1;
inline constexpr std::int32_t kResultBadArgument = -2;

struct TsServer {
    bool clientRunning = true;
    bool connected = true;
    std::string serverName;
    std::string ownNickname;
    std::vector<TsChannel> channels;
    std::vector<TsPlayer> players;       // in join order
    std::vector<std::int32_t> speakers;  // player IDs, in the order they began to speak
    // A non-zero value makes that call fail with it (after the not-running test).
    std::array<std::int32_t, kTsCallCount> forcedResult{};
    // When set, a successful call reports this count whatever it wrote.
    std::array<std::optional<std::int32_t>, kTsCallCount> reportedCount{};

    [[nodiscard]] TsChannel* FindChannel(std::int32_t id);
    [[nodiscard]] TsPlayer* FindPlayer(std::int32_t id);
    [[nodiscard]] TsPlayer* FindPlayerByName(const std::string& name);

    // Adds the channel, or updates the one with its ID in place.
    void UpsertChannel(const TsChannel& channel);
    // Removes the channel; its players stay, as the model does not move them anywhere.
    bool RemoveChannel(std::int32_t id);
    // A new channel as the create-channel dialog makes it: the next free ID, flags
    // "Unregistered", codec Speex 16.3. The own player moves into it. Nothing for an empty
    // name or a name already taken (without regard to case).
    std::optional<std::int32_t> CreateChannel(const std::string& name);
    // The channel a joining player lands in: the first flagged Default, else the first one.
    [[nodiscard]] std::int32_t DefaultChannelId() const;

    // Adds the player at the end, or updates the one with its ID in place.
    void UpsertPlayer(const TsPlayer& player);
    // Removes the player and ends his speech.
    bool RemovePlayer(std::int32_t id);
    [[nodiscard]] std::int32_t NextPlayerId() const;

    void StartSpeaking(std::int32_t playerId);
    void StopSpeaking(std::int32_t playerId);

    // The library's calls on this state. `count` is the capacity on entry; at most that many
    // records are written. On failure `errorText` receives the library's error text. Players
    // are listed with the own player (named as the own nickname) first, as the client does.
    std::int32_t ServeSpeakers(std::int32_t* ids, std::int32_t* count, std::string& errorText) const;
    std::int32_t ServePlayers(std::uint8_t* records, std::int32_t* count, std::string& errorText) const;
    std::int32_t ServeChannels(std::uint8_t* records, std::int32_t* count, std::string& errorText) const;
    std::int32_t ServeUserInfo(std::uint8_t* record, std::string& errorText) const;

private:
    // Not running, forced result, not connected: the first that applies, or 0.
    std::int32_t Precondition(TsCall call, std::string& errorText) const;
    std::int32_t Reported(TsCall call, std::int32_t written) const;
};

// The records' byte layout as the library writes it.
void EncodeChannelRecord(const TsChannel& channel, std::uint8_t* record);
void EncodePlayerRecord(const TsPlayer& player, std::uint8_t* record);
void EncodeUserInfoRecord(const std::string& nickname, std::uint8_t* record);

// Copies `text` NUL-terminated into a buffer of `size` bytes, cut to size - 1; nothing for
// a size below 1.
void CopyErrorText(const std::string& text, char* buffer, std::int32_t size);

}  // namespace sayvane::sim
