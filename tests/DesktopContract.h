// The window-system behaviours every Desktop must show, checked on scenes of windows made
// for the test: the simulated desktop natively and under Wine, the Win32 desktop under Wine
// (on real windows of the test program). A test program instantiates it with its scenes:
//   INSTANTIATE_TEST_SUITE_P(Desktop, DesktopContract, ::testing::Values(SceneFactory(...)), SceneName);
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>
#include <vector>

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

struct DesktopSceneFactory {
    const char* name;
    std::function<std::unique_ptr<DesktopScene>()> make;
    std::unique_ptr<DesktopScene> operator()() const { return make(); }
    friend void PrintTo(const DesktopSceneFactory& f, std::ostream* os) { *os << f.name; }
};

inline std::string SceneName(const ::testing::TestParamInfo<DesktopSceneFactory>& info) {
    return info.param.name;
}

// `windows` without the ones that are not in `mine`, order kept.
std::vector<WindowHandle> KeepOnly(const std::vector<WindowHandle>& windows, const std::vector<WindowHandle>& mine);

// The simulated desktop as a scene.
std::unique_ptr<DesktopScene> MakeSimulatedScene();

class DesktopContract : public ::testing::TestWithParam<DesktopSceneFactory> {
protected:
    void SetUp() override { m_scene = GetParam()(); }
    void TearDown() override { m_scene.reset(); }

    DesktopScene& Scene() { return *m_scene; }
    Desktop& View() { return m_scene->View(); }
    WindowHandle Add(const sim::Window& newWindow) { return m_scene->Add(newWindow); }

private:
    std::unique_ptr<DesktopScene> m_scene;
};

}  // namespace sayvane::testing
