// Create-channel automation for TeamSpeak 2.
#include "channel/ChannelCreation.h"

#include <optional>
#include <set>

#include "platform/Keyboard.h"

namespace sayvane {

namespace {

constexpr std::uint32_t kMessageStyle = message_box::kOk | message_box::kIconExclamation;
constexpr std::string_view kTeamSpeakClass = "TMainForm";
constexpr std::string_view kDialogClass = "TfrmCreateChannel";
constexpr std::string_view kButtonClass = "TButton";
constexpr std::string_view kButtonCaption = "Create Channel";
constexpr std::string_view kGroupBoxClass = "TGroupBox";
constexpr std::string_view kNameFieldClass = "TLabeledEdit";
constexpr std::uintptr_t kCreateChannelCommand = 12;  // TeamSpeak 2's menu command that opens the dialog
constexpr int kCaptionLimit = 255;
constexpr int kDialogLooks = 4;
constexpr int kShortPauseMs = 25;
constexpr int kLongPauseMs = 50;
constexpr std::size_t kChannelsOfAServer = 2;

}  // namespace

ChannelCreationResult ChannelCreation::CreateTSChannel() {
    const VoicePort::ChannelWay way = m_s.voice.WayToMakeChannels();
    if (way == VoicePort::ChannelWay::None) {
        return ChannelCreationResult::NotPossible;  // the client cannot create channels; the entry is greyed
    }
    if (way == VoicePort::ChannelWay::Request) {
        return AskTheClient();
    }
    const WindowHandle hWndTeamSpeak = m_s.desktop.FindTopLevelWindow(kTeamSpeakClass, std::nullopt);
    if (hWndTeamSpeak == kNoWindow) {
        Show(kNoTeamSpeakMessage);
        return ChannelCreationResult::NoTeamSpeak;
    }
    const WindowHandle hWndIvAc = m_s.ivac.FindIvAcWindow();
    if (hWndIvAc == kNoWindow) {
        Show(kNoIvAcMessage);
        return ChannelCreationResult::NoIvAc;
    }
    const std::string callsign = CutIvAcCallsign(m_s.desktop.Caption(hWndIvAc, kCaptionLimit));

    m_s.teamSpeakWindow.ReadTeamSpeakWindow();
    m_s.host.RefreshLists();

    // From here on a step that fails is passed over and the run goes on.
    // Connected: the library knows the own nickname, or the server shows two or more channels.
    if (m_s.host.OwnNickname().empty() && m_s.host.ChannelSnapshotSize() < kChannelsOfAServer) {
        Show(kNotConnectedMessage);
        return ChannelCreationResult::NotConnected;
    }
    if (callsign.empty()) {
        Show(kNoCallsignMessage);
        return ChannelCreationResult::NoCallsign;
    }

    (void)m_s.desktop.Post(hWndTeamSpeak, message::kCommand, kCreateChannelCommand, 0);
    m_s.clock.Sleep(kShortPauseMs);
    const WindowHandle dialog = WaitForDialog();
    if (dialog != kNoWindow && FillDialog(dialog, callsign)) {
        return ChannelCreationResult::DialogFilled;
    }
    // Nothing checks whether the dialog shows up after all.
    return TypeIntoTeamSpeak(hWndTeamSpeak, callsign);
}

// The same checks in the same order, less the ones about TeamSpeak 2's windows: the client's
// link knows whether it is connected.
ChannelCreationResult ChannelCreation::AskTheClient() {
    VoicePort& voice = m_s.voice;
    const WindowHandle hWndIvAc = m_s.ivac.FindIvAcWindow();
    if (hWndIvAc == kNoWindow) {
        Show(kNoIvAcMessage);
        return ChannelCreationResult::NoIvAc;
    }
    const std::string callsign = CutIvAcCallsign(m_s.desktop.Caption(hWndIvAc, kCaptionLimit));
    if (!voice.ReadyForRequests()) {
        Show(kNotConnectedMessage);
        return ChannelCreationResult::NotConnected;
    }
    if (callsign.empty()) {
        Show(kNoCallsignMessage);
        return ChannelCreationResult::NoCallsign;
    }
    // The answer comes with a later tick, maybe after this overlay window is gone: the
    // message box is the program's, not this run's.
    UserMessages& messages = m_s.messages;
    const bool asked = voice.RequestChannel(callsign, [&messages, callsign](const std::string& refusal) {
        if (!refusal.empty()) {
            messages.ShowMessage("TeamSpeak 3 did not create the channel " + callsign + ":\r\n\n" + refusal,
                                 kCreateChannelCaption, kMessageStyle);
        }
    });
    if (!asked) {
        Show(kNotConnectedMessage);  // a request is still out, or the link just dropped
        return ChannelCreationResult::NotConnected;
    }
    return ChannelCreationResult::Requested;
}

void ChannelCreation::Show(std::string_view text) {
    m_s.messages.ShowMessage(text, kCreateChannelCaption, kMessageStyle);
}

WindowHandle ChannelCreation::WaitForDialog() {
    for (int look = 0; look < kDialogLooks; ++look) {
        const WindowHandle dialog = m_s.desktop.FindTopLevelWindow(kDialogClass, std::nullopt);
        if (dialog != kNoWindow) {
            return dialog;
        }
        m_s.clock.Sleep(kShortPauseMs);
    }
    return kNoWindow;
}

bool ChannelCreation::FillDialog(WindowHandle dialog, const std::string& callsign) {
    const WindowHandle button = m_s.desktop.FindChildWindow(dialog, kNoWindow, kButtonClass, kButtonCaption);
    const WindowHandle groupBox = m_s.desktop.FindChildWindow(dialog, kNoWindow, kGroupBoxClass, std::nullopt);
    if (groupBox == kNoWindow) {
        return false;
    }
    // The channel's name is the top-most labelled edit of the group box, whatever its place in
    // the window order; on equal tops the first one found.
    WindowHandle nameField = kNoWindow;
    int nameFieldTop = 0;
    std::set<WindowHandle> seen;  // ends the walk should the sibling chain come round again
    for (WindowHandle child = m_s.desktop.FirstChild(groupBox); child != kNoWindow && seen.insert(child).second;
         child = m_s.desktop.NextSibling(child)) {
        if (m_s.ivac.GetWindowClass(child) != kNameFieldClass) {
            continue;
        }
        const std::optional<ScreenRect> rect = m_s.desktop.WindowRect(child);
        if (rect && (nameField == kNoWindow || rect->top < nameFieldTop)) {
            nameField = child;
            nameFieldTop = rect->top;
        }
    }
    if (nameField == kNoWindow) {
        return false;
    }
    m_s.desktop.SendSetText(nameField, callsign);
    m_s.clock.Sleep(kShortPauseMs);
    if (button != kNoWindow) {
        (void)m_s.desktop.Post(button, message::kButtonClick, 0, 0);
    }
    return true;
}

ChannelCreationResult ChannelCreation::TypeIntoTeamSpeak(WindowHandle hWndTeamSpeak, const std::string& callsign) {
    const WindowHandle topWindow = m_s.ivac.GetTheParentWindowHandle(hWndTeamSpeak);
    const ProcessId processId = topWindow != kNoWindow ? m_s.desktop.ProcessOf(topWindow) : 0;
    if (processId == 0) {
        return ChannelCreationResult::NoProcess;
    }
    (void)m_s.desktop.ActivateProcess(processId);
    // The keys go to whichever window has the focus: unless TeamSpeak 2 has it now, they would
    // land in another program, so nothing is typed.
    if (m_s.desktop.ForegroundProcess() != processId) {
        return ChannelCreationResult::NotInForeground;
    }

    // Alt tapped opens the menu bar; "c", "c" reach the create-channel command; the callsign
    // is typed as the channel's name and a carriage return confirms it. A key that fails is
    // passed over.
    clsKeyboard keys(m_s.keyboard, m_s.clock);
    (void)keys.PressKeyVK(vk::kMenu, true, false, true);
    m_s.clock.Sleep(kShortPauseMs);
    (void)keys.PressKeyVK(vk::kMenu, false, true, true);
    (void)keys.PressKey("c");
    m_s.clock.Sleep(kShortPauseMs);
    (void)keys.PressKey("c");
    m_s.clock.Sleep(kLongPauseMs);
    (void)keys.PressString(callsign, true);
    m_s.clock.Sleep(kShortPauseMs);
    (void)keys.PressString("\r", true);
    return ChannelCreationResult::KeysTyped;
}

}  // namespace sayvane
