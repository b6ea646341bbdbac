// The players of lstUsers by ID, and the numbers of their names.
#include "overlay/UserIndex.h"

namespace sayvane {

void IdTable::Clear() {
    m_slots.assign(m_slots.size(), Slot{});
    m_size = 0;
}

std::size_t IdTable::Home(std::int32_t id) const {
    // Fibonacci hashing: the top bits of the product, so near IDs land far apart.
    const std::uint64_t mixed = static_cast<std::uint64_t>(static_cast<std::uint32_t>(id)) * 0x9E3779B97F4A7C15ULL;
    return static_cast<std::size_t>(mixed >> 32U) & (m_slots.size() - 1);
}

bool IdTable::Add(std::int32_t id, std::uint32_t number) {
    if (2 * (m_size + 1) > m_slots.size()) {
        Grow();
    }
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t i = Home(id);; i = (i + 1) & mask) {
        Slot& slot = m_slots[i];
        if (slot.number == kNone) {
            slot = Slot{id, number};
            ++m_size;
            return true;
        }
        if (slot.id == id) {
            return false;
        }
    }
}

bool IdTable::Remove(std::int32_t id) {
    if (m_slots.empty()) {
        return false;
    }
    const std::size_t mask = m_slots.size() - 1;
    std::size_t hole = Home(id);
    while (m_slots[hole].number != kNone && m_slots[hole].id != id) {
        hole = (hole + 1) & mask;
    }
    if (m_slots[hole].number == kNone) {
        return false;
    }
    // Entries after the hole that could not sit where they belong move back into it, so that
    // every entry stays reachable from its home without marks for removed ones.
    for (std::size_t next = (hole + 1) & mask; m_slots[next].number != kNone; next = (next + 1) & mask) {
        const std::size_t home = Home(m_slots[next].id);
        const bool homeAfterHole = ((next - home) & mask) < ((next - hole) & mask);
        if (!homeAfterHole) {
            m_slots[hole] = m_slots[next];
            hole = next;
        }
    }
    m_slots[hole] = Slot{};
    --m_size;
    return true;
}

std::uint32_t IdTable::Find(std::int32_t id) const {
    if (m_slots.empty()) {
        return kNone;
    }
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t i = Home(id);; i = (i + 1) & mask) {
        const Slot& slot = m_slots[i];
        if (slot.number == kNone || slot.id == id) {
            return slot.number;
        }
    }
}

void IdTable::Grow() {
    std::vector<Slot> old = std::move(m_slots);
    m_slots.assign(old.empty() ? 64 : 2 * old.size(), Slot{});
    m_size = 0;
    for (const Slot& slot : old) {
        if (slot.number != kNone) {
            Add(slot.id, slot.number);
        }
    }
}

void UserIndex::Follow(const ItemList& users, const OverlayState::UserChanges& changes) {
    if (m_usersRevision == users.Revision()) {
        return;
    }
    // Names of players long gone pile up between rebuilds; past a bound they are dropped.
    const bool tooManyNames = m_names.size() > 4 * users.Count() + 1024;
    if (tooManyNames || m_duplicateIds || changes.from != m_usersRevision || changes.to != users.Revision() ||
        !Apply(changes)) {
        Rebuild(users);
    }
    m_usersRevision = users.Revision();
    ++m_revision;
}

std::uint32_t UserIndex::Find(std::int32_t id) const {
    return m_byId.Find(id);
}

std::uint32_t UserIndex::Number(const std::string& name) {
    const auto [it, added] = m_numbers.try_emplace(name, static_cast<std::uint32_t>(m_names.size()));
    if (added) {
        m_names.push_back(&it->first);
    }
    return it->second;
}

void UserIndex::Rebuild(const ItemList& users) {
    m_byId.Clear();
    m_numbers.clear();
    m_names.clear();
    ++m_generation;
    m_duplicateIds = false;
    for (const ListItem& user : users.Items()) {
        // The first item of an ID is the one found.
        if (!m_byId.Add(user.value, Number(user.text))) {
            m_duplicateIds = true;
        }
    }
}

bool UserIndex::Apply(const OverlayState::UserChanges& changes) {
    for (const ListItem& gone : changes.removed) {
        const std::uint32_t number = m_byId.Find(gone.value);
        if (number == IdTable::kNone || *m_names[number] != gone.text) {
            return false;
        }
        m_byId.Remove(gone.value);
    }
    for (const ListItem& added : changes.added) {
        if (!m_byId.Add(added.value, Number(added.text))) {
            return false;  // a second player with this ID: the rebuild finds which is first
        }
    }
    return true;
}

}  // namespace sayvane
