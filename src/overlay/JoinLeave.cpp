// Who joined or left the channel since the previous connected tick.
#include "overlay/JoinLeave.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <utility>
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
    // The pieces Prendi would take one by one, read with a cursor instead of shortening the
    // text each time (which copies the rest of a long list once per name).
    std::vector<std::string> lines;  // one per piece that makes a line, in order
    std::vector<bool> listed;        // whether that line is in the list already
    std::string_view rest = names;
    while (!rest.empty()) {
        const std::size_t comma = rest.find(',');
        const std::string_view piece = rest.substr(0, comma);
        rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
        std::string line = prefix + std::string(piece);
        const bool isListed = lstInOut.FindText(line) < lstInOut.Count();
        if (!isListed && piece.empty()) {
            continue;
        }
        lines.push_back(std::move(line));
        listed.push_back(isListed);
    }
    // Each line once, where its last piece puts it; the ones listed already leave their place.
    std::unordered_set<std::string_view> later;
    later.reserve(lines.size());
    std::vector<bool> kept(lines.size(), false);
    std::vector<bool> renew(lstInOut.Count(), false);
    bool renewing = false;
    for (std::size_t i = lines.size(); i-- > 0;) {
        if (later.insert(lines[i]).second) {
            kept[i] = true;
            if (listed[i]) {
                // Every item of that text: equal texts sit together in the sorted list.
                for (std::size_t at = lstInOut.FindText(lines[i]);
                     at < lstInOut.Count() && !SortsBefore(lines[i], lstInOut[at].text); ++at) {
                    renew[at] = renew[at] || lstInOut[at].text == lines[i];
                }
                renewing = true;
            }
        }
    }
    if (renewing) {
        lstInOut.RemoveFlagged(renew);
    }
    std::vector<ListItem> added;
    added.reserve(lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (kept[i]) {
            added.push_back(ListItem{std::move(lines[i]), tick});
        }
    }
    lstInOut.AddAll(std::move(added));
}

void ExpireLines(OverlayState& state, const OverlaySettings& settings) {
    state.lstInOut.RemoveIf([&](const ListItem& item) {
        return Expired(item.value, state.TickNumber, settings.RetentionTime, settings.RefreshInterval);
    });
}

// Who joined and who left, worked out from every name: each current name takes the first
// old name equal to it without regard to case (the old list is sorted that way, so equal
// names sit together: a cursor per name replaces the walk from the top), and the names no one
// took are the ones that left. Returns ",joined,..." and ",left,..." and fills lstOldPlayer
// with the names nobody took.
std::pair<std::string, std::string> CompareAllNames(OverlayState& state) {
    // The sorted working copy is filled in one go: adding a thousand names one by one
    // would shift the list a thousand times on every tick.
    state.lstOldPlayer.Clear();
    std::vector<ListItem> previous;
    previous.reserve(state.lstChkPlayer.Count());
    for (const ListItem& item : state.lstChkPlayer.Items()) {
        previous.push_back(ListItem{item.text, 0});
    }
    state.lstOldPlayer.AddAll(std::move(previous));

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
    std::vector<ListItem> remaining;
    for (std::size_t i = 0; i < old.size(); ++i) {
        if (!taken[i]) {
            left += old[i].text + ",";
            remaining.push_back(ListItem{old[i].text, 0});
        }
    }
    state.lstOldPlayer.Clear();
    state.lstOldPlayer.AddAll(std::move(remaining));
    return {std::move(joined), std::move(left)};
}

// The same answer from what the refills of lstUsers changed since lstChkPlayer was taken
// from it, when every name form they touch was held by at most one player before and after:
// a form that gains its player joined, one that loses it left, one that keeps it (renamed
// only in case, or moved) did neither. The forms differ, so the order the lines come in does
// not matter. Nothing for other changes, which go the long way.
std::optional<std::pair<std::string, std::string>> CompareChanges(OverlayState& state) {
    const OverlayState::UserChanges& changes = state.usersChanges;
    if (!state.chkPlayerKeysKnown || changes.from != state.chkPlayerUsersRevision ||
        changes.to != state.lstUsers.Revision()) {
        return std::nullopt;
    }
    // Each change with the upper-case form of its name, sorted so that the changes of one
    // form sit together: a few dozen of them cost less than a map.
    struct Change {
        std::string key;
        const std::string* name;
        bool removed;
    };
    std::vector<Change> touched;
    touched.reserve(changes.removed.size() + changes.added.size());
    for (const ListItem& item : changes.removed) {
        touched.push_back(Change{AnsiToUpper(item.text), &item.text, true});
    }
    for (const ListItem& item : changes.added) {
        touched.push_back(Change{AnsiToUpper(item.text), &item.text, false});
    }
    std::vector<const Change*> order;  // sorted by pointer: moving a pointer costs less than moving a key
    order.reserve(touched.size());
    for (const Change& change : touched) {
        order.push_back(&change);
    }
    std::sort(order.begin(), order.end(), [](const Change* a, const Change* b) { return a->key < b->key; });
    struct Form {
        const Change* first;
        int before;
        int after;
    };
    std::vector<Form> forms;
    std::vector<const std::string*> leaving;
    std::vector<const std::string*> joining;
    for (auto first = order.begin(); first != order.end();) {
        const Change* group = *first;
        auto end = first;
        int removed = 0;
        int added = 0;
        for (; end != order.end() && (*end)->key == group->key; ++end) {
            ((*end)->removed ? removed : added) += 1;
        }
        const int* held = state.chkPlayerKeys.Find(group->key);
        const int before = held == nullptr ? 0 : *held;
        const int after = before - removed + added;
        if (before > 1 || after > 1 || after < 0 || (before != after && removed + added != 1)) {
            return std::nullopt;
        }
        if (before != after && group->name->find(',') != std::string::npos) {
            return std::nullopt;  // its pieces would be lines of their own, in an order that matters
        }
        if (before == 1 && after == 0) {
            leaving.push_back(group->name);
        } else if (before == 0 && after == 1) {
            joining.push_back(group->name);
        }
        forms.push_back(Form{group, before, after});
        first = end;
    }
    std::string joined = ",";
    for (const std::string* name : joining) {
        joined += *name + ",";
    }
    std::vector<ListItem> remaining;
    remaining.reserve(leaving.size());
    for (const std::string* name : leaving) {
        remaining.push_back(ListItem{*name, 0});
    }
    state.lstOldPlayer.Clear();
    state.lstOldPlayer.AddAll(std::move(remaining));
    std::string left = ",";
    for (const ListItem& item : state.lstOldPlayer.Items()) {
        left += item.text + ",";
    }
    for (const Form& form : forms) {
        if (form.after == 0) {
            state.chkPlayerKeys.Remove(form.first->key);
        } else if (form.after != form.before) {
            state.chkPlayerKeys[form.first->key] = form.after;
        }
    }
    return std::pair(std::move(joined), std::move(left));
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

    std::optional<std::pair<std::string, std::string>> found;
    if (state.incremental && !channelChanged && state.lstChkPlayer.Revision() == state.chkPlayerRevision) {
        found = CompareChanges(state);
    }
    const bool fromChanges = found.has_value();
    if (!fromChanges) {
        found = CompareAllNames(state);
    }
    const auto& [joined, left] = *found;

    AddLines(state.lstInOut, joined, "In:", state.TickNumber);
    AddLines(state.lstInOut, left, "Out:", state.TickNumber);
    ExpireLines(state, settings);

    // lstChkPlayer takes the names of lstUsers, reusing the ones it has: as lstUsers changed
    // when that is known, else name by name.
    const auto& users = state.lstUsers.Items();
    const auto name = [&](std::size_t i) { return std::pair<std::string_view, std::int32_t>(users[i].text, 0); };
    if (!state.incremental) {
        std::vector<ListItem> base;
        base.reserve(users.size());
        for (const ListItem& user : users) {
            base.push_back(ListItem{user.text, 0});
        }
        state.lstChkPlayer.Assign(std::move(base));
    } else if (fromChanges && !state.usersChanges.script.empty()) {
        state.lstChkPlayer.Follow(state.usersChanges.script, name);
    } else {
        state.lstChkPlayer.Reconcile(users.size(), name);
    }
    if (!fromChanges) {
        state.chkPlayerKeys.Clear();
        for (const ListItem& user : users) {
            ++state.chkPlayerKeys[AnsiToUpper(user.text)];
        }
        state.chkPlayerKeysKnown = true;
    }
    state.chkPlayerRevision = state.lstChkPlayer.Revision();
    state.chkPlayerUsersRevision = state.lstUsers.Revision();
    state.usersChanges = OverlayState::UserChanges{state.lstUsers.Revision(), state.lstUsers.Revision(), {}, {}, {}};

    if (channelChanged) {
        state.lstInOut.Clear();
    }
    clock.ProcessPendingMessages();
}

}  // namespace sayvane
