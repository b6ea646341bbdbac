// One table of INI cases that every ProfileStore must pass: the portable store natively
// and under Wine, the Windows profile API under Wine. ProfileStoreContract.cpp instantiates it
// for the portable store; a test program adds another store with
//   INSTANTIATE_TEST_SUITE_P(Profile, ProfileStoreContract, ::testing::Values(MakeStore<SomeStore>("Some")));
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <ostream>

#include "platform/ProfileStore.h"

namespace sayvane::testing {

// A store under test, with the name the test names end with.
struct StoreMaker {
    const char* name;
    std::unique_ptr<ProfileStore> (*make)();
    friend void PrintTo(const StoreMaker& maker, std::ostream* os) { *os << maker.name; }
};

template <typename Store>
StoreMaker MakeStore(const char* name) {
    return {name, [] { return std::unique_ptr<ProfileStore>(std::make_unique<Store>()); }};
}

class ProfileStoreContract : public ::testing::TestWithParam<StoreMaker> {};

}  // namespace sayvane::testing
