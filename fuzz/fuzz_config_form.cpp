// The configuration window opening on a settings file as a user's editor may leave it: the
// input is the whole file. What the window then saves, it must load back the same.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "FuzzSupport.h"
#include "config/ConfigForm.h"
#include "sim/PortableProfileStore.h"

using namespace sayvane;

namespace {

void CheckControls(const ConfigControls& c) {
    // A list selection is one of its entries, or none.
    FUZZ_CHECK(c.cboRefresh >= -1 && c.cboRefresh < static_cast<int>(RefreshListEntries().size()));
    FUZZ_CHECK(c.cboDelay >= -1 && c.cboDelay < static_cast<int>(DelayListEntries().size()));
    FUZZ_CHECK(c.cboSize >= -1 && c.cboSize < static_cast<int>(FontSizeListEntries().size()));
    FUZZ_CHECK(c.cboUsers >= -1 && c.cboUsers < static_cast<int>(FontSizeListEntries().size()));
    for (const CheckState state : c.checks) {
        const int value = static_cast<int>(state);
        FUZZ_CHECK(value >= 0 && value <= 2);
    }
    FUZZ_CHECK(c.HScroll1 >= 0 && c.HScroll1 <= 100);
    // The position options form one group: at most one is chosen.
    int chosen = 0;
    for (const bool on : c.optPosition) {
        chosen += on ? 1 : 0;
    }
    FUZZ_CHECK(chosen <= 1);
    const bool ivac = c.Check(ConfigCheck::IvAc) == CheckState::Checked;
    FUZZ_CHECK(c.chkBeepEnabled == ivac && c.chkZoomEnabled == ivac);
    FUZZ_CHECK(c.txtMe.size() <= 254);
}

bool IsBlankOrQuote(char c) {
    return c == ' ' || c == '\t' || c == '"' || c == '\'';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::string loadFolder = fuzz::ScratchFolder() + "/load";
    const std::string saveFolder = fuzz::ScratchFolder() + "/save";
    std::filesystem::create_directories(loadFolder);
    std::filesystem::create_directories(saveFolder);
    std::filesystem::remove(saveFolder + "/Sayvane.INI");
    if (!fuzz::WriteFile(loadFolder + "/Sayvane.INI", input)) {
        return 0;
    }
    sim::PortableProfileStore store;

    ConfigForm form(store, loadFolder);
    form.Form_Load();
    const ConfigControls loaded = form.Controls();
    CheckControls(loaded);

    ConfigForm saver(store, saveFolder);
    saver.Controls() = loaded;
    FUZZ_CHECK(saver.SaveConfig());

    ConfigForm reloaded(store, saveFolder);
    reloaded.Form_Load();
    const ConfigControls& back = reloaded.Controls();
    CheckControls(back);
    FUZZ_CHECK(back.checks == loaded.checks);
    FUZZ_CHECK(back.cboRefresh == loaded.cboRefresh && back.cboDelay == loaded.cboDelay);
    FUZZ_CHECK(back.cboSize == loaded.cboSize && back.cboUsers == loaded.cboUsers);
    FUZZ_CHECK(back.HScroll1 == loaded.HScroll1);
    FUZZ_CHECK(back.colours == loaded.colours);
    FUZZ_CHECK(back.optPosition == loaded.optPosition);
    // The INI format itself drops outer blanks and one pair of quotes from any value, so only
    // a nickname without them survives the round trip unchanged.
    const std::string& nick = loaded.txtMe;
    if (nick.empty() || (!IsBlankOrQuote(nick.front()) && !IsBlankOrQuote(nick.back()))) {
        FUZZ_CHECK(back.txtMe == nick);
    }
    return 0;
}
