// The settings file as a user's editor (or a broken disk) may leave it: the input is the whole
// file, read through the portable INI reader into the overlay's settings record.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzSupport.h"
#include "app/Settings.h"
#include "app/SettingsFile.h"
#include "sim/PortableProfileStore.h"
#include "text/TextRoutines.h"

using namespace sayvane;

namespace {

constexpr std::size_t kCapacity = 255;

std::string_view TrimBlanks(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::string_view StripQuotes(std::string_view text) {
    if (text.size() >= 2 && (text.front() == '"' || text.front() == '\'') && text.back() == text.front()) {
        return text.substr(1, text.size() - 2);
    }
    return text;
}

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

void CheckRecord(ProfileStore& store, const std::string& file, const OverlaySettings& s, NumberFormat format) {
    // The documented ranges the rest of the program relies on.
    FUZZ_CHECK(s.Transparent >= 0 && s.Transparent <= 100);
    FUZZ_CHECK(s.RefreshInterval > 0);
    FUZZ_CHECK(s.RetentionTime >= 0);
    // Text comes through a 255-character buffer, cut at a NUL, without trailing spaces.
    FUZZ_CHECK(s.NickName.size() <= kCapacity - 1);
    FUZZ_CHECK(s.NickName.find('\0') == std::string::npos);
    FUZZ_CHECK(s.NickName.empty() || s.NickName.back() != ' ');
    FUZZ_CHECK(s.Position == ParsePositionString(ReadIni(store, file, "Position", "00010")));
    // The start-up routine and the overlay agree on AutoStart.
    FUZZ_CHECK(ReadAutoStart(store, file, format) == (s.AutoStart == 1));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::string file = fuzz::ScratchFolder() + "/Sayvane.INI";
    const std::string copy = fuzz::ScratchFolder() + "/Rewritten.INI";
    if (!fuzz::WriteFile(file, input) || !fuzz::WriteFile(copy, input)) {
        return 0;
    }
    sim::PortableProfileStore store;

    for (const char separator : {'.', ','}) {
        const NumberFormat format{separator};
        OverlaySettings settings;
        LoadSettings(store, file, settings, format);
        CheckRecord(store, file, settings, format);
        // Loading again over the loaded record changes nothing.
        OverlaySettings again = settings;
        LoadSettings(store, file, again, format);
        FUZZ_CHECK(SameRecord(settings, again));
        static_cast<void>(LoadLastPlace(store, file, WindowPlace{100, 200}, WindowPlace{}, format));
    }

    // Any buffer size hands back at most what fits.
    for (const std::size_t capacity : {std::size_t{0}, std::size_t{1}, std::size_t{2}, kCapacity}) {
        const std::string value = store.GetString("Setup", "NickName", "fallback", capacity, file);
        FUZZ_CHECK(value.size() + 1 <= (capacity == 0 ? 1 : capacity));
    }

    // Writing one key rewrites the whole file: the written value reads back as written, and
    // every other key keeps its value.
    std::string probe(input.substr(0, 300));
    for (char& c : probe) {
        if (c == '\r' || c == '\n' || c == '\0') {
            c = ' ';
        }
    }
    std::string before[kSettingKeys.size()];
    for (std::size_t i = 0; i < kSettingKeys.size(); ++i) {
        before[i] = store.GetString("Setup", kSettingKeys[i].name, "<missing>", kCapacity, copy);
    }
    FUZZ_CHECK(store.WriteString("Setup", "Probe", probe, copy));
    const std::string expected(StripQuotes(TrimBlanks(probe)).substr(0, kCapacity - 1));
    FUZZ_CHECK(store.GetString("Setup", "Probe", "<missing>", kCapacity, copy) == expected);
    for (std::size_t i = 0; i < kSettingKeys.size(); ++i) {
        FUZZ_CHECK(store.GetString("Setup", kSettingKeys[i].name, "<missing>", kCapacity, copy) == before[i]);
    }
    return 0;
}
