// The configuration window on Windows.
#include "win32/ConfigWindow.h"

#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <string_view>
#include <utility>

#include "config/VoiceStatus.h"
#include "overlay/Placement.h"
#include "win32/AboutWindow.h"
#include "win32/Artwork.h"
#include "win32/ProgramServices.h"
#include "win32/System.h"
#include "win32/resource.h"

namespace sayvane::win32 {

namespace {

// How often the status line asks the voice client's link what it sees.
constexpr UINT_PTR kStatusTimer = 1;
constexpr UINT kStatusPeriodMs = 500;
// Restarted by each change in the port or the key box; when it runs out, typing has paused.
constexpr UINT_PTR kVoiceEditTimer = 2;

// The check boxes in ConfigCheck order.
constexpr std::array<int, kConfigCheckCount> kCheckIds = {IDC_CHK_ONTOP,  IDC_CHK_MECHANNEL, IDC_CHK_SHOWCHANNEL,
                                                          IDC_CHK_SHOWME, IDC_CHK_AUTOSTART, IDC_CHK_IVAC,
                                                          IDC_CHK_ZOOM,   IDC_CHK_BEEP,      IDC_CHK_SHOWINOUT};
constexpr std::array<int, kConfigColourCount> kSwatchIds = {IDC_PIC_BACK, IDC_PIC_FORE, IDC_PIC_CHANNEL, IDC_PIC_JOIN,
                                                            IDC_PIC_LEAVE};
constexpr std::array<int, kConfigColourCount> kChangeIds = {IDC_CMD_BACKCOLOR, IDC_CMD_FORECOLOR, IDC_CMD_CHANNEL,
                                                            IDC_CMD_JOIN, IDC_CMD_LEAVE};
constexpr int kPositionIds[kPositionCount] = {IDC_OPT_POSITION0, IDC_OPT_POSITION1, IDC_OPT_POSITION2,
                                              IDC_OPT_POSITION3, IDC_OPT_POSITION4};

constexpr std::pair<int, VoiceClient> kVoiceOptions[] = {{IDC_OPT_TS2, VoiceClient::TeamSpeak2},
                                                         {IDC_OPT_TS3, VoiceClient::TeamSpeak3},
                                                         {IDC_OPT_TS5, VoiceClient::TeamSpeak5}};

struct Tip {
    int id;
    const char* text;
};
constexpr Tip kTips[] = {
    {IDC_TXT_ME, "My current TeamSpeak nickname"},
    {IDC_CBO_REFRESH, "Timer used to refresh the speakers list and detect if new speakers are talking"},
    {IDC_CBO_DELAY, "Time used to retain speakers in the list"},
    {IDC_CHK_SHOWME, "Show my Nickname when I speak"},
    {IDC_CHK_MECHANNEL, "Use the Channel Name as NickName because I've created the channel"},
    {IDC_CHK_IVAC, "press Shift+F12 to Select Aircraft on IVAC Window using Speaker Nickname"},
    {IDC_CHK_ONTOP, "Set this Window on foreground"},
    {IDC_CHK_SHOWCHANNEL, "Show Channel I'm in"},
    {IDC_CHK_AUTOSTART, "AutoEnable on start-up"},
    {IDC_CHK_BEEP, "Transmit sound on Aircraft Select"},
    {IDC_CHK_ZOOM, "Reset IvAc Zoom to zero to show full sector"},
    {IDC_CBO_SIZE, "Font size for callsing displayed on Sayvane screen"},
    {IDC_GRP_SPEAKERS, "Display Position of the Sayvane screen"},
    {IDC_GRP_INOUT, "Text Color when Users Leave or Join channel"},
    {IDC_CBO_USERS, "Font size for users leaving/joining displayed on Sayvane screen"},
    {IDC_GRP_INFO, "Info window position and Transparency"},
    {IDC_OPT_POSITION0, "Display Position of the Sayvane screen"},
    {IDC_OPT_POSITION1, "Display Position of the Sayvane screen"},
    {IDC_OPT_POSITION2, "Display Position of the Sayvane screen"},
    {IDC_OPT_POSITION3, "Display Position of the Sayvane screen"},
    {IDC_OPT_POSITION4, "Display Position of the Sayvane screen"},
    {IDC_CMD_ENABLE, "Save Configuration and enable"},
    {IDC_CMD_EXIT, "Exit program"},
    {IDC_CMD_ABOUT, "Info on Application and/or author"},
    {IDC_OPT_TS2, "Follow TeamSpeak 2 through its TSRemote.dll"},
    {IDC_OPT_TS3, "Follow TeamSpeak 3 through its ClientQuery plugin, on this computer only"},
    {IDC_OPT_TS5, "Follow TeamSpeak 5 or 6 through its Remote Apps, on this computer only"},
    {IDC_TXT_APIKEY, "The API key TeamSpeak 3 shows in Tools > Options > Addons > ClientQuery > Settings"},
    {IDC_TXT_PORT,
     "The chosen client's port: 25639 for TeamSpeak 3's ClientQuery, 5899 for TeamSpeak 5/6's Remote "
     "Apps, unless changed there"},
    {IDC_CMD_FORGETKEY, "Forget the key TeamSpeak 5/6 handed out: TeamSpeak asks you again whether to allow Sayvane"},
    {IDC_CHK_PREVIEW, "Show the overlay as these settings draw it, with sample callsigns; nothing is saved"},
};

void FillList(HWND combo, const std::vector<ListEntry>& entries) {
    for (const ListEntry& entry : entries) {
        const auto index = SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.text.c_str()));
        SendMessageA(combo, CB_SETITEMDATA, static_cast<WPARAM>(index), entry.value);
    }
}

}  // namespace

std::unique_ptr<ConfigWindow> ConfigWindow::Create(WindowFlowWin32& flow) {
    std::unique_ptr<ConfigWindow> window(new ConfigWindow(flow));
    if (window->CreateBoundDialog(flow.Instance(), MAKEINTRESOURCEA(IDD_CONFIG), nullptr) == nullptr) {
        return nullptr;
    }
    ShowWindow(window->Hwnd(), SW_SHOW);
    SetForegroundWindow(window->Hwnd());
    return window;
}

ConfigWindow::ConfigWindow(WindowFlowWin32& flow)
    : m_flow(flow), m_form(flow.Services().store, ProgramFolder(), UserNumberFormat()) {}

ConfigWindow::~ConfigWindow() {
    DestroyUnbound();
}

bool ConfigWindow::PreTranslate(MSG& msg) {
    return Hwnd() != nullptr && IsDialogMessageA(Hwnd(), &msg);
}

INT_PTR ConfigWindow::MessageHandler(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: Form_Load(); return TRUE;
        case WM_COMMAND: {
            const int id = LOWORD(wParam);
            if (id == IDC_CMD_ENABLE) {
                cmdEnable_Click();
            } else if (id == IDC_CHK_PREVIEW && HIWORD(wParam) == BN_CLICKED) {
                SetPreview(IsDlgButtonChecked(Hwnd(), IDC_CHK_PREVIEW) == BST_CHECKED);
            } else if (id == IDC_CMD_EXIT || id == IDCANCEL) {
                DestroyWindow(Hwnd());
            } else if (id == IDC_CMD_ABOUT) {
                AboutWindow about(m_flow.Instance(), Hwnd());
                about.ShowModal();
            } else if (id == IDC_CMD_FORGETKEY) {
                m_flow.Services().teamSpeak5.ForgetKey();
                m_form.Controls().remoteKey.clear();
                ShowVoiceStatus();
            } else if (id == IDC_OPT_TS2 || id == IDC_OPT_TS3 || id == IDC_OPT_TS5) {
                ShowVoiceStatus();
            } else if (id == IDC_TXT_APIKEY || id == IDC_TXT_PORT) {
                if (HIWORD(wParam) == EN_CHANGE && !m_showingControls) {
                    m_form.VoiceBoxChanged();
                    SetTimer(Hwnd(), kVoiceEditTimer, kVoiceEditPauseMs, nullptr);
                    ShowVoiceStatus();  // a key that is none is said at once
                } else if (HIWORD(wParam) == EN_KILLFOCUS) {
                    TakeVoiceEdits();
                }
            } else if (id == IDC_CHK_IVAC && HIWORD(wParam) == BN_CLICKED) {
                ReadControls();
                m_form.chkIvAc_Click();
                ShowControls();
            } else if (HIWORD(wParam) == BN_CLICKED || HIWORD(wParam) == CBN_SELCHANGE) {
                // A check box, an option button or a list: the look may have changed.
                for (std::size_t i = 0; i < kConfigColourCount; ++i) {
                    if (id == kChangeIds[i]) {
                        ChangeColour(static_cast<ConfigColour>(i));
                    }
                }
                LookChanged();
            }
            return TRUE;
        }
        case WM_HSCROLL:
            OnHScroll(wParam);
            LookChanged();
            return TRUE;
        case WM_TIMER:
            if (wParam == kStatusTimer) {
                ShowVoiceStatus();
            } else if (wParam == kVoiceEditTimer) {
                TakeVoiceEdits();
            }
            return TRUE;
        case WM_CTLCOLORSTATIC: {
            const int id = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
            if (id == IDC_LBL_WARNING || (id == IDC_LBL_VOICESTATUS && m_keyProblemShown)) {
                // A warning in red on the dialog's own ground.
                const HDC dc = reinterpret_cast<HDC>(wParam);
                SetTextColor(dc, RGB(192, 0, 0));
                SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
                return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
            }
            for (std::size_t i = 0; i < kConfigColourCount; ++i) {
                if (id == kSwatchIds[i]) {
                    return reinterpret_cast<INT_PTR>(m_swatchBrushes[i].Get());
                }
            }
            return FALSE;
        }
        case WM_DPICHANGED:
            // Windows scales the dialog itself; the icons are made again for the new size.
            SetIcons(HIWORD(wParam));
            return FALSE;
        case WM_CLOSE: DestroyWindow(Hwnd()); return TRUE;
        case WM_DESTROY: SetPreview(false); return FALSE;
        case WM_NCDESTROY:
            KillTimer(Hwnd(), kStatusTimer);
            KillTimer(Hwnd(), kVoiceEditTimer);
            Unbind();
            m_flow.WindowClosed(this);
            return TRUE;
        default: return FALSE;
    }
}

// The caption's and the task bar's icons, and the decoration, at the window's DPI.
void ConfigWindow::SetIcons(UINT dpi) {
    UniqueIcon bigIcon(MakeSayvaneIcon(MetricForDpi(SM_CXICON, dpi), IconLook::Enabled));
    UniqueIcon smallIcon(MakeSayvaneIcon(MetricForDpi(SM_CXSMICON, dpi), IconLook::Enabled));
    SendMessageA(Hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon.Get()));
    SendMessageA(Hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon.Get()));
    SendDlgItemMessageA(Hwnd(), IDC_PIC_DECOR, STM_SETICON, reinterpret_cast<WPARAM>(bigIcon.Get()), 0);
    m_icon = std::move(bigIcon);  // the old ones go only after nothing uses them
    m_smallIcon = std::move(smallIcon);
}

void ConfigWindow::Form_Load() {
    SetWindowTextA(Hwnd(), "Sayvane");
    SetIcons(WindowDpi(Hwnd()));

    FillList(GetDlgItem(Hwnd(), IDC_CBO_REFRESH), RefreshListEntries());
    FillList(GetDlgItem(Hwnd(), IDC_CBO_DELAY), DelayListEntries());
    FillList(GetDlgItem(Hwnd(), IDC_CBO_SIZE), FontSizeListEntries());
    FillList(GetDlgItem(Hwnd(), IDC_CBO_USERS), FontSizeListEntries());
    SetScrollRange(GetDlgItem(Hwnd(), IDC_HSCROLL1), SB_CTL, 0, 100, FALSE);
    AddTooltips();

    SendDlgItemMessageA(Hwnd(), IDC_TXT_PORT, EM_LIMITTEXT, 5, 0);
    SendDlgItemMessageA(Hwnd(), IDC_TXT_APIKEY, EM_LIMITTEXT, ConfigControls::txtApiKeyLimit, 0);

    m_form.Form_Load();
    ShowControls();
    ShowVoiceStatus();
    LookChanged();
    SetTimer(Hwnd(), kStatusTimer, kStatusPeriodMs, nullptr);
}

void ConfigWindow::LookChanged() {
    if (m_showingControls) {
        return;
    }
    ReadControls();
    const OverlaySettings look = m_form.LookSettings();
    const std::string warning = ReadabilityWarning(look);
    if (warning != m_warning) {
        m_warning = warning;
        SetDlgItemTextA(Hwnd(), IDC_LBL_WARNING, warning.c_str());
    }
    if (m_preview != nullptr) {
        const WindowPlace place =
            CustomStartingPlace(*m_previewWindow, m_previewWindow->Screen(), m_flow.Services().store,
                                m_form.SettingsFile(), UserNumberFormat());
        m_preview->Show(look, place);
    }
}

// The preview uses the overlay's own window and drawing; it never writes the settings file.
void ConfigWindow::SetPreview(bool on) {
    if (!on) {
        m_preview.reset();
        m_previewWindow.reset();
        return;
    }
    if (m_preview != nullptr) {
        return;
    }
    m_previewWindow = OverlaySurface::CreatePreview(m_flow.Instance(), [this] { LookChanged(); });
    if (m_previewWindow == nullptr) {
        CheckDlgButton(Hwnd(), IDC_CHK_PREVIEW, BST_UNCHECKED);
        return;
    }
    m_preview = std::make_unique<OverlayPreview>(*m_previewWindow, m_flow.Services().clock);
    LookChanged();
}

// The link follows what the window holds (not the file), so the line answers the question
// the user is asking: would these settings work?
void ConfigWindow::ShowVoiceStatus() {
    if (m_showingControls) {
        return;  // the controls are being filled: their change notices are not the user's
    }
    ReadControls();
    ProgramServices& services = m_flow.Services();
    // The key TeamSpeak 5/6 handed out meanwhile is the window's too, so Save keeps it.
    m_form.Controls().remoteKey = services.voice.Choose(m_form.LinkVoice()).remoteKey;
    ShowVoiceFields();
    // The link is asked in any case: it goes on with what it follows.
    std::string line = services.voice.StatusLine(ProgramFolder());
    const std::string_view problem = m_form.KeyProblem();
    m_keyProblemShown = !problem.empty();
    if (m_keyProblemShown) {
        line = problem;
    }
    if (line != m_voiceStatus) {
        m_voiceStatus = line;
        SetDlgItemTextA(Hwnd(), IDC_LBL_VOICESTATUS, line.c_str());
    }
}

// The port box shows the chosen client's port; the fields that client has no use for are
// greyed.
void ConfigWindow::ShowVoiceFields() {
    ConfigControls& c = m_form.Controls();
    const VoiceFields fields = VoiceFieldsFor(c.optVoiceClient, !c.remoteKey.empty());
    if (c.optVoiceClient != m_portShownFor) {
        m_portShownFor = c.optVoiceClient;
        const bool showing = m_showingControls;
        m_showingControls = true;  // not the user's change
        SetDlgItemTextA(Hwnd(), IDC_TXT_PORT, c.PortText(m_portShownFor).c_str());
        m_showingControls = showing;
    }
    EnableWindow(GetDlgItem(Hwnd(), IDC_TXT_APIKEY), fields.apiKey);
    EnableWindow(GetDlgItem(Hwnd(), IDC_TXT_PORT), fields.port);
    EnableWindow(GetDlgItem(Hwnd(), IDC_CMD_FORGETKEY), fields.forgetKey);
    if (fields.hint != m_voiceHint) {
        m_voiceHint = fields.hint;
        SetDlgItemTextA(Hwnd(), IDC_LBL_VOICEHINT, std::string(fields.hint).c_str());
    }
}

// Typing in the port or the key box paused, or the box lost the focus: the link takes them.
void ConfigWindow::TakeVoiceEdits() {
    KillTimer(Hwnd(), kVoiceEditTimer);
    ReadControls();
    if (m_form.TakeVoiceEdits()) {
        ShowVoiceStatus();
    }
}

void ConfigWindow::AddTooltips() {
    m_tooltip =
        CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, Hwnd(), nullptr, m_flow.Instance(), nullptr);
    SendMessageA(m_tooltip, TTM_SETMAXTIPWIDTH, 0, 300);
    for (const Tip& tip : kTips) {
        TOOLINFOA info{};
        info.cbSize = TTTOOLINFOA_V1_SIZE;
        info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        info.hwnd = Hwnd();
        info.uId = reinterpret_cast<UINT_PTR>(GetDlgItem(Hwnd(), tip.id));
        info.lpszText = const_cast<char*>(tip.text);
        SendMessageA(m_tooltip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info));
    }
}

void ConfigWindow::ShowControls() {
    const ConfigControls& c = m_form.Controls();
    m_showingControls = true;
    for (std::size_t i = 0; i < kConfigCheckCount; ++i) {
        const CheckState state = c.checks[i];
        const HWND box = GetDlgItem(Hwnd(), kCheckIds[i]);
        if (state == CheckState::Grayed) {
            // Only a value the file itself holds can grey a box: the box then needs three states.
            SetWindowLongPtrA(box, GWL_STYLE, (GetWindowLongPtrA(box, GWL_STYLE) & ~0xF) | BS_AUTO3STATE);
        }
        CheckDlgButton(Hwnd(), kCheckIds[i], static_cast<UINT>(state));
    }
    EnableWindow(GetDlgItem(Hwnd(), IDC_CHK_BEEP), c.chkBeepEnabled);
    EnableWindow(GetDlgItem(Hwnd(), IDC_CHK_ZOOM), c.chkZoomEnabled);
    SendDlgItemMessageA(Hwnd(), IDC_CBO_REFRESH, CB_SETCURSEL, static_cast<WPARAM>(c.cboRefresh), 0);
    SendDlgItemMessageA(Hwnd(), IDC_CBO_DELAY, CB_SETCURSEL, static_cast<WPARAM>(c.cboDelay), 0);
    SendDlgItemMessageA(Hwnd(), IDC_CBO_SIZE, CB_SETCURSEL, static_cast<WPARAM>(c.cboSize), 0);
    SendDlgItemMessageA(Hwnd(), IDC_CBO_USERS, CB_SETCURSEL, static_cast<WPARAM>(c.cboUsers), 0);
    SetDlgItemTextA(Hwnd(), IDC_TXT_ME, c.txtMe.c_str());
    SetScrollPos(GetDlgItem(Hwnd(), IDC_HSCROLL1), SB_CTL, c.HScroll1, TRUE);
    for (std::size_t i = 0; i < kPositionCount; ++i) {
        CheckDlgButton(Hwnd(), kPositionIds[i], c.optPosition[i] ? BST_CHECKED : BST_UNCHECKED);
    }
    for (std::size_t i = 0; i < kConfigColourCount; ++i) {
        m_swatchBrushes[i].Reset(CreateSolidBrush(static_cast<COLORREF>(c.colours[i])));
        InvalidateRect(GetDlgItem(Hwnd(), kSwatchIds[i]), nullptr, TRUE);
    }
    for (const auto& [id, client] : kVoiceOptions) {
        CheckDlgButton(Hwnd(), id, c.optVoiceClient == client ? BST_CHECKED : BST_UNCHECKED);
    }
    SetDlgItemTextA(Hwnd(), IDC_TXT_APIKEY, c.txtApiKey.c_str());
    m_portShownFor = c.optVoiceClient;
    SetDlgItemTextA(Hwnd(), IDC_TXT_PORT, c.PortText(m_portShownFor).c_str());
    m_showingControls = false;
}

void ConfigWindow::ReadControls() {
    ConfigControls& c = m_form.Controls();
    for (std::size_t i = 0; i < kConfigCheckCount; ++i) {
        c.checks[i] = static_cast<CheckState>(IsDlgButtonChecked(Hwnd(), kCheckIds[i]));
    }
    c.cboRefresh = static_cast<int>(SendDlgItemMessageA(Hwnd(), IDC_CBO_REFRESH, CB_GETCURSEL, 0, 0));
    c.cboDelay = static_cast<int>(SendDlgItemMessageA(Hwnd(), IDC_CBO_DELAY, CB_GETCURSEL, 0, 0));
    c.cboSize = static_cast<int>(SendDlgItemMessageA(Hwnd(), IDC_CBO_SIZE, CB_GETCURSEL, 0, 0));
    c.cboUsers = static_cast<int>(SendDlgItemMessageA(Hwnd(), IDC_CBO_USERS, CB_GETCURSEL, 0, 0));
    char text[256] = {};
    GetDlgItemTextA(Hwnd(), IDC_TXT_ME, text, sizeof text);
    c.txtMe = text;
    c.HScroll1 = GetScrollPos(GetDlgItem(Hwnd(), IDC_HSCROLL1), SB_CTL);
    for (std::size_t i = 0; i < kPositionCount; ++i) {
        c.optPosition[i] = IsDlgButtonChecked(Hwnd(), kPositionIds[i]) == BST_CHECKED;
    }
    for (const auto& [id, client] : kVoiceOptions) {
        if (IsDlgButtonChecked(Hwnd(), id) == BST_CHECKED) {
            c.optVoiceClient = client;
        }
    }
    GetDlgItemTextA(Hwnd(), IDC_TXT_APIKEY, text, sizeof text);
    c.txtApiKey = text;
    GetDlgItemTextA(Hwnd(), IDC_TXT_PORT, text, sizeof text);
    c.PortText(m_portShownFor) = text;  // the box showed this client's port until now
}

void ConfigWindow::OnHScroll(WPARAM wParam) {
    HWND bar = GetDlgItem(Hwnd(), IDC_HSCROLL1);
    int position = GetScrollPos(bar, SB_CTL);
    switch (LOWORD(wParam)) {
        case SB_LINELEFT: position -= 1; break;
        case SB_LINERIGHT: position += 1; break;
        case SB_PAGELEFT: position -= 10; break;
        case SB_PAGERIGHT: position += 10; break;
        case SB_LEFT: position = 0; break;
        case SB_RIGHT: position = 100; break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: position = HIWORD(wParam); break;
        default: break;
    }
    SetScrollPos(bar, SB_CTL, std::clamp(position, 0, 100), TRUE);
}

std::int32_t ConfigWindow::ColorDlg(HWND owner, std::int32_t initial, bool fullOpen) {
    COLORREF custom[16];
    for (COLORREF& colour : custom) {
        colour = RGB(255, 255, 255);
    }
    CHOOSECOLORA choose{};
    choose.lStructSize = sizeof choose;
    choose.hwndOwner = owner;
    choose.rgbResult = static_cast<COLORREF>(initial);
    choose.lpCustColors = custom;
    choose.Flags = CC_RGBINIT | CC_ANYCOLOR | (fullOpen ? CC_FULLOPEN : 0);
    if (!ChooseColorA(&choose)) {
        return -1;
    }
    return static_cast<std::int32_t>(choose.rgbResult);
}

void ConfigWindow::ChangeColour(ConfigColour swatch) {
    ReadControls();
    const std::int32_t chosen = ColorDlg(Hwnd(), m_form.Controls().Colour(swatch), false);
    if (chosen != -1) {
        m_form.Controls().Colour(swatch) = chosen;
    }
    ShowControls();
}

void ConfigWindow::cmdEnable_Click() {
    SetPreview(false);  // the overlay itself takes over
    ReadControls();
    if (!m_form.SaveConfig()) {
        const std::string message = SettingsNotWrittenMessage("save its settings to", m_form.SettingsFile(),
                                                              "Sayvane now starts with the settings the file holds.");
        MessageBoxA(Hwnd(), message.c_str(), "Sayvane", MB_OK | MB_ICONEXCLAMATION);
    }
    m_flow.OpenOverlay();
    DestroyWindow(Hwnd());
}

}  // namespace sayvane::win32
