// ts3sim: a simulated TeamSpeak 3 client for tests and the demo. It plays scenarios of server
// events (the ts2sim format, one file per server tab) in real time and serves the client's
// local query interface on 127.0.0.1, one connection at a time (a new one replaces the old).
//
//   ts3sim [--scenario] FILE [FILE...] [--port N] [--apikey KEY] [--active TAB] [--log FILE]
//          [--refuse-key] [--stall] [--chunk N] [--close-mid-answer] [--overlong-line]
//          [--malformed] [--refuse-channel-create ID:MESSAGE]
//
// It prints "ts3sim: listening on 127.0.0.1:PORT" once it listens (--port 0 picks a free port)
// and exits when a scenario reaches "quit".
#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
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
#endif

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "sim/Ts3QueryClient.h"
#include "sim/TsScenario.h"

namespace ts3sim {
namespace {

using sayvane::sim::Ts3Error;
using sayvane::sim::Ts3QueryClient;
using sayvane::sim::TsScenario;
using sayvane::sim::TsScenarioPlayer;

enum ExitCode : int { kExitOk = 0, kExitUsage = 2, kExitNetwork = 3, kExitScenario = 4 };

constexpr long kTickMicroseconds = 20000;
// With --chunk, one chunk goes per pause, so that the reader sees the lines split.
constexpr long kChunkPauseMicroseconds = 1000;
constexpr std::size_t kReadBytes = 4096;
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
#endif

struct Options {
    std::vector<std::string> scenarioFiles;
    std::uint16_t port = sayvane::sim::kTs3DefaultPort;
    std::string apiKey = std::string(sayvane::sim::kTs3DefaultApiKey);
    std::int32_t activeTab = 1;
    std::string logFile;
    std::size_t chunk = 0;
    sayvane::sim::Ts3Faults faults;
};

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

// "ID:MESSAGE", the error channelcreate answers with.
std::optional<Ts3Error> ParseError(const std::string& text) {
    const std::size_t colon = text.find(':');
    if (colon == std::string::npos) {
        return std::nullopt;
    }
    const auto id = ParseNumber(text.substr(0, colon), 0, 65535);
    if (!id) {
        return std::nullopt;
    }
    return Ts3Error{static_cast<std::int32_t>(*id), text.substr(colon + 1), {}};
}

std::optional<Options> ParseOptions(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--scenario" && hasValue) {
            options.scenarioFiles.emplace_back(argv[++i]);
        } else if (arg == "--port" && hasValue) {
            const auto port = ParseNumber(argv[++i], 0, 65535);
            if (!port) {
                return std::nullopt;
            }
            options.port = static_cast<std::uint16_t>(*port);
        } else if (arg == "--apikey" && hasValue) {
            options.apiKey = argv[++i];
        } else if (arg == "--active" && hasValue) {
            const auto tab = ParseNumber(argv[++i], 1, 64);
            if (!tab) {
                return std::nullopt;
            }
            options.activeTab = static_cast<std::int32_t>(*tab);
        } else if (arg == "--log" && hasValue) {
            options.logFile = argv[++i];
        } else if (arg == "--chunk" && hasValue) {
            const auto chunk = ParseNumber(argv[++i], 1, 1 << 20);
            if (!chunk) {
                return std::nullopt;
            }
            options.chunk = static_cast<std::size_t>(*chunk);
        } else if (arg == "--refuse-channel-create" && hasValue) {
            options.faults.refuseChannelCreate = ParseError(argv[++i]);
            if (!options.faults.refuseChannelCreate) {
                return std::nullopt;
            }
        } else if (arg == "--refuse-key") {
            options.faults.refuseKey = true;
        } else if (arg == "--stall") {
            options.faults.stall = true;
        } else if (arg == "--close-mid-answer") {
            options.faults.closeMidAnswer = true;
        } else if (arg == "--overlong-line") {
            options.faults.overlongLine = true;
        } else if (arg == "--malformed") {
            options.faults.malformedLines = true;
        } else if (!arg.empty() && arg[0] != '-') {
            options.scenarioFiles.push_back(arg);
        } else {
            return std::nullopt;
        }
    }
    if (options.scenarioFiles.empty() || options.activeTab > static_cast<std::int32_t>(options.scenarioFiles.size())) {
        return std::nullopt;
    }
    return options;
}

class Ts3Sim {
public:
    explicit Ts3Sim(Options options) : m_options(std::move(options)), m_client(m_options.apiKey) {}
    ~Ts3Sim();
    Ts3Sim(const Ts3Sim&) = delete;
    Ts3Sim& operator=(const Ts3Sim&) = delete;
    Ts3Sim(Ts3Sim&&) = delete;
    Ts3Sim& operator=(Ts3Sim&&) = delete;

    int Run();

private:
    bool LoadScenarios();
    bool Listen();
    void Accept();
    void Read();
    void Write();
    void CloseConnection(const char* why);
    void Log(const std::string& text);
    [[nodiscard]] bool QuitRequested() const;

    Options m_options;
    Ts3QueryClient m_client;
    std::vector<std::unique_ptr<TsScenarioPlayer>> m_players;
    std::ofstream m_log;
    std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();
    SocketHandle m_listener = kNoSocket;
    SocketHandle m_connection = kNoSocket;
    std::string m_outgoing;  // taken from the client, not yet accepted by the socket
};

Ts3Sim::~Ts3Sim() {
    if (m_connection != kNoSocket) {
        CloseSocket(m_connection);
    }
    if (m_listener != kNoSocket) {
        CloseSocket(m_listener);
    }
}

void Ts3Sim::Log(const std::string& text) {
    if (!m_log.is_open()) {
        return;
    }
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - m_start).count();
    char stamp[32];
    std::snprintf(stamp, sizeof(stamp), "[%8.3f] ", static_cast<double>(ms) / 1000.0);
    // Lines are flushed one by one: tests read the log while the simulator runs.
    m_log << stamp << text.substr(0, kLoggedLineBytes) << (text.size() > kLoggedLineBytes ? "..." : "") << std::endl;
}

bool Ts3Sim::LoadScenarios() {
    for (std::size_t i = 0; i < m_options.scenarioFiles.size(); ++i) {
        const std::string& file = m_options.scenarioFiles[i];
        std::ifstream in(file, std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "ts3sim: cannot read scenario %s\n", file.c_str());
            return false;
        }
        const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        sayvane::sim::TsScenarioError error;
        std::optional<TsScenario> scenario = sayvane::sim::ParseTsScenario(text, &error);
        if (!scenario) {
            std::fprintf(stderr, "ts3sim: %s: line %d: %s\n", file.c_str(), error.line, error.message.c_str());
            return false;
        }
        const std::int32_t tab = i == 0 ? 1 : m_client.AddTab();
        const std::string prefix = m_options.scenarioFiles.size() > 1 ? "* tab " + std::to_string(tab) + ": " : "* ";
        auto player = std::make_unique<TsScenarioPlayer>(
            std::move(*scenario), m_client.Server(tab),
            [this, prefix](std::int64_t, const std::string& line) { Log(prefix + line); });
        // Each event is told on its own: a speaker who starts and stops within one tick still
        // sends both notifications.
        player->SetAppliedHook([this](const sayvane::sim::TsEvent&) { m_client.Update(); });
        m_players.push_back(std::move(player));
    }
    m_client.SetActiveTab(m_options.activeTab);
    return true;
}

bool Ts3Sim::Listen() {
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
    std::printf("ts3sim: listening on 127.0.0.1:%u\n", port);
    std::fflush(stdout);
    Log("listening on 127.0.0.1:" + std::to_string(port));
    return true;
}

void Ts3Sim::CloseConnection(const char* why) {
    if (m_connection == kNoSocket) {
        return;
    }
    CloseSocket(m_connection);
    m_connection = kNoSocket;
    m_outgoing.clear();
    m_client.Disconnect();
    Log(std::string("- connection closed: ") + why);
}

void Ts3Sim::Accept() {
    const SocketHandle accepted = accept(m_listener, nullptr, nullptr);
    if (accepted == kNoSocket) {
        return;
    }
    if (!m_client.Running()) {
        CloseSocket(accepted);
        Log("- connection refused: the client is not running");
        return;
    }
    CloseConnection("a new connection replaces it");
    SetNonBlocking(accepted);
    // Lines go out as soon as they are queued, and chunks as the small writes they are.
    const int on = 1;
    setsockopt(accepted, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof(on));
    m_connection = accepted;
    m_client.Connect();
    Log("+ connection opened");
}

void Ts3Sim::Read() {
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

void Ts3Sim::Write() {
    if (m_connection == kNoSocket) {
        return;
    }
    if (m_options.chunk == 0) {
        m_outgoing += m_client.TakeOutput(std::numeric_limits<std::size_t>::max());
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

bool Ts3Sim::QuitRequested() const {
    return std::any_of(m_players.begin(), m_players.end(), [](const auto& p) { return p->QuitRequested(); });
}

int Ts3Sim::Run() {
    if (!m_options.logFile.empty()) {
        m_log.open(m_options.logFile, std::ios::out | std::ios::trunc);
        if (!m_log) {
            std::fprintf(stderr, "ts3sim: cannot write log %s\n", m_options.logFile.c_str());
            return kExitUsage;
        }
    }
    if (!LoadScenarios()) {
        return kExitScenario;
    }
    m_client.Faults() = m_options.faults;
    m_client.SetTrace([this](Ts3QueryClient::Direction direction, const std::string& line) {
        if (direction == Ts3QueryClient::Direction::Received) {
            Log("< " + line);
        } else if (line.rfind("notify", 0) == 0) {
            Log("> " + line);
        }
    });
    if (!StartSockets() || !Listen()) {
        std::fprintf(stderr, "ts3sim: cannot listen on 127.0.0.1:%u\n", static_cast<unsigned>(m_options.port));
        return kExitNetwork;
    }
    // The state at time 0 is there before anyone connects.
    for (const auto& player : m_players) {
        player->Advance(0);
    }
    m_client.Update();

    auto last = std::chrono::steady_clock::now();
    while (!QuitRequested()) {
        const bool pacing = m_options.chunk != 0 && (!m_outgoing.empty() || m_client.OutputSize() != 0);
        fd_set readable;
        fd_set writable;
        FD_ZERO(&readable);
        FD_ZERO(&writable);
        FD_SET(m_listener, &readable);
        int highest = HighestForSelect(m_listener);
        if (m_connection != kNoSocket) {
            FD_SET(m_connection, &readable);
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
        for (const auto& player : m_players) {
            player->Advance(elapsed.count());
        }
        m_client.Update();

        if (ready > 0 && FD_ISSET(m_listener, &readable)) {
            Accept();
        } else if (ready > 0 && m_connection != kNoSocket && FD_ISSET(m_connection, &readable)) {
            Read();
        }
        Write();
    }
    Log("quit");
    CloseConnection("the client quits");
    return kExitOk;
}

}  // namespace
}  // namespace ts3sim

int main(int argc, char** argv) {
    std::optional<ts3sim::Options> options = ts3sim::ParseOptions(argc, argv);
    if (!options) {
        std::fprintf(stderr,
                     "usage: ts3sim [--scenario] FILE [FILE...] [--port N] [--apikey KEY] [--active TAB] "
                     "[--log FILE]\n"
                     "              [--refuse-key] [--stall] [--chunk N] [--close-mid-answer] [--overlong-line]\n"
                     "              [--malformed] [--refuse-channel-create ID:MESSAGE]\n"
                     "Each scenario file (ts2sim format) is a server tab, numbered from 1.\n");
        return ts3sim::kExitUsage;
    }
    ts3sim::Ts3Sim sim(std::move(*options));
    return sim.Run();
}
