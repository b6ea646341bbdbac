// Who joined or left the channel since the previous connected tick, as "In:" and "Out:"
// lines that expire like the speakers.
#pragma once

#include "app/Settings.h"
#include "overlay/OverlayState.h"
#include "platform/Clock.h"

namespace sayvane {

// Compares lstUsers with the copy kept from the previous connected tick (lstChkPlayer) and
// renews, adds and expires the lines of lstInOut. Names are matched without regard to case;
// two players of one name count as two. After a change of channel the new channel's players
// become the base and make no lines. Ends with a yield.
void TrackJoinLeave(OverlayState& state, const OverlaySettings& settings, Clock& clock);

}  // namespace sayvane
