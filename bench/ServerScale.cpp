// The benchmarks' server: channels, players with callsign-like names, and steady speakers.
#include "ServerScale.h"

#include <algorithm>
#include <fstream>
#include <random>

namespace sayvane::bench {
namespace {

// 2500 ms between ticks: the periodic refresh then comes every 4th tick (8000 / 2500 = 3.2).
constexpr const char* kSettings =
    "[Setup]\r\nRefresh=45\r\nDelay=2\r\nShowChannel=1\r\nShowInOut=1\r\nShowMe=1\r\nIvAcSelect=1\r\n";
constexpr int kRefreshIntervalMs = 2500;
constexpr const char* kOwnNickname = "EDDF_APP";

// Unique names that look like callsigns (three letters and digits) in no sorted order.
std::string CallsignFor(int index, std::mt19937& random) {
    std::uniform_int_distribution<int> letter('A', 'Z');
    std::string name;
    for (int i = 0; i < 3; ++i) {
        name += static_cast<char>(letter(random));
    }
    return name + std::to_string(100 + index);
}

std::filesystem::path FreshFolder() {
    std::random_device random;
    const auto base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        auto candidate = base / ("sayvane-bench-" + std::to_string(random()));
        if (std::filesystem::create_directory(candidate)) {
            return candidate;
        }
    }
    return {};
}

}  // namespace

ServerScale::ServerScale(ServerSize size) : m_size(size), m_folder(FreshFolder()) {
    if (m_folder.empty()) {
        m_problem = "no temporary folder for the settings file";
        return;
    }
    std::ofstream(m_folder / "Sayvane.INI", std::ios::binary) << kSettings;

    sim::TsServer& server = m_rig.api.Server();
    server.serverName = "IVAO Benchmark";
    server.ownNickname = kOwnNickname;
    for (int c = 0; c < size.channels; ++c) {
        server.channels.push_back(sim::TsChannel{c + 1, 0, 0, c == 0 ? 33 : 1, 9, "Channel " + std::to_string(c + 1)});
    }
    std::mt19937 random(20261206);
    for (int p = 0; p < size.players; ++p) {
        const std::string name = p == 0 ? kOwnNickname : CallsignFor(p, random);
        server.players.push_back(sim::TsPlayer{p + 1, 1 + p % std::max(size.channels, 1), 0, 8, 0, name});
    }
    const int stride = std::max(size.players / std::max(size.speakers, 1), 1);
    for (int s = 0; s < size.speakers && s * stride < size.players; ++s) {
        server.StartSpeaking(1 + s * stride);
    }
    const WindowHandle main = m_rig.desktop.Add(sim::Window("TMainForm").Caption("TeamSpeak 2").Process(7));
    m_rig.desktop.Add(sim::Window("TRichEditWithLinks").Parent(main).Text("Player:\r\nEDDF_APP\r\n"));

    m_rig.api.Publish();
    m_rig.window.RecordLines(false);
    m_rig.Create(m_folder.string());
    if (m_rig.overlay->Settings().RefreshInterval != kRefreshIntervalMs) {
        m_problem = "the settings file did not give a 2500 ms refresh interval";
        return;
    }
    // Connect, fill the lists, take the channel in: after a full refresh period every tick
    // is alike.
    for (int i = 0; i < 8; ++i) {
        m_rig.Tick();
    }
    ForgetRecords();
    if (State().lstUsers.Count() != static_cast<std::size_t>(size.players) ||
        State().lstSpeakers.Count() != server.speakers.size() || !State().lstInOut.Empty()) {
        m_problem = "the overlay did not reach its steady state";
    }
}

ServerScale::~ServerScale() {
    m_rig.overlay.reset();
    std::error_code ignored;
    if (!m_folder.empty()) {
        std::filesystem::remove_all(m_folder, ignored);
    }
}

bool ServerScale::NextTickRefreshes() const {
    return State().RefreshCounter + 1 > 8000.0 / m_rig.overlay->Settings().RefreshInterval;
}

void ServerScale::TickUntilRefreshIsDue() {
    while (!NextTickRefreshes()) {
        Tick(false);
    }
}

void ServerScale::Tick(bool changeOrder) {
    if (changeOrder) {
        auto& speakers = m_rig.api.Server().speakers;
        if (!speakers.empty()) {
            std::rotate(speakers.begin(), speakers.begin() + 1, speakers.end());
        }
    }
    m_rig.Tick();
}

void ServerScale::ChangePlayers(int count) {
    sim::TsServer& server = m_rig.api.Server();
    const auto speaking = [&](const sim::TsPlayer& p) {
        return std::find(server.speakers.begin(), server.speakers.end(), p.id) != server.speakers.end();
    };
    for (int i = 0; i < count; ++i, ++m_changes) {
        // Someone who is not speaking and not the user, from a place that moves on each time.
        const std::size_t players = server.players.size();
        std::size_t at = 1 + static_cast<std::size_t>(m_changes) * 7919 % std::max<std::size_t>(players - 1, 1);
        while (at < players && speaking(server.players[at])) {
            at = at + 1 < players ? at + 1 : 1;
        }
        sim::TsPlayer& player = server.players[at];
        switch (m_changes % 4) {
            case 0:
                server.players.push_back(
                    sim::TsPlayer{server.NextPlayerId(), 1, 0, 8, 0, "NEW" + std::to_string(m_changes)});
                break;
            case 1: (void)server.RemovePlayer(player.id); break;
            case 2: player.channelId = 1 + (player.channelId % std::max(m_size.channels, 1)); break;
            default: player.name = "REN" + std::to_string(m_changes); break;
        }
    }
    m_rig.api.Publish();
}

void ServerScale::ChangeEveryRecord() {
    sim::TsServer& server = m_rig.api.Server();
    for (sim::TsChannel& channel : server.channels) {
        channel.flags ^= 4;
    }
    ++m_changes;
    for (std::size_t i = 1; i < server.players.size(); ++i) {
        sim::TsPlayer& player = server.players[i];
        player.name = player.name.substr(0, player.name.find('-')) + "-" + std::to_string(m_changes % 2);
        player.channelId = 1 + (player.channelId % std::max(m_size.channels, 1));
    }
    m_rig.api.Publish();
}

void ServerScale::ForgetRecords() {
    m_rig.api.ClearCalls();
    m_rig.log.clear();
}

}  // namespace sayvane::bench
