// An ordered list of items, each a text with a 32-bit value, as the overlay keeps its
// speakers, players, channels and join/leave lines. A sorted list keeps its items in order
// of their text without regard to case; a plain list keeps insertion order.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <iterator>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "teamspeak/ListEdits.h"

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
    // Makes the list hold exactly these items, without comparing them with the ones it held.
    void Replace(std::vector<ListItem> items);
    // Takes the items out, leaving the list empty, to be changed and put back with Replace.
    [[nodiscard]] std::vector<ListItem> Take();
    // Makes a plain list hold `count` items, item j being fresh(j) (a text and a value), as
    // Assign would; but the items it holds are kept where the fresh ones equal them, matched
    // in order over a join or a leave, so a refill that changes a few items builds only
    // those. Returns whether anything changed; `edits`, when given, receives the items that
    // left and the ones made anew, in order.
    struct Edits {
        std::vector<ListItem> removed;
        std::vector<ListItem> added;
    };
    template <typename Fresh>
    bool Reconcile(std::size_t count, Fresh fresh, Edits* edits = nullptr);
    // The same for a plain list that holds one item per record of a list of records, after
    // those records changed as `script` tells: items of kept records move over unlooked at,
    // the others are dropped or made from fresh(j).
    template <typename Fresh>
    void Follow(const ListEdits& script, Fresh fresh, Edits* edits = nullptr);
    // Keeps the items whose flag in `removed` (one per item) is false, in their order.
    void RemoveFlagged(const std::vector<bool>& removed);
    // Gives the items from `from` to the end this value.
    void SetValuesFrom(std::size_t from, std::int32_t value);
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
    // Changes of the texts or their order only (not of the values alone).
    [[nodiscard]] std::uint64_t TextRevision() const { return m_textRevision; }

private:
    static bool Same(const ListItem& item, const std::pair<std::string_view, std::int32_t>& fresh) {
        return item.value == fresh.second && item.text == fresh.first;
    }

    void Changed() {
        ++m_revision;
        ++m_textRevision;
    }

    Order m_order;
    std::vector<ListItem> m_items;
    std::uint64_t m_revision = 0;
    std::uint64_t m_textRevision = 0;
};

template <typename Fresh>
void ItemList::Follow(const ListEdits& script, Fresh fresh, Edits* edits) {
    // Done in place: only the runs of kept items that shift move, and the list's storage stays.
    struct Run {
        std::size_t from;
        std::size_t to;
        std::size_t count;
    };
    std::vector<Run> runs;
    std::vector<std::size_t> made;  // where the new items go
    runs.reserve(script.size());
    made.reserve(script.size());
    std::size_t i = 0;
    std::size_t j = 0;
    for (const ListEdit& edit : script) {
        switch (edit.kind) {
            case ListEdit::Kind::Keep:
                if (i != j) {
                    runs.push_back(Run{i, j, edit.count});
                }
                i += edit.count;
                j += edit.count;
                break;
            case ListEdit::Kind::Remove:
                for (std::size_t k = 0; k < edit.count; ++k, ++i) {
                    if (edits != nullptr) {
                        edits->removed.push_back(std::move(m_items[i]));
                    }
                }
                break;
            case ListEdit::Kind::Make:
                for (std::size_t k = 0; k < edit.count; ++k) {
                    made.push_back(j++);
                }
                break;
        }
    }
    if (j > m_items.size()) {
        m_items.reserve(j + j / 16);
        m_items.resize(j);
    }
    // Runs going towards the front move first, in order; then the ones going towards the back,
    // last first. Each lands where no run still to move lies.
    const auto at = [this](std::size_t position) { return m_items.begin() + static_cast<std::ptrdiff_t>(position); };
    for (const Run& run : runs) {
        if (run.to < run.from) {
            std::move(at(run.from), at(run.from + run.count), at(run.to));
        }
    }
    for (auto run = runs.rbegin(); run != runs.rend(); ++run) {
        if (run->to > run->from) {
            std::move_backward(at(run->from), at(run->from + run->count), at(run->to + run->count));
        }
    }
    for (const std::size_t position : made) {
        const std::pair<std::string_view, std::int32_t> item = fresh(position);
        m_items[position].text.assign(item.first);
        m_items[position].value = item.second;
        if (edits != nullptr) {
            edits->added.push_back(m_items[position]);
        }
    }
    m_items.resize(j);
    Changed();
}

template <typename Fresh>
bool ItemList::Reconcile(std::size_t count, Fresh fresh, Edits* edits) {
    const std::size_t held = m_items.size();
    std::size_t same = 0;
    while (same < count && same < held && Same(m_items[same], fresh(same))) {
        ++same;
    }
    if (same == count && same == held) {
        return false;
    }
    std::vector<ListItem> items;
    items.reserve(count);
    items.insert(items.end(), std::make_move_iterator(m_items.begin()),
                 std::make_move_iterator(m_items.begin() + static_cast<std::ptrdiff_t>(same)));
    std::size_t next = same;  // the first held item not yet kept or dropped
    for (std::size_t j = same; j < count; ++j) {
        const std::pair<std::string_view, std::int32_t> item = fresh(j);
        if (next < held && Same(m_items[next], item)) {
            items.push_back(std::move(m_items[next++]));
        } else if (next + 1 < held && Same(m_items[next + 1], item)) {
            // The held item before it left.
            if (edits != nullptr) {
                edits->removed.push_back(std::move(m_items[next]));
            }
            items.push_back(std::move(m_items[next + 1]));
            next += 2;
        } else {
            // Joined, or changed: the held item stays a candidate for the next fresh one.
            items.push_back(ListItem{std::string(item.first), item.second});
            if (edits != nullptr) {
                edits->added.push_back(items.back());
            }
        }
    }
    if (edits != nullptr) {
        edits->removed.insert(edits->removed.end(),
                              std::make_move_iterator(m_items.begin() + static_cast<std::ptrdiff_t>(next)),
                              std::make_move_iterator(m_items.end()));
    }
    m_items = std::move(items);
    Changed();
    return true;
}

}  // namespace sayvane
