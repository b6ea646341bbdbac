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
            testing::WriteBytes(m_folder.File("Sayvane.INI"), std::string("[Setup]\r\n") + settings);
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

TEST_F(StartupTest, OnlyAutoStartOneOpensTheOverlay) {
    // AutoStart itself is read as SettingsFileTest reads it; any other value is the first run's.
    const std::pair<const char*, const char*> cases[] = {{"AutoStart=1\r\n", "OpenOverlay"},
                                                         {"AutoStart=2\r\n", "OpenConfiguration"}};
    for (const auto& [settings, window] : cases) {
        const EventLog log = Run(settings);
        ASSERT_EQ(log.size(), 6u);
        EXPECT_EQ(log[4], window) << settings;
    }
}

TEST_F(StartupTest, WithoutASplashStartUpStillOpensAWindow) {
    m_clock.OnYield({});
    RunStartup(nullptr, m_flow, m_store, m_clock, m_folder.Path().string());
    EXPECT_EQ(m_log, EventLog{"OpenConfiguration"});
}

}  // namespace
}  // namespace sayvane
