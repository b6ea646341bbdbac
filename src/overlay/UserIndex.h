// The players of lstUsers by ID, for the speakers of each tick: every distinct name gets a
// number, so that a tick's speakers are looked up, told apart and moved by number, never by
// comparing or copying their names.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "overlay/FlatTable.h"
#include "overlay/ItemList.h"

namespace sayvane {

class UserIndex {
public:
    static constexpr std::uint32_t kNoName = ~0U;

    // The user list changed from its revision `before` to the present one by a refill that
    // removed and made these items: the index takes just those when it stood at `before`,
    // otherwise it reads the list whole.
    void Changed(const ItemList& users, std::uint64_t before, const ItemList::Edits& edits);
    // Reads the list whole, unless the index is in step with it already.
    void Update(const ItemList& users);

    // The name number of the first player listed with this ID, or kNoName.
    [[nodiscard]] std::uint32_t Find(std::int32_t id) const;
    // The number of a name, given one if it has none yet.
    std::uint32_t Number(const std::string& name);
    // Valid until the next name is numbered.
    [[nodiscard]] const std::string& Name(std::uint32_t number) const { return m_names[number]; }
    // Names numbered so far: numbers are below it.
    [[nodiscard]] std::size_t Names() const { return m_names.size(); }
    // Changes whenever the names are numbered anew (after which earlier numbers mean nothing).
    [[nodiscard]] std::uint64_t NumberingRevision() const { return m_numberingRevision; }
    // Changes whenever an ID may be looked up differently.
    [[nodiscard]] std::uint64_t Revision() const { return m_revision; }

private:
    void Rebuild(const ItemList& users);
    [[nodiscard]] bool Apply(const ItemList::Edits& edits);

    FlatTable<std::int32_t, std::uint32_t> m_byId;  // player ID -> name number
    FlatTable<std::string, std::uint32_t> m_numbers;
    std::vector<std::string> m_names;       // by number
    std::uint64_t m_usersRevision = ~0ULL;  // the user list's revision the index stands for
    bool m_duplicateIds = false;            // some ID is listed twice: only rebuilds are exact
    std::uint64_t m_numberingRevision = 0;
    std::uint64_t m_revision = 0;
};

}  // namespace sayvane
