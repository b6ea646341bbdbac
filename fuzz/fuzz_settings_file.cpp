// The settings file as a user's editor (or a broken disk) may leave it: the input is the whole
// file, read with the portable INI semantics (from memory) into the overlay's settings record.
#include "FuzzSupport.h"
#include "app/Settings.h"
#include "app/SettingsFile.h"
#include "sim/MemoryProfileStore.h"

namespace {

constexpr std::size_t kCapacity = 255;
const std::string kFile = "C:\\Sayvane\\Sayvane.INI";

bool SameRecord(const OverlaySettings& a, const OverlaySettings& b) {
    return a.OnTop == b.OnTop && a.MeFromChannel == b.MeFromChannel && a.ShowChannel == b.ShowChannel &&
           a.ShowMe == b.ShowMe && a.AutoStart == b.AutoStart && a.IvAcSelect == b.IvAcSelect &&
           a.IvAcResetZoom == b.IvAcResetZoom && a.IvAcBeepSelect == b.IvAcBeepSelect && a.ShowInOut == b.ShowInOut &&
           a.NickName == b.NickName && a.Transparent == b.Transparent && a.RefreshInterval == b.RefreshInterval &&
           a.RetentionTime == b.RetentionTime && a.SpeakerFontSize == b.SpeakerFontSize &&
           a.UserFontSize == b.UserFontSize && a.BackColor == b.BackColor && a.ForeColor == b.ForeColor &&
           a.ChannelForeColor == b.ChannelForeColor && a.JoinForeColor == b.JoinForeColor &&
           a.LeaveForeColor == b.LeaveForeColor && a.Position == b.Position;
}

}  // namespace

void fuzz::FuzzOne(FuzzedDataProvider& in) {
    const std::string input = in.ConsumeRemainingBytesAsString();
    sim::MemoryProfileStore store;
    store.PutFile(kFile, input);

    for (const char separator : {'.', ','}) {
        const NumberFormat format{separator};
        OverlaySettings settings;
        LoadSettings(store, kFile, settings, format);
        // The documented ranges the rest of the program relies on.
        FUZZ_CHECK(settings.Transparent >= 0 && settings.Transparent <= 100);
        FUZZ_CHECK(settings.RefreshInterval > 0 && settings.RetentionTime >= 0);
        // Text comes through a 255-character buffer, cut at a NUL, without trailing spaces.
        const std::string& nick = settings.NickName;
        FUZZ_CHECK(nick.size() <= kCapacity - 1 && nick.find('\0') == std::string::npos);
        FUZZ_CHECK(nick.empty() || nick.back() != ' ');
        FUZZ_CHECK(settings.Position == ParsePositionString(ReadIni(store, kFile, "Position", "00010")));
        // The start-up routine and the overlay agree on AutoStart.
        FUZZ_CHECK(ReadAutoStart(store, kFile, format) == (settings.AutoStart == 1));
        // Loading again over the loaded record changes nothing.
        OverlaySettings again = settings;
        LoadSettings(store, kFile, again, format);
        FUZZ_CHECK(SameRecord(settings, again));
        static_cast<void>(LoadLastPlace(store, kFile, WindowPlace{100, 200}, WindowPlace{}, format));
    }

    // Any buffer size hands back at most what fits.
    for (const std::size_t capacity : {std::size_t{0}, std::size_t{1}, std::size_t{2}, kCapacity}) {
        const std::string value = store.GetString("Setup", "NickName", "fallback", capacity, kFile);
        FUZZ_CHECK(value.size() + 1 <= (capacity == 0 ? 1 : capacity));
    }

    // Writing one key rewrites the whole file (read to the end above): the written value, on one
    // line, reads back as written, and every other key keeps its value.
    std::string probe = input.substr(0, 300);
    std::replace_if(
        probe.begin(), probe.end(), [](char c) { return c == '\r' || c == '\n' || c == '\0'; }, ' ');
    std::string before[kSettingKeys.size()];
    for (std::size_t i = 0; i < kSettingKeys.size(); ++i) {
        before[i] = store.GetString("Setup", kSettingKeys[i].name, "<missing>", kCapacity, kFile);
    }
    FUZZ_CHECK(store.WriteString("Setup", "Probe", probe, kFile));
    const std::string expected(IniReadBack(probe).substr(0, kCapacity - 1));
    FUZZ_CHECK(store.GetString("Setup", "Probe", "<missing>", kCapacity, kFile) == expected);
    for (std::size_t i = 0; i < kSettingKeys.size(); ++i) {
        FUZZ_CHECK(store.GetString("Setup", kSettingKeys[i].name, "<missing>", kCapacity, kFile) == before[i]);
    }
}
