// What the overlay remembers between ticks: its six lists and the refresh cycle's state.
// It lives as long as the overlay window and is made anew with each one. The overlay changes
// the lists only through its Roster, which keeps them in step with the voice client.
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
    // What LastShownText was made of: while these stand, it still tells what would show.
    struct ShownParts {
        int branch = -1;  // which kind of drawing made it, and which parts it has
        std::uint64_t speakers = 0;
        std::uint64_t inOut = 0;
        std::string channel;
        friend bool operator==(const ShownParts& a, const ShownParts& b) {
            return a.branch == b.branch && a.speakers == b.speakers && a.inOut == b.inOut && a.channel == b.channel;
        }
    } shownParts;
    std::string LastSpeaker;
    std::int32_t LastStatus = -1;
    std::string CurrentChannelName;

    // The widest text measured in this tick, in twips; 0 at the start of every tick.
    std::int32_t width = 0;
};

// The retention rule: an item stamped `stamp` has expired on tick `tick` once
// stamp + retention / interval (a real division) is less than the tick.
[[nodiscard]] inline bool Expired(std::int32_t stamp, std::int32_t tick, int retentionMs, int intervalMs) {
    return stamp + static_cast<double>(retentionMs) / intervalMs < tick;
}

}  // namespace sayvane
