// The players of lstUsers by ID, and the numbers of their names.
#include "overlay/UserIndex.h"

namespace sayvane {

void UserIndex::Changed(const ItemList& users, std::uint64_t before, const ItemList::Edits& edits) {
    // Names of players long gone pile up between rebuilds; past twice the players they are
    // dropped. A bigger index costs more than the rebuild: its look-ups miss the cache.
    const bool tooManyNames = m_names.size() > 2 * users.Count() + 64;
    if (tooManyNames || m_duplicateIds || m_usersRevision != before || !Apply(edits)) {
        Rebuild(users);
    }
    m_usersRevision = users.Revision();
    ++m_revision;
}

void UserIndex::Update(const ItemList& users) {
    if (m_usersRevision != users.Revision()) {
        Rebuild(users);
        m_usersRevision = users.Revision();
        ++m_revision;
    }
}

std::uint32_t UserIndex::Find(std::int32_t id) const {
    const std::uint32_t* number = m_byId.Find(id);
    return number == nullptr ? kNoName : *number;
}

std::uint32_t UserIndex::Number(const std::string& name) {
    const auto next = static_cast<std::uint32_t>(m_names.size());
    if (!m_numbers.Add(name, next)) {
        return *m_numbers.Find(name);
    }
    m_names.push_back(name);
    return next;
}

void UserIndex::Rebuild(const ItemList& users) {
    m_byId.Clear();
    m_numbers.Clear();
    m_names.clear();
    ++m_numberingRevision;
    m_duplicateIds = false;
    for (const ListItem& user : users.Items()) {
        // The first item of an ID is the one found.
        if (!m_byId.Add(user.value, Number(user.text))) {
            m_duplicateIds = true;
        }
    }
}

bool UserIndex::Apply(const ItemList::Edits& edits) {
    for (const ListItem& gone : edits.removed) {
        const std::uint32_t* number = m_byId.Find(gone.value);
        if (number == nullptr || m_names[*number] != gone.text) {
            return false;
        }
        m_byId.Remove(gone.value);
    }
    for (const ListItem& added : edits.added) {
        if (!m_byId.Add(added.value, Number(added.text))) {
            return false;  // a second player with this ID: the rebuild finds which is first
        }
    }
    return true;
}

}  // namespace sayvane
