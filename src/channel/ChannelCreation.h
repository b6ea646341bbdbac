// Creating a TeamSpeak channel named after the controller's IvAc position: TeamSpeak 2's own
// create-channel dialog driven with window messages, or, where the dialog cannot be driven,
// its menu with synthetic keystrokes; with TeamSpeak 3, a request over its query interface.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "ivac/IvAcWindows.h"
#include "ivac/KeystrokeSynthesiser.h"
#include "platform/Clock.h"
#include "platform/Desktop.h"
#include "platform/Keyboard.h"
#include "platform/UserMessages.h"
#include "teamspeak/TeamSpeakWindow.h"
#include "teamspeak/VoicePort.h"

namespace sayvane {

// The caption and texts of the channel creation's message boxes (OK, exclamation icon).
inline constexpr std::string_view kCreateChannelCaption = "Sayvane - Create TS Channel";
inline constexpr std::string_view kNoTeamSpeakMessage = "Unable to find a running instance of TeamSpeak 2";
inline constexpr std::string_view kNoIvAcMessage = "Unable to find a running instance of IvAc 1.xx";
inline constexpr std::string_view kNotConnectedMessage = "Check if TeamSpeak is connected to the IVAO Network";
inline constexpr std::string_view kNoCallsignMessage =
    "Unable to find IvAc callsign position.\r\n\nCheck if IvAc is connected to the IVAO Network";

// What the channel creation needs from the rest of the program: the overlay's lists and the
// TeamSpeak link's snapshots.
class ChannelCreationHost {
public:
    virtual ~ChannelCreationHost() = default;

    // RefreshChannelList, then RefreshPlayerList. Pending window messages may run inside.
    virtual void RefreshLists() = 0;

    // GetUserNickname: the own nickname the library reports; empty when not connected.
    [[nodiscard]] virtual std::string OwnNickname() = 0;

    // The number of entries of the last ChannelSnapshot taken successfully; 0 when none has
    // been taken. A failed channel call leaves the previous snapshot, and so this number, as
    // it was.
    [[nodiscard]] virtual std::size_t ChannelSnapshotSize() = 0;

protected:
    ChannelCreationHost() = default;
    ChannelCreationHost(const ChannelCreationHost&) = default;
    ChannelCreationHost& operator=(const ChannelCreationHost&) = default;
    ChannelCreationHost(ChannelCreationHost&&) = default;
    ChannelCreationHost& operator=(ChannelCreationHost&&) = default;
};

// How a run ended. Only the four messages reach the user; the rest is for the caller's eyes.
enum class ChannelCreationResult {
    NoTeamSpeak,      // message: no window of class "TMainForm"
    NoIvAc,           // message: no IvAc main window
    NotConnected,     // message: no own nickname and fewer than two channels
    NoCallsign,       // message: the IvAc caption holds no callsign
    DialogFilled,     // the callsign went into the dialog's name field; the button was clicked
    KeysTyped,        // the keystroke fallback ran into TeamSpeak 2
    NoProcess,        // fallback: TeamSpeak 2's process could not be told; nothing typed
    NotInForeground,  // fallback: TeamSpeak 2 did not come to the foreground; nothing typed
    Requested,        // TeamSpeak 3 was asked; a refusal, when it comes, shows in a message box
    NotPossible,      // TeamSpeak 5/6 offers no way to create a channel: nothing happens
};

// Everything a run talks to. The IvAc search and the TeamSpeak 2 window reader are the
// program's shared ones (`hWndIvAc`, `TSWindowNickname`).
struct ChannelCreationServices {
    Desktop& desktop;
    Clock& clock;
    Keyboard& keyboard;
    UserMessages& messages;
    IvAcWindows& ivac;
    TeamSpeakWindowReader& teamSpeakWindow;
    ChannelCreationHost& host;
    // The voice client followed: one that takes requests is asked for the channel instead of
    // typed into; one that makes none makes none.
    VoicePort& voice;
};

class ChannelCreation {
public:
    explicit ChannelCreation(const ChannelCreationServices& services) : m_s(services) {}

    // One run from the menu entry "Create TS Channel", on the GUI thread. Blocks for at most
    // 150 ms when the dialog is filled, 250 ms plus 10 ms a character when typing.
    ChannelCreationResult CreateTSChannel();

private:
    void Show(std::string_view text);
    // The create-channel dialog, looked for up to four times 25 ms apart; 0 when it did not show.
    [[nodiscard]] WindowHandle WaitForDialog();
    // Fills the dialog's top-most name field and clicks "Create Channel"; false when the
    // dialog has no group box or no name field in it.
    bool FillDialog(WindowHandle dialog, const std::string& callsign);
    ChannelCreationResult TypeIntoTeamSpeak(WindowHandle hWndTeamSpeak, const std::string& callsign);
    ChannelCreationResult AskTheClient();

    ChannelCreationServices m_s;
};

}  // namespace sayvane
