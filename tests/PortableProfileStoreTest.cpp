// The portable INI store against the table every profile store must pass.
#include "ProfileStoreContract.h"
#include "sim/PortableProfileStore.h"

namespace sayvane::testing {

INSTANTIATE_TEST_SUITE_P(Profile, ProfileStoreContract,
                         ::testing::Values(StoreFactory<sim::PortableProfileStore>("Portable")), StoreName);

}  // namespace sayvane::testing
