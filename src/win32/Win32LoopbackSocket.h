// The voice clients' connections on Winsock: a non-blocking TCP socket to 127.0.0.1 that
// tells of its events through a message-only window (WSAAsyncSelect), so that what the
// client says is read the moment it arrives rather than on the next tick.
#pragma once

#include <windows.h>

#include <cstdint>

#include "platform/LoopbackSocket.h"
#include "win32/BaseWindow.h"

namespace sayvane::win32 {

class Win32LoopbackSocket final : public BaseWindow<Win32LoopbackSocket>, public LoopbackSocket {
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
    // Made on the GUI thread: the window that hears of the socket's events is its own.
    void OnActivity(const Activity& activity) override;

private:
    friend class BaseWindow<Win32LoopbackSocket>;

    // The message-only window's messages: the socket's events.
    LRESULT MessageHandler(UINT message, WPARAM wParam, LPARAM lParam);
    // Asks Winsock to post the connection's events to the window.
    void Listen();

    bool m_started = false;   // WSAStartup succeeded
    std::uintptr_t m_socket;  // a SOCKET; INVALID_SOCKET when none
    State m_state = State::Closed;
    Activity m_activity;
};

}  // namespace sayvane::win32
