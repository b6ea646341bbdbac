// One table of INI cases that every ProfileStore must pass: the portable store natively
// and under Wine, the Windows profile API under Wine. ProfileStoreContract.cpp instantiates it
// for the portable store; a test program adds another store with
//   INSTANTIATE_TEST_SUITE_P(Profile, ProfileStoreContract, ::testing::Values(MakeStore<SomeStore>("Some")));
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "ContractMaker.h"
#include "platform/ProfileStore.h"

namespace sayvane::testing {

using StoreMaker = ContractMaker<ProfileStore>;

template <typename Store>
StoreMaker MakeStore(const char* name) {
    return MakeContractCase<ProfileStore, Store>(name);
}

class ProfileStoreContract : public ::testing::TestWithParam<StoreMaker> {};

}  // namespace sayvane::testing
