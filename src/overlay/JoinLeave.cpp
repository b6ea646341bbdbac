// Who joined or left the channel since the previous connected tick.
#include "overlay/JoinLeave.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "text/TextRoutines.h"

namespace sayvane {

namespace {

// Renews or adds one line per comma-separated name of `names` (which starts with ",", so
// its first piece is empty and adds nothing). A renewed line leaves its place and is added
// again with this tick's stamp; a name met twice ends where its last piece puts it. All lines
// are taken out and put in at once, so a thousand joins cost a sort, not a thousand inserts.
void AddLines(ItemList& lstInOut, const std::string& names, const std::string& prefix, std::int32_t tick) {
    if (names == ",") {
        return;
    }
    std::vector<std::string> lines;                       // in the order of their last piece
    std::unordered_map<std::string, std::size_t> lineAt;  // line -> its place in `lines`
    std::unordered_set<std::string> renewed;              // lines already listed
    // The pieces Prendi would take one by one, read with a cursor instead of shortening the
    // text each time (which copies the rest of a long list once per name).
    std::string_view rest = names;
    while (!rest.empty()) {
        const std::size_t comma = rest.find(',');
        const std::string_view piece = rest.substr(0, comma);
        rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
        std::string line = prefix + std::string(piece);
        const bool listed = renewed.count(line) != 0 || lstInOut.FindText(line) < lstInOut.Count();
        if (!listed && piece.empty()) {
            continue;
        }
        if (listed) {
            renewed.insert(line);
        }
        if (const auto it = lineAt.find(line); it != lineAt.end()) {
            lines[it->second].clear();  // an earlier piece of the same name: its place moves here
        }
        lineAt[line] = lines.size();
        lines.push_back(std::move(line));
    }
    if (!renewed.empty()) {
        lstInOut.RemoveIf([&](const ListItem& item) { return renewed.count(item.text) != 0; });
    }
    std::vector<ListItem> added;
    added.reserve(lineAt.size());
    for (std::string& line : lines) {
        if (!line.empty()) {
            added.push_back(ListItem{std::move(line), tick});
        }
    }
    lstInOut.AddAll(std::move(added));
}

void ExpireLines(OverlayState& state, const OverlaySettings& settings) {
    state.lstInOut.RemoveIf([&](const ListItem& item) {
        return Expired(item.value, state.TickNumber, settings.RetentionTime, settings.RefreshInterval);
    });
}

}  // namespace

void TrackJoinLeave(OverlayState& state, const OverlaySettings& settings, Clock& clock) {
    const bool channelChanged = state.CurrentChannelName != state.LastChannelName;
    if (!channelChanged && state.lstChkPlayer.Revision() == state.chkPlayerRevision &&
        state.lstUsers.Revision() == state.chkPlayerUsersRevision) {
        // The same players as on the last connected tick: nobody joined or left, and the
        // comparison below would only rebuild what is there. The lines still expire.
        state.lstOldPlayer.Clear();
        ExpireLines(state, settings);
        clock.ProcessPendingMessages();
        return;
    }
    if (channelChanged) {
        state.lstChkPlayer.Clear();
        state.lstOldPlayer.Clear();
        state.lstInOut.Clear();
    }

    // The sorted working copy is filled in one go: adding a thousand names one by one
    // would shift the list a thousand times on every tick.
    state.lstOldPlayer.Clear();
    std::vector<ListItem> previous;
    previous.reserve(state.lstChkPlayer.Count());
    for (const ListItem& item : state.lstChkPlayer.Items()) {
        previous.push_back(ListItem{item.text, 0});
    }
    state.lstOldPlayer.AddAll(std::move(previous));

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
    std::vector<ListItem> remaining;
    for (std::size_t i = 0; i < old.size(); ++i) {
        if (!taken[i]) {
            remaining.push_back(ListItem{old[i].text, 0});
        }
    }
    state.lstOldPlayer.Clear();
    state.lstOldPlayer.AddAll(std::move(remaining));

    AddLines(state.lstInOut, joined, "In:", state.TickNumber);
    AddLines(state.lstInOut, left, "Out:", state.TickNumber);
    ExpireLines(state, settings);

    state.lstChkPlayer.Clear();
    std::vector<ListItem> base;
    base.reserve(state.lstUsers.Count());
    for (const ListItem& user : state.lstUsers.Items()) {
        base.push_back(ListItem{user.text, 0});
    }
    state.lstChkPlayer.AddAll(std::move(base));
    state.chkPlayerRevision = state.lstChkPlayer.Revision();
    state.chkPlayerUsersRevision = state.lstUsers.Revision();

    if (channelChanged) {
        state.lstInOut.Clear();
    }
    clock.ProcessPendingMessages();
}

}  // namespace sayvane
