// TeamSpeak 3's query link against whatever may listen on its port: the peer's bytes, raw or as
// floods of the lines the link reads (new tabs, talkers, tab switches, answers), and the time
// that passes come from the input. Whatever it sends, what the link holds stays within its
// bounds, and a dropped connection leaves nothing held.
#include "FuzzSupport.h"
#include "sim/ScriptedPeer.h"
#include "sim/SimulatedLoopbackSocket.h"
#include "sim/VirtualClock.h"
#include "teamspeak/query/QueryLink.h"

namespace {

using namespace sayvane;
using namespace sayvane::query;

// Lines a flood repeats, each with a number counting up.
constexpr const char* kFloodLines[] = {
    "notifyconnectstatuschange status=connection_established schandlerid=",
    "notifycurrentserverconnectionchanged schandlerid=",
    "notifycliententerview schandlerid=1 ctid=1 client_nickname=P clid=",
    "notifytalkstatuschange schandlerid=1 status=1 clid=",
    "notifyclientleftview schandlerid=1 clid=",
    "notifychannelcreated schandlerid=1 channel_name=C cid=",
    "notifychanneldeleted schandlerid=1 cid=",
    "clid=1 cid=1 client_nickname=ME client_type=0 client_flag_talking=1|clid=",
    "error id=0 msg=ok n=",
    "error id=1794 msg=not\\sconnected n=",
    "selected schandlerid=",
    "a b c d e f g h i j k l m n o p q r s t u v w x y z|",
};

void CheckBounds(QueryLink& link) {
    const ServerTabs& tabs = link.KnownTabs();
    const ServerTab& tab = tabs.ActiveTab();
    FUZZ_CHECK(tabs.Count() <= ServerTabs::kMostTabs);
    FUZZ_CHECK(tab.Clients().size() <= ServerTab::kMostClients && tab.Channels().size() <= ServerTab::kMostChannels);
    FUZZ_CHECK(tab.Talkers().size() <= tab.Clients().size());
    FUZZ_CHECK(link.QueuedCommands() <= 5);  // the start's three, or one listing: never one per tab switch
    FUZZ_CHECK(link.BufferedBytes() <= QueryLink::kMostAnswerBytes + LineReader::kMaxLineBytes +
                                           QueryLink::kMostBytesPerCall + QueryLink::kMostUnsentBytes);
    if (link.State() == QueryState::NotRunning || link.State() == QueryState::Overflowed) {
        FUZZ_CHECK(link.BufferedBytes() == 0 && link.QueuedCommands() == 0 && tabs.Count() == 0);
    }
}

}  // namespace

void sayvane::fuzz::FuzzOne(FuzzedDataProvider& in) {
    sim::VirtualClock clock;
    sim::ScriptedPeer peer;
    sim::SimulatedLoopbackSocket socket(peer, kDefaultQueryPort);
    std::string pending;  // what the peer sends next, from `taken` on
    std::size_t taken = 0;
    peer.OnConnect([&] {
        return in.ConsumeBool() ? "TS3 Client\n\rselected schandlerid=1\n\r"
                                  "notifyconnectstatuschange schandlerid=1 status=connection_established\n\r"
                                : "";
    });
    peer.SetFlood([&] {
        std::string chunk = pending.substr(taken, 65536);
        taken += chunk.size();
        if (taken == pending.size()) {
            pending.clear();
            taken = 0;
        }
        return chunk;
    });
    QueryLink link(socket, clock);
    link.Configure(QuerySettings{"KEY-1", kDefaultQueryPort});
    VoicePort& ts = link;
    while (in.remaining_bytes() > 0) {
        switch (in.ConsumeIntegralInRange(0, 5)) {
            case 0: pending += in.ConsumeRandomLengthString(256); break;
            case 1: {
                const std::string line = in.PickValueInArray(kFloodLines);
                const int first = in.ConsumeIntegralInRange(0, 100);
                const int count = in.ConsumeIntegralInRange(1, 4000);
                for (int n = first; n < first + count; ++n) {
                    pending += line + std::to_string(n) + "\n\r";
                }
                break;
            }
            case 2: clock.Advance(in.ConsumeIntegralInRange<std::int64_t>(0, 45000)); break;
            case 3: socket.SetPeerReads(in.ConsumeBool()); break;
            case 4:  // a line that may never end
                pending.append(in.ConsumeIntegralInRange<std::size_t>(0, LineReader::kMaxLineBytes + 2), 'x');
                break;
            default: (in.ConsumeBool() ? (void)ts.GetPlayers() : (void)ts.GetChannels()); break;
        }
        (void)ts.GetSpeakers();  // pumps the link
        CheckBounds(link);
    }
}
