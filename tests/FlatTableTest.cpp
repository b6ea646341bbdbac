// The flat table the user index looks IDs up in, against a map: IDs that crowd into few
// slots, removed in every order, must all stay findable.
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <random>

#include "overlay/FlatTable.h"

namespace sayvane {
namespace {

TEST(FlatTable, FindsWhatAMapFinds) {
    std::mt19937 random(5);
    FlatTable<std::int32_t, std::uint32_t> table;
    std::map<std::int32_t, std::uint32_t> map;
    for (int step = 0; step < 20000; ++step) {
        const std::int32_t id = std::uniform_int_distribution<std::int32_t>(-300, 300)(random) * 4096;
        if (random() % 3 == 0) {
            ASSERT_EQ(table.Remove(id), map.erase(id) == 1) << "step " << step;
        } else {
            const auto number = static_cast<std::uint32_t>(step);
            ASSERT_EQ(table.Add(id, number), map.emplace(id, number).second) << "step " << step;
        }
        const std::int32_t probe = std::uniform_int_distribution<std::int32_t>(-300, 300)(random) * 4096;
        const auto it = map.find(probe);
        const std::uint32_t* found = table.Find(probe);
        ASSERT_EQ(found == nullptr ? ~0U : *found, it == map.end() ? ~0U : it->second) << "step " << step;
        ASSERT_EQ(table.Size(), map.size());
    }
}

}  // namespace
}  // namespace sayvane
