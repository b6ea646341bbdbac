// The program's own share of a talker's latency with TeamSpeak 3 and 5/6: from the client's
// talk notification waiting on the socket to the overlay drawn, as the socket's activity runs
// it (the link reads and applies the notification, the overlay reads who speaks and draws), on
// a server of 128 players. Each word is followed, untimed, by its end and the ticks that let
// the name expire, so that every measured word is drawn anew.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "sim/OverlayRig.h"

namespace sayvane::bench {
namespace {

constexpr int kPlayers = 128;
constexpr std::int32_t kSpeaker = 64;

void BM_TalkToDraw(benchmark::State& state) {
    const bool teamSpeak3 = state.range(0) == 3;
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("sayvane-bench-talk-" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "Sayvane.INI", std::ios::binary)
        << "[Setup]\r\nRefresh=0\r\nDelay=0\r\nShowChannel=0\r\n"
        << (teamSpeak3 ? "VoiceClient=3\r\nQueryApiKey=SAYVANE-TEST-KEY\r\n" : "VoiceClient=5\r\n");

    sim::OverlayRig rig;
    sim::SimulatedTsClient& client = teamSpeak3 ? static_cast<sim::SimulatedTsClient&>(rig.teamSpeak3) : rig.teamSpeak5;
    const VoiceClient chosen = teamSpeak3 ? VoiceClient::TeamSpeak3 : VoiceClient::TeamSpeak5;
    sim::TsServer& server = client.Server();
    server.serverName = "IVAO Benchmark";
    server.ownNickname = "EDDF_APP";
    server.channels = {{1, 0, 0, 33, 9, "Lobby"}, {2, 0, 0, 1, 9, "Frankfurt Tower"}};
    for (int p = 1; p <= kPlayers; ++p) {
        server.players.push_back(sim::TsPlayer{p, 2, 0, 8, 0, p == 1 ? "EDDF_APP" : "DLH" + std::to_string(1000 + p)});
    }
    rig.window.RecordLines(false);
    rig.Create(folder.string());
    for (int i = 0; i < 40 && rig.overlay->State().lstUsers.Count() != kPlayers; ++i) {
        client.Update();
        rig.Tick();
    }
    if (rig.overlay->State().lstUsers.Count() != kPlayers) {
        state.SkipWithError("the overlay never listed the server's players");
        return;
    }
    int notDrawn = 0;
    for (auto _ : state) {
        state.PauseTiming();
        server.StartSpeaking(kSpeaker);
        client.Update();  // the notification waits on the socket
        const int redraws = rig.window.Redraws();
        state.ResumeTiming();
        rig.voice.Activity(chosen);
        state.PauseTiming();
        notDrawn += rig.window.Redraws() == redraws || rig.overlay->State().lstSpeakers.Count() != 1 ? 1 : 0;
        server.StopSpeaking(kSpeaker);
        client.Update();
        for (int i = 0; i < 4; ++i) {
            rig.Tick();
        }
        state.ResumeTiming();
    }
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    if (notDrawn != 0) {
        state.SkipWithError("a word was not drawn at once");
    }
}
BENCHMARK(BM_TalkToDraw)->ArgName("client")->Arg(3)->Arg(5)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace sayvane::bench
