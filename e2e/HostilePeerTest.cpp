// The real Sayvane.exe against whatever took a voice client's port before the client did:
// floods of tabs and of talkers, answers and greetings without end, pings while nothing of
// the pongs is read, auth answers over and over, a key with settings lines in it, silence.
// Through it all its windows answer, its memory stays near what a normal server costs, its
// settings file gets no line it did not write, and once the hostile program gives way to the
// voice client, Sayvane follows the client by itself.
#include <windows.h>

#include <gtest/gtest.h>
#include <psapi.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "TowerRoundStory.h"
#include "harness/SayvaneRun.h"

namespace sayvane::e2e {
namespace {

// What Sayvane may use beyond its memory with a normal server while it is attacked.
constexpr std::size_t kMostExtraBytes = std::size_t{64} << 20;

struct Siege {
    const char* protocol;  // hostilepeer's name for it
    unsigned port;         // one of its own, away from a voice client the machine may run
    const char* attacks;   // one for each connection, in order
    const char* settings;  // the voice client chosen and its port
    const char* client;    // the simulated voice client that comes after
    std::vector<std::string> clientArguments;
};

void PrintTo(const Siege& siege, std::ostream* out) {
    *out << siege.protocol << ": " << siege.attacks;
}

// Attacks Sayvane has no reason to end: what they say changes nothing it keeps, and the
// hostile program gives up after a while.
bool Harmless(const std::string& attack) {
    return attack == "talker-flood" || attack == "repeated-auth";
}

std::vector<std::string> Split(const std::string& list) {
    std::vector<std::string> names;
    std::istringstream in(list);
    for (std::string name; std::getline(in, name, ',');) {
        names.push_back(name);
    }
    return names;
}

class HostilePeerRun : public LoggingPeer {
public:
    explicit HostilePeerRun(const Siege& siege) {
        m_listening = Start("hostilepeer.exe", {"--protocol", siege.protocol, "--attacks", siege.attacks, "--port",
                                                std::to_string(siege.port), "--log", File("peer.log")}) &&
                      WaitForLog("listening on");
    }
    [[nodiscard]] bool Listening() const { return m_listening; }
    // The attack playing now: the last one begun.
    [[nodiscard]] std::string Playing() const {
        const std::vector<std::string> lines = LogLines();
        const auto begun = std::find_if(lines.rbegin(), lines.rend(), [](const std::string& line) {
            return line.find("* attack ") != std::string::npos && line.find(": ") != std::string::npos;
        });
        return begun == lines.rend() ? std::string() : begun->substr(begun->find("* attack ") + 2);
    }

private:
    bool m_listening = false;
};

// The memory the program committed for itself (Wine tells it of another process as the
// page-file usage alone).
std::size_t PrivateBytes(HANDLE process) {
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof memory;
    return GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory) != 0
               ? std::max<std::size_t>(memory.PrivateUsage, memory.PagefileUsage)
               : 0;
}

// Watches the program while it is attacked: the most memory it used, and whether its windows'
// thread answered a message within a second each time it was asked (every 200 ms); when not,
// which attack was playing and for how long.
struct Watch {
    Watch(HWND window, HANDLE program, const HostilePeerRun& attacker)
        : overlay(window), process(program), peer(attacker) {}

    HWND overlay;
    HANDLE process;
    const HostilePeerRun& peer;
    std::size_t mostBytes = 0;
    int asked = 0;
    std::string unanswered;
    ULONGLONG lastAsked = 0;
    std::string playing;
    ULONGLONG playingSince = 0;

    void operator()() {
        mostBytes = std::max(mostBytes, PrivateBytes(process));
        if (GetTickCount64() - lastAsked < 200) {
            return;
        }
        if (std::string now = peer.Playing(); now != playing) {
            playing = std::move(now);
            playingSince = GetTickCount64();
        }
        DWORD_PTR result = 0;
        ++asked;
        if (SendMessageTimeoutA(overlay, WM_NULL, 0, 0, SMTO_NORMAL, 1000, &result) == 0) {
            unanswered += "\n  " + playing + ", " + std::to_string(GetTickCount64() - playingSince) + " ms in";
        }
        lastAsked = GetTickCount64();
    }
};

// The settings file's lines but for the key TeamSpeak 5/6 hands out, which Sayvane keeps
// (checked on its own).
std::vector<std::string> LinesButTheKey(const std::vector<std::string>& lines) {
    std::vector<std::string> kept;
    std::copy_if(lines.begin(), lines.end(), std::back_inserter(kept),
                 [](const std::string& line) { return line.rfind("RemoteApiKey=", 0) != 0; });
    return kept;
}

class HostilePeer : public ::testing::TestWithParam<Siege> {};

TEST_P(HostilePeer, SayvaneAnswersStaysBoundedKeepsItsSettingsAndFollowsTheClientThatComesAfter) {
    const Siege& siege = GetParam();
    HostilePeerRun hostile(siege);
    ASSERT_TRUE(hostile.Listening());
    // Notices stay half a second: the overlay's one-line notice (the channel's name, once
    // connected) holds its thread for the whole retention time by design.
    SayvaneRun run(std::string("[Setup]\r\nAutoStart=1\r\nRefresh=0\r\nDelay=0\r\nTransparent=100\r\n") +
                   siege.settings + std::to_string(siege.port) + "\r\n");
    ASSERT_TRUE(run.Start());
    const HWND overlay = run.WaitForOverlay();
    ASSERT_NE(overlay, nullptr);
    const std::vector<std::string> written = LinesButTheKey(testing::ReadLines(run.SettingsFile()));

    Watch watch(overlay, run.Handle(), hostile);
    ASSERT_TRUE(WaitUntil(
        [&] {
            watch();
            return hostile.LogCount("* all attacks played") > 0;
        },
        240000));
    const std::vector<std::string> attacks = Split(siege.attacks);
    for (std::size_t i = 0; i < attacks.size(); ++i) {
        EXPECT_TRUE(hostile.LogCount("* attack " + std::to_string(i + 1) + " ended by " +
                                     (Harmless(attacks[i]) ? "the peer" : "the other end")))
            << attacks[i] << (Harmless(attacks[i]) ? " is no reason to drop" : " is dropped by Sayvane");
    }
    EXPECT_GT(watch.asked, 0);
    EXPECT_EQ(watch.unanswered, "") << "of " << watch.asked << " questions to the overlay";
    const std::vector<std::string> settings = testing::ReadLines(run.SettingsFile());
    EXPECT_EQ(LinesButTheKey(settings), written);
    for (const std::string& line : settings) {
        EXPECT_TRUE(line.rfind("RemoteApiKey=hostile", 0) != 0 || line == "RemoteApiKey=hostile") << line;
    }

    // The hostile program goes and the voice client takes the port.
    hostile.Terminate();
    ScenarioServerRun client(siege.client, kRepeatingTowerRound, siege.port, siege.clientArguments);
    ASSERT_TRUE(client.Listening());
    const DiagnosticPanel panel(overlay);
    ASSERT_TRUE(panel.Found());
    EXPECT_TRUE(WaitUntil([&] { return panel.Status() == "Connected"; }, 30000)) << panel.Status();
    EXPECT_TRUE(WaitUntil([&] { return Lists(panel.List("lstSpeakers"), "DLH4AB"); }, 20000));
    const std::size_t normalBytes = PrivateBytes(run.Handle());
    ASSERT_GT(normalBytes, 0U);
    std::printf("memory: at most %zu KiB attacked, %zu KiB with the client; %d questions answered in time\n",
                watch.mostBytes / 1024, normalBytes / 1024, watch.asked);
    EXPECT_LE(watch.mostBytes, normalBytes + kMostExtraBytes)
        << "attacked: " << watch.mostBytes / 1024 << " KiB, with the client: " << normalBytes / 1024 << " KiB";
    EXPECT_EQ(run.ExitFromTray(overlay), std::optional<DWORD>(0));
}

INSTANTIATE_TEST_SUITE_P(
    OnEachPort, HostilePeer,
    ::testing::Values(Siege{"ts3",
                            26640,
                            "tab-flood,talker-flood,endless-answer,endless-banner,silent",
                            "VoiceClient=3\r\nQueryApiKey=SAYVANE-TEST-KEY\r\nQueryPort=",
                            "ts3sim.exe",
                            {}},
                      Siege{"ts5",
                            26900,
                            "tab-flood,talker-flood,repeated-auth,ping-flood,endless-answer,key-crlf,silent",
                            "VoiceClient=5\r\nRemotePort=",
                            "ts5sim.exe",
                            {"--allow"}}),
    [](const ::testing::TestParamInfo<Siege>& siege) { return std::string(siege.param.protocol); });

}  // namespace
}  // namespace sayvane::e2e
