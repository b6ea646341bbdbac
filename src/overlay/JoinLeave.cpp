// Who joined or left the channel since the previous connected tick.
#include "overlay/JoinLeave.h"

#include <algorithm>
#include <unordered_map>
#include <vector>

#include "text/TextRoutines.h"

namespace sayvane {

namespace {

// Renews or adds one line per comma-separated name of `names` (which starts with ",", so
// its first piece is empty and adds nothing).
void AddLines(ItemList& lstInOut, std::string names, const std::string& prefix, std::int32_t tick) {
    if (names == ",") {
        return;
    }
    while (!names.empty()) {
        const std::string piece = Prendi(names, ",");
        const std::string line = prefix + piece;
        const std::size_t found = lstInOut.FindText(line);
        if (found < lstInOut.Count()) {
            lstInOut.RemoveAt(found);
            lstInOut.Add(line, tick);
        } else if (!piece.empty()) {
            lstInOut.Add(line, tick);
        }
    }
}

}  // namespace

void TrackJoinLeave(OverlayState& state, const OverlaySettings& settings, Clock& clock) {
    const bool channelChanged = state.CurrentChannelName != state.LastChannelName;
    if (channelChanged) {
        state.lstChkPlayer.Clear();
        state.lstOldPlayer.Clear();
        state.lstInOut.Clear();
    }

    state.lstOldPlayer.Clear();
    for (const ListItem& item : state.lstChkPlayer.Items()) {
        state.lstOldPlayer.Add(item.text);
    }

    // Each current name takes the first old name equal to it without regard to case. The
    // old list is sorted that way, so equal names sit together: a cursor per name replaces
    // the walk from the top, and the names no one took are the ones that left.
    const auto& old = state.lstOldPlayer.Items();
    std::unordered_map<std::string, std::size_t> nextOfName;  // upper-case name -> next untaken position
    for (std::size_t i = old.size(); i-- > 0;) {
        nextOfName[AnsiToUpper(old[i].text)] = i;
    }
    std::vector<bool> taken(old.size(), false);
    std::string joined = ",";
    for (const ListItem& user : state.lstUsers.Items()) {
        const auto it = nextOfName.find(AnsiToUpper(user.text));
        if (it != nextOfName.end() && it->second < old.size() && AnsiEqualsNoCase(old[it->second].text, user.text)) {
            taken[it->second] = true;
            ++it->second;
        } else {
            joined += user.text + ",";
        }
    }
    std::string left = ",";
    for (std::size_t i = 0; i < old.size(); ++i) {
        if (!taken[i]) {
            left += old[i].text + ",";
        }
    }
    // The working copy keeps the names nobody took.
    std::vector<std::string> remaining;
    for (std::size_t i = 0; i < old.size(); ++i) {
        if (!taken[i]) {
            remaining.push_back(old[i].text);
        }
    }
    state.lstOldPlayer.Clear();
    for (std::string& name : remaining) {
        state.lstOldPlayer.Add(std::move(name));
    }

    AddLines(state.lstInOut, joined, "In:", state.TickNumber);
    AddLines(state.lstInOut, left, "Out:", state.TickNumber);

    for (std::size_t i = state.lstInOut.Count(); i-- > 0;) {
        if (Expired(state.lstInOut[i].value, state.TickNumber, settings.RetentionTime, settings.RefreshInterval)) {
            state.lstInOut.RemoveAt(i);
        }
    }

    state.lstChkPlayer.Clear();
    for (const ListItem& user : state.lstUsers.Items()) {
        state.lstChkPlayer.Add(user.text);
    }

    if (channelChanged) {
        state.lstInOut.Clear();
    }
    clock.ProcessPendingMessages();
}

}  // namespace sayvane
