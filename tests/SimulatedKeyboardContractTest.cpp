// The simulated keyboard against the US layout every keyboard must show.
#include "KeyboardLayoutContract.h"

namespace sayvane::testing {

INSTANTIATE_TEST_SUITE_P(Keyboard, KeyboardLayoutContract,
                         ::testing::Values(KeyboardFactory{"Simulated", MakeSimulatedKeyboard}), KeyboardName);

}  // namespace sayvane::testing
