// The conversation with the TeamSpeak 3 client's query interface, and the library records
// made from what it said.
#include "teamspeak/query/QueryLink.h"

#include <algorithm>
#include <utility>

#include "teamspeak/TeamSpeakLink.h"

namespace sayvane::query {

namespace {

// The client's answer to a move into the channel the own client is in already.
constexpr std::int32_t kAlreadyInChannel = 770;
// The most lines of one answer kept (data lines, or notifications that came with it).
constexpr std::size_t kMostAnswerLines = 64;

}  // namespace

QueryLink::QueryLink(LoopbackSocket& socket, const Clock& clock) : m_socket(socket), m_clock(clock) {}

void QueryLink::Configure(const QuerySettings& settings) {
    if (settings.apiKey == m_settings.apiKey && settings.port == m_settings.port) {
        return;
    }
    m_settings = settings;
    Stop();  // the next Pump connects at once, with the new ones
}

void QueryLink::Start() {
    m_reader.Reset();
    m_model.Tabs().Clear();
    m_queue.clear();
    m_waiting = false;
    m_answer.clear();
    m_meanwhile.clear();
    m_unsent.clear();
    m_socket.Connect(m_settings.port);
    m_phase = Phase::Connecting;
    m_since = m_clock.NowMilliseconds();
}

void QueryLink::Drop(const char* why) {
    m_socket.Close();
    m_lastError = why;
    m_phase = Phase::Waiting;
    m_backoff.Failed(m_clock.NowMilliseconds());
    m_model.Tabs().Clear();
    m_queue.clear();
    m_waiting = false;
    ChannelAnswered("The connection to TeamSpeak 3 was lost.");
}

void QueryLink::ChannelAnswered(std::string refusal) {
    if (m_channelDone && !m_channelAnswer) {
        m_channelAnswer = std::move(refusal);
    }
}

void QueryLink::DeliverChannelAnswer() {
    if (!m_channelDone || !m_channelAnswer) {
        return;
    }
    // Both are taken before the call: a box it opens lets ticks run, which may ask anew.
    const ChannelDone done = std::move(m_channelDone);
    const std::string refusal = std::move(*m_channelAnswer);
    m_channelDone = nullptr;
    m_channelAnswer.reset();
    done(refusal);
}

void QueryLink::Stop() {
    Drop("stopped");
    m_backoff.Reset();
}

void QueryLink::Pump() {
    const std::int64_t now = m_clock.NowMilliseconds();
    if (m_phase == Phase::Waiting || m_phase == Phase::Refused) {
        if (!m_backoff.Due(now)) {
            return;
        }
        Start();
    }
    if (m_phase == Phase::Connecting) {
        switch (m_socket.Poll()) {
            case LoopbackSocket::State::Open:
                m_phase = Phase::Greeting;
                m_since = now;
                break;
            case LoopbackSocket::State::Connecting:
                if (now - m_since > kAnswerTimeoutMs) {
                    Drop("TeamSpeak 3 does not answer");
                }
                return;
            default: Drop("TeamSpeak 3 is not running"); return;
        }
    }
    std::size_t read = 0;
    char buffer[8192];
    while (read < kMostBytesPerCall) {
        const std::size_t got = m_socket.Receive(buffer, sizeof buffer);
        if (got == 0) {
            break;
        }
        read += got;
        m_reader.Feed(std::string_view(buffer, got));
    }
    QueryLine line;
    while ((m_phase == Phase::Greeting || m_phase == Phase::Talking) && m_reader.Next(line)) {
        Line(line);
    }
    if (m_phase != Phase::Greeting && m_phase != Phase::Talking) {
        return;
    }
    if (!m_unsent.empty()) {
        m_unsent.erase(0, m_socket.Send(m_unsent));
    }
    if (m_socket.Poll() != LoopbackSocket::State::Open) {
        Drop("TeamSpeak 3 closed the connection");
    } else if ((m_phase == Phase::Greeting || m_waiting) && now - m_since > kAnswerTimeoutMs) {
        Drop("TeamSpeak 3 stopped answering");
    }
}

void QueryLink::Line(const QueryLine& line) {
    switch (line.kind) {
        case QueryLine::Kind::Banner:
            if (m_phase == Phase::Greeting) {
                m_phase = Phase::Talking;
                m_model.Tabs().SetActive(line.items.front().Number("schandlerid").value_or(1));
                if (!m_settings.apiKey.empty()) {
                    Send(Ask::Auth, 0, "auth apikey=" + Escape(m_settings.apiKey));
                }
                Send(Ask::Register, 0, "clientnotifyregister schandlerid=0 event=any");
                Send(Ask::CurrentTab, 0, "currentschandlerid");
            } else if (m_waiting) {
                m_answer.push_back(line);  // `use` answers with a "selected" line
            }
            break;
        case QueryLine::Kind::Notification: {
            const std::int32_t active = m_model.Tabs().Active();
            m_model.Notify(line);
            KeepForAnswer(line);
            const QueryItem& item = line.items.front();
            const bool established = line.name == "notifyconnectstatuschange" &&
                                     item.Get("status") == std::optional<std::string_view>("connection_established");
            if (m_model.Tabs().Active() != active ||
                (established && item.Number("schandlerid") == m_model.Tabs().Active())) {
                ListTab(m_model.Tabs().Active());
            }
            break;
        }
        case QueryLine::Kind::Error: Answered(line); break;
        case QueryLine::Kind::Data:
            // Data before the greeting, or with no command out, belongs to nothing.
            if (m_phase == Phase::Talking && m_waiting && m_answer.size() < kMostAnswerLines) {
                m_answer.push_back(line);
            }
            break;
    }
}

void QueryLink::Answered(const QueryLine& error) {
    if (!m_waiting || m_queue.empty() || error.ErrorId() < 0) {
        return;  // a stray error line, or a broken one: the answer is still to come
    }
    const Command command = m_queue.front();
    m_queue.pop_front();
    m_waiting = false;
    std::vector<QueryItem> items;
    for (QueryLine& line : m_answer) {
        for (QueryItem& item : line.items) {
            items.push_back(std::move(item));
        }
    }
    m_answer.clear();
    const std::vector<QueryLine> meanwhile = std::exchange(m_meanwhile, {});
    const std::int32_t id = error.ErrorId();
    const QueryItem first = items.empty() ? QueryItem() : items.front();
    switch (command.ask) {
        case Ask::Auth:
        case Ask::Register:
            if (id != 0) {
                // Without a key (or with a wrong one) the client allows nothing else: wait
                // long before trying again, or for a new key.
                const std::string message = error.ErrorMessage();
                Drop("");
                m_lastError = "TeamSpeak 3 refused the API key (" + message + ")";
                m_phase = Phase::Refused;
                m_backoff.WaitLongest(m_clock.NowMilliseconds());
                return;
            }
            break;
        case Ask::CurrentTab:
            if (const auto tab = first.Number("schandlerid"); id == 0 && tab) {
                m_model.Tabs().SetActive(*tab);
            }
            ListTab(m_model.Tabs().Active());
            break;
        case Ask::Use: break;
        case Ask::Whoami:
            if (id == 0) {
                m_model.Whoami(command.tab, first);
            } else {
                m_model.Tabs().Disconnected(command.tab);
            }
            break;
        case Ask::ServerName:
            if (id == 0) {
                m_model.ServerName(command.tab, first);
            }
            break;
        case Ask::Channels:
            if (id == 0) {
                m_model.ChannelList(command.tab, items);
            }
            break;
        case Ask::Clients:
            if (id == 0) {
                m_model.ClientList(command.tab, items);
                m_backoff.Succeeded();  // a whole conversation went through
            }
            break;
        case Ask::Create:
            if (id == 0 && first.Number("cid")) {
                Send(Ask::Move, command.tab,
                     "clientmove cid=" + std::to_string(*first.Number("cid")) +
                         " clid=" + std::to_string(m_model.Tabs().ActiveTab().ownId));
            } else {
                ChannelAnswered(id == 0 ? "TeamSpeak 3 did not say which channel it made." : error.ErrorMessage());
            }
            break;
        case Ask::Move:
            ChannelAnswered(id == 0 || id == kAlreadyInChannel ? std::string() : error.ErrorMessage());
            break;
    }
    if (id == 0) {
        for (const QueryLine& line : meanwhile) {
            m_model.Notify(line);
        }
    }
    SendNext();
}

void QueryLink::KeepForAnswer(const QueryLine& notification) {
    // The client writes an answer and events as they happen, so an answer describing a tab
    // may be older than events that come before its error line: those about the tab are
    // applied again once the answer is. A tab switch is no state of the tab and stays applied
    // once, as a later switch elsewhere must win.
    if (!m_waiting || notification.name == "notifycurrentserverconnectionchanged") {
        return;
    }
    const Ask ask = m_queue.front().ask;
    const std::int32_t tab = m_queue.front().tab;
    if ((ask != Ask::Whoami && ask != Ask::Channels && ask != Ask::Clients) ||
        notification.items.front().Number("schandlerid") != tab) {
        return;
    }
    if (m_meanwhile.size() < kMostAnswerLines) {
        m_meanwhile.push_back(notification);
    } else {
        ListTab(tab);  // too many to keep: the tab is listed anew after this answer
    }
}

void QueryLink::Send(Ask ask, std::int32_t tab, std::string text) {
    m_queue.push_back(Command{ask, tab, std::move(text)});
    SendNext();
}

void QueryLink::SendNext() {
    if (m_waiting || m_queue.empty()) {
        return;
    }
    m_unsent += m_queue.front().text;
    m_unsent += '\n';
    m_waiting = true;
    m_since = m_clock.NowMilliseconds();
    m_unsent.erase(0, m_socket.Send(m_unsent));
}

void QueryLink::ListTab(std::int32_t tab) {
    const bool queued = std::any_of(m_queue.begin() + (m_waiting ? 1 : 0), m_queue.end(),
                                    [&](const Command& c) { return c.ask == Ask::Use && c.tab == tab; });
    if (queued) {
        return;
    }
    const std::string id = std::to_string(tab);
    Send(Ask::Use, tab, "use schandlerid=" + id);
    Send(Ask::Whoami, tab, "whoami");
    Send(Ask::ServerName, tab, "servervariable virtualserver_name");
    Send(Ask::Channels, tab, "channellist");
    Send(Ask::Clients, tab, "clientlist -voice");
    m_lastListing = m_clock.NowMilliseconds();
}

QueryState QueryLink::State() const {
    switch (m_phase) {
        case Phase::Waiting:
        case Phase::Connecting: return QueryState::NotRunning;
        case Phase::Refused: return QueryState::KeyRefused;
        case Phase::Greeting: return QueryState::Connecting;
        case Phase::Talking: break;
    }
    const ServerTab& tab = m_model.Tabs().ActiveTab();
    if (!tab.known) {
        return QueryState::Connecting;  // not asked yet
    }
    if (!tab.connected) {
        return QueryState::NoServer;
    }
    return tab.synced ? QueryState::Connected : QueryState::Connecting;
}

std::int32_t QueryLink::SnapshotResult() const {
    if (m_phase == Phase::Waiting || m_phase == Phase::Connecting) {
        return kTsNotRunning;
    }
    // Something answers on the port, so the client runs; its server is shown only when
    // the active tab is connected and listed.
    return State() == QueryState::Connected ? 0 : kTsNotConnected;
}

bool QueryLink::CreateChannel(const std::string& name, ChannelDone done) {
    Pump();
    DeliverChannelAnswer();  // the last request's, should this Pump have heard it
    if (State() != QueryState::Connected || m_channelDone) {
        return false;
    }
    m_channelDone = std::move(done);
    const std::int32_t tab = m_model.Tabs().Active();
    Send(Ask::Use, tab, "use schandlerid=" + std::to_string(tab));
    Send(Ask::Create, tab, "channelcreate channel_name=" + Escape(AnsiToUtf8(name)));
    return true;
}

void QueryLink::PlayersRead() {
    if (m_clock.NowMilliseconds() - m_lastListing >= kRelistMs && m_queue.empty()) {
        ListTab(m_model.Tabs().Active());  // in case a notification went missing
    }
}

}  // namespace sayvane::query
