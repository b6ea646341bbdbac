// The simulated clients' command line, log and socket loop.
#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
#else
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/select.h>
#include <sys/socket.h>
#include <unistd.h>
#include <cerrno>
#include <csignal>
#include <ctime>
#endif

#include "common/PeerHost.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <limits>
#include <memory>
#include <utility>

#include "sim/TsScenario.h"

namespace sayvane::peers {
namespace {

using sim::TsScenario;
using sim::TsScenarioPlayer;

constexpr long kTickMicroseconds = 20000;
// With a chunk size, one chunk goes per pause, so that the reader sees the bytes split.
constexpr long kChunkPauseMicroseconds = 1000;
constexpr std::size_t kReadBytes = 4096;
// What is taken from the program at a time: a flood that never ends goes out piece by piece.
constexpr std::size_t kWriteBytes = std::size_t{1} << 20;
constexpr std::size_t kLoggedLineBytes = 300;

#ifdef _WIN32
using SocketHandle = SOCKET;
const SocketHandle kNoSocket = INVALID_SOCKET;

bool StartSockets() {
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
}

void CloseSocket(SocketHandle socket) {
    closesocket(socket);
}

bool SetNonBlocking(SocketHandle socket) {
    u_long on = 1;
    return ioctlsocket(socket, FIONBIO, &on) == 0;
}

bool WouldBlock() {
    return WSAGetLastError() == WSAEWOULDBLOCK;
}

// Windows lets another program bind the same port with SO_REUSEADDR; exclusive use keeps a
// second simulator from taking it over.
void SetAddressReuse(SocketHandle socket) {
    BOOL on = TRUE;
    setsockopt(socket, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&on), sizeof(on));
}

int SendBytes(SocketHandle socket, const char* data, std::size_t size) {
    return send(socket, data, static_cast<int>(std::min<std::size_t>(size, INT_MAX)), 0);
}

int ReceiveBytes(SocketHandle socket, char* data, std::size_t size) {
    return recv(socket, data, static_cast<int>(size), 0);
}

int HighestForSelect(SocketHandle) {
    return 0;  // ignored by Winsock
}

void SleepMilliseconds(int milliseconds) {
    ::Sleep(static_cast<DWORD>(std::max(milliseconds, 0)));
}
#else
using SocketHandle = int;
constexpr SocketHandle kNoSocket = -1;

bool StartSockets() {
    // A write to a connection the other end dropped must fail, not end the program.
    std::signal(SIGPIPE, SIG_IGN);
    return true;
}

void CloseSocket(SocketHandle socket) {
    close(socket);
}

bool SetNonBlocking(SocketHandle socket) {
    const int flags = fcntl(socket, F_GETFL, 0);
    return flags >= 0 && fcntl(socket, F_SETFL, flags | O_NONBLOCK) == 0;
}

bool WouldBlock() {
    return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
}

// A simulator started again right after the last one must get its port back at once.
void SetAddressReuse(SocketHandle socket) {
    const int on = 1;
    setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &on, sizeof(on));
}

int SendBytes(SocketHandle socket, const char* data, std::size_t size) {
    return static_cast<int>(send(socket, data, std::min<std::size_t>(size, 1 << 20), MSG_NOSIGNAL));
}

int ReceiveBytes(SocketHandle socket, char* data, std::size_t size) {
    return static_cast<int>(recv(socket, data, size, 0));
}

int HighestForSelect(SocketHandle socket) {
    return socket;
}

void SleepMilliseconds(int milliseconds) {
    const timespec pause{milliseconds / 1000, static_cast<long>(milliseconds % 1000) * 1000000L};
    nanosleep(&pause, nullptr);
}
#endif

class Host {
public:
    Host(const char* name, const HostOptions& options, sim::SimulatedPeer& client, PeerLog& log, Ticker tick)
        : m_name(name), m_options(options), m_client(client), m_log(log), m_tick(std::move(tick)) {}
    ~Host();
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;
    Host(Host&&) = delete;
    Host& operator=(Host&&) = delete;

    int Run();

private:
    bool Listen();
    void Accept();
    void Read();
    void Write();
    void CloseConnection(const char* why);

    const char* m_name;
    const HostOptions& m_options;
    sim::SimulatedPeer& m_client;
    PeerLog& m_log;
    Ticker m_tick;
    SocketHandle m_listener = kNoSocket;
    SocketHandle m_connection = kNoSocket;
    std::string m_outgoing;  // taken from the client, not yet accepted by the socket
};

Host::~Host() {
    if (m_connection != kNoSocket) {
        CloseSocket(m_connection);
    }
    if (m_listener != kNoSocket) {
        CloseSocket(m_listener);
    }
}

bool Host::Listen() {
    m_listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (m_listener == kNoSocket) {
        return false;
    }
    SetAddressReuse(m_listener);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(m_options.port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);  // this computer only
    if (bind(m_listener, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0 ||
        listen(m_listener, 4) != 0 || !SetNonBlocking(m_listener)) {
        return false;
    }
    socklen_t length = sizeof(address);
    if (getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        return false;
    }
    const unsigned port = ntohs(address.sin_port);
    std::printf("%s: listening on 127.0.0.1:%u\n", m_name, port);
    std::fflush(stdout);
    m_log.Write("listening on 127.0.0.1:" + std::to_string(port));
    return true;
}

void Host::CloseConnection(const char* why) {
    if (m_connection == kNoSocket) {
        return;
    }
    CloseSocket(m_connection);
    m_connection = kNoSocket;
    m_outgoing.clear();
    m_client.Disconnect();
    m_log.Write(std::string("- connection closed: ") + why);
}

void Host::Accept() {
    const SocketHandle accepted = accept(m_listener, nullptr, nullptr);
    if (accepted == kNoSocket) {
        return;
    }
    if (!m_client.Running()) {
        CloseSocket(accepted);
        m_log.Write("- connection refused: the client is not running");
        return;
    }
    CloseConnection("a new connection replaces it");
    SetNonBlocking(accepted);
    // Bytes go out as soon as they are queued, and chunks as the small writes they are.
    const int on = 1;
    setsockopt(accepted, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof(on));
    m_connection = accepted;
    m_log.Write("+ connection opened");
    m_client.Connect();
}

void Host::Read() {
    char buffer[kReadBytes];
    while (m_connection != kNoSocket) {
        const int count = ReceiveBytes(m_connection, buffer, sizeof(buffer));
        if (count > 0) {
            m_client.Receive(std::string_view(buffer, static_cast<std::size_t>(count)));
        } else if (count == 0) {
            CloseConnection("by the other end");
        } else {
            if (!WouldBlock()) {
                CloseConnection("read error");
            }
            return;
        }
    }
}

void Host::Write() {
    if (m_connection == kNoSocket) {
        return;
    }
    if (m_options.chunk == 0) {
        if (m_outgoing.size() < kWriteBytes) {
            m_outgoing += m_client.TakeOutput(kWriteBytes - m_outgoing.size());
        }
    } else if (m_outgoing.empty()) {
        m_outgoing = m_client.TakeOutput(m_options.chunk);
    }
    if (!m_outgoing.empty()) {
        const int sent = SendBytes(m_connection, m_outgoing.data(), m_outgoing.size());
        if (sent > 0) {
            m_outgoing.erase(0, static_cast<std::size_t>(sent));
        } else if (sent < 0 && !WouldBlock()) {
            CloseConnection("write error");
            return;
        }
    }
    // The client closed its end (quit, a fault, stopped): once its last bytes are out.
    if (!m_client.IsOpen() && m_outgoing.empty() && m_client.OutputSize() == 0) {
        CloseConnection("by the client");
    }
}

int Host::Run() {
    if (!StartSockets() || !Listen()) {
        std::fprintf(stderr, "%s: cannot listen on 127.0.0.1:%u\n", m_name, static_cast<unsigned>(m_options.port));
        return kExitNetwork;
    }
    // The state at time 0 is there before anyone connects.
    bool quit = m_tick(0);
    auto last = std::chrono::steady_clock::now();
    while (!quit) {
        const bool pacing = m_options.chunk != 0 && (!m_outgoing.empty() || m_client.OutputSize() != 0);
        fd_set readable;
        fd_set writable;
        FD_ZERO(&readable);
        FD_ZERO(&writable);
        FD_SET(m_listener, &readable);
        int highest = HighestForSelect(m_listener);
        if (m_connection != kNoSocket) {
            if (m_client.Reads()) {
                FD_SET(m_connection, &readable);
            }
            if (!pacing && (!m_outgoing.empty() || m_client.OutputSize() != 0)) {
                FD_SET(m_connection, &writable);
            }
            highest = std::max(highest, HighestForSelect(m_connection));
        }
        timeval timeout{};
        timeout.tv_usec = pacing ? kChunkPauseMicroseconds : kTickMicroseconds;
        const int ready = select(highest + 1, &readable, &writable, nullptr, &timeout);

        const auto now = std::chrono::steady_clock::now();
        const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(now - last);
        last += elapsed;  // the fraction of a millisecond left over counts towards the next tick
        quit = m_tick(elapsed.count());

        if (ready > 0 && FD_ISSET(m_listener, &readable)) {
            Accept();
        } else if (ready > 0 && m_connection != kNoSocket && FD_ISSET(m_connection, &readable)) {
            Read();
        }
        Write();
    }
    m_log.Write("quit");
    CloseConnection("the client quits");
    return kExitOk;
}

// The scenario files, each played on a tab of its own; empty when one cannot be read.
std::vector<std::unique_ptr<TsScenarioPlayer>> LoadScenarios(const char* name, const HostOptions& options,
                                                             sim::SimulatedTsClient& client, PeerLog& log) {
    std::vector<std::unique_ptr<TsScenarioPlayer>> players;
    for (std::size_t i = 0; i < options.scenarioFiles.size(); ++i) {
        const std::string& file = options.scenarioFiles[i];
        std::ifstream in(file, std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "%s: cannot read scenario %s\n", name, file.c_str());
            return {};
        }
        const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        sim::TsScenarioError error;
        std::optional<TsScenario> scenario = sim::ParseTsScenario(text, &error);
        if (!scenario) {
            std::fprintf(stderr, "%s: %s: line %d: %s\n", name, file.c_str(), error.line, error.message.c_str());
            return {};
        }
        const std::int32_t tab = i == 0 ? 1 : client.AddTab();
        const std::string prefix = options.scenarioFiles.size() > 1 ? "* tab " + std::to_string(tab) + ": " : "* ";
        auto player = std::make_unique<TsScenarioPlayer>(
            std::move(*scenario), client.Server(tab),
            [&log, prefix](std::int64_t, const std::string& line) { log.Write(prefix + line); });
        // Each event is told on its own: a speaker who starts and stops within one tick still
        // sends both notifications.
        player->SetAppliedHook([&client](const sim::TsEvent&) { client.Update(); });
        players.push_back(std::move(player));
    }
    client.SetActiveTab(options.activeTab);
    return players;
}

}  // namespace

std::optional<long> ParseNumber(const std::string& text, long lowest, long highest) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos || text.size() > 9) {
        return std::nullopt;
    }
    const long value = std::stol(text);
    if (value < lowest || value > highest) {
        return std::nullopt;
    }
    return value;
}

std::optional<HostOptions> ParseHostOptions(int argc, char** argv, std::uint16_t defaultPort,
                                            const OptionReader& other) {
    HostOptions options;
    options.port = defaultPort;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        std::optional<long> number;
        if (arg == "--scenario" && value != nullptr) {
            options.scenarioFiles.emplace_back(value);
        } else if (arg == "--port" && value != nullptr && (number = ParseNumber(value, 0, 65535))) {
            options.port = static_cast<std::uint16_t>(*number);
        } else if (arg == "--active" && value != nullptr && (number = ParseNumber(value, 1, 64))) {
            options.activeTab = static_cast<std::int32_t>(*number);
        } else if (arg == "--log" && value != nullptr) {
            options.logFile = value;
        } else if (arg == "--chunk" && value != nullptr && (number = ParseNumber(value, 1, 1 << 20))) {
            options.chunk = static_cast<std::size_t>(*number);
        } else if (!arg.empty() && arg[0] != '-') {
            options.scenarioFiles.push_back(arg);
            continue;
        } else {
            const int taken = other(arg, value);
            if (taken < 1 || taken > 2) {
                return std::nullopt;
            }
            i += taken - 1;
            continue;
        }
        ++i;  // the option's value
    }
    if (options.scenarioFiles.empty() || options.activeTab > static_cast<std::int32_t>(options.scenarioFiles.size())) {
        return std::nullopt;
    }
    return options;
}

void SteadyClock::Sleep(int milliseconds) {
    SleepMilliseconds(milliseconds);
}

std::int64_t SteadyClock::NowMilliseconds() const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - m_start).count();
}

bool PeerLog::Open(const std::string& file) {
    m_file.open(file, std::ios::out | std::ios::trunc);
    Write("clock origin: " + std::to_string(m_clock.StartMicroseconds()));
    return static_cast<bool>(m_file);
}

void PeerLog::Write(const std::string& text) {
    if (!m_file.is_open()) {
        return;
    }
    char stamp[32];
    std::snprintf(stamp, sizeof(stamp), "[%8.3f] ", static_cast<double>(m_clock.NowMilliseconds()) / 1000.0);
    m_file << stamp << text.substr(0, kLoggedLineBytes) << (text.size() > kLoggedLineBytes ? "..." : "") << std::endl;
}

int Serve(const char* name, const HostOptions& options, sim::SimulatedPeer& program, PeerLog& log, const Ticker& tick) {
    Host host(name, options, program, log, tick);
    return host.Run();
}

int ServeScenarios(const char* name, const HostOptions& options, sim::SimulatedTsClient& client, PeerLog& log) {
    const std::vector<std::unique_ptr<TsScenarioPlayer>> players = LoadScenarios(name, options, client, log);
    if (players.empty()) {
        return kExitScenario;
    }
    return Serve(name, options, client, log, [&](std::int64_t elapsedMs) {
        for (const auto& player : players) {
            player->Advance(elapsedMs);
        }
        client.Update();
        return std::any_of(players.begin(), players.end(), [](const auto& p) { return p->QuitRequested(); });
    });
}

}  // namespace sayvane::peers
