// One table of INI cases that every ProfileStore must pass: the portable store natively
// and under Wine, the Windows profile API under Wine. A test program instantiates it with
// the store it checks:
//   INSTANTIATE_TEST_SUITE_P(Profile, ProfileStoreContract,
//                            ::testing::Values(StoreFactory<SomeStore>("SomeStore")), StoreName);
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>
#include <string>

#include "platform/ProfileStore.h"

namespace sayvane::testing {

struct ProfileStoreFactory {
    const char* name;
    std::function<std::unique_ptr<ProfileStore>()> make;
    std::unique_ptr<ProfileStore> operator()() const { return make(); }
    friend void PrintTo(const ProfileStoreFactory& f, std::ostream* os) { *os << f.name; }
};

template <typename Store>
ProfileStoreFactory StoreFactory(const char* name) {
    return {name, [] { return std::make_unique<Store>(); }};
}

inline std::string StoreName(const ::testing::TestParamInfo<ProfileStoreFactory>& info) {
    return info.param.name;
}

class ProfileStoreContract : public ::testing::TestWithParam<ProfileStoreFactory> {};

}  // namespace sayvane::testing
