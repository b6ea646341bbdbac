// Non-blocking Winsock: connect returns at once, select with a zero timeout tells when it
// finished, and recv/send report WSAEWOULDBLOCK instead of waiting. Once the owner asks to
// hear of activity, WSAAsyncSelect posts the socket's events to a message-only window.
#include <winsock2.h>  // before <windows.h>, which would pull in the old winsock.h

#include "win32/Win32LoopbackSocket.h"

#include <algorithm>
#include <climits>

namespace sayvane::win32 {

namespace {

SOCKET Handle(std::uintptr_t socket) {
    return static_cast<SOCKET>(socket);
}

constexpr UINT kSocketMessage = WM_APP + 1;
constexpr char kWindowClass[] = "SayvaneSocket";

}  // namespace

Win32LoopbackSocket::Win32LoopbackSocket() : m_socket(static_cast<std::uintptr_t>(INVALID_SOCKET)) {
    WSADATA data{};
    m_started = WSAStartup(MAKEWORD(2, 2), &data) == 0;
}

Win32LoopbackSocket::~Win32LoopbackSocket() {
    Close();
    DestroyUnbound();
    if (m_started) {
        WSACleanup();
    }
}

LRESULT Win32LoopbackSocket::MessageHandler(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != kSocketMessage) {
        return DefWindowProcA(Hwnd(), message, wParam, lParam);
    }
    // An event of a socket closed since it was posted says nothing about the one open now.
    if (m_activity && static_cast<std::uintptr_t>(wParam) == m_socket) {
        const Activity activity = m_activity;  // it may replace itself
        activity();
    }
    return 0;
}

void Win32LoopbackSocket::OnActivity(const Activity& activity) {
    m_activity = activity;
    if (Hwnd() == nullptr && m_activity) {
        const HINSTANCE instance = GetModuleHandleA(nullptr);
        RegisterClassOnce(instance, kWindowClass);  // the second socket finds it made
        if (CreateBound(0, kWindowClass, "", 0, POINT{0, 0}, SIZE{0, 0}, HWND_MESSAGE, instance) != nullptr) {
            Listen();  // a connection made before
        }
    }
}

void Win32LoopbackSocket::Listen() {
    if (Hwnd() != nullptr && Handle(m_socket) != INVALID_SOCKET) {
        WSAAsyncSelect(Handle(m_socket), Hwnd(), kSocketMessage, FD_CONNECT | FD_READ | FD_WRITE | FD_CLOSE);
    }
}

void Win32LoopbackSocket::Connect(std::uint16_t port) {
    Close();
    m_state = State::Failed;
    if (!m_started) {
        return;
    }
    const SOCKET socket = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (socket == INVALID_SOCKET) {
        return;
    }
    m_socket = static_cast<std::uintptr_t>(socket);
    u_long nonBlocking = 1;
    if (ioctlsocket(socket, FIONBIO, &nonBlocking) != 0) {
        Close();
        m_state = State::Failed;
        return;
    }
    Listen();
    // Only ever this computer: the API key must never leave it.
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
        m_state = State::Open;
    } else if (WSAGetLastError() == WSAEWOULDBLOCK) {
        m_state = State::Connecting;
    }
}

LoopbackSocket::State Win32LoopbackSocket::Poll() {
    if (m_state != State::Connecting) {
        return m_state;
    }
    fd_set writable;
    fd_set failed;
    FD_ZERO(&writable);
    FD_ZERO(&failed);
    FD_SET(Handle(m_socket), &writable);
    FD_SET(Handle(m_socket), &failed);
    timeval now{0, 0};
    if (select(0, nullptr, &writable, &failed, &now) == SOCKET_ERROR || FD_ISSET(Handle(m_socket), &failed)) {
        m_state = State::Failed;
    } else if (FD_ISSET(Handle(m_socket), &writable)) {
        int error = 0;
        int length = sizeof error;
        const bool asked =
            getsockopt(Handle(m_socket), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length) == 0;
        m_state = asked && error == 0 ? State::Open : State::Failed;
    }
    return m_state;
}

std::size_t Win32LoopbackSocket::Receive(char* buffer, std::size_t size) {
    if (m_state != State::Open) {
        return 0;
    }
    const int got = recv(Handle(m_socket), buffer, static_cast<int>(std::min<std::size_t>(size, INT_MAX)), 0);
    if (got > 0) {
        return static_cast<std::size_t>(got);
    }
    if (got == 0 || WSAGetLastError() != WSAEWOULDBLOCK) {
        m_state = State::Failed;  // closed by the other end, or broken
    }
    return 0;
}

std::size_t Win32LoopbackSocket::Send(std::string_view bytes) {
    if (m_state != State::Open || bytes.empty()) {
        return 0;
    }
    const int sent =
        send(Handle(m_socket), bytes.data(), static_cast<int>(std::min<std::size_t>(bytes.size(), INT_MAX)), 0);
    if (sent > 0) {
        return static_cast<std::size_t>(sent);
    }
    if (WSAGetLastError() != WSAEWOULDBLOCK) {
        m_state = State::Failed;
    }
    return 0;
}

void Win32LoopbackSocket::Close() {
    if (Handle(m_socket) != INVALID_SOCKET) {
        closesocket(Handle(m_socket));
        m_socket = static_cast<std::uintptr_t>(INVALID_SOCKET);
    }
    m_state = State::Closed;
}

}  // namespace sayvane::win32
