// The settings file as the overlay, the start-up routine and the configuration window read it,
// and as they write it; and the configuration window's lists.
#include <gtest/gtest.h>

#include <tuple>
#include <variant>

#include "TempFolder.h"
#include "app/Settings.h"
#include "app/SettingsFile.h"
#include "config/ConfigForm.h"
#include "sim/PortableProfileStore.h"

namespace sayvane {
namespace {

using sayvane::testing::TempFolder;

class SettingsFileTest : public ::testing::Test {
protected:
    OverlaySettings Load(OverlaySettings settings = {}) {
        LoadSettings(m_store, m_file, settings);
        return settings;
    }

    TempFolder m_folder;
    std::string m_file = SettingsPath(m_folder.Path().string());  // the path as the program builds it
    sim::PortableProfileStore m_store;
};

TEST(SettingsPath, IsTheProgramFolderAndTheFileName) {
    EXPECT_EQ(SettingsPath("C:\\Program Files\\Sayvane"), "C:\\Program Files\\Sayvane\\Sayvane.INI");
    EXPECT_EQ(SettingsPath("C:\\"), "C:\\\\Sayvane.INI");  // a drive root: Windows accepts the doubled "\"
}

// The other defaults show in the new overlay window (OverlayWindowTest: on top, the toggles, the
// period, the speakers' font, the opacity, the corner) and in what it draws (DrawingTest: the
// colours, the retention time).
TEST_F(SettingsFileTest, WithoutAFileTheOverlayGetsItsDefaults) {
    const OverlaySettings s = Load();
    EXPECT_EQ(s.MeFromChannel, 1);
    EXPECT_EQ(s.AutoStart, 0);
    EXPECT_EQ(s.UserFontSize, 16);
    EXPECT_EQ(s.NickName, "");
    EXPECT_EQ(s.BackColor, 0);
    EXPECT_FALSE(ReadAutoStart(m_store, m_file));
}

TEST_F(SettingsFileTest, ListPositionsBecomeQuantities) {
    struct Case {
        const char *refresh, *delay, *size, *sizeUsers;
        int interval, retention, points, userPoints;
    };
    const Case cases[] = {
        {"0", "0", "0", "0", 250, 500, 8, 8},      {"45", "19", "92", "92", 2500, 5250, 100, 100},
        {"-1", "-1", "-1", "-1", 200, 250, 7, 7},   // what the configuration window saves for "no selection"
        {"2", "6", "8", "2.5", 350, 2000, 16, 10},  // 10.5 rounds to even
        {"2", "6", "8", "3.5", 350, 2000, 16, 12},
    };
    for (const Case& c : cases) {
        m_folder.WriteSettings(std::string("Refresh=") + c.refresh + "\r\nDelay=" + c.delay + "\r\nSize=" + c.size +
                               "\r\nSizeUsers=" + c.sizeUsers + "\r\n");
        const OverlaySettings s = Load();
        EXPECT_EQ(s.RefreshInterval, c.interval) << c.refresh;
        EXPECT_EQ(s.RetentionTime, c.retention) << c.delay;
        EXPECT_EQ(s.SpeakerFontSize, c.points) << c.size;
        EXPECT_EQ(s.UserFontSize, c.userPoints) << c.sizeUsers;
    }
}

// One number of the record: the value it held before loading and the value it holds after.
TEST_F(SettingsFileTest, ANumberThatDoesNotConvertKeepsThePreviousValueAndHandEditedValuesAreKeptUsable) {
    using Field = std::variant<std::int16_t OverlaySettings::*, std::int32_t OverlaySettings::*>;
    struct Case {
        std::string lines;
        Field field;
        std::int32_t previous;
        std::int32_t expected;
    };
    const Case cases[] = {
        // Not numbers, or numbers out of the field's range: the field keeps its value, even
        // when the value is empty (no fall-back to the default).
        {"OnTop=yes", &OverlaySettings::OnTop, 7, 7},
        {"OnTop=", &OverlaySettings::OnTop, 7, 7},
        {"Transparent=abc", &OverlaySettings::Transparent, 42, 42},
        {"Size=40000", &OverlaySettings::SpeakerFontSize, 11, 11},  // the number itself is out of range
        {"Size=32760", &OverlaySettings::SpeakerFontSize, 7, 7},    // 8 + 32760 is out of range
        {"Size=999", &OverlaySettings::SpeakerFontSize, 0, 1007},   // taken as it is: a giant font
        {"SizeUsers=32760", &OverlaySettings::UserFontSize, 9, 9},
        {"Delay=999", &OverlaySettings::RetentionTime, 1234, 1234},    // 500 + 250 x 999 is out of range
        {"ForeColor=99999999999", &OverlaySettings::ForeColor, 5, 5},  // beyond 32 bits
        // Later keys still load after one that does not convert.
        {"OnTop=yes\r\nSize=40000\r\nForeColor=99999999999\r\nLeaveForeColor=255", &OverlaySettings::LeaveForeColor, 0,
         255},
        // Colours read the leading number; none is black.
        {"ForeColor=000000065280", &OverlaySettings::ForeColor, 0, 65280},
        {"BackColor=65280", &OverlaySettings::BackColor, 0, 65280},
        {"ChannelForeColor=orange", &OverlaySettings::ChannelForeColor, 5, 0},
        {"JoinForeColor=255 red", &OverlaySettings::JoinForeColor, 0, 255},
        {"ForeColor=", &OverlaySettings::ForeColor, 5, 0},
        // Values are cut to 254 characters before they convert: the 12 is cut off.
        {"Refresh=" + std::string(298, '0') + "12", &OverlaySettings::RefreshInterval, 0, 250},
        // Opacity is limited to 0..100 (above 100 it would wrap in a byte).
        {"Transparent=150", &OverlaySettings::Transparent, 0, 100},
        {"Transparent=-5", &OverlaySettings::Transparent, 42, 0},
        {"Transparent=", &OverlaySettings::Transparent, 42, 42},  // a new window's 0: fully transparent
        // No timer runs on a period that is not positive: the default one instead.
        {"Refresh=", &OverlaySettings::RefreshInterval, 0, 550},
        {"Refresh=-5", &OverlaySettings::RefreshInterval, 0, 550},
        {"Refresh=-4", &OverlaySettings::RefreshInterval, 0, 50},
        {"Refresh=1000", &OverlaySettings::RefreshInterval, 0, 550},   // 250 + 50 x 1000 is beyond 16 bits
        {"Refresh=600", &OverlaySettings::RefreshInterval, 0, 30250},  // slow, but a period
        // A notice must not sleep a negative time.
        {"Delay=-3", &OverlaySettings::RetentionTime, 7, 0},
    };
    for (const Case& c : cases) {
        m_folder.WriteSettings(c.lines + "\r\n");
        OverlaySettings previous;
        std::visit([&](auto field) { previous.*field = static_cast<std::int16_t>(c.previous); }, c.field);
        const OverlaySettings s = Load(previous);
        EXPECT_EQ(std::visit([&](auto field) { return static_cast<std::int32_t>(s.*field); }, c.field), c.expected)
            << c.lines.substr(0, 40);
    }
}

TEST_F(SettingsFileTest, TextValuesAreCutAndTrailingSpacesDropped) {
    m_folder.WriteSettings("NickName=" + std::string(300, 'N') + "\r\nPosition=" + std::string(300, '1') + "\r\n");
    EXPECT_EQ(Load().NickName, std::string(254, 'N'));
    EXPECT_EQ(Load().Position, (PositionFlags{true, true, true, true, true})) << "only the first five characters count";
    m_folder.WriteSettings("NickName=\"ABC_TWR   \"\r\nPosition=\r\n");
    EXPECT_EQ(Load().NickName, "ABC_TWR");
    EXPECT_EQ(Load().Position, PositionFlags{});
}

TEST(PositionString, CharactersSetTheFiveFlags) {
    EXPECT_EQ(ParsePositionString("00001"), (PositionFlags{false, false, false, false, true}));
    EXPECT_EQ(ParsePositionString("0"), PositionFlags{});
    EXPECT_EQ(ParsePositionString("9x0a1"), (PositionFlags{true, false, false, false, true}));
    EXPECT_EQ(ParsePositionString("0001"), (PositionFlags{false, false, false, true, false}));
    for (const char* none : {"", "xxxxx", "-----", "00000"}) {
        EXPECT_EQ(ParsePositionString(none), PositionFlags{}) << none;
    }
}

TEST_F(SettingsFileTest, AutoStartOpensTheOverlayOnlyForOne) {
    const std::pair<const char*, bool> cases[] = {
        {"AutoStart=1", true},   {"AutoStart= 1 ", true},  {"AutoStart=0", false}, {"AutoStart=2", false},
        {"AutoStart=-1", false}, {"AutoStart=yes", false}, {"AutoStart=", false}};
    for (const auto& [line, opensOverlay] : cases) {
        m_folder.WriteSettings(std::string(line) + "\r\n");
        EXPECT_EQ(ReadAutoStart(m_store, m_file), opensOverlay) << line;
    }
}

TEST_F(SettingsFileTest, TheVoiceClientIsTeamSpeak2UnlessThreeOrFiveAndABadPortIsTheDefault) {
    const auto settings = [](VoiceClient client, std::string apiKey = "", std::uint16_t port = 25639,
                             std::string remoteKey = "", std::uint16_t remotePort = 5899) {
        return VoiceSettings{client, std::move(apiKey), port, std::move(remoteKey), remotePort};
    };
    const VoiceSettings two{};
    const std::pair<const char*, VoiceSettings> cases[] = {
        {"", two},
        {"VoiceClient=3", settings(VoiceClient::TeamSpeak3)},
        {"VoiceClient=5", settings(VoiceClient::TeamSpeak5)},
        {"VoiceClient=4", two},
        {"VoiceClient=6", two},
        {"VoiceClient=abc", two},
        {"VoiceClient=", two},
        {"VoiceClient=3\r\nQueryApiKey= AB12-CD34 \r\nQueryPort=25640",
         settings(VoiceClient::TeamSpeak3, "AB12-CD34", 25640)},
        {"VoiceClient=5\r\nRemoteApiKey=f00d-cafe\r\nRemotePort=5900",
         settings(VoiceClient::TeamSpeak5, "", 25639, "f00d-cafe", 5900)},
        {"QueryPort=0", two},
        {"QueryPort=65536", two},
        {"QueryPort=-1", two},
        {"RemotePort=25x", two},
        {"QueryPort=99999999999", two},
        {"QueryPort=65535", settings(VoiceClient::TeamSpeak2, "", 65535)},
    };
    for (const auto& [lines, expected] : cases) {
        m_folder.WriteSettings(std::string(lines) + "\r\n");
        EXPECT_EQ(LoadVoiceSettings(m_store, m_file), expected) << lines;
    }
}

TEST_F(SettingsFileTest, TheCustomPlaceRoundTripsBeyondSixteenBitsAndAnAxisThatDoesNotConvertStays) {
    const WindowPlace defaults{7000, 5000};
    const WindowPlace current{1, 2};
    EXPECT_EQ(LoadLastPlace(m_store, m_file, defaults, current), defaults) << "no file: the centre";

    // A 2560-pixel screen puts the right edge at 38400 twips.
    ASSERT_TRUE(SaveLastPlace(m_store, m_file, WindowPlace{36000, -150}));
    EXPECT_EQ(ReadIni(m_store, m_file, "LastX", ""), "000000036000");
    EXPECT_EQ(ReadIni(m_store, m_file, "LastY", ""), "-000000000150");
    EXPECT_EQ(LoadLastPlace(m_store, m_file, defaults, current), (WindowPlace{36000, -150}));

    const std::pair<const char*, WindowPlace> cases[] = {
        {"LastX=left\r\nLastY=300", {1, 300}}, {"LastX=99999999999\r\nLastY=-99999999999", current},
        {"LastX=\r\nLastY=", current},         {"LastX=12abc\r\nLastY=0x10", current},
        {"LastX=000000001500", {1500, 5000}},  // a missing key gives the default
    };
    for (const auto& [lines, expected] : cases) {
        m_folder.WriteSettings(std::string(lines) + "\r\n");
        EXPECT_EQ(LoadLastPlace(m_store, m_file, defaults, current), expected) << lines;
    }
}

TEST_F(SettingsFileTest, AFailedWriteIsReported) {
    const std::string file = SettingsPath((m_folder.Path() / "missing").string());
    EXPECT_FALSE(WriteIni(m_store, file, kSettingsSection, "OnTop", 1));
    EXPECT_FALSE(SaveLastPlace(m_store, file, WindowPlace{0, 0}));
    EXPECT_EQ(ReadIni(m_store, file, "OnTop", "dflt"), "dflt");
}

TEST(ConfigLists, DurationsReadAsTheUserExpects) {
    const auto refresh = RefreshListEntries();
    ASSERT_EQ(refresh.size(), 46u);
    EXPECT_EQ(refresh.front(), (ListEntry{"250 ms.", 250}));
    EXPECT_EQ(refresh[14], (ListEntry{"950 ms.", 950}));
    EXPECT_EQ(refresh[15], (ListEntry{"1 sec.", 1000}));
    EXPECT_EQ(refresh[16], (ListEntry{"1.05 sec.", 1050}));
    EXPECT_EQ(refresh[17], (ListEntry{"1.1 sec.", 1100}));
    EXPECT_EQ(refresh[44], (ListEntry{"2.45 sec.", 2450}));
    EXPECT_EQ(refresh.back(), (ListEntry{"2.5 sec.", 2500}));

    const auto delay = DelayListEntries();
    ASSERT_EQ(delay.size(), 20u);
    EXPECT_EQ(delay.front(), (ListEntry{"500 ms.", 500}));
    EXPECT_EQ(delay[3], (ListEntry{"1.25 sec.", 1250}));  // the refresh list shows the other forms
    EXPECT_EQ(delay.back(), (ListEntry{"5.25 sec.", 5250}));

    const auto sizes = FontSizeListEntries();
    ASSERT_EQ(sizes.size(), 93u);
    EXPECT_EQ(sizes.front(), (ListEntry{"8", 8}));
    EXPECT_EQ(sizes[8], (ListEntry{"16", 16}));
    EXPECT_EQ(sizes.back(), (ListEntry{"100", 100}));
}

// The configuration window on the same folder.
class ConfigFormTest : public SettingsFileTest {
protected:
    ConfigForm Open() {
        ConfigForm form(m_store, m_folder.Path().string());
        form.Form_Load();
        return form;
    }
};

TEST_F(ConfigFormTest, WithoutAFileTheControlsShowTheDefaultsAndSaveTheKeysInOrder) {
    ConfigForm form = Open();
    EXPECT_FALSE(form.Controls().chkBeepEnabled) << "no IvAc selection";
    EXPECT_FALSE(form.Controls().chkZoomEnabled);
    form.Controls().txtMe = "EDDF_TWR";
    ASSERT_TRUE(form.SaveConfig());

    const std::vector<std::string> expected = {
        "[Setup]",
        "OnTop=1",
        "MeFromChannel=1",
        "ShowChannel=0",
        "ShowMe=0",
        "AutoStart=0",
        "IvAcSelect=0",
        "IvAcResetZoom=0",
        "IvAcBeepSelect=0",
        "ShowInOut=1",
        "Delay=6",    // 2 sec.
        "Refresh=2",  // 350 ms.
        "Size=8",     // 16 points
        "NickName=EDDF_TWR",
        "Position=00010",
        "Transparent=60",
        "BackColor=000000000000",
        "ForeColor=000000065280",
        "ChannelForeColor=000000033023",
        "SizeUsers=8",
        "JoinForeColor=000016776960",
        "LeaveForeColor=000008421631",
        "VoiceClient=2",
        "QueryApiKey=",
        "QueryPort=25639",
        "RemoteApiKey=",
        "RemotePort=5899",
    };
    EXPECT_EQ(testing::ReadLines(m_folder.File("Sayvane.INI")), expected);

    // The preview's look is what the overlay reads from the file just saved.
    OverlaySettings saved;
    LoadSettings(m_store, m_file, saved);
    const OverlaySettings look = form.LookSettings();
    const auto lookOf = [](const OverlaySettings& s) {
        return std::tuple(s.OnTop, s.ShowChannel, s.ShowInOut, s.Transparent, s.RefreshInterval, s.RetentionTime,
                          s.SpeakerFontSize, s.UserFontSize, s.BackColor, s.ForeColor, s.ChannelForeColor,
                          s.JoinForeColor, s.LeaveForeColor, s.Position);
    };
    EXPECT_EQ(lookOf(look), lookOf(saved));

    // The voice client's fields round-trip; a port that is none is saved as the default.
    form.Controls().optVoiceClient = VoiceClient::TeamSpeak3;
    form.Controls().txtApiKey = " AB12-CD34 ";
    form.Controls().txtQueryPort = "70000";
    ASSERT_TRUE(form.SaveConfig());
    EXPECT_EQ(LoadVoiceSettings(m_store, m_file),
              (VoiceSettings{VoiceClient::TeamSpeak3, "AB12-CD34", 25639, "", 5899}));
    form.Controls().txtQueryPort = "25640";
    ASSERT_TRUE(form.SaveConfig());
    const ConfigForm reopened = Open();
    EXPECT_EQ(reopened.Controls().optVoiceClient, VoiceClient::TeamSpeak3);
    EXPECT_EQ(reopened.Controls().txtApiKey, "AB12-CD34");
    EXPECT_EQ(reopened.Controls().txtQueryPort, "25640");
}

TEST_F(ConfigFormTest, ValuesAControlRefusesLeaveItAsItWasOpened) {
    m_folder.WriteSettings(
        "OnTop=3\r\nShowMe=abc\r\nShowChannel=2\r\nDelay=20\r\nRefresh=-1\r\nSize=x\r\nSizeUsers=93\r\n"
        "Transparent=101\r\nForeColor=blue\r\nJoinForeColor=255 \r\nPosition=0z\r\nIvAcSelect=0\r\n"
        "IvAcBeepSelect=1\r\n");
    const ConfigForm form = Open();
    const ConfigControls& c = form.Controls();
    EXPECT_EQ(c.Check(ConfigCheck::OnTop), CheckState::Checked);
    EXPECT_EQ(c.Check(ConfigCheck::ShowMe), CheckState::Unchecked);
    EXPECT_EQ(c.Check(ConfigCheck::ShowChannel), CheckState::Grayed);
    EXPECT_EQ(c.cboDelay, 6);
    EXPECT_EQ(c.cboRefresh, 0);
    EXPECT_EQ(c.cboSize, 8);
    EXPECT_EQ(c.cboUsers, -1);
    EXPECT_EQ(c.HScroll1, 60);
    EXPECT_EQ(c.Colour(ConfigColour::Fore), 0) << "a colour without a number is black";
    EXPECT_EQ(c.Colour(ConfigColour::Join), 255);
    EXPECT_EQ(c.optPosition, (PositionFlags{false, false, false, true, false})) << "'0' clears TopLeft only";
    EXPECT_EQ(c.Check(ConfigCheck::Beep), CheckState::Checked) << "shows its stored state";
    EXPECT_FALSE(c.chkBeepEnabled) << "but stays disabled without IvAc selection";
}

TEST_F(ConfigFormTest, TheLastPositionSetWinsAndAGreyedOrUnsetControlIsSavedAsItIs) {
    m_folder.WriteSettings("SizeUsers=200\r\nShowChannel=2\r\nIvAcSelect=1\r\nPosition=11111\r\n");
    ConfigForm form = Open();
    EXPECT_TRUE(form.Controls().chkZoomEnabled);
    EXPECT_EQ(form.Controls().optPosition, (PositionFlags{false, false, false, false, true}))
        << "the last one set wins";
    std::filesystem::remove(m_folder.File("Sayvane.INI"));  // saving writes a new file
    ASSERT_TRUE(form.SaveConfig());
    const std::string file = form.SettingsFile();
    EXPECT_EQ(ReadIni(m_store, file, "ShowChannel", ""), "2");
    EXPECT_EQ(ReadIni(m_store, file, "SizeUsers", ""), "-1");
    EXPECT_EQ(ReadIni(m_store, file, "IvAcSelect", ""), "1");
    EXPECT_EQ(ReadIni(m_store, file, "Position", ""), "00001");
}

TEST_F(ConfigFormTest, TheIvAcBoxEnablesItsSubOptions) {
    ConfigForm form = Open();
    form.Controls().Check(ConfigCheck::IvAc) = CheckState::Checked;
    form.chkIvAc_Click();
    EXPECT_TRUE(form.Controls().chkBeepEnabled);
    EXPECT_TRUE(form.Controls().chkZoomEnabled);
    form.Controls().Check(ConfigCheck::Zoom) = CheckState::Checked;
    form.Controls().Check(ConfigCheck::IvAc) = CheckState::Unchecked;
    form.chkIvAc_Click();
    EXPECT_FALSE(form.Controls().chkZoomEnabled);
    EXPECT_EQ(form.Controls().Check(ConfigCheck::Zoom), CheckState::Checked) << "its own state stays";
}

TEST_F(ConfigFormTest, AFailedWriteIsReported) {
    ConfigForm form(m_store, (m_folder.Path() / "missing").string());
    form.Form_Load();
    EXPECT_FALSE(form.SaveConfig());
    EXPECT_FALSE(SaveVoiceKey(m_store, form.SettingsFile(), kRemoteApiKeyKey, "f00d"));
    EXPECT_NE(SettingsNotWrittenMessage("save", form.SettingsFile(), "").find(form.SettingsFile()), std::string::npos);
}

// A key meets the settings file through the settings writer, a hand-edited file and the window's
// key box: one that is not printable ASCII of at most 200 characters is kept out of all three.
TEST_F(ConfigFormTest, AKeyThatIsNoneIsNeitherWrittenNorReadNorTakenForTheLinkNorSaved) {
    struct Row {
        std::string key;
        bool fits;
    };
    const Row rows[] = {{"abc\r\nAutoStart=1", false},
                        {"abc\nAutoStart=1", false},
                        {"abc\r", false},
                        {std::string("ab\0c", 4), false},
                        {"ab\tc", false},
                        {"ab\x1b[c", false},
                        {"ab\x7f", false},
                        {"caf\xe9", false},
                        {std::string(200, 'K'), true},
                        {std::string(201, 'K'), false},
                        {"AB12-CD34 ~!{}", true}};
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::PrintToString(row.key));
        m_folder.WriteSettings("VoiceClient=3\r\nQueryApiKey=OLD\r\nRemoteApiKey=OLD5\r\n");
        EXPECT_EQ(SaveVoiceKey(m_store, m_file, kRemoteApiKeyKey, row.key), row.fits);
        EXPECT_EQ(LoadVoiceSettings(m_store, m_file).remoteKey, row.fits ? row.key : "OLD5");

        ConfigForm form = Open();
        form.Controls().txtApiKey = row.key;
        form.VoiceBoxChanged();
        EXPECT_TRUE(form.TakeVoiceEdits());
        EXPECT_EQ(form.LinkVoice().apiKey, row.fits ? row.key : "OLD");
        EXPECT_EQ(form.KeyProblem().empty(), row.fits);
        ASSERT_TRUE(form.SaveConfig());
        EXPECT_EQ(LoadVoiceSettings(m_store, m_file).apiKey, row.fits ? row.key : "OLD");
        EXPECT_EQ(testing::ReadLines(m_folder.File("Sayvane.INI")).size(), 27u) << "no line added";

        if (row.key.find_first_of(std::string("\r\n\0", 3)) == std::string::npos) {
            m_folder.WriteSettings("QueryApiKey=" + row.key + "\r\n");  // edited by hand
            EXPECT_EQ(LoadVoiceSettings(m_store, m_file).apiKey, row.fits ? row.key : "");
        }
    }
}

TEST_F(ConfigFormTest, ThePortAndTheKeyTypedReachTheLinkOnlyOnceTaken) {
    m_folder.WriteSettings("VoiceClient=3\r\nQueryApiKey=OLD\r\nQueryPort=25640\r\n");
    ConfigForm form = Open();
    EXPECT_FALSE(form.TakeVoiceEdits()) << "nothing typed";
    form.Controls().txtApiKey = "NE";
    form.Controls().txtQueryPort = "2";
    form.VoiceBoxChanged();
    form.Controls().optVoiceClient = VoiceClient::TeamSpeak5;  // a choice counts at once
    EXPECT_EQ(form.LinkVoice(), (VoiceSettings{VoiceClient::TeamSpeak5, "OLD", 25640, "", 5899}));

    form.Controls().txtApiKey = "NEW\x01";
    EXPECT_TRUE(form.KeyProblem().empty()) << "TeamSpeak 3's key box is not in use";
    form.Controls().txtApiKey = "NEW";
    form.Controls().txtQueryPort = "26639";
    form.Controls().txtRemotePort = "5900";
    form.VoiceBoxChanged();
    EXPECT_TRUE(form.TakeVoiceEdits());
    EXPECT_EQ(form.LinkVoice(), (VoiceSettings{VoiceClient::TeamSpeak5, "NEW", 26639, "", 5900}));
    EXPECT_FALSE(form.TakeVoiceEdits()) << "taken once";
}

}  // namespace
}  // namespace sayvane
