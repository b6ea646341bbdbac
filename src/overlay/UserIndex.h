// The players of lstUsers by ID, for the speakers of each tick: every distinct name gets a
// number, so that a tick's speakers are looked up, told apart and moved by number, never by
// comparing or copying their names.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "overlay/ItemList.h"
#include "overlay/OverlayState.h"

namespace sayvane {

// Player ID -> name number in one flat table (open addressing, linear probing): a lookup is
// a multiplication and, mostly, one memory read, for the thousand speakers of a busy tick.
class IdTable {
public:
    static constexpr std::uint32_t kNone = ~0U;

    void Clear();
    // Adds the ID with its number; false (and nothing changes) when the ID is there already.
    bool Add(std::int32_t id, std::uint32_t number);
    // Removes the ID; false when it is not there.
    bool Remove(std::int32_t id);
    [[nodiscard]] std::uint32_t Find(std::int32_t id) const;
    [[nodiscard]] std::size_t Size() const { return m_size; }

private:
    struct Slot {
        std::int32_t id = 0;
        std::uint32_t number = kNone;  // kNone: the slot is free
    };
    [[nodiscard]] std::size_t Home(std::int32_t id) const;
    void Grow();

    std::vector<Slot> m_slots;  // a power of two long, at most half full
    std::size_t m_size = 0;
};

class UserIndex {
public:
    static constexpr std::uint32_t kNoName = ~0U;

    // Brings the index in step with the user list: from the changes its refills recorded
    // when they lead from the revision the index knows, otherwise by reading it whole.
    void Follow(const ItemList& users, const OverlayState::UserChanges& changes);

    // The name number of the first player listed with this ID, or kNoName.
    [[nodiscard]] std::uint32_t Find(std::int32_t id) const;
    // The number of a name, given one if it has none yet.
    std::uint32_t Number(const std::string& name);
    [[nodiscard]] const std::string& Name(std::uint32_t number) const { return *m_names[number]; }
    // Names numbered so far: numbers are below it.
    [[nodiscard]] std::size_t Names() const { return m_names.size(); }
    // Changes whenever the numbers are given anew (after which earlier numbers mean nothing).
    [[nodiscard]] std::uint64_t Generation() const { return m_generation; }
    // Changes whenever an ID is looked up differently.
    [[nodiscard]] std::uint64_t Revision() const { return m_revision; }

private:
    void Rebuild(const ItemList& users);
    [[nodiscard]] bool Apply(const OverlayState::UserChanges& changes);

    IdTable m_byId;  // player ID -> name number
    std::unordered_map<std::string, std::uint32_t> m_numbers;
    std::vector<const std::string*> m_names;  // the keys of m_numbers, by number
    std::uint64_t m_usersRevision = ~0ULL;    // the user list's revision the index follows
    bool m_duplicateIds = false;              // some ID is listed twice: only rebuilds are exact
    std::uint64_t m_generation = 0;
    std::uint64_t m_revision = 0;
};

}  // namespace sayvane
