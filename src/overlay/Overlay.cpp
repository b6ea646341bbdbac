// The overlay window's logic: creation sequence, tray states, pop-up menu commands.
#include "overlay/Overlay.h"

#include "app/SettingsFile.h"
#include "overlay/Drawing.h"
#include "overlay/Placement.h"
#include "platform/UserMessages.h"

namespace sayvane {

namespace {
constexpr std::uint32_t kLeftButtonDoubleClick = 0x0203;  // WM_LBUTTONDBLCLK
constexpr std::uint32_t kRightButtonUp = 0x0205;          // WM_RBUTTONUP
constexpr std::int32_t kCreationSize = 100;               // twips, before the first draw sizes it
}  // namespace

bool TrayMouseMessageOpensMenu(std::uint32_t mouseMessage) {
    return mouseMessage == kRightButtonUp || mouseMessage == kLeftButtonDoubleClick;
}

std::string TrayTipText(bool enabled, const std::string& nickname) {
    std::string tip = std::string("Sayvane ") + (enabled ? "Enabled" : "Disabled");
    if (!nickname.empty()) {
        tip += " (" + nickname + ")";
    }
    return tip;
}

Overlay::Overlay(OverlayWindow& window, TrayIcon& tray, OverlayServices services)
    : m_window(window),
      m_tray(tray),
      m_services(std::move(services)),
      m_aircraftSelection(m_services.ivac, m_services.desktop, m_services.clock, m_services.sound),
      m_channelCreation(ChannelCreationServices{m_services.desktop, m_services.clock, m_services.keyboard,
                                                m_services.messages, m_services.ivac, m_services.teamSpeakWindow, *this,
                                                m_services.voice}) {}

void Overlay::RefreshLists() {
    RefreshChannelList();
    RefreshPlayerList();
}

std::string Overlay::OwnNickname() {
    return m_services.voice.GetUserNickname();
}

std::size_t Overlay::ChannelSnapshotSize() {
    return m_services.voice.ChannelCount();
}

void Overlay::Form_Load() {
    const std::string path = SettingsPath(m_services.programFolder);
    m_screen = m_window.Screen();
    m_window.Resize(kCreationSize, kCreationSize);
    m_state.LastStatus = -1;
    m_window.StopTimer();
    LoadSettings();
    m_tray.SetEnabled(MenuItem::CreateTSChannel, false);

    if (m_settings.Has(ScreenPosition::Custom)) {
        const WindowPlace place =
            CustomStartingPlace(m_window, m_screen, m_services.store, path, m_services.numberFormat);
        m_window.Move(place.left, place.top);
    }

    m_window.SetFontSize(m_settings.SpeakerFontSize);
    if (m_settings.MeFromChannel == 1) {
        m_settings.NickName.clear();
    }

    m_trayPicture = TrayPicture::Enabled;
    m_trayTip = "Enabled";
    m_tray.Add(m_trayPicture, m_trayTip);
    m_trayShown = true;
    m_trayEnabled = false;
    SetTrayState(0);

    m_window.RemoveTaskbarButton();
    m_window.SetOpacity(AlphaForOpacity(static_cast<std::uint8_t>(m_settings.Transparent)));
    m_window.SetTopmost(m_settings.OnTop == 1);
    AutoPosition();
    m_window.Hide();
    m_window.StartTimer(m_settings.RefreshInterval);
    ListenToVoice(true);
}

void Overlay::Form_Unload() {
    ListenToVoice(false);
    ClearTray();
}

void Overlay::ListenToVoice(bool listen) {
    m_services.voice.OnChanged(listen ? std::function<void()>([this] { VoiceChanged(); }) : nullptr);
}

void Overlay::LoadSettings() {
    sayvane::LoadSettings(m_services.store, SettingsPath(m_services.programFolder), m_settings,
                          m_services.numberFormat);
    m_services.voice.UseSettings(
        LoadVoiceSettings(m_services.store, SettingsPath(m_services.programFolder), m_services.numberFormat));
    m_tray.SetChecked(MenuItem::WinOnTop, m_settings.OnTop == 1);
    m_tray.SetChecked(MenuItem::ShowChannel, m_settings.ShowChannel == 1);
    m_tray.SetChecked(MenuItem::ShowMe, m_settings.ShowMe == 1);
    m_tray.SetChecked(MenuItem::IvAc, m_settings.IvAcSelect == 1);
    m_tray.SetChecked(MenuItem::InOut, m_settings.ShowInOut == 1);
}

void Overlay::AutoPosition() {
    sayvane::AutoPosition(m_window, m_settings, m_screen);
}

void Overlay::SetTrayState(int state) {
    if (state == 0) {
        m_trayEnabled = true;
        m_trayPicture = TrayPicture::Enabled;
    } else if (state == 3) {
        m_trayPicture = TrayPicture::Disabled;
        m_tray.SetCaption(MenuItem::CreateTSChannel, "Create TS Channel ");
        m_tray.SetEnabled(MenuItem::CreateTSChannel, false);
    }
    UpdateTrayTip();
}

void Overlay::UpdateTrayTip() {
    m_trayTip = TrayTipText(m_trayEnabled, m_services.voice.GetUserNickname());
    if (m_trayShown) {
        m_tray.Modify(m_trayPicture, m_trayTip);
    }
}

void Overlay::ClearTray() {
    m_tray.Remove();
    m_trayShown = false;
}

void Overlay::TaskbarRestarted() {
    if (m_trayShown) {
        m_tray.Add(m_trayPicture, m_trayTip);
    }
}

void Overlay::Toggle(std::int16_t& field, MenuItem item) {
    field = ToggledFlag(field);
    m_tray.SetChecked(item, field == 1);
}

void Overlay::MenuCommand(MenuItem item) {
    switch (item) {
        case MenuItem::Disable: Disable(); break;
        case MenuItem::WinOnTop: Toggle(m_settings.OnTop, item); break;
        case MenuItem::ShowMe: Toggle(m_settings.ShowMe, item); break;
        case MenuItem::ShowChannel: Toggle(m_settings.ShowChannel, item); break;
        case MenuItem::IvAc: Toggle(m_settings.IvAcSelect, item); break;
        case MenuItem::InOut: Toggle(m_settings.ShowInOut, item); break;
        case MenuItem::Exit:
            ClearTray();
            m_window.Close();
            break;
        case MenuItem::ShowIvac:
            if (!m_state.LastSpeaker.empty() && m_settings.IvAcSelect == 1) {
                (void)m_aircraftSelection.InviaCallsignIVAC(".s " + m_state.LastSpeaker, m_settings.IvAcResetZoom,
                                                            m_settings.IvAcBeepSelect);
            }
            break;
        case MenuItem::CreateTSChannel: (void)m_channelCreation.CreateTSChannel(); break;
        case MenuItem::Close:  // only closes the menu
            break;
    }
}

void Overlay::Disable() {
    m_window.StopTimer();
    ListenToVoice(false);
    m_window.Clear();
    ClearTray();
    if (m_settings.Has(ScreenPosition::Custom)) {
        const TwipsRect now = m_window.Geometry();
        const std::string file = SettingsPath(m_services.programFolder);
        // The dragged place is stored only here, so a failed write would lose it without a word:
        // said before the configuration window opens, in the words that window uses for its own.
        if (!SaveLastPlace(m_services.store, file, WindowPlace{now.left, now.top})) {
            m_services.messages.ShowMessage(
                SettingsNotWrittenMessage(
                    "save the overlay's place to", file,
                    "The overlay opens again at the place the file holds, not where you left it."),
                "Sayvane", message_box::kOk | message_box::kIconExclamation);
        }
    }
    m_services.flow.OpenConfiguration();
    m_window.Close();
}

}  // namespace sayvane
