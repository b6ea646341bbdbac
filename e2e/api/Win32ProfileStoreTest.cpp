// The INI table against the Windows profile API itself (and the portable store beside it,
// so that both are held to the same cases on the same system).
#include "ProfileStoreContract.h"
#include "sim/PortableProfileStore.h"
#include "win32/Win32ProfileStore.h"

namespace sayvane::testing {

INSTANTIATE_TEST_SUITE_P(Profile, ProfileStoreContract,
                         ::testing::Values(StoreFactory<win32::Win32ProfileStore>("Win32"),
                                           StoreFactory<sim::PortableProfileStore>("Portable")),
                         StoreName);

}  // namespace sayvane::testing
