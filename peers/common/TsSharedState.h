// What the simulated voice client (ts2sim) publishes for the substitute TSRemote.dll: the
// server it simulates, as one fixed-size block of named shared memory guarded by a named
// mutex. Plain data only, so that both programs agree on it byte for byte.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <type_traits>

#include "sim/TsServer.h"

namespace sayvane::peers {

inline constexpr char kTsSharedMemoryName[] = "SayvaneTs2SimServerState";
inline constexpr char kTsSharedMutexName[] = "SayvaneTs2SimServerLock";
inline constexpr std::uint32_t kTsSharedMagic = 0x53325354;  // "TS2S"
inline constexpr std::uint32_t kTsSharedVersion = 1;
inline constexpr std::int32_t kTsSharedMaxEntries = 1024;
inline constexpr std::size_t kTsSharedNameBytes = 30;  // what a library record holds of a name
inline constexpr std::size_t kTsSharedServerNameBytes = 64;

// A name as raw bytes with its length, so that names of exactly 30 bytes and names with a
// NUL inside come through as they are.
struct TsSharedName {
    std::int32_t length;
    char bytes[kTsSharedNameBytes];
};

struct TsSharedChannel {
    std::int32_t id, second, third, flags, codec;
    TsSharedName name;
};

struct TsSharedPlayer {
    std::int32_t id, channelId, channelPrivileges, serverPrivileges, flags;
    TsSharedName name;
};

struct TsSharedState {
    std::uint32_t magic;
    std::uint32_t version;
    std::uint32_t revision;  // counts the publications
    std::int32_t running;    // 0 once the client has quit
    std::int32_t connected;
    char serverName[kTsSharedServerNameBytes];  // NUL-terminated
    TsSharedName ownNickname;
    std::int32_t forcedResult[sim::kTsCallCount];
    std::int32_t hasReportedCount[sim::kTsCallCount];
    std::int32_t reportedCount[sim::kTsCallCount];
    std::int32_t channelCount;
    TsSharedChannel channels[kTsSharedMaxEntries];
    std::int32_t playerCount;
    TsSharedPlayer players[kTsSharedMaxEntries];
    std::int32_t speakerCount;
    std::int32_t speakers[kTsSharedMaxEntries];
};
static_assert(std::is_trivially_copyable_v<TsSharedState>);

inline void PutSharedName(TsSharedName& out, const std::string& name) {
    std::memset(out.bytes, 0, sizeof out.bytes);
    const std::size_t length = std::min(name.size(), kTsSharedNameBytes);
    std::memcpy(out.bytes, name.data(), length);
    out.length = static_cast<std::int32_t>(length);
}

inline std::string GetSharedName(const TsSharedName& name) {
    const auto length = static_cast<std::size_t>(std::clamp<std::int32_t>(name.length, 0, kTsSharedNameBytes));
    return std::string(name.bytes, length);
}

// Writes the server into the block (up to 1024 channels, players and speakers), keeping
// its revision count going.
inline void PublishServer(const sim::TsServer& server, TsSharedState& out) {
    out.magic = kTsSharedMagic;
    out.version = kTsSharedVersion;
    ++out.revision;
    out.running = server.clientRunning ? 1 : 0;
    out.connected = server.connected ? 1 : 0;
    std::memset(out.serverName, 0, sizeof out.serverName);
    std::memcpy(out.serverName, server.serverName.data(),
                std::min(server.serverName.size(), sizeof out.serverName - 1));
    PutSharedName(out.ownNickname, server.ownNickname);
    for (std::size_t i = 0; i < sim::kTsCallCount; ++i) {
        out.forcedResult[i] = server.forcedResult[i];
        out.hasReportedCount[i] = server.reportedCount[i].has_value() ? 1 : 0;
        out.reportedCount[i] = server.reportedCount[i].value_or(0);
    }
    const auto limit = static_cast<std::size_t>(kTsSharedMaxEntries);
    out.channelCount = static_cast<std::int32_t>(std::min(server.channels.size(), limit));
    for (std::int32_t i = 0; i < out.channelCount; ++i) {
        const sim::TsChannel& c = server.channels[static_cast<std::size_t>(i)];
        TsSharedChannel& s = out.channels[i];
        s.id = c.id;
        s.second = c.second;
        s.third = c.third;
        s.flags = c.flags;
        s.codec = c.codec;
        PutSharedName(s.name, c.name);
    }
    out.playerCount = static_cast<std::int32_t>(std::min(server.players.size(), limit));
    for (std::int32_t i = 0; i < out.playerCount; ++i) {
        const sim::TsPlayer& p = server.players[static_cast<std::size_t>(i)];
        TsSharedPlayer& s = out.players[i];
        s.id = p.id;
        s.channelId = p.channelId;
        s.channelPrivileges = p.channelPrivileges;
        s.serverPrivileges = p.serverPrivileges;
        s.flags = p.flags;
        PutSharedName(s.name, p.name);
    }
    out.speakerCount = static_cast<std::int32_t>(std::min(server.speakers.size(), limit));
    std::copy_n(server.speakers.begin(), out.speakerCount, out.speakers);
}

// The server a block describes; counts out of range are limited to the arrays.
inline sim::TsServer ReadServer(const TsSharedState& in) {
    sim::TsServer server;
    server.clientRunning = in.running != 0;
    server.connected = in.connected != 0;
    server.serverName = std::string(in.serverName, strnlen(in.serverName, sizeof in.serverName));
    server.ownNickname = GetSharedName(in.ownNickname);
    for (std::size_t i = 0; i < sim::kTsCallCount; ++i) {
        server.forcedResult[i] = in.forcedResult[i];
        if (in.hasReportedCount[i] != 0) {
            server.reportedCount[i] = in.reportedCount[i];
        }
    }
    const auto clamp = [](std::int32_t n) { return std::clamp<std::int32_t>(n, 0, kTsSharedMaxEntries); };
    for (std::int32_t i = 0; i < clamp(in.channelCount); ++i) {
        const TsSharedChannel& s = in.channels[i];
        server.channels.push_back(sim::TsChannel{s.id, s.second, s.third, s.flags, s.codec, GetSharedName(s.name)});
    }
    for (std::int32_t i = 0; i < clamp(in.playerCount); ++i) {
        const TsSharedPlayer& s = in.players[i];
        server.players.push_back(
            sim::TsPlayer{s.id, s.channelId, s.channelPrivileges, s.serverPrivileges, s.flags, GetSharedName(s.name)});
    }
    server.speakers.assign(in.speakers, in.speakers + clamp(in.speakerCount));
    return server;
}

}  // namespace sayvane::peers
