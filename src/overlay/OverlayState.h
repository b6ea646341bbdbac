// What the overlay remembers between ticks: its six lists and the refresh cycle's state.
// It lives as long as the overlay window and is made anew with each one.
#pragma once

#include <cstdint>
#include <string>

#include "overlay/ItemList.h"

namespace sayvane {

struct OverlayState {
    ItemList lstSpeakers;                                  // (name, stamp), least recent first
    ItemList lstInOut{ItemList::Order::SortedNoCase};      // ("In:"/"Out:" + name, stamp)
    ItemList lstChkPlayer;                                 // player names of the last connected tick
    ItemList lstOldPlayer{ItemList::Order::SortedNoCase};  // working copy within one tick
    ItemList lstUsers;                                     // (player name, player id)
    ItemList lstChans;                                     // (channel name, channel id)

    std::int32_t TickNumber = 0;
    std::int32_t RefreshCounter = 0;
    std::string LastChannelName;
    std::string LastShownText;
    std::string LastSpeaker;
    std::int32_t LastStatus = -1;
    std::string CurrentChannelName;

    // lstChkPlayer as last filled from lstUsers: the two lists' revisions then. While both
    // still stand, nobody can have joined or left.
    std::uint64_t chkPlayerRevision = ~0ULL;
    std::uint64_t chkPlayerUsersRevision = ~0ULL;

    // The widest text measured in this tick, in twips; 0 at the start of every tick.
    std::int32_t width = 0;
};

// The retention rule: an item stamped `stamp` has expired on tick `tick` once
// stamp + retention / interval (a real division) is less than the tick.
[[nodiscard]] inline bool Expired(std::int32_t stamp, std::int32_t tick, int retentionMs, int intervalMs) {
    return stamp + static_cast<double>(retentionMs) / intervalMs < tick;
}

}  // namespace sayvane
