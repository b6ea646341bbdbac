// A map kept in one flat array (open addressing, linear probing), for the lookups a refresh
// makes by the thousand on a busy server: a lookup is a hash and, mostly, one memory read,
// where a node-based map follows two or three pointers to places long out of the cache.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

namespace sayvane {

template <typename Key, typename Value, typename Hash = std::hash<Key>>
class FlatTable {
public:
    // The value of the key, or nullptr.
    [[nodiscard]] Value* Find(const Key& key) {
        const std::size_t slot = SlotOf(key);
        return slot == kNowhere ? nullptr : &m_slots[slot].value;
    }
    [[nodiscard]] const Value* Find(const Key& key) const {
        const std::size_t slot = SlotOf(key);
        return slot == kNowhere ? nullptr : &m_slots[slot].value;
    }

    // Adds the key with its value; false (and nothing changes) when the key is there already.
    bool Add(const Key& key, Value value) {
        if (Find(key) != nullptr) {
            return false;
        }
        Place(key, std::move(value));
        return true;
    }

    // The value of the key, added with Value{} when it is not there.
    Value& operator[](const Key& key) {
        if (Value* value = Find(key)) {
            return *value;
        }
        return m_slots[Place(key, Value{})].value;
    }

    // Removes the key; false when it is not there.
    bool Remove(const Key& key) {
        std::size_t hole = SlotOf(key);
        if (hole == kNowhere) {
            return false;
        }
        // Entries after the hole that could not sit where they belong move back into it, so
        // that every entry stays reachable from its home without marks for removed ones.
        const std::size_t mask = m_slots.size() - 1;
        for (std::size_t next = (hole + 1) & mask; m_slots[next].used; next = (next + 1) & mask) {
            const std::size_t home = Home(m_slots[next].key);
            const bool homeAfterHole = ((next - home) & mask) < ((next - hole) & mask);
            if (!homeAfterHole) {
                m_slots[hole] = std::move(m_slots[next]);
                hole = next;
            }
        }
        m_slots[hole] = Slot{};
        --m_size;
        return true;
    }

    void Clear() {
        m_slots.assign(m_slots.size(), Slot{});
        m_size = 0;
    }
    [[nodiscard]] std::size_t Size() const { return m_size; }

private:
    static constexpr std::size_t kNowhere = ~std::size_t{0};

    struct Slot {
        Key key{};
        Value value{};
        bool used = false;
    };

    [[nodiscard]] std::size_t Home(const Key& key) const {
        // Fibonacci hashing: the top bits of the product, so near hashes land far apart.
        const std::uint64_t mixed = static_cast<std::uint64_t>(Hash{}(key)) * 0x9E3779B97F4A7C15ULL;
        return static_cast<std::size_t>(mixed >> 32U) & (m_slots.size() - 1);
    }

    [[nodiscard]] std::size_t SlotOf(const Key& key) const {
        if (m_slots.empty()) {
            return kNowhere;
        }
        const std::size_t mask = m_slots.size() - 1;
        for (std::size_t i = Home(key);; i = (i + 1) & mask) {
            if (!m_slots[i].used) {
                return kNowhere;
            }
            if (m_slots[i].key == key) {
                return i;
            }
        }
    }

    // Puts a key that is not there yet into a free slot, the table growing to stay at most
    // half full; returns the slot.
    std::size_t Place(const Key& key, Value value) {
        if (2 * (m_size + 1) > m_slots.size()) {
            std::vector<Slot> old = std::move(m_slots);
            m_slots.assign(old.empty() ? 64 : 2 * old.size(), Slot{});
            m_size = 0;
            for (Slot& slot : old) {
                if (slot.used) {
                    Place(slot.key, std::move(slot.value));
                }
            }
        }
        const std::size_t mask = m_slots.size() - 1;
        std::size_t i = Home(key);
        while (m_slots[i].used) {
            i = (i + 1) & mask;
        }
        m_slots[i] = Slot{key, std::move(value), true};
        ++m_size;
        return i;
    }

    std::vector<Slot> m_slots;  // a power of two long
    std::size_t m_size = 0;
};

}  // namespace sayvane
