// The configuration window's logic: control states, list contents, load and save.
#include "config/ConfigForm.h"

#include <cstdio>

#include "app/SettingsFile.h"
#include "text/TextRoutines.h"

namespace sayvane {

namespace {

constexpr int kFontSizeEntries = 93;  // 8 .. 100

// The check boxes' keys, in ConfigCheck order (the order they are written).
constexpr std::array<std::string_view, kConfigCheckCount> kCheckKeys = {
    "OnTop",      "MeFromChannel", "ShowChannel",    "ShowMe",   "AutoStart",
    "IvAcSelect", "IvAcResetZoom", "IvAcBeepSelect", "ShowInOut"};

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
    for (int i = 1; i <= 46; ++i) {
        const int v = 200 + 50 * i;
        entries.push_back({DurationText(v), v});
    }
    return entries;
}

std::vector<ListEntry> DelayListEntries() {
    std::vector<ListEntry> entries;
    for (int i = 1; i <= 20; ++i) {
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
    const std::string path = SettingsFile();
    const auto read = [&](std::string_view key) {
        return ReadIni(m_store, path, key, FindSettingKey(key).configDefault);
    };
    const auto number = [&](std::string_view key) { return TextToInt16(read(key), m_format); };
    const auto select = [&](std::string_view key, int entries, int& selection) {
        const auto position = number(key);
        if (position && *position >= 0 && *position < entries) {
            selection = *position;
        }
    };
    const auto colour = [&](std::string_view key, ConfigColour swatch) {
        if (const auto value = LeadingNumberToInt32(read(key))) {
            m_controls.Colour(swatch) = *value;
        }
    };

    for (std::size_t i = 0; i < kConfigCheckCount; ++i) {
        const auto state = number(kCheckKeys[i]);
        if (state && *state >= 0 && *state <= 2) {
            m_controls.checks[i] = static_cast<CheckState>(*state);
        }
    }
    select("Delay", static_cast<int>(DelayListEntries().size()), m_controls.cboDelay);
    select("Refresh", static_cast<int>(RefreshListEntries().size()), m_controls.cboRefresh);
    select("Size", kFontSizeEntries, m_controls.cboSize);
    m_controls.txtMe = read("NickName");
    if (const auto opacity = number("Transparent"); opacity && *opacity >= 0 && *opacity <= 100) {
        m_controls.HScroll1 = *opacity;
    }
    colour("BackColor", ConfigColour::Back);
    colour("ForeColor", ConfigColour::Fore);
    colour("ChannelForeColor", ConfigColour::Channel);
    select("SizeUsers", kFontSizeEntries, m_controls.cboUsers);
    colour("JoinForeColor", ConfigColour::Join);
    colour("LeaveForeColor", ConfigColour::Leave);
    chkIvAc_Click();

    const std::string position = read("Position");
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
    return allWritten;
}

void ConfigForm::chkIvAc_Click() {
    const bool on = m_controls.Check(ConfigCheck::IvAc) == CheckState::Checked;
    m_controls.chkBeepEnabled = on;
    m_controls.chkZoomEnabled = on;
}

}  // namespace sayvane
