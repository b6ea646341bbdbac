// Who joined or left the channel since the previous connected tick, as "In:" and "Out:"
// lines that expire like the speakers.
#pragma once

#include <string_view>
#include <vector>

#include "app/Settings.h"
#include "overlay/OverlayState.h"
#include "platform/Clock.h"

namespace sayvane {

// Compares lstUsers with the copy kept from the previous connected tick (lstChkPlayer) and
// renews, adds and expires the lines of lstInOut. Names are matched without regard to case;
// two players of one name count as two. After a change of channel the new channel's players
// become the base and make no lines. Ends with a yield.
void TrackJoinLeave(OverlayState& state, const OverlaySettings& settings, Clock& clock);

// lstChkPlayer's texts (its values are all 0), also while they are only noted as lstUsers'
// names: views into the lists, valid until one of them changes.
[[nodiscard]] std::vector<std::string_view> ChkPlayerTexts(const OverlayState& state);

// Copies lstChkPlayer's names into its items when they are only noted as lstUsers'.
void SettleChkPlayer(OverlayState& state);

// Call before lstUsers changes, so that lstChkPlayer keeps its names. `scriptedRefill`: the
// change is a refill that writes its script into usersChanges, starting afresh there.
void BeforeUsersChange(OverlayState& state, bool scriptedRefill);

}  // namespace sayvane
