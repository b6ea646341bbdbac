// The configuration window's logic: control states, list contents, load and save.
#include "config/ConfigForm.h"

#include <cstdio>

#include "app/SettingsFile.h"
#include "text/TextRoutines.h"

namespace sayvane {

namespace {

// The lists' lengths, which loading checks a stored position against without building the lists.
constexpr int kRefreshEntries = 46;   // 250 .. 2500 ms
constexpr int kDelayEntries = 20;     // 500 .. 5250 ms
constexpr int kFontSizeEntries = 93;  // 8 .. 100

// The check boxes' keys, in ConfigCheck order (the order they are written).
constexpr std::array<std::string_view, kConfigCheckCount> kCheckKeys = {
    "OnTop",      "MeFromChannel", "ShowChannel",    "ShowMe",   "AutoStart",
    "IvAcSelect", "IvAcResetZoom", "IvAcBeepSelect", "ShowInOut"};

// A key's place in the settings table (a name not in it does not compile where a constant is needed).
constexpr std::size_t KeyPlace(std::string_view name) {
    std::size_t i = 0;
    while (kSettingKeys.at(i).name != name) {
        ++i;
    }
    return i;
}

// The check boxes' places in the settings table, in ConfigCheck order.
constexpr auto kCheckKeyPlaces = [] {
    std::array<std::size_t, kConfigCheckCount> places{};
    for (std::size_t i = 0; i < kConfigCheckCount; ++i) {
        places[i] = KeyPlace(kCheckKeys[i]);
    }
    return places;
}();

}  // namespace

std::string DurationText(int milliseconds) {
    if (milliseconds < 1000) {
        return std::to_string(milliseconds) + " ms.";
    }
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.7g", static_cast<double>(static_cast<float>(milliseconds) / 1000.0f));
    // The C library writes the locale's separator; the lists always show a point.
    return ReplaceText(buffer, ",", ".") + " sec.";
}

std::vector<ListEntry> RefreshListEntries() {
    std::vector<ListEntry> entries;
    for (int i = 1; i <= kRefreshEntries; ++i) {
        const int v = 200 + 50 * i;
        entries.push_back({DurationText(v), v});
    }
    return entries;
}

std::vector<ListEntry> DelayListEntries() {
    std::vector<ListEntry> entries;
    for (int i = 1; i <= kDelayEntries; ++i) {
        const int v = 250 + 250 * i;
        entries.push_back({DurationText(v), v});
    }
    return entries;
}

std::vector<ListEntry> FontSizeListEntries() {
    std::vector<ListEntry> entries;
    for (int size = 8; size < 8 + kFontSizeEntries; ++size) {
        entries.push_back({std::to_string(size), size});
    }
    return entries;
}

ConfigForm::ConfigForm(ProfileStore& store, std::string programFolder, NumberFormat format)
    : m_store(store), m_programFolder(std::move(programFolder)), m_format(format) {}

std::string ConfigForm::SettingsFile() const {
    return SettingsPath(m_programFolder);
}

void ConfigForm::Form_Load() {
    m_controls.cboSize = 8;     // "16"
    m_controls.cboDelay = 6;    // "2 sec."
    m_controls.cboRefresh = 0;  // "250 ms."
    m_controls.cboUsers = -1;
    LoadConfig();
}

void ConfigForm::LoadConfig() {
    // Every key once, in the table's order, with this window's defaults; each is then taken
    // by its place in the table, found while compiling.
    const std::string path = SettingsFile();
    std::array<std::string, kSettingKeys.size()> values;
    for (std::size_t i = 0; i < values.size(); ++i) {
        values[i] = ReadIni(m_store, path, kSettingKeys[i].name, kSettingKeys[i].configDefault);
    }
    const auto number = [&](const std::string& value) { return TextToInt16(value, m_format); };
    const auto select = [&](const std::string& value, int entries, int& selection) {
        const auto position = number(value);
        if (position && *position >= 0 && *position < entries) {
            selection = *position;
        }
    };
    const auto colour = [&](const std::string& value, ConfigColour swatch) {
        if (const auto read = LeadingNumberToInt32(value)) {
            m_controls.Colour(swatch) = *read;
        }
    };

    for (std::size_t i = 0; i < kConfigCheckCount; ++i) {
        const auto state = number(values[kCheckKeyPlaces[i]]);
        if (state && *state >= 0 && *state <= 2) {
            m_controls.checks[i] = static_cast<CheckState>(*state);
        }
    }
    select(std::get<KeyPlace("Delay")>(values), kDelayEntries, m_controls.cboDelay);
    select(std::get<KeyPlace("Refresh")>(values), kRefreshEntries, m_controls.cboRefresh);
    select(std::get<KeyPlace("Size")>(values), kFontSizeEntries, m_controls.cboSize);
    m_controls.txtMe = std::get<KeyPlace("NickName")>(values);
    if (const auto opacity = number(std::get<KeyPlace("Transparent")>(values));
        opacity && *opacity >= 0 && *opacity <= 100) {
        m_controls.HScroll1 = *opacity;
    }
    colour(std::get<KeyPlace("BackColor")>(values), ConfigColour::Back);
    colour(std::get<KeyPlace("ForeColor")>(values), ConfigColour::Fore);
    colour(std::get<KeyPlace("ChannelForeColor")>(values), ConfigColour::Channel);
    select(std::get<KeyPlace("SizeUsers")>(values), kFontSizeEntries, m_controls.cboUsers);
    colour(std::get<KeyPlace("JoinForeColor")>(values), ConfigColour::Join);
    colour(std::get<KeyPlace("LeaveForeColor")>(values), ConfigColour::Leave);
    chkIvAc_Click();

    const VoiceSettings voice = LoadVoiceSettings(m_store, path, m_format);
    m_controls.optVoiceClient = voice.client;
    m_controls.txtApiKey = voice.apiKey;
    m_controls.txtQueryPort = std::to_string(voice.port);
    m_controls.txtRemotePort = std::to_string(voice.remotePort);
    m_controls.remoteKey = voice.remoteKey;
    m_taken = voice;
    m_voiceEditPending = false;

    const std::string& position = std::get<KeyPlace("Position")>(values);
    for (std::size_t i = 0; i < kPositionCount && i < position.size(); ++i) {
        if (position[i] == '0') {
            m_controls.optPosition[i] = false;
        } else if (position[i] >= '1' && position[i] <= '9') {
            // Option buttons: choosing one clears the others of the group.
            m_controls.optPosition.fill(false);
            m_controls.optPosition[i] = true;
        }
    }
}

bool ConfigForm::SaveConfig() {
    const std::string path = SettingsFile();
    bool allWritten = true;
    const auto write = [&](std::string_view key, const std::string& value) {
        allWritten = WriteIni(m_store, path, kSettingsSection, key, value) && allWritten;
    };

    for (std::size_t i = 0; i < kConfigCheckCount; ++i) {
        write(kCheckKeys[i], std::to_string(static_cast<int>(m_controls.checks[i])));
    }
    write("Delay", std::to_string(m_controls.cboDelay));
    write("Refresh", std::to_string(m_controls.cboRefresh));
    write("Size", std::to_string(m_controls.cboSize));
    write("NickName", m_controls.txtMe);
    write("Position", FormatPositionString(m_controls.optPosition));
    write("Transparent", std::to_string(m_controls.HScroll1));
    write("BackColor", FormatTwelveDigits(m_controls.Colour(ConfigColour::Back)));
    write("ForeColor", FormatTwelveDigits(m_controls.Colour(ConfigColour::Fore)));
    write("ChannelForeColor", FormatTwelveDigits(m_controls.Colour(ConfigColour::Channel)));
    write("SizeUsers", std::to_string(m_controls.cboUsers));
    write("JoinForeColor", FormatTwelveDigits(m_controls.Colour(ConfigColour::Join)));
    write("LeaveForeColor", FormatTwelveDigits(m_controls.Colour(ConfigColour::Leave)));
    const VoiceSettings voice = Voice();
    write(kVoiceClientKey, std::to_string(static_cast<int>(voice.client)));
    const auto writeKey = [&](std::string_view key, const std::string& value) {
        // A key that is not one stays out of the file, which keeps the key it had: the window
        // has said so (KeyProblem), and it is no failure to write.
        if (IsKeyText(value)) {
            allWritten = SaveVoiceKey(m_store, path, key, value) && allWritten;
        }
    };
    writeKey(kQueryApiKeyKey, voice.apiKey);
    write(kQueryPortKey, std::to_string(voice.port));
    writeKey(kRemoteApiKeyKey, voice.remoteKey);
    write(kRemotePortKey, std::to_string(voice.remotePort));
    return allWritten;
}

OverlaySettings ConfigForm::LookSettings() const {
    const auto flag = [&](ConfigCheck check) {
        return static_cast<std::int16_t>(static_cast<int>(m_controls.Check(check)));
    };
    OverlaySettings settings;
    settings.OnTop = flag(ConfigCheck::OnTop);
    settings.ShowChannel = flag(ConfigCheck::ShowChannel);
    settings.ShowInOut = flag(ConfigCheck::ShowInOut);
    settings.ShowMe = flag(ConfigCheck::ShowMe);
    settings.Transparent = static_cast<std::int16_t>(m_controls.HScroll1);
    settings.RefreshInterval = static_cast<std::int16_t>(RefreshIntervalFor(m_controls.cboRefresh));
    settings.RetentionTime = static_cast<std::int16_t>(RetentionTimeFor(m_controls.cboDelay));
    settings.SpeakerFontSize = static_cast<std::int16_t>(FontSizeFor(m_controls.cboSize));
    settings.UserFontSize = static_cast<std::int16_t>(FontSizeFor(m_controls.cboUsers));
    settings.BackColor = m_controls.Colour(ConfigColour::Back);
    settings.ForeColor = m_controls.Colour(ConfigColour::Fore);
    settings.ChannelForeColor = m_controls.Colour(ConfigColour::Channel);
    settings.JoinForeColor = m_controls.Colour(ConfigColour::Join);
    settings.LeaveForeColor = m_controls.Colour(ConfigColour::Leave);
    settings.Position = m_controls.optPosition;
    return settings;
}

VoiceSettings ConfigForm::Voice() const {
    VoiceSettings voice;
    voice.client = m_controls.optVoiceClient;
    // A key pasted with a blank around it is still the key.
    const std::size_t first = m_controls.txtApiKey.find_first_not_of(' ');
    const std::size_t last = m_controls.txtApiKey.find_last_not_of(' ');
    voice.apiKey = first == std::string::npos ? std::string() : m_controls.txtApiKey.substr(first, last - first + 1);
    voice.port = ParsePort(m_controls.txtQueryPort).value_or(voice.port);
    voice.remoteKey = m_controls.remoteKey;
    voice.remotePort = ParsePort(m_controls.txtRemotePort).value_or(voice.remotePort);
    return voice;
}

VoiceSettings ConfigForm::LinkVoice() const {
    VoiceSettings voice = Voice();
    voice.apiKey = m_taken.apiKey;
    voice.port = m_taken.port;
    voice.remotePort = m_taken.remotePort;
    return voice;
}

bool ConfigForm::TakeVoiceEdits() {
    if (!m_voiceEditPending) {
        return false;
    }
    m_voiceEditPending = false;
    const VoiceSettings typed = Voice();
    if (IsKeyText(typed.apiKey)) {
        m_taken.apiKey = typed.apiKey;
    }
    m_taken.port = typed.port;
    m_taken.remotePort = typed.remotePort;
    return true;
}

std::string_view ConfigForm::KeyProblem() const {
    const std::string key = Voice().apiKey;
    if (m_controls.optVoiceClient != VoiceClient::TeamSpeak3 || IsKeyText(key)) {
        return {};
    }
    static_assert(kMostKeyCharacters == 200, "the words below give the number");
    if (key.size() > kMostKeyCharacters) {
        return "Sayvane ignores this API key: it is over 200 characters long. Copy it again.";
    }
    return "Sayvane ignores this API key: it holds a character no key has. Copy it again.";
}

void ConfigForm::chkIvAc_Click() {
    const bool on = m_controls.Check(ConfigCheck::IvAc) == CheckState::Checked;
    m_controls.chkBeepEnabled = on;
    m_controls.chkZoomEnabled = on;
}

}  // namespace sayvane
