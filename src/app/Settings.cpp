// Every key of the settings file with its defaults, the overlay's in-memory settings record
// and the conversions between the two.
#include "app/Settings.h"

#include <algorithm>
#include <cstdlib>

#include "app/SettingsFile.h"
#include "text/TextRoutines.h"

namespace sayvane {

const SettingKey& FindSettingKey(std::string_view name) {
    const auto it = std::find_if(kSettingKeys.begin(), kSettingKeys.end(),
                                 [name](const SettingKey& key) { return key.name == name; });
    if (it == kSettingKeys.end()) {
        std::abort();  // a programming error: every caller names one of the table's keys
    }
    return *it;
}

PositionFlags ParsePositionString(std::string_view text) {
    PositionFlags flags{};
    for (std::size_t i = 0; i < kPositionCount && i < text.size(); ++i) {
        flags[i] = text[i] >= '1' && text[i] <= '9';
    }
    return flags;
}

std::string FormatPositionString(const PositionFlags& flags) {
    std::string text;
    for (bool on : flags) {
        text += on ? '1' : '0';
    }
    return text;
}

namespace {

// Reads keys with the overlay's defaults and stores what converts, leaving the rest alone.
class OverlayKeyReader {
public:
    OverlayKeyReader(ProfileStore& store, const std::string& file, NumberFormat format)
        : m_store(store), m_file(file), m_format(format) {}

    std::string Text(std::string_view key) { return ReadIni(m_store, m_file, key, FindSettingKey(key).overlayDefault); }

    void Int16(std::string_view key, std::int16_t& field) {
        if (const auto value = TextToInt16(Text(key), m_format)) {
            field = *value;
        }
    }

    // A list position turned into a quantity by `rule`; the quantity must fit in 16 bits.
    void ListQuantity(std::string_view key, int (*rule)(int), std::int16_t& field) {
        if (const auto position = TextToInt16(Text(key), m_format)) {
            if (const auto value = RoundToInt16(rule(*position))) {
                field = *value;
            }
        }
    }

    void Colour(std::string_view key, std::int32_t& field) {
        if (const auto value = LeadingNumberToInt32(Text(key))) {
            field = *value;
        }
    }

private:
    ProfileStore& m_store;
    const std::string& m_file;
    NumberFormat m_format;
};

}  // namespace

void LoadSettings(ProfileStore& store, const std::string& file, OverlaySettings& settings, NumberFormat format) {
    OverlayKeyReader read(store, file, format);

    read.Int16("OnTop", settings.OnTop);
    read.Int16("MeFromChannel", settings.MeFromChannel);
    read.Int16("ShowChannel", settings.ShowChannel);
    read.Int16("ShowMe", settings.ShowMe);
    read.Int16("AutoStart", settings.AutoStart);
    read.Int16("IvAcSelect", settings.IvAcSelect);
    read.Int16("IvAcResetZoom", settings.IvAcResetZoom);
    read.Int16("IvAcBeepSelect", settings.IvAcBeepSelect);
    read.Int16("ShowInOut", settings.ShowInOut);
    read.ListQuantity("Delay", RetentionTimeFor, settings.RetentionTime);
    read.ListQuantity("Refresh", RefreshIntervalFor, settings.RefreshInterval);
    read.ListQuantity("Size", FontSizeFor, settings.SpeakerFontSize);
    settings.NickName = read.Text("NickName");
    settings.Position = ParsePositionString(read.Text("Position"));

    std::int16_t transparent = settings.Transparent;
    read.Int16("Transparent", transparent);
    settings.Transparent = std::clamp<std::int16_t>(transparent, 0, 100);

    read.Colour("BackColor", settings.BackColor);
    read.Colour("ForeColor", settings.ForeColor);
    read.Colour("ChannelForeColor", settings.ChannelForeColor);

    // SizeUsers goes through a double, so a fraction survives until 8 is added.
    if (const auto sizeUsers = TextToDouble(read.Text("SizeUsers"), format)) {
        if (const auto points = RoundToInt16(*sizeUsers + FontSizeFor(0))) {
            settings.UserFontSize = *points;
        }
    }

    read.Colour("JoinForeColor", settings.JoinForeColor);
    read.Colour("LeaveForeColor", settings.LeaveForeColor);

    // A timer needs a positive period, and the tick divides by it; only a hand-edited file
    // (an empty Refresh, or one below -4) gets here.
    if (settings.RefreshInterval <= 0) {
        settings.RefreshInterval = RefreshIntervalFor(kOverlayDefaultRefreshPosition);
    }
    // The notices sleep for the retention time; a negative one would become an endless wait.
    settings.RetentionTime = std::max<std::int16_t>(settings.RetentionTime, 0);
}

bool ReadAutoStart(ProfileStore& store, const std::string& file, NumberFormat format) {
    const auto value = TextToInt16(ReadIni(store, file, "AutoStart", "0"), format);
    return value && *value == 1;
}

WindowPlace LoadLastPlace(ProfileStore& store, const std::string& file, WindowPlace defaults, WindowPlace current,
                          NumberFormat format) {
    WindowPlace place = current;
    if (const auto x = TextToInt32(ReadIni(store, file, kLastXKey, std::to_string(defaults.left)), format)) {
        place.left = *x;
    }
    if (const auto y = TextToInt32(ReadIni(store, file, kLastYKey, std::to_string(defaults.top)), format)) {
        place.top = *y;
    }
    return place;
}

bool SaveLastPlace(ProfileStore& store, const std::string& file, WindowPlace place) {
    const bool x = WriteIni(store, file, kSettingsSection, kLastXKey, FormatTwelveDigits(place.left));
    const bool y = WriteIni(store, file, kSettingsSection, kLastYKey, FormatTwelveDigits(place.top));
    return x && y;
}

std::optional<std::uint16_t> ParsePort(std::string_view text) {
    if (text.empty() || text.size() > 5 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    const long number = std::strtol(std::string(text).c_str(), nullptr, 10);
    if (number < 1 || number > 65535) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(number);
}

VoiceSettings LoadVoiceSettings(ProfileStore& store, const std::string& file, NumberFormat format) {
    VoiceSettings voice;
    const std::optional<std::int16_t> client = TextToInt16(ReadIni(store, file, kVoiceClientKey, "2"), format);
    if (client == std::optional<std::int16_t>(3)) {
        voice.client = VoiceClient::TeamSpeak3;
    } else if (client == std::optional<std::int16_t>(5)) {
        voice.client = VoiceClient::TeamSpeak5;
    }
    const auto key = [&](std::string_view name) {
        std::string value = ReadIni(store, file, name, "");
        return IsKeyText(value) ? value : std::string();
    };
    voice.apiKey = key(kQueryApiKeyKey);
    voice.port = ParsePort(ReadIni(store, file, kQueryPortKey, "")).value_or(voice.port);
    voice.remoteKey = key(kRemoteApiKeyKey);
    voice.remotePort = ParsePort(ReadIni(store, file, kRemotePortKey, "")).value_or(voice.remotePort);
    return voice;
}

bool SaveVoiceKey(ProfileStore& store, const std::string& file, std::string_view name, std::string_view key) {
    return IsKeyText(key) && WriteIni(store, file, kSettingsSection, name, key);
}

std::string SettingsNotWrittenMessage(std::string_view failed, std::string_view file, std::string_view consequence) {
    return "Sayvane could not " + std::string(failed) + "\r\n" + std::string(file) +
           "\r\n\r\nCheck that this folder may be written to (for example, install Sayvane in a folder of your "
           "own). " +
           std::string(consequence);
}

}  // namespace sayvane
