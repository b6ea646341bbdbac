// What the overlay remembers between ticks: its six lists and the refresh cycle's state.
// It lives as long as the overlay window and is made anew with each one.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "overlay/FlatTable.h"
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

    // lstChkPlayer as last filled from lstUsers: the two lists' revisions then. While both
    // still stand, nobody can have joined or left.
    std::uint64_t chkPlayerRevision = ~0ULL;
    std::uint64_t chkPlayerUsersRevision = ~0ULL;
    // Whether lstChkPlayer's names are only noted as lstUsers' texts (as the list stood at
    // chkPlayerUsersRevision; values 0) and its items are out of date. Taking the names at the
    // end of a connected tick then copies nothing; they are copied when read (ChkPlayerTexts,
    // SettleChkPlayer). Meanwhile lstUsers may change only by one refill that writes its
    // script down, from which the names can be recovered; BeforeUsersChange settles them
    // before any other change.
    bool chkPlayerIsUsers = false;
    // How many of lstChkPlayer's names have each upper-case form, while it is known.
    FlatTable<std::string, int> chkPlayerKeys;
    bool chkPlayerKeysKnown = false;

    // What the refills of lstUsers changed between its revisions `from` and `to` (both ~0
    // when unknown: the list was changed another way since).
    // `script` tells how the list's positions changed, when a single refill made all the
    // changes and knew it; it is empty otherwise.
    struct UserChanges {
        std::uint64_t from = ~0ULL;
        std::uint64_t to = ~0ULL;
        std::vector<ListItem> removed;
        std::vector<ListItem> added;
        ListEdits script;
    } usersChanges;

    // Whether a refresh may follow what changed since the last one. Off, every list is built
    // again from all the records on every refresh and every draw looks at every text: the
    // reference the shortcuts are compared with.
    bool incremental = true;

    // The widest text measured in this tick, in twips; 0 at the start of every tick.
    std::int32_t width = 0;
};

// The retention rule: an item stamped `stamp` has expired on tick `tick` once
// stamp + retention / interval (a real division) is less than the tick.
[[nodiscard]] inline bool Expired(std::int32_t stamp, std::int32_t tick, int retentionMs, int intervalMs) {
    return stamp + static_cast<double>(retentionMs) / intervalMs < tick;
}

}  // namespace sayvane
