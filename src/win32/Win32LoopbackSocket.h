// The query interface's connection on Winsock: a non-blocking TCP socket to 127.0.0.1.
#pragma once

#include <cstdint>

#include "platform/LoopbackSocket.h"

namespace sayvane::win32 {

class Win32LoopbackSocket final : public LoopbackSocket {
public:
    Win32LoopbackSocket();
    ~Win32LoopbackSocket() override;
    Win32LoopbackSocket(const Win32LoopbackSocket&) = delete;
    Win32LoopbackSocket& operator=(const Win32LoopbackSocket&) = delete;
    Win32LoopbackSocket(Win32LoopbackSocket&&) = delete;
    Win32LoopbackSocket& operator=(Win32LoopbackSocket&&) = delete;

    void Connect(std::uint16_t port) override;
    [[nodiscard]] State Poll() override;
    [[nodiscard]] std::size_t Receive(char* buffer, std::size_t size) override;
    [[nodiscard]] std::size_t Send(std::string_view bytes) override;
    void Close() override;

private:
    bool m_started = false;   // WSAStartup succeeded
    std::uintptr_t m_socket;  // a SOCKET; INVALID_SOCKET when none
    State m_state = State::Closed;
};

}  // namespace sayvane::win32
