// The configuration window's logic: the state of every control, the lists' contents, and
// loading and saving the settings file.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "app/Settings.h"
#include "platform/ProfileStore.h"
#include "text/TextRoutines.h"

namespace sayvane {

enum class CheckState { Unchecked = 0, Checked = 1, Grayed = 2 };

// One entry of a drop-down list: its text and its item data.
struct ListEntry {
    std::string text;
    int value = 0;
    friend bool operator==(const ListEntry& a, const ListEntry& b) { return a.text == b.text && a.value == b.value; }
};

// "250 ms." below a second, "1.05 sec." from a second on: seconds as a single-precision
// number with up to 7 significant digits and no trailing zeros, always with a "." point.
[[nodiscard]] std::string DurationText(int milliseconds);

// The lists' contents: cboRefresh 250..2500 ms in 50 ms steps, cboDelay 500..5250 ms in
// 250 ms steps, cboSize and cboUsers the font sizes 8..100.
[[nodiscard]] std::vector<ListEntry> RefreshListEntries();
[[nodiscard]] std::vector<ListEntry> DelayListEntries();
[[nodiscard]] std::vector<ListEntry> FontSizeListEntries();

// The check boxes, in the order their keys are written.
enum class ConfigCheck { OnTop, MeChannel, ShowChannel, ShowMe, Autostart, IvAc, Zoom, Beep, ShowInOut };
inline constexpr std::size_t kConfigCheckCount = 9;

// The colour swatches.
enum class ConfigColour { Back, Fore, Channel, Join, Leave };
inline constexpr std::size_t kConfigColourCount = 5;

// Everything the configuration window's controls hold. The defaults are the controls' state
// before the file is read: a value the file has wrong leaves them so.
struct ConfigControls {
    std::array<CheckState, kConfigCheckCount> checks{
        CheckState::Checked,   CheckState::Checked,   CheckState::Unchecked,
        CheckState::Unchecked, CheckState::Unchecked, CheckState::Unchecked,
        CheckState::Unchecked, CheckState::Unchecked, CheckState::Checked};
    int cboRefresh = -1;  // selected positions; -1 = nothing selected
    int cboDelay = -1;
    int cboSize = -1;
    int cboUsers = -1;
    std::string txtMe;
    int HScroll1 = 60;  // opacity, 0..100
    std::array<std::int32_t, kConfigColourCount> colours{0, 65280, 33023, 16776960, 8421631};
    PositionFlags optPosition{false, false, false, true, false};
    bool chkBeepEnabled = false;  // the IvAc sub-options are usable only with IvAc selection on
    bool chkZoomEnabled = false;
    // The voice client and how to reach it. One port box shows the port of the client chosen;
    // TeamSpeak 5/6's key is never typed (the client hands it out), only kept or forgotten.
    VoiceClient optVoiceClient = VoiceClient::TeamSpeak2;
    std::string txtApiKey;
    static constexpr std::size_t txtApiKeyLimit = kMostKeyCharacters;  // the most the key box takes
    std::string txtQueryPort = "25639";
    std::string txtRemotePort = "5899";
    std::string remoteKey;

    [[nodiscard]] std::string& PortText(VoiceClient client) {
        return client == VoiceClient::TeamSpeak5 ? txtRemotePort : txtQueryPort;
    }
    [[nodiscard]] const std::string& PortText(VoiceClient client) const {
        return client == VoiceClient::TeamSpeak5 ? txtRemotePort : txtQueryPort;
    }

    [[nodiscard]] CheckState& Check(ConfigCheck c) { return checks[static_cast<std::size_t>(c)]; }
    [[nodiscard]] CheckState Check(ConfigCheck c) const { return checks[static_cast<std::size_t>(c)]; }
    [[nodiscard]] std::int32_t& Colour(ConfigColour c) { return colours[static_cast<std::size_t>(c)]; }
    [[nodiscard]] std::int32_t Colour(ConfigColour c) const { return colours[static_cast<std::size_t>(c)]; }
};

// The port and the key typed take effect once typing has paused this long (or the box lost
// the focus): the link reconnects for each change, and a key typed character by character
// would otherwise reach whatever listens on the port in pieces.
inline constexpr unsigned kVoiceEditPauseMs = 700;

class ConfigForm {
public:
    ConfigForm(ProfileStore& store, std::string programFolder, NumberFormat format = {});

    // Opening the window: the opening selections, then LoadConfig.
    void Form_Load();
    // Fills the controls from the settings file; a value a control refuses leaves it as it was.
    void LoadConfig();
    // Writes the 21 keys in their order, then the voice clients' five. False when any write
    // failed (the caller tells the user which file could not be written); the other keys are
    // still attempted.
    [[nodiscard]] bool SaveConfig();
    // The voice settings the controls hold now (a port that is not one: the default), as Save
    // writes them.
    [[nodiscard]] VoiceSettings Voice() const;
    // The voice settings the link follows: the client chosen now, with the port and the key as
    // last taken (TakeVoiceEdits). A key that breaks IsKeyText is never taken.
    [[nodiscard]] VoiceSettings LinkVoice() const;
    // The port or the key box was typed in: the link keeps what it follows until it is taken.
    void VoiceBoxChanged() { m_voiceEditPending = true; }
    // Typing paused, or the box lost the focus: the port and the key typed become what the link
    // follows. True when a change was pending (the link is then to be told).
    bool TakeVoiceEdits();
    // What the window says of the TeamSpeak 3 key typed when it is not one (IsKeyText): Sayvane
    // neither uses nor saves it. Empty for a key that is fine, or when TeamSpeak 3 is not chosen.
    [[nodiscard]] std::string_view KeyProblem() const;
    // The overlay's settings as the controls hold them now, as the overlay would read them
    // once saved: for the preview and the readability warning.
    [[nodiscard]] OverlaySettings LookSettings() const;
    // The IvAc check box changed: its two sub-options follow it.
    void chkIvAc_Click();

    [[nodiscard]] ConfigControls& Controls() { return m_controls; }
    [[nodiscard]] const ConfigControls& Controls() const { return m_controls; }
    [[nodiscard]] std::string SettingsFile() const;

private:
    ProfileStore& m_store;
    std::string m_programFolder;
    NumberFormat m_format;
    ConfigControls m_controls;
    VoiceSettings m_taken;  // the port and the key the link follows
    bool m_voiceEditPending = false;
};

}  // namespace sayvane
