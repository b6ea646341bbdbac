// Every key of the settings file with its defaults, the overlay's in-memory settings record
// and the conversions between the two.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/ProfileStore.h"
#include "text/NumericText.h"

namespace sayvane {

// A key with the default each of its two readers uses: the overlay and the configuration
// window disagree on Refresh and Delay.
struct SettingKey {
    std::string_view name;
    std::string_view overlayDefault;
    std::string_view configDefault;
};

// The keys the configuration window writes, in the order it writes them (so a new file
// lists them in this order).
inline constexpr std::array<SettingKey, 21> kSettingKeys = {{
    {"OnTop", "1", "1"},
    {"MeFromChannel", "1", "1"},
    {"ShowChannel", "0", "0"},
    {"ShowMe", "0", "0"},
    {"AutoStart", "0", "0"},
    {"IvAcSelect", "0", "0"},
    {"IvAcResetZoom", "0", "0"},
    {"IvAcBeepSelect", "0", "0"},
    {"ShowInOut", "1", "1"},
    {"Delay", "2", "6"},
    {"Refresh", "6", "2"},
    {"Size", "8", "8"},
    {"NickName", "", ""},
    {"Position", "00010", "00010"},
    {"Transparent", "60", "60"},
    {"BackColor", "0", "0"},
    {"ForeColor", "65280", "65280"},
    {"ChannelForeColor", "33023", "33023"},
    {"SizeUsers", "8", "8"},
    {"JoinForeColor", "16776960", "16776960"},
    {"LeaveForeColor", "8421631", "8421631"},
}};

// Which voice client the overlay follows, and how to reach it: TeamSpeak 3's query interface
// (its port and the key the user copies from the client), TeamSpeak 5/6's Remote Apps (its
// port and the key the client handed out, which Sayvane keeps itself). Their keys come after
// the 21 above; a file without them keeps TeamSpeak 2.
inline constexpr std::string_view kVoiceClientKey = "VoiceClient";
inline constexpr std::string_view kQueryApiKeyKey = "QueryApiKey";
inline constexpr std::string_view kQueryPortKey = "QueryPort";
inline constexpr std::string_view kRemoteApiKeyKey = "RemoteApiKey";
inline constexpr std::string_view kRemotePortKey = "RemotePort";

enum class VoiceClient { TeamSpeak2 = 2, TeamSpeak3 = 3, TeamSpeak5 = 5 };

struct VoiceSettings {
    VoiceClient client = VoiceClient::TeamSpeak2;
    std::string apiKey;
    std::uint16_t port = 25639;
    std::string remoteKey;
    std::uint16_t remotePort = 5899;
    friend bool operator==(const VoiceSettings& a, const VoiceSettings& b) {
        return a.client == b.client && a.apiKey == b.apiKey && a.port == b.port && a.remoteKey == b.remoteKey &&
               a.remotePort == b.remotePort;
    }
};

// A port as the settings file or the configuration window hold it: a number from 1 to 65535,
// nothing else.
[[nodiscard]] std::optional<std::uint16_t> ParsePort(std::string_view text);

// Reads the five keys. Anything but the number 3 or 5 for the client means TeamSpeak 2 (as a
// file without the key); a port that is not a number from 1 to 65535 means the default one; a
// key that is not one (IsKeyText: a hand-edited file) means no key.
[[nodiscard]] VoiceSettings LoadVoiceSettings(ProfileStore& store, const std::string& file, NumberFormat format = {});

// Writes a voice client's API key (`name` is kQueryApiKeyKey or kRemoteApiKeyKey). A key that
// breaks IsKeyText is never written, as CR or LF in it would add lines to the file: the file
// keeps the key it had. False when the key was not written, refused or failed.
[[nodiscard]] bool SaveVoiceKey(ProfileStore& store, const std::string& file, std::string_view name,
                                std::string_view key);

// What the user reads when the settings file could not be written: what Sayvane could not do
// ("save its settings to"), the file, what to check, and what Sayvane does now.
[[nodiscard]] std::string SettingsNotWrittenMessage(std::string_view failed, std::string_view file,
                                                    std::string_view consequence);

// The two keys only the overlay writes (its place when the Custom position is chosen).
inline constexpr std::string_view kLastXKey = "LastX";
inline constexpr std::string_view kLastYKey = "LastY";

// The key's entry in kSettingKeys; the key must be one of them.
const SettingKey& FindSettingKey(std::string_view name);

// Screen positions in the order of the characters of the Position string.
enum class ScreenPosition { TopLeft = 0, TopRight = 1, BottomRight = 2, BottomLeft = 3, Custom = 4 };
inline constexpr std::size_t kPositionCount = 5;
using PositionFlags = std::array<bool, kPositionCount>;

// The overlay's copy of the settings. Flags hold the key's number (on means equal to 1);
// fields start at zero, as a newly created window has them, and keep that value when their
// key does not convert.
struct OverlaySettings {
    std::int16_t OnTop = 0;
    std::int16_t MeFromChannel = 0;
    std::int16_t ShowChannel = 0;
    std::int16_t ShowMe = 0;
    std::int16_t AutoStart = 0;
    std::int16_t IvAcSelect = 0;
    std::int16_t IvAcResetZoom = 0;
    std::int16_t IvAcBeepSelect = 0;
    std::int16_t ShowInOut = 0;
    std::string NickName;
    std::int16_t Transparent = 0;      // opacity in percent, 0..100
    std::int16_t RefreshInterval = 0;  // milliseconds between ticks
    std::int16_t RetentionTime = 0;    // milliseconds a speaker stays listed
    std::int16_t SpeakerFontSize = 0;  // points
    std::int16_t UserFontSize = 0;     // points, for the join/leave lines
    std::int32_t BackColor = 0;        // Windows colour values: red in the low byte
    std::int32_t ForeColor = 0;
    std::int32_t ChannelForeColor = 0;
    std::int32_t JoinForeColor = 0;
    std::int32_t LeaveForeColor = 0;
    PositionFlags Position{};

    [[nodiscard]] bool Has(ScreenPosition p) const { return Position[static_cast<std::size_t>(p)]; }
};

// Derived values, from the list positions the file stores.
[[nodiscard]] constexpr int RefreshIntervalFor(int listPosition) {
    return 250 + 50 * listPosition;
}
[[nodiscard]] constexpr int RetentionTimeFor(int listPosition) {
    return 500 + 250 * listPosition;
}
[[nodiscard]] constexpr int FontSizeFor(int listPosition) {
    return 8 + listPosition;
}

// The overlay's default Refresh position ("6" in the table above: 550 ms).
inline constexpr int kOverlayDefaultRefreshPosition = 6;

// Reads every key except LastX/LastY with the overlay's defaults into `settings`. A key that
// does not convert leaves its field as it was. Beyond the plain conversions, values from a
// hand-edited file are kept usable: Transparent is limited to 0..100, a refresh interval that
// is not positive (no timer could run on it) becomes the default one, and a negative
// retention time becomes 0.
void LoadSettings(ProfileStore& store, const std::string& file, OverlaySettings& settings, NumberFormat format = {});

// Position string <-> flags: character i + 1 sets flag i when it is a digit other than "0";
// "0", any other character or a missing one leaves the flag off.
[[nodiscard]] PositionFlags ParsePositionString(std::string_view text);
[[nodiscard]] std::string FormatPositionString(const PositionFlags& flags);

// Whether the start-up routine opens the overlay directly: AutoStart reads as the number 1.
[[nodiscard]] bool ReadAutoStart(ProfileStore& store, const std::string& file, NumberFormat format = {});

// The overlay's left and top edges in twips, stored when the Custom position is chosen.
struct WindowPlace {
    std::int32_t left = 0;
    std::int32_t top = 0;
    friend bool operator==(const WindowPlace& a, const WindowPlace& b) { return a.left == b.left && a.top == b.top; }
};

// Reads LastX/LastY as 32-bit values (a screen wider than 2184 pixels has edges beyond the
// 16-bit range in twips). A missing key gives its value in `defaults`; a key that does not
// convert keeps the value in `current`.
[[nodiscard]] WindowPlace LoadLastPlace(ProfileStore& store, const std::string& file, WindowPlace defaults,
                                        WindowPlace current, NumberFormat format = {});

// Writes LastX/LastY in the twelve-digit form; false when the file could not be written.
[[nodiscard]] bool SaveLastPlace(ProfileStore& store, const std::string& file, WindowPlace place);

}  // namespace sayvane
