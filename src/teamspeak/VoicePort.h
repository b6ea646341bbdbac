// What the overlay reads from a voice client, whichever it is: the players and channels of the
// server shown, who speaks, the own nickname, how the link stands in words, how a channel is
// made, and a signal when any of it may have changed. TeamSpeak 2 (its remote-control library),
// TeamSpeak 3 (the query interface) and TeamSpeak 5/6 (Remote Apps) each answer it; the program
// chooses one where it is wired, and nothing above asks which.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "app/Settings.h"
#include "teamspeak/ListEdits.h"

namespace sayvane {

// Who speaks: player IDs, the longest speaker first.
using SpeakerSnapshot = std::vector<std::int32_t>;

// The index of the last element; -1 for an empty list.
template <typename T>
[[nodiscard]] int LastIndex(const std::vector<T>& list) {
    return static_cast<int>(list.size()) - 1;
}

// How the link stands, with the values the rest of the program stores.
enum class LinkStatus : std::int32_t {
    Unknown = -1,    // any other failure
    NotRunning = 0,  // no voice client runs (or it cannot be reached)
    Running = 1,     // the client runs but shows no server
    Connected = 2,   // connected: the speakers were read
};

// The most speaker IDs a reading holds when nobody speaks: see VoicePort::Speakers.
inline constexpr std::size_t kSilentSpeakerIds = 1024;

class VoicePort {
public:
    VoicePort() = default;
    VoicePort(const VoicePort&) = delete;
    VoicePort& operator=(const VoicePort&) = delete;
    VoicePort(VoicePort&&) = delete;
    VoicePort& operator=(VoicePort&&) = delete;
    virtual ~VoicePort() = default;

    // Reads who speaks. The overlay calls it once a tick, and its status is the link's.
    virtual LinkStatus GetSpeakers() = 0;
    // Who speaks, meaningful after Connected. A reading with nobody speaking holds
    // kSilentSpeakerIds IDs of 0 (last index 1023), which consumers skip; the refresh cycle
    // tells one speaker from none by that last index.
    [[nodiscard]] virtual const SpeakerSnapshot& Speakers() const = 0;

    // Read the channels or the players of the server shown anew (true); on failure (false)
    // the last reading stays. A reading that finds what the last one found keeps its revision.
    [[nodiscard]] virtual bool GetChannels() = 0;
    [[nodiscard]] virtual bool GetPlayers() = 0;

    // The last readings, in the client's order: the own player first. Names are as the client
    // gives them, in code page 1252.
    [[nodiscard]] virtual std::size_t ChannelCount() const = 0;
    [[nodiscard]] virtual std::int32_t ChannelId(std::size_t index) const = 0;
    [[nodiscard]] virtual std::string_view ChannelName(std::size_t index) const = 0;
    [[nodiscard]] virtual std::size_t PlayerCount() const = 0;
    [[nodiscard]] virtual std::int32_t PlayerId(std::size_t index) const = 0;
    [[nodiscard]] virtual std::int32_t PlayerChannelId(std::size_t index) const = 0;
    [[nodiscard]] virtual std::string_view PlayerName(std::size_t index) const = 0;
    // Grow whenever a reading differs from the one before: by one when PlayerEdits tells how.
    [[nodiscard]] virtual std::uint64_t ChannelsRevision() const = 0;
    [[nodiscard]] virtual std::uint64_t PlayersRevision() const = 0;
    // How the players of the revision before became these.
    [[nodiscard]] virtual const ListEdits& PlayerEdits() const = 0;

    // The nickname the own client is logged in with; empty text when it is not known.
    [[nodiscard]] virtual std::string GetUserNickname() = 0;

    // How the link stands, in words a user can act on; asking moves the link on.
    // `programFolder` is where a library the link loads is looked for first.
    [[nodiscard]] virtual std::string StatusLine(std::string_view programFolder) = 0;

    // How this client makes a channel: through its own windows (typed into, as a user would),
    // by a request to the client, or not at all.
    enum class ChannelWay { Windows, Request, None };
    [[nodiscard]] virtual ChannelWay WayToMakeChannels() const { return ChannelWay::Windows; }
    // For a client asked by request: moves the link on and says whether it can be asked now.
    [[nodiscard]] virtual bool ReadyForRequests() { return false; }
    // Asks the client for a channel named `name`, the own client moved into it; `done` later
    // gets an empty text on success, the client's words on a refusal. False (and `done` never
    // called) when the client cannot be asked now.
    using ChannelDone = std::function<void(const std::string& refusal)>;
    // NOLINTNEXTLINE(performance-unnecessary-value-param): taken by value for the ports that keep it
    virtual bool RequestChannel(const std::string& /*name*/, ChannelDone /*done*/) { return false; }
    // Hands answers that came in for requests to their callers; called outside the overlay's
    // tick, since a caller may open a message box.
    virtual void DeliverAnswers() {}

    // Who hears, between two readings, that what the port answers may have changed; nullptr
    // for nobody. A port that is only read (TeamSpeak 2's library) never tells.
    // NOLINTNEXTLINE(performance-unnecessary-value-param): taken by value for the ports that keep it
    virtual void OnChanged(std::function<void()> /*changed*/) {}

    // The voice settings, read again: which client to follow and how to reach it.
    virtual void UseSettings(const VoiceSettings& /*settings*/) {}
};

}  // namespace sayvane
