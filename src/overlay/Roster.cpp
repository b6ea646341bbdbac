// The overlay's lists kept in step with the voice client: the refills of the channels and
// players, the speaker update and expiry, and the join/leave tracking.
#include "overlay/Roster.h"

#include <algorithm>
#include <iterator>
#include <string_view>
#include <unordered_map>

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

}  // namespace

// A refill keeps the items that equal their records; one whose records are one revision on from
// the ones the list holds takes the port's account of how they changed instead of comparing.
// What changed in lstUsers goes to the user index and the join/leave change log, so that
// neither reads every name again.
void Roster::RefillChannels(const VoicePort& port) {
    ItemList& chans = m_state.lstChans;
    if (m_chansFilled.records == port.ChannelsRevision() && m_chansFilled.list == chans.Revision()) {
        return;  // the same records, already in the list
    }
    chans.Reconcile(port.ChannelCount(),
                    [&](std::size_t i) { return std::pair(port.ChannelName(i), port.ChannelId(i)); });
    m_chansFilled = {port.ChannelsRevision(), chans.Revision()};
}

void Roster::RefillPlayers(const VoicePort& port) {
    ItemList& users = m_state.lstUsers;
    const auto fresh = [&](std::size_t i) { return std::pair(port.PlayerName(i), port.PlayerId(i)); };
    if (m_usersFilled.records == port.PlayersRevision() && m_usersFilled.list == users.Revision()) {
        return;
    }
    const std::uint64_t before = users.Revision();
    const bool scripted = m_usersFilled.list == before && m_usersFilled.records + 1 == port.PlayersRevision();
    m_refillEdits.removed.clear();
    m_refillEdits.added.clear();
    if (scripted) {
        users.Follow(port.PlayerEdits(), fresh, &m_refillEdits);
    } else if (!users.Reconcile(port.PlayerCount(), fresh, &m_refillEdits)) {
        m_usersFilled = {port.PlayersRevision(), users.Revision()};
        return;
    }
    m_usersFilled = {port.PlayersRevision(), users.Revision()};
    m_index.Changed(users, before, m_refillEdits);
    NoteUsersChange(before, scripted ? &port.PlayerEdits() : nullptr);
}

// Adds a refill's edits to the change log, which starts afresh when the list was changed some
// other way since, or when the log has grown past what comparing every name would cost.
void Roster::NoteUsersChange(std::uint64_t before, const ListEdits* script) {
    UsersChanges& changes = m_usersChanges;
    const bool first = changes.to != before || changes.from == before ||
                       changes.removed.size() + changes.added.size() > 2 * m_state.lstUsers.Count() + 64;
    if (first) {
        changes.from = changes.to = before;
        changes.removed.clear();
        changes.added.clear();
    }
    if (first && script != nullptr) {
        changes.script = *script;
    } else {
        changes.script.clear();  // several refills, or one that did not know how
    }
    changes.removed.insert(changes.removed.end(), std::make_move_iterator(m_refillEdits.removed.begin()),
                           std::make_move_iterator(m_refillEdits.removed.end()));
    changes.added.insert(changes.added.end(), std::make_move_iterator(m_refillEdits.added.begin()),
                         std::make_move_iterator(m_refillEdits.added.end()));
    changes.to = m_state.lstUsers.Revision();
}

void Roster::UpdateSpeakers(const SpeakerSnapshot& ids, const OverlaySettings& settings,
                            const std::function<void()>& refreshLists) {
    ItemList& speakers = m_state.lstSpeakers;
    m_index.Update(m_state.lstUsers);
    LastHeard& last = m_lastHeard;
    if (last.valid && last.indexRevision == m_index.Revision() && last.listRevision == speakers.Revision() &&
        last.showMe == settings.ShowMe && last.nickName == settings.NickName && last.ids == ids) {
        // The same IDs over the same players and list as on the last update: the same names
        // were heard, and the ones listed then are still the last items.
        speakers.SetValuesFrom(speakers.Count() - last.listed, m_state.TickNumber);
        m_speakerNames.revision = speakers.Revision();
        last.listRevision = speakers.Revision();
        return;
    }
    const bool refreshed = FindSpeakers(ids, refreshLists);
    last.valid = !refreshed;
    last.ids.assign(ids.begin(), ids.end());
    last.indexRevision = m_index.Revision();
    last.showMe = settings.ShowMe;
    last.nickName = settings.NickName;
    last.listed = m_heard.empty() ? 0 : MoveHeardToEnd(settings);
    last.listRevision = speakers.Revision();
}

// The walk over the IDs: the name numbers of the speakers found go to m_heard, in the order
// found. Returns whether it refreshed the lists.
bool Roster::FindSpeakers(const SpeakerSnapshot& ids, const std::function<void()>& refreshLists) {
    m_heard.clear();
    bool found = false;
    bool refreshed = false;
    for (const std::int32_t id : ids) {
        if (m_state.lstUsers.Empty() || id <= 0) {
            continue;
        }
        const std::uint32_t name = m_index.Find(id);
        if (name != UserIndex::kNoName) {
            found = true;
            m_heard.push_back(name);
        }
        if (!found) {
            refreshLists();
            m_index.Update(m_state.lstUsers);
            refreshed = true;
        }
    }
    return refreshed;
}

// Moving each name heard to the end in turn, done in one pass: a name heard leaves its old
// place, and of its new entries only the last one stays. Names are handled by their numbers in
// the user index, so an update copies only the names it lists. Returns how many it listed.
std::size_t Roster::MoveHeardToEnd(const OverlaySettings& settings) {
    ItemList& speakers = m_state.lstSpeakers;
    // The numbers of the listed names first: numbering a name the index has not seen (a
    // speaker still listed after leaving the server) adds a number the marks must cover.
    const std::vector<std::uint32_t>& names = SpeakerNames();
    // The names heard, each once where it was heard last, and of them the ones listed.
    const std::uint64_t revision = ++m_heardRevision;
    m_heardMarks.resize(m_index.Names(), HeardMark{});
    std::vector<std::uint32_t>& listed = m_listed;
    listed.clear();
    for (std::size_t i = m_heard.size(); i-- > 0;) {
        HeardMark& mark = m_heardMarks[m_heard[i]];
        if (mark.revision != revision) {
            mark = HeardMark{revision, kNotListed};
            if (settings.ShowMe != 0 || !AnsiEqualsNoCase(m_index.Name(m_heard[i]), settings.NickName)) {
                listed.push_back(m_heard[i]);
            }
        }
    }
    // The items not heard keep their order; the names heard come after them, newest last,
    // their texts taken from their old items where they had one.
    std::vector<ListItem> old = speakers.Take();
    std::vector<ListItem>& items = m_items;
    std::vector<std::uint32_t>& itemNames = m_itemNames;
    items.clear();
    itemNames.clear();
    for (std::size_t i = 0; i < old.size(); ++i) {
        HeardMark& mark = m_heardMarks[names[i]];
        if (mark.revision != revision) {
            items.push_back(std::move(old[i]));
            itemNames.push_back(names[i]);
        } else {
            mark.oldPosition = i;
        }
    }
    items.reserve(items.size() + listed.size());
    for (auto it = listed.rbegin(); it != listed.rend(); ++it) {
        // Made in place, so the text is moved (or copied) once.
        ListItem& item = items.emplace_back();
        const std::size_t from = m_heardMarks[*it].oldPosition;
        if (from == kNotListed) {
            item.text = m_index.Name(*it);
        } else {
            item.text = std::move(old[from].text);
        }
        item.value = m_state.TickNumber;
        itemNames.push_back(*it);
    }
    // The old items' storage is kept for the next update's list.
    old.clear();
    std::swap(old, items);
    speakers.Replace(std::move(old));
    std::swap(m_speakerNames.names, itemNames);
    m_speakerNames.revision = speakers.Revision();
    m_speakerNames.numberingRevision = m_index.NumberingRevision();
    return listed.size();
}

const std::vector<std::uint32_t>& Roster::SpeakerNames() {
    const ItemList& speakers = m_state.lstSpeakers;
    if (m_speakerNames.revision != speakers.Revision() ||
        m_speakerNames.numberingRevision != m_index.NumberingRevision()) {
        m_speakerNames.names.clear();
        for (const ListItem& item : speakers.Items()) {
            m_speakerNames.names.push_back(m_index.Number(item.text));
        }
        m_speakerNames.revision = speakers.Revision();
        m_speakerNames.numberingRevision = m_index.NumberingRevision();
    }
    return m_speakerNames.names;
}

void Roster::ExpireSpeakers(const OverlaySettings& settings) {
    // One pass: removing a thousand expired speakers one at a time would shift the list each
    // time. The names' numbers go with their items.
    ItemList& speakers = m_state.lstSpeakers;
    const auto expiredAt = [&](std::size_t i) {
        return Expired(speakers[i].value, m_state.TickNumber, settings.RetentionTime, settings.RefreshInterval);
    };
    std::size_t first = 0;
    while (first < speakers.Count() && !expiredAt(first)) {
        ++first;
    }
    if (first == speakers.Count()) {
        return;
    }
    std::vector<bool> expired(speakers.Count(), false);
    for (std::size_t i = first; i < speakers.Count(); ++i) {
        expired[i] = expiredAt(i);
    }
    // The names the last update listed carry its stamp and stay: the next update may still take
    // them as the last items.
    const bool lastHeardStands = m_lastHeard.listRevision == speakers.Revision();
    const bool namesKnown = m_speakerNames.revision == speakers.Revision();
    speakers.RemoveFlagged(expired);
    if (lastHeardStands) {
        m_lastHeard.listRevision = speakers.Revision();
    }
    if (namesKnown) {
        std::size_t kept = 0;
        for (std::size_t i = 0; i < expired.size(); ++i) {
            if (!expired[i]) {
                m_speakerNames.names[kept++] = m_speakerNames.names[i];
            }
        }
        m_speakerNames.names.resize(kept);
        m_speakerNames.revision = speakers.Revision();
    }
}

void Roster::TrackJoinLeave(const OverlaySettings& settings) {
    OverlayState& s = m_state;
    const bool channelChanged = s.CurrentChannelName != s.LastChannelName;
    const bool baseStands = !channelChanged && s.lstChkPlayer.Revision() == m_base.chkPlayerRevision;
    if (baseStands && s.lstUsers.Revision() == m_base.usersRevision) {
        // The same players as on the last connected tick: nobody joined or left, and the
        // comparison below would only rebuild what is there. The lines still expire.
        s.lstOldPlayer.Clear();
        ExpireLines(settings);
        return;
    }
    if (channelChanged) {
        s.lstChkPlayer.Clear();
        s.lstOldPlayer.Clear();
        s.lstInOut.Clear();
    }
    std::optional<std::pair<std::string, std::string>> found;
    if (baseStands) {
        found = CompareChanges();
    }
    const bool fromChanges = found.has_value();
    if (!fromChanges) {
        found = CompareAllNames();
    }
    const auto& [joined, left] = *found;
    AddLines(s.lstInOut, joined, "In:", s.TickNumber);
    AddLines(s.lstInOut, left, "Out:", s.TickNumber);
    ExpireLines(settings);
    TakeBase(baseStands, fromChanges);
    if (channelChanged) {
        s.lstInOut.Clear();
    }
}

void Roster::ExpireLines(const OverlaySettings& settings) {
    m_state.lstInOut.RemoveIf([&](const ListItem& item) {
        return Expired(item.value, m_state.TickNumber, settings.RetentionTime, settings.RefreshInterval);
    });
}

// lstChkPlayer takes lstUsers' names (values 0): by the edits lstUsers took since the base, when
// one refill made them and the base stands, otherwise by comparing the two lists. `countsKnown`:
// the comparison kept the names' counts up to date.
void Roster::TakeBase(bool baseStands, bool countsKnown) {
    const ItemList& users = m_state.lstUsers;
    ItemList& base = m_state.lstChkPlayer;
    UsersChanges& changes = m_usersChanges;
    const auto name = [&users](std::size_t i) { return std::pair<std::string_view, std::int32_t>(users[i].text, 0); };
    if (baseStands && changes.from == m_base.usersRevision && changes.to == users.Revision() &&
        !changes.script.empty()) {
        base.Follow(changes.script, name);
    } else {
        base.Reconcile(users.Count(), name);
    }
    if (!countsKnown) {
        m_base.nameCounts.Clear();
        for (const ListItem& user : users.Items()) {
            ++m_base.nameCounts[AnsiToUpper(user.text)];
        }
        m_base.nameCountsKnown = true;
    }
    m_base.chkPlayerRevision = base.Revision();
    m_base.usersRevision = users.Revision();
    // Emptied, not made anew: the next refill writes into the same storage.
    changes.from = changes.to = users.Revision();
    changes.removed.clear();
    changes.added.clear();
    changes.script.clear();
}

// Who joined and who left, worked out from every name: each current name takes the first old
// name equal to it without regard to case (the old list is sorted that way, so equal names sit
// together: a cursor per name replaces the walk from the top), and the names no one took are the
// ones that left. Returns ",joined,..." and ",left,..." and leaves in lstOldPlayer the names
// nobody took.
std::pair<std::string, std::string> Roster::CompareAllNames() {
    OverlayState& s = m_state;
    // The sorted working copy is filled in one go: adding a thousand names one by one would
    // shift the list a thousand times.
    s.lstOldPlayer.Clear();
    std::vector<ListItem> previous;
    previous.reserve(s.lstChkPlayer.Count());
    for (const ListItem& item : s.lstChkPlayer.Items()) {
        previous.push_back(ListItem{item.text, 0});
    }
    s.lstOldPlayer.AddAll(std::move(previous));

    const auto& old = s.lstOldPlayer.Items();
    std::unordered_map<std::string, std::size_t> nextOfName;  // upper-case name -> next untaken position
    for (std::size_t i = old.size(); i-- > 0;) {
        nextOfName[AnsiToUpper(old[i].text)] = i;
    }
    std::vector<bool> taken(old.size(), false);
    std::string joined = ",";
    for (const ListItem& user : s.lstUsers.Items()) {
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
    s.lstOldPlayer.Clear();
    s.lstOldPlayer.AddAll(std::move(remaining));
    return {std::move(joined), std::move(left)};
}

// The same answer from the change log, when every name form it touches was held by at most one
// player before and after: a form that gains its player joined, one that loses it left, one
// that keeps it (renamed only in case, or moved) did neither. The forms differ, so the order
// the lines come in does not matter. Nothing for other changes, which go the long way.
std::optional<std::pair<std::string, std::string>> Roster::CompareChanges() {
    const UsersChanges& changes = m_usersChanges;
    if (!m_base.nameCountsKnown || changes.from != m_base.usersRevision || changes.to != m_state.lstUsers.Revision()) {
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
        const int* held = m_base.nameCounts.Find(group->key);
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
    ItemList& oldPlayers = m_state.lstOldPlayer;
    oldPlayers.Clear();
    oldPlayers.AddAll(std::move(remaining));
    std::string left =
        CommaList(oldPlayers.Items(), [](const ListItem& item) -> const std::string& { return item.text; });
    for (const Form& form : forms) {
        if (form.after == 0) {
            m_base.nameCounts.Remove(form.first->key);
        } else if (form.after != form.before) {
            m_base.nameCounts[form.first->key] = form.after;
        }
    }
    return std::pair(std::move(joined), std::move(left));
}

}  // namespace sayvane
