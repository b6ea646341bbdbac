// The overlay's item lists: the one-pass operations give the lists the one-by-one operations
// would give, and a list refilled by comparison or by an edit script tells what left and came.
#include <gtest/gtest.h>

#include <sstream>

#include "overlay/ItemList.h"

namespace sayvane {
namespace {

// Names that sort equal without regard to case, mixed with others, in no order. Case folds
// by code page 1252 ("\xE4" folds to "\xC4"), and bytes above 127 sort after "Z".
const std::vector<ListItem> kMixed = {{"bob", 1},  {"Carl", 2},      {"anna", 3},  {"BOB", 4},
                                      {"Anna", 5}, {"dora", 6},      {"Bob", 7},   {"", 8},
                                      {"carl", 9}, {"\xE4rger", 11}, {"ZULU", 13}, {"\xC4RGER", 15}};

TEST(ItemList, AddAllGivesTheListOfSuccessiveAdds) {
    // Many items at once, and a few (which go in another way).
    const std::vector<ListItem> few(kMixed.begin(), kMixed.begin() + 5);
    for (const auto order : {ItemList::Order::Insertion, ItemList::Order::SortedNoCase}) {
        for (const std::vector<ListItem>* items : {&kMixed, &few}) {
            SCOPED_TRACE(order == ItemList::Order::Insertion ? "insertion order" : "sorted");
            SCOPED_TRACE(items->size());
            ItemList oneByOne(order);
            ItemList inOnePass(order);
            // Both start with items that sort equal to some of the new ones.
            for (const ListItem& item : {ListItem{"BOB", 10}, ListItem{"anna", 11}, ListItem{"Zed", 12}}) {
                oneByOne.Add(item.text, item.value);
                inOnePass.Add(item.text, item.value);
            }
            for (const ListItem& item : *items) {
                oneByOne.Add(item.text, item.value);
            }
            const std::uint64_t before = inOnePass.Revision();
            inOnePass.AddAll(*items);
            EXPECT_EQ(inOnePass.Items(), oneByOne.Items());
            EXPECT_NE(inOnePass.Revision(), before);
        }
    }
}

TEST(ItemList, RemoveIfKeepsTheOrderOfTheRestAndCountsAsAChangeOnlyWhenItRemoves) {
    ItemList list(ItemList::Order::SortedNoCase);
    list.AddAll(kMixed);
    const std::uint64_t before = list.Revision();
    list.RemoveIf([](const ListItem& item) { return item.value > 100; });
    EXPECT_EQ(list.Revision(), before) << "nothing removed";

    list.RemoveIf([](const ListItem& item) { return item.value % 2 == 0; });
    // "\xE4rger" stays before "\xC4RGER", as it came: the two sort equal.
    const std::vector<ListItem> expected = {{"anna", 3}, {"Anna", 5},  {"bob", 1},       {"Bob", 7},
                                            {"carl", 9}, {"ZULU", 13}, {"\xE4rger", 11}, {"\xC4RGER", 15}};
    EXPECT_EQ(list.Items(), expected);
    EXPECT_NE(list.Revision(), before);
}

TEST(ItemList, AssignGivesClearThenAddAllAndIsNoChangeWhenTheItemsAreThere) {
    for (const auto order : {ItemList::Order::Insertion, ItemList::Order::SortedNoCase}) {
        SCOPED_TRACE(order == ItemList::Order::Insertion ? "insertion order" : "sorted");
        ItemList assigned(order);
        ItemList refilled(order);
        assigned.Add("Zed", 12);
        refilled.Add("Zed", 12);
        assigned.Assign(kMixed);
        refilled.Clear();
        refilled.AddAll(kMixed);
        EXPECT_EQ(assigned.Items(), refilled.Items());

        const std::uint64_t before = assigned.Revision();
        assigned.Assign(kMixed);
        EXPECT_EQ(assigned.Revision(), before) << "the same items again: nothing changed";
        std::vector<ListItem> renumbered = kMixed;
        renumbered[3].value = 40;
        assigned.Assign(renumbered);
        EXPECT_NE(assigned.Revision(), before) << "a value differs";
        EXPECT_EQ(assigned.Items()[assigned.FindText("BOB")].value, 40);
    }
}

// Items written as "a b2 c": a one-letter text, then its value where it is not 0.
std::vector<ListItem> Items(const std::string& written) {
    std::vector<ListItem> items;
    std::istringstream words(written);
    for (std::string word; words >> word;) {
        items.push_back(ListItem{word.substr(0, 1), word.size() > 1 ? std::stoi(word.substr(1)) : 0});
    }
    return items;
}

std::string Written(const std::vector<ListItem>& items) {
    std::string written;
    for (const ListItem& item : items) {
        written += (written.empty() ? "" : " ") + item.text + (item.value != 0 ? std::to_string(item.value) : "");
    }
    return written;
}

// fresh(j) for Follow and Reconcile: the j-th of these items.
auto FreshFrom(const std::vector<ListItem>& items) {
    return [&items](std::size_t j) { return std::pair<std::string_view, std::int32_t>(items[j].text, items[j].value); };
}

TEST(ItemList, ReconcileChangesOnlyWhatDiffersAndTellsWhatLeftAndCame) {
    struct Case {
        const char* held;
        const char* fresh;
        const char* removed;
        const char* added;
    };
    const Case cases[] = {
        {"a b c", "a b c", "", ""},    {"a b c", "a x b c", "", "x"},  {"a b c", "a c", "b", ""},
        {"a b c", "a x c", "b", "x"},  {"a b c", "a b2 c", "b", "b2"}, {"a b c", "a b c d", "", "d"},
        {"a b c d", "a c", "b d", ""}, {"", "a b", "", "a b"},         {"a b", "", "a b", ""},
        {"b a", "a b", "b", "b"},  // a swap: one leaves and comes back after the other
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.held) + " -> " + c.fresh);
        ItemList list;
        list.Replace(Items(c.held));
        const std::uint64_t before = list.Revision();
        const std::vector<ListItem> fresh = Items(c.fresh);
        ItemList::Edits edits;
        const bool changed = list.Reconcile(fresh.size(), FreshFrom(fresh), &edits);
        EXPECT_EQ(Written(list.Items()), c.fresh);
        EXPECT_EQ(Written(edits.removed), c.removed);
        EXPECT_EQ(Written(edits.added), c.added);
        EXPECT_EQ(changed, std::string(c.held) != c.fresh);
        EXPECT_EQ(list.Revision() != before, changed);
    }
}

TEST(ItemList, FollowAppliesTheScriptTakingOnlyTheMadeItemsFromFresh) {
    using K = ListEdit::Kind;
    // `fresh` has the kept items in capitals: the list must keep its own for them.
    struct Case {
        const char* held;
        ListEdits script;
        const char* fresh;
        const char* after;
        const char* removed;
        const char* added;
    };
    const Case cases[] = {
        {"a b c", {{K::Keep, 1}, {K::Remove, 1}, {K::Make, 1}, {K::Keep, 1}}, "A x C", "a x c", "b", "x"},
        {"a b c", {{K::Make, 1}, {K::Keep, 1}, {K::Make, 1}, {K::Keep, 2}}, "x A y B C", "x a y b c", "", "x y"},
        {"a b c d e", {{K::Remove, 1}, {K::Keep, 1}, {K::Remove, 1}, {K::Keep, 2}}, "B D E", "b d e", "a c", ""},
        {"a b c d e",
         {{K::Keep, 1}, {K::Remove, 1}, {K::Keep, 1}, {K::Make, 2}, {K::Keep, 1}, {K::Remove, 1}},
         "A C x y D",
         "a c x y d",
         "b e",
         "x y"},
        {"", {{K::Make, 2}}, "x y2", "x y2", "", "x y2"},
        {"a b", {{K::Remove, 2}}, "", "", "a b", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.held) + " -> " + c.after);
        ItemList list;
        list.Replace(Items(c.held));
        const std::vector<ListItem> fresh = Items(c.fresh);
        ItemList::Edits edits;
        list.Follow(c.script, FreshFrom(fresh), &edits);
        EXPECT_EQ(Written(list.Items()), c.after);
        EXPECT_EQ(Written(edits.removed), c.removed);
        EXPECT_EQ(Written(edits.added), c.added);
    }
}

}  // namespace
}  // namespace sayvane
