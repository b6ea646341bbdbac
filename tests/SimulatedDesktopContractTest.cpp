// The simulated desktop against the behaviours every Desktop must show.
#include "DesktopContract.h"

namespace sayvane::testing {

INSTANTIATE_TEST_SUITE_P(Desktop, DesktopContract,
                         ::testing::Values(DesktopSceneFactory{"Simulated", MakeSimulatedScene}), SceneName);

}  // namespace sayvane::testing
