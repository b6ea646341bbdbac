// A program at the other end of a loopback connection that says whatever a test scripts: what
// it sends on a new connection, what it answers to the bytes it receives, and what it keeps
// sending whenever the other end reads (a flood that never ends). For the links' tests against
// whatever may listen on a voice client's port.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "sim/SimulatedPeer.h"

namespace sayvane::sim {

// A WebSocket frame as a server sends it (never masked), of a payload under 64 KiB; `fin`
// clear for a fragment. Opcode 1 is text, 0 a continuation, 9 a ping.
inline std::string ServerFrame(std::string_view payload, std::uint8_t opcode = 1, bool fin = true) {
    std::string frame{static_cast<char>((fin ? 0x80U : 0U) | opcode)};
    if (payload.size() < 126) {
        frame += static_cast<char>(payload.size());
    } else {
        frame += '\x7E';
        frame += static_cast<char>((payload.size() >> 8U) & 0xFFU);
        frame += static_cast<char>(payload.size() & 0xFFU);
    }
    return frame + std::string(payload);
}

class ScriptedPeer final : public SimulatedPeer {
public:
    // Each returns the bytes to send; `received` holds every byte of the session so far.
    using Opening = std::function<std::string()>;
    using Answer = std::function<std::string(const std::string& received)>;
    using Flood = std::function<std::string()>;

    void OnConnect(Opening opening) { m_opening = std::move(opening); }
    void OnReceive(Answer answer) { m_answer = std::move(answer); }
    // Called whenever fewer than `most` bytes wait as the other end reads; empty: no more.
    void SetFlood(Flood flood) { m_flood = std::move(flood); }

    [[nodiscard]] bool Running() const override { return true; }
    bool Connect() override {
        ++m_sessions;
        m_open = true;
        m_received.clear();
        m_output = m_opening ? m_opening() : std::string();
        return true;
    }
    void Disconnect() override {
        m_open = false;
        m_output = std::string();
        m_received = std::string();
    }
    [[nodiscard]] bool IsOpen() const override { return m_open; }
    [[nodiscard]] std::uint64_t SessionNumber() const override { return m_sessions; }
    void Receive(std::string_view bytes) override {
        m_received.append(bytes);
        if (m_answer) {
            m_output += m_answer(m_received);
        }
    }
    [[nodiscard]] std::string TakeOutput(std::size_t most) override {
        while (m_open && m_flood && m_output.size() < most) {
            const std::string more = m_flood();
            if (more.empty()) {
                break;
            }
            m_output += more;
        }
        std::string taken = m_output.substr(0, most);
        m_output.erase(0, taken.size());
        m_taken += taken.size();
        return taken;
    }
    // Every byte the other end read, over all sessions.
    [[nodiscard]] std::uint64_t BytesTaken() const { return m_taken; }
    [[nodiscard]] std::size_t OutputSize() const override { return m_output.size(); }

private:
    Opening m_opening;
    Answer m_answer;
    Flood m_flood;
    bool m_open = false;
    std::uint64_t m_sessions = 0;
    std::string m_received;
    std::string m_output;
    std::uint64_t m_taken = 0;
};

}  // namespace sayvane::sim
