// Who joined or left the channel since the previous connected tick.
#include "overlay/JoinLeave.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <utility>
#include <unordered_map>
#include <vector>

#include "overlay/FlatTable.h"
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
    struct Line {
        std::string text;
        bool listed = false;  // in the list already
        bool kept = false;    // the last line of its text
    };
    std::vector<Line> lines;  // one per piece that makes a line, in order
    lines.reserve(static_cast<std::size_t>(std::count(names.begin(), names.end(), ',')));
    std::string_view rest = names;
    while (!rest.empty()) {
        const std::size_t comma = rest.find(',');
        const std::string_view piece = rest.substr(0, comma);
        rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
        std::string line;
        line.reserve(prefix.size() + piece.size());
        line.append(prefix).append(piece);
        const bool isListed = lstInOut.FindText(line) < lstInOut.Count();
        if (!isListed && piece.empty()) {
            continue;
        }
        lines.push_back(Line{std::move(line), isListed});
    }
    // Each line once, where its last piece puts it; the ones listed already leave their place.
    FlatTable<std::string_view, bool> later;
    std::vector<bool> renew;
    for (std::size_t i = lines.size(); i-- > 0;) {
        Line& line = lines[i];
        line.kept = later.Add(line.text, true);
        if (line.kept && line.listed) {
            // Every item of that text: equal texts sit together in the sorted list.
            renew.resize(lstInOut.Count(), false);
            for (std::size_t at = lstInOut.FindText(line.text);
                 at < lstInOut.Count() && !SortsBefore(line.text, lstInOut[at].text); ++at) {
                renew[at] = renew[at] || lstInOut[at].text == line.text;
            }
        }
    }
    if (!renew.empty()) {
        lstInOut.RemoveFlagged(renew);
    }
    std::vector<ListItem> added;
    added.reserve(lines.size());
    for (Line& line : lines) {
        if (line.kept) {
            added.push_back(ListItem{std::move(line.text), tick});
        }
    }
    lstInOut.AddAll(std::move(added));
}

// ",a,b,": a comma, then each text followed by one.
template <typename Texts, typename TextOf>
std::string CommaList(const Texts& texts, TextOf textOf) {
    std::size_t size = 1;
    for (const auto& text : texts) {
        size += textOf(text).size() + 1;
    }
    std::string list;
    list.reserve(size);
    list += ',';
    for (const auto& text : texts) {
        list += textOf(text);
        list += ',';
    }
    return list;
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
    SettleChkPlayer(state);
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
    forms.reserve(order.size());
    leaving.reserve(order.size());
    joining.reserve(order.size());
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
    std::string joined = CommaList(joining, [](const std::string* name) -> const std::string& { return *name; });
    std::vector<ListItem> remaining;
    remaining.reserve(leaving.size());
    for (const std::string* name : leaving) {
        remaining.push_back(ListItem{*name, 0});
    }
    state.lstOldPlayer.Clear();
    state.lstOldPlayer.AddAll(std::move(remaining));
    std::string left =
        CommaList(state.lstOldPlayer.Items(), [](const ListItem& item) -> const std::string& { return item.text; });
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
        state.chkPlayerIsUsers = false;
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

    // lstChkPlayer takes the names of lstUsers: noted only, so that a tick copies none of
    // them; the reference copies them all.
    const auto& users = state.lstUsers.Items();
    if (state.incremental) {
        state.chkPlayerIsUsers = true;
    } else {
        std::vector<ListItem> base;
        base.reserve(users.size());
        for (const ListItem& user : users) {
            base.push_back(ListItem{user.text, 0});
        }
        state.lstChkPlayer.Assign(std::move(base));
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
    // Emptied, not made anew: the next refill writes into the same storage.
    OverlayState::UserChanges& changes = state.usersChanges;
    changes.from = changes.to = state.lstUsers.Revision();
    changes.removed.clear();
    changes.added.clear();
    changes.script.clear();

    if (channelChanged) {
        state.lstInOut.Clear();
    }
    clock.ProcessPendingMessages();
}

std::vector<std::string_view> ChkPlayerTexts(const OverlayState& state) {
    std::vector<std::string_view> texts;
    const auto& users = state.lstUsers.Items();
    const OverlayState::UserChanges& changes = state.usersChanges;
    if (!state.chkPlayerIsUsers) {
        texts.reserve(state.lstChkPlayer.Count());
        for (const ListItem& item : state.lstChkPlayer.Items()) {
            texts.emplace_back(item.text);
        }
    } else if (state.lstUsers.Revision() == state.chkPlayerUsersRevision) {
        texts.reserve(users.size());
        for (const ListItem& user : users) {
            texts.emplace_back(user.text);
        }
    } else if (changes.from == state.chkPlayerUsersRevision && changes.to == state.lstUsers.Revision() &&
               !changes.script.empty()) {
        // One refill on: the names of the kept records are in the list, the removed ones were
        // written down in order, and the records made anew had no name before.
        std::size_t next = 0;     // in lstUsers
        std::size_t removed = 0;  // in changes.removed
        for (const ListEdit& edit : changes.script) {
            switch (edit.kind) {
                case ListEdit::Kind::Keep:
                    for (std::size_t k = 0; k < edit.count && next < users.size(); ++k) {
                        texts.emplace_back(users[next++].text);
                    }
                    break;
                case ListEdit::Kind::Remove:
                    for (std::size_t k = 0; k < edit.count && removed < changes.removed.size(); ++k) {
                        texts.emplace_back(changes.removed[removed++].text);
                    }
                    break;
                case ListEdit::Kind::Make: next += edit.count; break;
            }
        }
    }
    return texts;
}

void SettleChkPlayer(OverlayState& state) {
    if (!state.chkPlayerIsUsers) {
        return;
    }
    const std::vector<std::string_view> texts = ChkPlayerTexts(state);
    state.chkPlayerIsUsers = false;
    // Settling changes what the list holds, not the names it stands for.
    const bool inStep = state.chkPlayerRevision == state.lstChkPlayer.Revision();
    state.lstChkPlayer.Reconcile(texts.size(),
                                 [&](std::size_t i) { return std::pair<std::string_view, std::int32_t>(texts[i], 0); });
    if (inStep) {
        state.chkPlayerRevision = state.lstChkPlayer.Revision();
    }
}

void BeforeUsersChange(OverlayState& state, bool scriptedRefill) {
    // The names can be recovered after one refill from where they were taken, as long as the
    // refill's changes are written down from there.
    const std::uint64_t taken = state.chkPlayerUsersRevision;
    if (!scriptedRefill || state.lstUsers.Revision() != taken || state.usersChanges.from != taken) {
        SettleChkPlayer(state);
    }
}

}  // namespace sayvane
