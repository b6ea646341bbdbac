// The remote-control library in memory: a scriptable TsServer behind the library's five
// calls, with a switch for "library absent" and a log of the calls made.
#pragma once

#include <string>
#include <vector>

#include "platform/TsRemoteApi.h"
#include "sim/TsServer.h"

namespace sayvane::sim {

class SimulatedTsRemote final : public TsRemoteApi {
public:
    SimulatedTsRemote() = default;
    explicit SimulatedTsRemote(TsServer server) : m_server(std::move(server)) {}

    // The server behind the library; tests and scenarios change it between calls.
    [[nodiscard]] TsServer& Server() { return m_server; }

    // An absent library answers IsAvailable with false; calls made anyway fail as if no
    // client ran, and are logged.
    void SetAbsent(bool absent) { m_absent = absent; }

    // From now on the player, channel and user records are served from byte images of the
    // server as it is now, copied out as a real library copies what it holds, until the next
    // Publish; changes to the server in between are not seen. Benchmarks use it so that the
    // figures are the program's work, not the encoding of a thousand records per call.
    void Publish();

    // Every library call in order, by its export name ("tsrGetSpeakers" ...).
    [[nodiscard]] const std::vector<std::string>& Calls() const { return m_calls; }
    void ClearCalls() { m_calls.clear(); }
    // The text the last failed call left for tsrGetLastError.
    [[nodiscard]] const std::string& LastErrorText() const { return m_lastError; }

    [[nodiscard]] bool IsAvailable() override { return !m_absent; }
    std::int32_t tsrGetSpeakers(std::int32_t* ids, std::int32_t* count) override;
    std::int32_t tsrGetPlayers(std::uint8_t* records, std::int32_t* count) override;
    std::int32_t tsrGetChannels(std::uint8_t* records, std::int32_t* count) override;
    std::int32_t tsrGetUserInfo(std::uint8_t* record) override;
    std::int32_t tsrGetLastError(char* buffer, std::int32_t size) override;

private:
    // Remembers the error text of a failed call and passes its result on.
    std::int32_t Finish(std::int32_t result, const std::string& errorText);

    TsServer m_server;
    bool m_absent = false;
    std::vector<std::string> m_calls;
    std::string m_lastError;
    bool m_published = false;
    std::vector<std::uint8_t> m_playerImage;
    std::vector<std::uint8_t> m_channelImage;
    std::vector<std::uint8_t> m_userImage;
};

}  // namespace sayvane::sim
