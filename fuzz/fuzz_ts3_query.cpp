// TeamSpeak 3's query interface as a broken or hostile client may speak it: every byte the
// link reads, where the reads split them, when the connection opens or fails and how much
// time passes come from the input. The link must keep its readings in step with what it was
// told, and cutting
// the same bytes anywhere must read the same lines.
#include "FuzzSupport.h"
#include "platform/LoopbackSocket.h"
#include "sim/VirtualClock.h"
#include "teamspeak/query/QueryLink.h"

namespace {

using namespace sayvane;
using namespace sayvane::query;

// A connection whose every answer comes from the input.
struct FuzzSocket final : LoopbackSocket {
    explicit FuzzSocket(FuzzedDataProvider& input) : in(input) {}
    void Connect(std::uint16_t port) override {
        FUZZ_CHECK(port == 25639);
        state = in.ConsumeBool() ? State::Connecting : State::Open;
    }
    State Poll() override {
        if (state == State::Connecting && in.ConsumeBool()) {
            state = in.ConsumeBool() ? State::Open : State::Failed;
        } else if (state == State::Open && in.ConsumeIntegralInRange(0, 31) == 0) {
            state = State::Failed;
        }
        return state;
    }
    std::size_t Receive(char* buffer, std::size_t size) override {
        const std::string bytes = in.ConsumeRandomLengthString(std::min<std::size_t>(size, 512));
        std::memcpy(buffer, bytes.data(), bytes.size());
        return bytes.size();
    }
    std::size_t Send(std::string_view bytes) override {
        const std::size_t taken =
            in.ConsumeBool() ? bytes.size() : in.ConsumeIntegralInRange<std::size_t>(0, bytes.size());
        sent.append(bytes.substr(0, taken));
        return taken;
    }
    void Close() override { state = State::Closed; }

    FuzzedDataProvider& in;
    State state = State::Closed;
    std::string sent;
};

void CheckLink(FuzzedDataProvider& in) {
    sim::VirtualClock clock;
    FuzzSocket socket(in);
    QueryLink link(socket, clock);
    link.Configure(QuerySettings{"KEY-1", kDefaultQueryPort});
    while (in.remaining_bytes() > 0) {
        clock.Advance(in.ConsumeIntegralInRange<std::int64_t>(0, 20000));
        bool answered = false;
        switch (in.ConsumeIntegralInRange(0, 3)) {
            case 0: {
                answered = link.GetSpeakers() == LinkStatus::Connected;
                std::vector<std::int32_t> seen = link.Speakers();
                const bool silent = seen.size() == kSilentSpeakerIds &&
                                    std::all_of(seen.begin(), seen.end(), [](std::int32_t id) { return id == 0; });
                if (answered && !silent) {
                    std::sort(seen.begin(), seen.end());
                    FUZZ_CHECK(std::adjacent_find(seen.begin(), seen.end()) == seen.end());
                }
                break;
            }
            case 1:
            case 2: {
                const ServerTab& tab = link.KnownTabs().ActiveTab();
                if (in.ConsumeBool()) {
                    answered = link.GetPlayers();
                    FUZZ_CHECK(!answered || link.PlayerCount() == tab.Clients().size());
                } else {
                    answered = link.GetChannels();
                    FUZZ_CHECK(!answered || link.ChannelCount() == tab.Channels().size());
                }
                break;
            }
            default: answered = !link.GetUserNickname().empty() || link.State() == QueryState::Connected; break;
        }
        FUZZ_CHECK(answered == (link.State() == QueryState::Connected));
    }
    // The key goes out once per connection, only in an auth command.
    for (std::size_t at = socket.sent.find("KEY-1"); at != std::string::npos; at = socket.sent.find("KEY-1", at + 1)) {
        FUZZ_CHECK(at >= 12 && socket.sent.compare(at - 12, 12, "auth apikey=") == 0);
    }
}

bool SameLines(const std::vector<QueryLine>& a, const std::vector<QueryLine>& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].kind != b[i].kind || a[i].name != b[i].name || a[i].items.size() != b[i].items.size()) {
            return false;
        }
        for (std::size_t j = 0; j < a[i].items.size(); ++j) {
            if (a[i].items[j].Fields() != b[i].items[j].Fields()) {
                return false;
            }
        }
    }
    return true;
}

void CheckReader(FuzzedDataProvider& in) {
    const std::string bytes = in.ConsumeRandomLengthString(1 << 16);
    LineReader whole;
    LineReader pieces;
    whole.Feed(bytes);
    for (std::size_t at = 0; at < bytes.size();) {
        const std::size_t length = in.ConsumeIntegralInRange<std::size_t>(1, bytes.size() - at);
        pieces.Feed(std::string_view(bytes).substr(at, length));
        at += length;
    }
    std::vector<QueryLine> a;
    std::vector<QueryLine> b;
    for (QueryLine line; whole.Next(line);) {
        a.push_back(line);
    }
    for (QueryLine line; pieces.Next(line);) {
        b.push_back(line);
    }
    FUZZ_CHECK(SameLines(a, b));
    FUZZ_CHECK(whole.Dropped() == pieces.Dropped());
    // What escaping writes, unescaping reads back.
    FUZZ_CHECK(Unescape(Escape(bytes)) == bytes);
}

}  // namespace

void sayvane::fuzz::FuzzOne(FuzzedDataProvider& in) {
    if (in.ConsumeBool()) {
        CheckReader(in);
    } else {
        CheckLink(in);
    }
}
