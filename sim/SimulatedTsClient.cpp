// The simulated clients' tabs and output queue.
#include "sim/SimulatedTsClient.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace sayvane::sim {
namespace {

// Once the bytes taken off the front of the output pass this, they are erased.
constexpr std::size_t kOutputCompactBytes = std::size_t{64} * 1024;

}  // namespace

SimulatedTsClient::SimulatedTsClient() {
    m_tabs.emplace_back();
}

std::int32_t SimulatedTsClient::AddTab(TsServer server) {
    m_tabs.push_back(std::move(server));
    return TabCount();
}

TsServer& SimulatedTsClient::Server(std::int32_t tab) {
    if (!TabExists(tab)) {
        throw std::out_of_range("no server tab " + std::to_string(tab));
    }
    return m_tabs[static_cast<std::size_t>(tab - 1)];
}

bool SimulatedTsClient::TabExists(std::int32_t tab) const {
    return tab >= 1 && tab <= TabCount();
}

void SimulatedTsClient::SetActiveTab(std::int32_t tab) {
    if (TabExists(tab)) {
        m_activeTab = tab;
    }
}

bool SimulatedTsClient::Running() const {
    return std::all_of(m_tabs.begin(), m_tabs.end(), [](const TsServer& s) { return s.clientRunning; });
}

std::string SimulatedTsClient::TakeOutput(std::size_t most) {
    const std::size_t count = std::min(most, OutputSize());
    std::string out = m_output.substr(m_outputFirst, count);
    m_outputFirst += count;
    if (m_outputFirst == m_output.size()) {
        DropOutput();
    } else if (m_outputFirst > kOutputCompactBytes) {
        m_output.erase(0, m_outputFirst);
        m_outputFirst = 0;
    }
    return out;
}

std::vector<std::pair<std::int32_t, bool>> SimulatedTsClient::TalkChanges(const TsServer& told, const TsServer& now) {
    const auto talks = [](const TsServer& server, std::int32_t id) {
        return std::find(server.speakers.begin(), server.speakers.end(), id) != server.speakers.end();
    };
    const auto here = [&](std::int32_t id) {
        return std::any_of(now.players.begin(), now.players.end(), [&](const TsPlayer& p) { return p.id == id; });
    };
    std::vector<std::pair<std::int32_t, bool>> changes;
    for (const std::int32_t id : told.speakers) {
        if (!talks(now, id) && here(id)) {
            changes.emplace_back(id, false);
        }
    }
    for (const std::int32_t id : now.speakers) {
        if (!talks(told, id) && here(id)) {
            changes.emplace_back(id, true);
        }
    }
    return changes;
}

void SimulatedTsClient::BeginSession() {
    ++m_sessionNumber;
    DropOutput();
}

void SimulatedTsClient::DropOutput() {
    m_output.clear();
    m_outputFirst = 0;
}

void SimulatedTsClient::SyncEachTab(std::vector<TsServer>& told,
                                    const std::function<void(std::int32_t)>& syncTab) const {
    while (told.size() < m_tabs.size()) {
        TsServer unseen;
        unseen.connected = false;
        told.push_back(std::move(unseen));
    }
    for (std::int32_t tab = 1; tab <= TabCount(); ++tab) {
        syncTab(tab);
    }
}

}  // namespace sayvane::sim
