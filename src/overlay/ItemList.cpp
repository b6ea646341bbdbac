// An ordered list of items with a text and a value.
#include "overlay/ItemList.h"

#include <algorithm>
#include <iterator>

#include "text/TextRoutines.h"

namespace sayvane {

namespace {

bool TextSortsBefore(const ListItem& a, const ListItem& b) {
    return SortsBefore(a.text, b.text);
}

}  // namespace

bool SortsBefore(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return static_cast<unsigned char>(AnsiToUpper(x)) < static_cast<unsigned char>(AnsiToUpper(y));
    });
}

void ItemList::Add(std::string text, std::int32_t value) {
    ++m_revision;
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
    ++m_revision;
    if (m_order == Order::Insertion) {
        m_items.insert(m_items.end(), std::make_move_iterator(items.begin()), std::make_move_iterator(items.end()));
        return;
    }
    std::stable_sort(items.begin(), items.end(), TextSortsBefore);
    std::vector<ListItem> merged;
    merged.reserve(m_items.size() + items.size());
    // std::merge takes from the first range on ties: items already listed stay before new equals.
    std::merge(std::make_move_iterator(m_items.begin()), std::make_move_iterator(m_items.end()),
               std::make_move_iterator(items.begin()), std::make_move_iterator(items.end()), std::back_inserter(merged),
               TextSortsBefore);
    m_items = std::move(merged);
}

void ItemList::Assign(std::vector<ListItem> items) {
    if (m_order == Order::SortedNoCase) {
        std::stable_sort(items.begin(), items.end(), TextSortsBefore);
    }
    if (items == m_items) {
        return;
    }
    ++m_revision;
    m_items = std::move(items);
}

void ItemList::Insert(std::size_t position, std::string text, std::int32_t value) {
    ++m_revision;
    m_items.insert(m_items.begin() + static_cast<std::ptrdiff_t>(std::min(position, m_items.size())),
                   ListItem{std::move(text), value});
}

void ItemList::RemoveAt(std::size_t position) {
    if (position < m_items.size()) {
        ++m_revision;
        m_items.erase(m_items.begin() + static_cast<std::ptrdiff_t>(position));
    }
}

void ItemList::RemoveIf(const std::function<bool(const ListItem&)>& picked) {
    const auto end = std::remove_if(m_items.begin(), m_items.end(), picked);
    if (end != m_items.end()) {
        ++m_revision;
        m_items.erase(end, m_items.end());
    }
}

void ItemList::Clear() {
    if (!m_items.empty()) {
        ++m_revision;
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
