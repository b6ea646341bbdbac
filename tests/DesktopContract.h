// The window-system behaviours every Desktop must show, checked on scenes of windows made
// for the test: the simulated desktop natively and under Wine, the Win32 desktop under Wine
// (on real windows of the test program). DesktopContract.cpp instantiates it for the simulated
// desktop; a test program adds another desktop with
//   INSTANTIATE_TEST_SUITE_P(Desktop, DesktopContract, ::testing::Values(MakeScene<SomeScene>("Some")));
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "ContractMaker.h"
#include "platform/Desktop.h"
#include "sim/SimulatedDesktop.h"

namespace sayvane::testing {

// Windows put on a desktop for one test, and the Desktop that sees them. The windows belong
// to the scene's own process (Window::processId is not used); the scene removes them
// when it ends. Other windows may share the desktop, so tests look only at their own.
class DesktopScene {
public:
    virtual ~DesktopScene() = default;
    virtual Desktop& View() = 0;
    virtual WindowHandle Add(const sim::Window& newWindow) = 0;
    virtual void Destroy(WindowHandle window) = 0;
    [[nodiscard]] virtual ProcessId OwnProcess() const = 0;
};

using SceneMaker = ContractMaker<DesktopScene>;

template <typename Scene>
SceneMaker MakeScene(const char* name) {
    return MakeContractCase<DesktopScene, Scene>(name);
}

class DesktopContract : public ::testing::TestWithParam<SceneMaker> {
protected:
    void SetUp() override { m_scene = GetParam().make(); }

    DesktopScene& Scene() { return *m_scene; }
    Desktop& View() { return m_scene->View(); }
    WindowHandle Add(const sim::Window& newWindow) { return m_scene->Add(newWindow); }

private:
    std::unique_ptr<DesktopScene> m_scene;
};

}  // namespace sayvane::testing
