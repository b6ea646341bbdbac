// The configuration window opening on a settings file as a user's editor may leave it: the
// input is the whole file. What the window then saves, it must load back the same.
#include "FuzzSupport.h"
#include "app/SettingsFile.h"
#include "config/ConfigForm.h"
#include "sim/MemoryProfileStore.h"

namespace {

const int kRefreshEntries = static_cast<int>(RefreshListEntries().size());
const int kDelayEntries = static_cast<int>(DelayListEntries().size());
const int kSizeEntries = static_cast<int>(FontSizeListEntries().size());

void CheckControls(const ConfigControls& c) {
    // A list selection is one of its entries, or none.
    FUZZ_CHECK(c.cboRefresh >= -1 && c.cboRefresh < kRefreshEntries);
    FUZZ_CHECK(c.cboDelay >= -1 && c.cboDelay < kDelayEntries);
    FUZZ_CHECK(c.cboSize >= -1 && c.cboSize < kSizeEntries);
    FUZZ_CHECK(c.cboUsers >= -1 && c.cboUsers < kSizeEntries);
    FUZZ_CHECK(std::all_of(c.checks.begin(), c.checks.end(), [](CheckState state) {
        return static_cast<int>(state) >= 0 && static_cast<int>(state) <= 2;
    }));
    FUZZ_CHECK(c.HScroll1 >= 0 && c.HScroll1 <= 100);
    // The position options form one group: at most one is chosen.
    FUZZ_CHECK(std::count(c.optPosition.begin(), c.optPosition.end(), true) <= 1);
    const bool ivac = c.Check(ConfigCheck::IvAc) == CheckState::Checked;
    FUZZ_CHECK(c.chkBeepEnabled == ivac && c.chkZoomEnabled == ivac);
    FUZZ_CHECK(c.txtMe.size() <= 254);
}

// The programs' folders: drive roots, whose settings paths are short enough for a string to
// keep them without allocating, as the store copies the path on every key it reads or writes.
constexpr char kLoadFolder[] = "C:";
constexpr char kSaveFolder[] = "D:";

}  // namespace

void fuzz::FuzzOne(FuzzedDataProvider& in) {
    sim::MemoryProfileStore store;
    store.PutFile(SettingsPath(kLoadFolder), in.ConsumeRemainingBytesAsString());

    ConfigForm form(store, kLoadFolder);
    form.Form_Load();
    const ConfigControls loaded = form.Controls();
    CheckControls(loaded);

    ConfigForm saver(store, kSaveFolder);
    saver.Controls() = loaded;
    FUZZ_CHECK(saver.SaveConfig());

    ConfigForm reloaded(store, kSaveFolder);
    reloaded.Form_Load();
    const ConfigControls& back = reloaded.Controls();
    CheckControls(back);
    FUZZ_CHECK(back.checks == loaded.checks);
    FUZZ_CHECK(back.cboRefresh == loaded.cboRefresh && back.cboDelay == loaded.cboDelay);
    FUZZ_CHECK(back.cboSize == loaded.cboSize && back.cboUsers == loaded.cboUsers);
    FUZZ_CHECK(back.HScroll1 == loaded.HScroll1);
    FUZZ_CHECK(back.colours == loaded.colours);
    FUZZ_CHECK(back.optPosition == loaded.optPosition);
    // Only a nickname the settings file keeps as it is (no outer blanks, no surrounding pair of
    // quotes) comes back unchanged.
    if (IniReadBack(loaded.txtMe) == loaded.txtMe) {
        FUZZ_CHECK(back.txtMe == loaded.txtMe);
    }
}
