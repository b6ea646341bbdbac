// TeamSpeak 5/6's Remote Apps as a broken or hostile client may speak them, through the whole
// link: the handshake is answered as a WebSocket server would (or not), then every message or
// raw byte the link reads, where the reads split them, whether the other end reads what the
// link sends, and how much time passes come from the input. The link must stay within its
// bounds, keep only keys that may go into the settings file, and answer the library's calls
// with well-formed results.
#include "FuzzSupport.h"
#include "platform/LoopbackSocket.h"
#include "sim/ScriptedPeer.h"
#include "sim/VirtualClock.h"
#include "teamspeak/remote/RemoteLink.h"
#include "teamspeak/remote/WebSocket.h"
#include "text/TextRoutines.h"

namespace {

using namespace sayvane;
using namespace sayvane::remote;

// A connection whose other end answers the handshake from what the link sent, then speaks
// the input: whole messages (often the message types the link reads), raw bytes, pings.
struct FuzzSocket final : LoopbackSocket {
    explicit FuzzSocket(FuzzedDataProvider& input) : in(input) {}
    void Connect(std::uint16_t port) override {
        FUZZ_CHECK(port == kDefaultRemotePort);
        state = in.ConsumeBool() ? State::Connecting : State::Open;
        sent.clear();
        pending.clear();
        answered = false;
    }
    State Poll() override {
        if (state == State::Connecting && in.ConsumeBool()) {
            state = in.ConsumeBool() ? State::Open : State::Failed;
        } else if (state == State::Open && in.ConsumeIntegralInRange(0, 63) == 0) {
            state = State::Failed;
        }
        return state;
    }
    std::size_t Receive(char* buffer, std::size_t size) override {
        if (pending.empty()) {
            Speak();
        }
        const std::size_t taken = std::min({size, pending.size(), in.ConsumeIntegralInRange<std::size_t>(0, 4096)});
        std::memcpy(buffer, pending.data(), taken);
        pending.erase(0, taken);
        return taken;
    }
    std::size_t Send(std::string_view bytes) override {
        const std::size_t taken = reads ? bytes.size() : 0;
        sent.append(bytes.substr(0, taken));
        return taken;
    }
    void Close() override { state = State::Closed; }

    void Speak() {
        const std::size_t keyAt = sent.find("Sec-WebSocket-Key: ");
        if (!answered && keyAt != std::string::npos && sent.find("\r\n\r\n") != std::string::npos) {
            answered = true;
            const std::size_t end = sent.find("\r\n", keyAt);
            const std::string key = sent.substr(keyAt + 19, end - keyAt - 19);
            pending =
                "HTTP/1.1 101 Switching Protocols\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
                "Sec-WebSocket-Accept: " +
                (in.ConsumeIntegralInRange(0, 15) == 0 ? std::string("wrong") : AcceptKey(key)) + "\r\n\r\n";
            return;
        }
        if (!answered || in.remaining_bytes() == 0) {
            return;
        }
        static constexpr const char* kTypes[] = {
            "auth",     "talkStatusChanged",    "clientMoved", "clientPropertiesUpdated",
            "channels", "connectStatusChanged", "log",         "clientSelfPropertyUpdated"};
        switch (in.ConsumeIntegralInRange(0, 7)) {
            case 0: pending = in.ConsumeRandomLengthString(256); break;
            case 1: pending = sim::ServerFrame(in.ConsumeRandomLengthString(125), 0x9, true); break;
            case 2: reads = !reads; break;
            case 3: {  // a message of many pieces, maybe never ended
                const std::string piece = in.ConsumeRandomLengthString(4000);
                pending = sim::ServerFrame(piece, 0x1, false) + sim::ServerFrame(piece, 0x0, in.ConsumeBool());
                break;
            }
            default: {
                const std::string type = in.PickValueInArray(kTypes);
                pending = sim::ServerFrame(R"({"type":")" + type + R"(",)" + in.ConsumeRandomLengthString(2048) + "}",
                                           0x1, true);
                break;
            }
        }
    }

    FuzzedDataProvider& in;
    State state = State::Closed;
    std::string sent;
    std::string pending;
    bool answered = false;
    bool reads = true;
};

}  // namespace

void sayvane::fuzz::FuzzOne(FuzzedDataProvider& in) {
    sim::VirtualClock clock;
    FuzzSocket socket(in);
    RemoteLink link(socket, clock);
    std::vector<std::string> kept;
    link.OnKeyChanged([&](const std::string& key) { kept.push_back(key); });
    link.Configure(RemoteSettings{in.ConsumeBool() ? "KEPT-KEY" : "", kDefaultRemotePort});
    while (in.remaining_bytes() > 0) {
        clock.Advance(in.ConsumeIntegralInRange<std::int64_t>(0, 45000));
        const LinkStatus status = link.GetSpeakers();
        FUZZ_CHECK((status == LinkStatus::Connected) == (link.State() == RemoteState::Connected));
        FUZZ_CHECK(link.TabCount() <= ServerTabs::kMostTabs);
        // Past the bound the connection goes; what one pump adds on top is an auth or a pong.
        FUZZ_CHECK(link.UnsentBytes() <= RemoteLink::kMostUnsentBytes + 1024);
        FUZZ_CHECK(IsKeyText(link.ApiKey()));
        if (in.ConsumeIntegralInRange(0, 255) == 0) {
            link.ForgetKey();
        }
    }
    for (const std::string& key : kept) {
        FUZZ_CHECK(IsKeyText(key));
    }
}
