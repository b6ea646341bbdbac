// The INI table against the Windows profile API itself; ProfileStoreContract.cpp runs the
// portable store through the same table in this program, on the same system.
#include "ProfileStoreContract.h"
#include "win32/Win32ProfileStore.h"

namespace sayvane::testing {

INSTANTIATE_TEST_SUITE_P(Win32Profile, ProfileStoreContract,
                         ::testing::Values(MakeStore<win32::Win32ProfileStore>("Win32")));

}  // namespace sayvane::testing
