// What the simulated TeamSpeak 3 and TeamSpeak 5/6 clients have in common: server tabs (each a
// TsServer, one of them active), the count of connections, and the bytes queued for the
// other end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "sim/SimulatedPeer.h"
#include "sim/TsServer.h"

namespace sayvane::sim {

class SimulatedTsClient : public SimulatedPeer {
public:
    // Tabs are numbered from 1 in the order they were added; references stay valid.
    std::int32_t AddTab(TsServer server = {});
    [[nodiscard]] TsServer& Server(std::int32_t tab = 1);
    [[nodiscard]] std::int32_t TabCount() const { return static_cast<std::int32_t>(m_tabs.size()); }
    void SetActiveTab(std::int32_t tab);
    [[nodiscard]] std::int32_t ActiveTab() const { return m_activeTab; }
    // False when any tab's server says the client is not running: no connection is accepted.
    [[nodiscard]] bool Running() const override;

    [[nodiscard]] std::uint64_t SessionNumber() const override { return m_sessionNumber; }
    [[nodiscard]] std::string TakeOutput(std::size_t most) override;
    [[nodiscard]] std::size_t OutputSize() const override { return m_output.size() - m_outputFirst; }

    // Compares every tab with what the session was last told and queues what differs, and
    // does what waited for time to pass. Call it after every change to a server.
    virtual void Update() = 0;

protected:
    // One tab (a default TsServer), which is active.
    SimulatedTsClient();

    [[nodiscard]] bool TabExists(std::int32_t tab) const;
    // Who stopped talking (of those still there) and then who began, from `told` to `now`:
    // each id with whether it talks now. A speaker who left is gone with his talk status.
    [[nodiscard]] static std::vector<std::pair<std::int32_t, bool>> TalkChanges(const TsServer& told,
                                                                                const TsServer& now);
    [[nodiscard]] const std::deque<TsServer>& Tabs() const { return m_tabs; }
    // Calls `syncTab` for every tab, after giving `told` (the servers as the session last heard
    // of them) one for each tab opened during the session, as never connected.
    void SyncEachTab(std::vector<TsServer>& told, const std::function<void(std::int32_t)>& syncTab) const;
    // A new connection is counted; what was queued for the last one is dropped.
    void BeginSession();
    void QueueOutput(std::string_view bytes) { m_output.append(bytes); }
    void DropOutput();

private:
    std::deque<TsServer> m_tabs;
    std::int32_t m_activeTab = 1;
    std::uint64_t m_sessionNumber = 0;
    std::string m_output;
    std::size_t m_outputFirst = 0;  // the bytes before it were taken
};

}  // namespace sayvane::sim
