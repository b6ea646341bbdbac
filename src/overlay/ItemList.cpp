// An ordered list of items with a text and a value.
#include "overlay/ItemList.h"

#include <algorithm>
#include <iterator>

#include "text/TextRoutines.h"

namespace sayvane {

namespace {

// Up to this many items are added to a sorted list one by one.
constexpr std::size_t kFewItems = 8;

bool TextSortsBefore(const ListItem& a, const ListItem& b) {
    return SortsBefore(a.text, b.text);
}

// The upper-case forms of the first eight bytes, first byte highest, zeros past the end: a
// text that sorts before another never has a greater number.
std::uint64_t SortPrefix(const std::string& text) {
    std::uint64_t prefix = 0;
    for (std::size_t i = 0; i < 8; ++i) {
        prefix = (prefix << 8U) | (i < text.size() ? static_cast<unsigned char>(AnsiToUpper(text[i])) : 0U);
    }
    return prefix;
}

}  // namespace

bool SortsBefore(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return static_cast<unsigned char>(AnsiToUpper(x)) < static_cast<unsigned char>(AnsiToUpper(y));
    });
}

void ItemList::Add(std::string text, std::int32_t value) {
    Changed();
    if (m_order == Order::Insertion) {
        m_items.push_back(ListItem{std::move(text), value});
        return;
    }
    const auto at =
        std::upper_bound(m_items.begin(), m_items.end(), text,
                         [](const std::string& t, const ListItem& item) { return SortsBefore(t, item.text); });
    m_items.insert(at, ListItem{std::move(text), value});
}

void ItemList::AddAll(std::vector<ListItem> items) {
    if (items.empty()) {
        return;
    }
    Changed();
    if (m_order == Order::Insertion) {
        m_items.insert(m_items.end(), std::make_move_iterator(items.begin()), std::make_move_iterator(items.end()));
        return;
    }
    if (items.size() <= kFewItems) {
        // A few items go in one by one: cheaper than sorting and merging into a new list.
        for (ListItem& item : items) {
            const auto at = std::upper_bound(
                m_items.begin(), m_items.end(), item.text,
                [](const std::string& text, const ListItem& held) { return SortsBefore(text, held.text); });
            m_items.insert(at, std::move(item));
        }
        return;
    }
    // The positions are sorted rather than the items (moving an item costs more than moving
    // its position), first by the upper-case forms of their first eight bytes packed into a
    // number, which decides most comparisons without looking at the texts. Equal items keep
    // their order, and items already listed stay before new equals.
    struct Key {
        std::uint64_t prefix;
        std::uint32_t index;
    };
    std::vector<Key> order;
    order.reserve(items.size());
    for (const ListItem& item : items) {
        order.push_back(Key{SortPrefix(item.text), static_cast<std::uint32_t>(order.size())});
    }
    std::sort(order.begin(), order.end(), [&items](const Key& a, const Key& b) {
        if (a.prefix != b.prefix) {
            return a.prefix < b.prefix;
        }
        const std::string& x = items[a.index].text;
        const std::string& y = items[b.index].text;
        if (SortsBefore(x, y) || SortsBefore(y, x)) {
            return SortsBefore(x, y);
        }
        return a.index < b.index;
    });
    std::vector<ListItem> merged;
    merged.reserve(m_items.size() + items.size());
    auto held = m_items.begin();
    for (const Key& next : order) {
        while (held != m_items.end() && !SortsBefore(items[next.index].text, held->text)) {
            merged.push_back(std::move(*held++));
        }
        merged.push_back(std::move(items[next.index]));
    }
    merged.insert(merged.end(), std::make_move_iterator(held), std::make_move_iterator(m_items.end()));
    m_items = std::move(merged);
}

void ItemList::Assign(std::vector<ListItem> items) {
    if (m_order == Order::SortedNoCase) {
        std::stable_sort(items.begin(), items.end(), TextSortsBefore);
    }
    if (items == m_items) {
        return;
    }
    Changed();
    m_items = std::move(items);
}

void ItemList::Replace(std::vector<ListItem> items) {
    Changed();
    m_items = std::move(items);
}

void ItemList::RemoveFlagged(const std::vector<bool>& removed) {
    std::size_t kept = 0;
    for (std::size_t i = 0; i < m_items.size(); ++i) {
        if (i >= removed.size() || !removed[i]) {
            if (kept != i) {
                m_items[kept] = std::move(m_items[i]);
            }
            ++kept;
        }
    }
    if (kept != m_items.size()) {
        Changed();
        m_items.resize(kept);
    }
}

void ItemList::SetValuesFrom(std::size_t from, std::int32_t value) {
    if (from < m_items.size()) {
        ++m_revision;  // the texts and their order stay
        for (auto it = m_items.begin() + static_cast<std::ptrdiff_t>(from); it != m_items.end(); ++it) {
            it->value = value;
        }
    }
}

std::vector<ListItem> ItemList::Take() {
    Changed();
    std::vector<ListItem> items;
    items.swap(m_items);
    return items;
}

void ItemList::Insert(std::size_t position, std::string text, std::int32_t value) {
    Changed();
    m_items.insert(m_items.begin() + static_cast<std::ptrdiff_t>(std::min(position, m_items.size())),
                   ListItem{std::move(text), value});
}

void ItemList::RemoveAt(std::size_t position) {
    if (position < m_items.size()) {
        Changed();
        m_items.erase(m_items.begin() + static_cast<std::ptrdiff_t>(position));
    }
}

void ItemList::RemoveIf(const std::function<bool(const ListItem&)>& picked) {
    const auto end = std::remove_if(m_items.begin(), m_items.end(), picked);
    if (end != m_items.end()) {
        Changed();
        m_items.erase(end, m_items.end());
    }
}

void ItemList::Clear() {
    if (!m_items.empty()) {
        Changed();
        m_items.clear();
    }
}

std::size_t ItemList::FindText(const std::string& text) const {
    if (m_order == Order::SortedNoCase) {
        // Only items that sort equal to the text can match it exactly.
        auto it =
            std::lower_bound(m_items.begin(), m_items.end(), text,
                             [](const ListItem& item, const std::string& t) { return SortsBefore(item.text, t); });
        for (; it != m_items.end() && !SortsBefore(text, it->text); ++it) {
            if (it->text == text) {
                return static_cast<std::size_t>(it - m_items.begin());
            }
        }
        return m_items.size();
    }
    const auto it =
        std::find_if(m_items.begin(), m_items.end(), [&](const ListItem& item) { return item.text == text; });
    return static_cast<std::size_t>(it - m_items.begin());
}

}  // namespace sayvane
