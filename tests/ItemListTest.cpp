// The overlay's item lists: the one-pass operations give the lists the one-by-one operations
// would give.
#include <gtest/gtest.h>

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

}  // namespace
}  // namespace sayvane
