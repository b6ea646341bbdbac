// The overlay's lists kept in step with the voice client, tick by tick: the channels and players
// refilled from the client's readings, the speakers updated and expired, the join and leave
// lines tracked. The lists themselves stay in OverlayState, where drawing and the diagnostic
// panel read them; what keeps them in step cheaply at server scale lives here.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/Settings.h"
#include "overlay/FlatTable.h"
#include "overlay/ItemList.h"
#include "overlay/OverlayState.h"
#include "overlay/UserIndex.h"
#include "teamspeak/VoicePort.h"

namespace sayvane {

// Works on the six lists of the OverlayState it is given (and must not outlive), and reads its
// TickNumber and channel names. A list changed from outside is no fault: each piece of what is
// kept here names the list revision it stands for, and is worked out anew once the list moved on.
class Roster {
public:
    explicit Roster(OverlayState& state) : m_state(state) {}

    // lstChans and lstUsers take the port's last readings, in the client's order. A refill
    // with the records the list already holds changes nothing (nor the list's revision); one
    // after a few records changed rebuilds only those.
    void RefillChannels(const VoicePort& port);
    void RefillPlayers(const VoicePort& port);
    void ClearChannels() { m_state.lstChans.Clear(); }
    void ClearPlayers() { m_state.lstUsers.Clear(); }

    // Each speaking player found in lstUsers by ID moves to the end of lstSpeakers, stamped
    // with TickNumber (the own name only with ShowMe on). While no ID has been found yet, an
    // ID missing from a non-empty lstUsers calls `refreshLists`, which refills lstChans and
    // lstUsers, and the next ID is looked up in the new list.
    void UpdateSpeakers(const SpeakerSnapshot& ids, const OverlaySettings& settings,
                        const std::function<void()>& refreshLists);
    // Removes the speakers whose stamp has expired (the retention rule, Expired).
    void ExpireSpeakers(const OverlaySettings& settings);
    void ClearSpeakers() { m_state.lstSpeakers.Clear(); }

    // `TrackJoinLeave`: compares lstUsers with the names of the previous connected tick
    // (lstChkPlayer), without regard to case and two players of one name counting as two,
    // renews and adds "In:" and "Out:" lines in lstInOut, expires them, and takes lstUsers'
    // names as the next tick's base. After a change of channel the new channel's players
    // become the base and make no lines.
    void TrackJoinLeave(const OverlaySettings& settings);

private:
    // What refills of lstUsers changed since the join/leave base was taken: the list's
    // revision then (`from`) and now (`to`), the items removed and the ones made, and, when
    // a single refill made every change and knew how, how the positions changed (`script`).
    struct UsersChanges {
        std::uint64_t from = ~0ULL;
        std::uint64_t to = ~0ULL;
        std::vector<ListItem> removed;
        std::vector<ListItem> added;
        ListEdits script;
    };
    // Which records a list was last filled from (the port's revision), and the list's
    // revision after that fill: while both stand, a refill has nothing to do.
    struct FilledFrom {
        std::uint64_t records = ~0ULL;
        std::uint64_t list = ~0ULL;
    };

    void NoteUsersChange(std::uint64_t before, const ListEdits* script);
    bool FindSpeakers(const SpeakerSnapshot& ids, const std::function<void()>& refreshLists);
    std::size_t MoveHeardToEnd(const OverlaySettings& settings);
    // The name number of each item of lstSpeakers.
    [[nodiscard]] const std::vector<std::uint32_t>& SpeakerNames();
    std::pair<std::string, std::string> CompareAllNames();
    std::optional<std::pair<std::string, std::string>> CompareChanges();
    void TakeBase(bool baseStands, bool countsKnown);
    void ExpireLines(const OverlaySettings& settings);

    OverlayState& m_state;

    // lstChans and lstUsers.
    FilledFrom m_chansFilled;
    FilledFrom m_usersFilled;
    ItemList::Edits m_refillEdits;  // kept so that each refill reuses its storage
    UsersChanges m_usersChanges;
    UserIndex m_index;  // lstUsers by player ID, and the numbers of the names

    // The join/leave base: lstChkPlayer as taken from lstUsers, the two lists' revisions then
    // (while both stand nobody can have joined or left), and how many of its names have each
    // upper-case form, while that is known.
    struct Base {
        std::uint64_t chkPlayerRevision = ~0ULL;
        std::uint64_t usersRevision = ~0ULL;
        FlatTable<std::string, int> nameCounts;
        bool nameCountsKnown = false;
    } m_base;

    // lstSpeakers: the name number of each item, for the list's revision and the index's
    // numbering revision.
    struct SpeakerNameList {
        std::vector<std::uint32_t> names;
        std::uint64_t revision = ~0ULL;
        std::uint64_t numberingRevision = ~0ULL;
    } m_speakerNames;
    // What the last update heard: the same IDs over the same players and list are heard alike.
    struct LastHeard {
        bool valid = false;
        SpeakerSnapshot ids;
        std::uint64_t indexRevision = ~0ULL;
        std::uint64_t listRevision = ~0ULL;
        std::size_t listed = 0;  // the names it listed: the last items of lstSpeakers
        std::int16_t showMe = 0;
        std::string nickName;
    } m_lastHeard;
    // Per name number: the last update that heard it (its revision among the updates), and
    // where the name was listed then.
    static constexpr std::size_t kNotListed = ~std::size_t{0};
    struct HeardMark {
        std::uint64_t revision = 0;
        std::size_t oldPosition = kNotListed;
    };
    std::vector<HeardMark> m_heardMarks;
    std::uint64_t m_heardRevision = 0;
    std::vector<std::uint32_t> m_heard;  // the name numbers an update found, in the order found
    // Storage kept from update to update.
    std::vector<std::uint32_t> m_listed;
    std::vector<ListItem> m_items;
    std::vector<std::uint32_t> m_itemNames;
};

}  // namespace sayvane
