// The entry routine: splash, then the overlay or the configuration window.
#include <gtest/gtest.h>

#include "TempFolder.h"
#include "app/Startup.h"
#include "sim/OverlayRig.h"

namespace sayvane {
namespace {

using sim::EventLog;

class RecordingSplash final : public Splash {
public:
    explicit RecordingSplash(EventLog& log) : m_log(log) {}
    std::string InfoText() const override { return m_text; }
    void SetInfoText(const std::string& text) override { m_text = text; }
    void Show() override { m_log.push_back("ShowSplash"); }
    void Repaint() override { m_log.push_back("RepaintSplash"); }
    void Close() override { m_log.push_back("CloseSplash"); }
    std::string m_text = "info";

private:
    EventLog& m_log;
};

class StartupTest : public ::testing::Test {
protected:
    EventLog Run(const char* settings) {
        if (settings != nullptr) {
            m_folder.WriteSettings(settings);
        }
        m_log.clear();
        m_clock.OnYield([this] { m_log.push_back("Yield"); });
        RunStartup(&m_splash, m_flow, m_store, m_clock, m_folder.Path().string());
        return m_log;
    }

    testing::TempFolder m_folder;
    EventLog m_log;
    RecordingSplash m_splash{m_log};
    sim::RecordingFlow m_flow{m_log};
    sim::PortableProfileStore m_store;
    sim::VirtualClock m_clock;
};

TEST_F(StartupTest, FirstRunShowsTheSplashThenTheConfigurationWindow) {
    const EventLog expected = {"ShowSplash", "Yield", "Yield", "RepaintSplash", "OpenConfiguration", "CloseSplash"};
    EXPECT_EQ(Run(nullptr), expected);
    EXPECT_EQ(m_splash.m_text, "info\r\n\nLoading ...");
    EXPECT_EQ(m_clock.Sleeps(), std::vector<int>{500});
}

// Which values of AutoStart count as set is told by SettingsFileTest.
TEST_F(StartupTest, AutoStartOpensTheOverlayInstead) {
    EXPECT_EQ(Run("AutoStart=1\r\n"),
              (EventLog{"ShowSplash", "Yield", "Yield", "RepaintSplash", "OpenOverlay", "CloseSplash"}));
}

TEST_F(StartupTest, WithoutASplashStartUpStillOpensAWindow) {
    m_clock.OnYield({});
    RunStartup(nullptr, m_flow, m_store, m_clock, m_folder.Path().string());
    EXPECT_EQ(m_log, EventLog{"OpenConfiguration"});
}

}  // namespace
}  // namespace sayvane
