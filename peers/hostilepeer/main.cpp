// hostilepeer: a program that took a voice client's port on 127.0.0.1 before the voice client
// did, or a client gone wrong. It speaks just enough of TeamSpeak 3's query interface or
// TeamSpeak 5/6's Remote Apps to be taken for the client, then attacks: one attack for each
// connection, in the order given, and no connection once they are all played.
//
//   hostilepeer --protocol ts3|ts5 --attacks NAME[,NAME...] [--port N] [--log FILE]
//
// Attacks (both protocols unless said):
//   tab-flood      a new server tab after another
//   talker-flood   talk starts of clients never seen
//   endless-answer an answer that never ends (TeamSpeak 3: data lines without the closing
//                  error line; TeamSpeak 5/6: a message of fragments without the last one)
//   endless-banner a greeting that never ends (ts3)
//   repeated-auth  the auth answer again and again, each with a new key (ts5)
//   ping-flood     pings, while taking nothing of what comes back (ts5)
//   key-crlf       a key with line breaks and settings lines in it (ts5)
//   silent         the connection taken and nothing ever said
//
// An attack the other end does not end by dropping the connection ends after a budget of
// bytes, by the peer closing it. The log (one line an entry) gets "* attack N: NAME" when a
// connection opens, and "* attack N ended by the other end after B bytes" or "* attack N ended
// by the peer after B bytes" when it closes; "* all attacks played" after the last.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "common/PeerHost.h"
#include "sim/ScriptedPeer.h"
#include "teamspeak/remote/WebSocket.h"

namespace {

using sayvane::peers::PeerLog;

enum class Protocol { Ts3, Ts5 };

constexpr std::uint16_t kDefaultTs3Port = 25639;
constexpr std::uint16_t kDefaultTs5Port = 5899;
// What an attack the other end should end sends at most before the peer gives up; and what
// one it has no reason to end sends.
constexpr std::uint64_t kEndlessBudget = std::uint64_t{512} << 20;
constexpr std::uint64_t kHarmlessBudget = std::uint64_t{8} << 20;

constexpr std::string_view kTs3LineEnd = "\n\r";
constexpr std::string_view kTs3Greeting =
    "TS3 Client\n\r"
    "Welcome to the TeamSpeak 3 ClientQuery interface, type \"help\" for a list of commands and \"help "
    "<command>\" for information on a specific command.\n\r"
    "Use the \"auth\" command to authenticate yourself. Type \"help auth\" for more information.\n\r"
    "selected schandlerid=1\n\r";
constexpr std::string_view kTs3Ok = "error id=0 msg=ok\n\r";

// TeamSpeak 5/6's answer to an app let in: one tab, connected, with our own client alone in it.
std::string Ts5Auth(const std::string& jsonKey) {
    return sayvane::sim::ServerFrame(
        R"({"type":"auth","status":{"code":0,"message":"ok"},"payload":{"apiKey":")" + jsonKey +
        R"(","currentConnectionId":1,"connections":[{"id":1,"clientId":5,"status":4,"clientInfos":[)"
        R"({"id":5,"channelId":1,"properties":{"nickname":"EDDF_TWR","inputHardware":true}}]}]}})");
}

class HostilePeer final : public sayvane::sim::SimulatedPeer {
public:
    HostilePeer(Protocol protocol, std::vector<std::string> attacks, PeerLog& log)
        : m_protocol(protocol), m_attacks(std::move(attacks)), m_log(log) {}

    [[nodiscard]] bool Running() const override { return m_session < m_attacks.size(); }
    bool Connect() override {
        if (!Running()) {
            return false;
        }
        ++m_session;
        m_open = true;
        m_in = false;
        m_reads = true;
        m_received.clear();
        m_output.clear();
        m_sent = 0;
        m_count = 0;
        m_log.Write("* attack " + std::to_string(m_session) + ": " + Attack());
        if (m_protocol == Protocol::Ts3 && Attack() != "silent") {
            m_output = Attack() == "endless-banner" ? "TS3 Client\n\r" : std::string(kTs3Greeting);
        }
        return true;
    }
    void Disconnect() override {
        m_log.Write("* attack " + std::to_string(m_session) + " ended by " + (m_open ? "the other end" : "the peer") +
                    " after " + std::to_string(m_sent) + " bytes");
        if (!Running()) {
            m_log.Write("* all attacks played");
        }
        m_open = false;
        m_output = std::string();
        m_received = std::string();
    }
    [[nodiscard]] bool IsOpen() const override { return m_open; }
    [[nodiscard]] std::uint64_t SessionNumber() const override { return m_session; }
    [[nodiscard]] bool Reads() const override { return m_reads; }

    void Receive(std::string_view bytes) override {
        if (Attack() == "silent") {
            return;
        }
        m_received.append(bytes);
        if (m_protocol == Protocol::Ts3) {
            // Every command is answered, but for the endless answer, which the first one starts.
            std::size_t end = 0;
            while ((end = m_received.find('\n')) != std::string::npos) {
                m_received.erase(0, end + 1);
                m_in = true;
                if (Attack() != "endless-answer") {
                    m_output += kTs3Ok;
                }
            }
            return;
        }
        if (m_in) {
            m_received.clear();  // what the app says once in changes nothing
            return;
        }
        const std::size_t key = m_received.find("Sec-WebSocket-Key: ");
        const std::size_t end = m_received.find("\r\n", key);
        if (key == std::string::npos || end == std::string::npos || m_received.find("\r\n\r\n") == std::string::npos) {
            return;
        }
        m_in = true;
        m_output =
            "HTTP/1.1 101 Switching Protocols\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
            "Sec-WebSocket-Accept: " +
            sayvane::remote::AcceptKey(m_received.substr(key + 19, end - key - 19)) + "\r\n\r\n";
        m_output += Attack() == "key-crlf" ? Ts5Auth(R"(abc\r\nAutoStart=0\r\nIvAcSelect=1)") : Ts5Auth("hostile");
        m_received.clear();
        m_reads = Attack() != "ping-flood";
    }

    [[nodiscard]] std::string TakeOutput(std::size_t most) override {
        const std::uint64_t budget =
            Attack() == "talker-flood" || Attack() == "repeated-auth" ? kHarmlessBudget : kEndlessBudget;
        while (m_open && m_output.size() < most && (m_in || Attack() == "endless-banner")) {
            if (m_sent + m_output.size() >= budget) {
                m_open = false;  // closed once what is queued is out
                break;
            }
            const std::string more = Next();
            if (more.empty()) {
                break;
            }
            m_output += more;
        }
        std::string taken = m_output.substr(0, most);
        m_output.erase(0, taken.size());
        m_sent += taken.size();
        return taken;
    }
    [[nodiscard]] std::size_t OutputSize() const override { return m_output.size(); }

private:
    [[nodiscard]] const std::string& Attack() const { return m_attacks[m_session - 1]; }

    // The attack's next piece; empty when it has nothing more to say.
    std::string Next() {
        const std::string n = std::to_string(++m_count);
        const std::string& attack = Attack();
        if (m_protocol == Protocol::Ts3) {
            if (attack == "tab-flood") {
                return "notifyconnectstatuschange schandlerid=" + std::to_string(m_count + 1) +
                       " status=connection_established" + std::string(kTs3LineEnd) +
                       "notifycurrentserverconnectionchanged schandlerid=" + std::to_string(m_count + 1) +
                       std::string(kTs3LineEnd);
            }
            if (attack == "talker-flood") {
                return "notifytalkstatuschange schandlerid=1 status=1 isreceivedwhisper=0 clid=" + n +
                       std::string(kTs3LineEnd);
            }
            if (attack == "endless-answer") {
                return "clid=" + n + " cid=1 client_database_id=" + n + " client_nickname=Flood\\s" + n +
                       " client_type=0 client_flag_talking=1" + std::string(kTs3LineEnd);
            }
            if (attack == "endless-banner") {
                return "Welcome to the TeamSpeak 3 ClientQuery interface, line " + n + std::string(kTs3LineEnd);
            }
            return {};
        }
        if (attack == "tab-flood") {
            return sayvane::sim::ServerFrame(R"({"type":"connectStatusChanged","payload":{"connectionId":)" +
                                             std::to_string(m_count + 1) + R"(,"status":1}})");
        }
        if (attack == "talker-flood") {
            return sayvane::sim::ServerFrame(R"({"type":"talkStatusChanged","payload":{"connectionId":1,"clientId":)" +
                                             std::to_string(m_count + 5) + R"(,"status":1}})");
        }
        if (attack == "repeated-auth") {
            return Ts5Auth("hostile-" + n);
        }
        if (attack == "ping-flood") {
            return sayvane::sim::ServerFrame(std::string(125, 'p'), 0x9);
        }
        if (attack == "endless-answer") {
            return sayvane::sim::ServerFrame(std::string(60000, 'x'), m_count == 1 ? 0x1 : 0x0, false);
        }
        return {};
    }

    Protocol m_protocol;
    std::vector<std::string> m_attacks;
    PeerLog& m_log;
    std::size_t m_session = 0;  // the attack played, from 1
    bool m_open = false;
    bool m_in = false;  // taken for the client: the attack has begun
    bool m_reads = true;
    std::string m_received;
    std::string m_output;
    std::uint64_t m_sent = 0;
    std::uint64_t m_count = 0;
};

bool KnownAttack(Protocol protocol, const std::string& name) {
    static const std::vector<std::string> kBoth{"tab-flood", "talker-flood", "endless-answer", "silent"};
    static const std::vector<std::string> kTs3{"endless-banner"};
    static const std::vector<std::string> kTs5{"repeated-auth", "ping-flood", "key-crlf"};
    const auto listed = [&](const std::vector<std::string>& names) {
        return std::find(names.begin(), names.end(), name) != names.end();
    };
    return listed(kBoth) || listed(protocol == Protocol::Ts3 ? kTs3 : kTs5);
}

}  // namespace

int main(int argc, char** argv) {
    std::optional<Protocol> protocol;
    std::string attackList;
    sayvane::peers::HostOptions options;
    bool portGiven = false;
    bool usable = true;
    for (int i = 1; i + 1 < argc && usable; i += 2) {
        const std::string option = argv[i];
        const std::string value = argv[i + 1];
        if (option == "--protocol" && (value == "ts3" || value == "ts5")) {
            protocol = value == "ts3" ? Protocol::Ts3 : Protocol::Ts5;
        } else if (option == "--attacks") {
            attackList = value;
        } else if (option == "--port" && sayvane::peers::ParseNumber(value, 0, 65535)) {
            options.port = static_cast<std::uint16_t>(*sayvane::peers::ParseNumber(value, 0, 65535));
            portGiven = true;
        } else if (option == "--log") {
            options.logFile = value;
        } else {
            usable = false;
        }
    }
    std::vector<std::string> attacks;
    std::istringstream names(attackList);
    for (std::string name; std::getline(names, name, ',');) {
        usable = usable && protocol && KnownAttack(*protocol, name);
        attacks.push_back(name);
    }
    if (!usable || !protocol || attacks.empty() || argc % 2 == 0) {
        std::fprintf(stderr,
                     "usage: hostilepeer --protocol ts3|ts5 --attacks NAME[,NAME...] [--port N] [--log FILE]\n"
                     "attacks: tab-flood talker-flood endless-answer silent, endless-banner (ts3),\n"
                     "         repeated-auth ping-flood key-crlf (ts5)\n");
        return sayvane::peers::kExitUsage;
    }
    if (!portGiven) {
        options.port = *protocol == Protocol::Ts3 ? kDefaultTs3Port : kDefaultTs5Port;
    }
    PeerLog log;
    if (!options.logFile.empty() && !log.Open(options.logFile)) {
        std::fprintf(stderr, "hostilepeer: cannot write log %s\n", options.logFile.c_str());
        return sayvane::peers::kExitUsage;
    }
    HostilePeer peer(*protocol, std::move(attacks), log);
    // It never quits by itself: the test that started it ends it.
    return sayvane::peers::Serve("hostilepeer", options, peer, log, [](std::int64_t) { return false; });
}
