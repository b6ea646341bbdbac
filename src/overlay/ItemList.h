// An ordered list of items, each a text with a 32-bit value, as the overlay keeps its
// speakers, players, channels and join/leave lines. A sorted list keeps its items in order
// of their text without regard to case; a plain list keeps insertion order.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace sayvane {

struct ListItem {
    std::string text;
    std::int32_t value = 0;
    friend bool operator==(const ListItem& a, const ListItem& b) { return a.text == b.text && a.value == b.value; }
};

// Order of a sorted list: the code-page-1252 upper-case forms compared byte by byte.
[[nodiscard]] bool SortsBefore(const std::string& a, const std::string& b);

class ItemList {
public:
    enum class Order { Insertion, SortedNoCase };
    explicit ItemList(Order order = Order::Insertion) : m_order(order) {}

    // Appends, or in a sorted list inserts after the items that sort before or equal to it.
    void Add(std::string text, std::int32_t value = 0);
    // Adds every item as Add would, one after the other, but in one pass: a sorted list
    // sorts the new items (keeping their order among equals) and merges them in after the
    // equal items it already holds.
    void AddAll(std::vector<ListItem> items);
    // Makes the list hold these items, as Clear and AddAll would; a list that already holds
    // exactly them is left as it is (its revision too), so a refill with what it had is free.
    void Assign(std::vector<ListItem> items);
    // Inserts at a position (a plain list only).
    void Insert(std::size_t position, std::string text, std::int32_t value = 0);
    void RemoveAt(std::size_t position);
    // Removes every item the predicate picks, in one pass; the others keep their order.
    void RemoveIf(const std::function<bool(const ListItem&)>& picked);
    void Clear();

    [[nodiscard]] bool Empty() const { return m_items.empty(); }
    [[nodiscard]] std::size_t Count() const { return m_items.size(); }
    [[nodiscard]] const ListItem& operator[](std::size_t position) const { return m_items[position]; }
    [[nodiscard]] const std::vector<ListItem>& Items() const { return m_items; }
    [[nodiscard]] bool Sorted() const { return m_order == Order::SortedNoCase; }

    // Position of the first item whose text is exactly `text`, or Count().
    [[nodiscard]] std::size_t FindText(const std::string& text) const;

    // Changes since creation, for views that mirror the list only when it changed.
    [[nodiscard]] std::uint64_t Revision() const { return m_revision; }

private:
    Order m_order;
    std::vector<ListItem> m_items;
    std::uint64_t m_revision = 0;
};

}  // namespace sayvane
