// The conversation with the TeamSpeak 3 client's query interface, and the library records
// made from what it said.
#include "teamspeak/query/QueryLink.h"

#include <utility>

#include "text/TextRoutines.h"
#include "text/Utf8.h"

namespace sayvane::query {

namespace {

// The client's answer to a move into the channel the own client is in already.
constexpr std::int32_t kAlreadyInChannel = 770;

// An error line's message as the program shows it: code page 1252, no control characters,
// short enough for a message box.
std::string Shown(const QueryLine& error) {
    return PeerText(Utf8ToAnsi(error.ErrorMessage()));
}

}  // namespace

QueryLink::QueryLink(LoopbackSocket& socket, const Clock& clock) : SocketLink(socket, clock, "TeamSpeak 3") {}

void QueryLink::Configure(const QuerySettings& settings) {
    if (settings.apiKey == m_settings.apiKey && settings.port == m_settings.port) {
        return;
    }
    m_settings = settings;
    Stop();  // the next Pump connects at once, with the new ones
}

void QueryLink::Forget() {
    m_greeted = false;
    m_keyRefused = false;
    // Swapped with empty ones rather than cleared: a flood's capacity goes with the connection.
    m_reader.Reset();
    m_model.Tabs().Clear();
    std::deque<Command>().swap(m_queue);
    m_waiting = false;
    m_listWanted = false;
    std::vector<QueryLine>().swap(m_answer);
    std::vector<QueryLine>().swap(m_meanwhile);
    m_answerBytes = 0;
    ChannelAnswered("The connection to TeamSpeak 3 was lost.");
}

void QueryLink::ChannelAnswered(std::string refusal) {
    if (m_channelDone && !m_channelAnswer) {
        m_channelAnswer = std::move(refusal);
    }
}

void QueryLink::DeliverAnswers() {
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

void QueryLink::Received(std::string_view bytes) {
    const std::size_t dropped = m_reader.Dropped();
    m_reader.Feed(bytes);
    if (m_reader.Dropped() != dropped) {
        Overflow("sent a line longer than Sayvane keeps");
        return;
    }
    QueryLine line;
    while (IsOpen() && m_reader.Next(line)) {
        Heard();  // whole lines only: a byte now and then says nothing
        Line(std::move(line));
    }
}

bool QueryLink::Probe() {
    if (!m_greeted || m_waiting) {
        return false;
    }
    Send(Ask::Ping, 0, "currentschandlerid");  // a hung client does not answer it
    return true;
}

void QueryLink::Line(QueryLine&& line) {
    if (!m_greeted && line.kind != QueryLine::Kind::Banner) {
        // The greeting's other lines say nothing Sayvane needs; events come only once asked for.
        m_answerBytes += line.Footprint();
        if (m_answerBytes > kMostGreetingBytes) {
            Overflow("sent a greeting longer than Sayvane keeps");
        }
        return;
    }
    switch (line.kind) {
        case QueryLine::Kind::Banner:
            if (!m_greeted) {
                m_greeted = true;
                m_answerBytes = 0;
                m_model.Tabs().SetActive(line.items.front().Number("schandlerid").value_or(1));
                if (!m_settings.apiKey.empty()) {
                    Queue(Ask::Auth, 0, "auth apikey=" + Escape(m_settings.apiKey));
                }
                // One registration per event, sent together: they cost one round trip.
                std::string registrations;
                for (const std::string_view event : kEventsRead) {
                    registrations += (registrations.empty() ? "" : "\n");
                    registrations += "clientnotifyregister schandlerid=0 event=" + std::string(event);
                }
                Queue(Ask::Register, 0, std::move(registrations), static_cast<int>(kEventsRead.size()));
                Send(Ask::CurrentTab, 0, "currentschandlerid");
            } else if (m_waiting) {
                Keep(m_answer, std::move(line));  // `use` answers with a "selected" line
            }
            break;
        case QueryLine::Kind::Notification: Notification(std::move(line)); break;
        case QueryLine::Kind::Error: Answered(line); break;
        case QueryLine::Kind::Data:
            // Data with no command out belongs to nothing.
            if (m_waiting) {
                Keep(m_answer, std::move(line));
            }
            break;
    }
}

void QueryLink::Notification(QueryLine&& line) {
    const std::int32_t active = m_model.Tabs().Active();
    m_model.Notify(line);
    if (m_model.Tabs().Overflowed()) {
        Overflow("sent more tabs, clients or channels than Sayvane keeps");
        return;
    }
    const QueryItem& item = line.items.front();
    const bool established = line.name == "notifyconnectstatuschange" &&
                             item.Get("status") == std::optional<std::string_view>("connection_established") &&
                             item.Number("schandlerid") == m_model.Tabs().Active();
    if (!KeepForAnswer(std::move(line))) {
        return;
    }
    if (m_model.Tabs().Active() != active || established) {
        ListActiveTab();
    }
}

bool QueryLink::Keep(std::vector<QueryLine>& lines, QueryLine&& line) {
    m_answerBytes += line.Footprint();
    if (m_answerBytes > kMostAnswerBytes) {
        Overflow("sent an answer longer than Sayvane keeps");
        return false;
    }
    lines.push_back(std::move(line));
    return true;
}

void QueryLink::Answered(const QueryLine& error) {
    if (!m_waiting || m_queue.empty() || error.ErrorId() < 0) {
        return;  // a stray error line, or a broken one: the answer is still to come
    }
    // Without a key (or with a wrong one) the client allows nothing else. Once a key was
    // taken, a refused event is no refused key.
    const Ask ask = m_queue.front().ask;
    if (error.ErrorId() != 0 && (ask == Ask::Auth || (ask == Ask::Register && m_settings.apiKey.empty()))) {
        // Tried again only after the longest wait, or with a new key.
        Drop("TeamSpeak 3 refused the API key (" + Shown(error) + ")", Retry::AfterLongestWait);
        m_keyRefused = true;
        return;
    }
    if (--m_queue.front().answers > 0) {
        AnswerDueFromNow();  // the rest of the lines sent as one
        return;
    }
    const Command command = std::move(m_queue.front());
    m_queue.pop_front();
    m_waiting = false;
    std::vector<QueryItem> items;
    {
        std::vector<QueryLine> answer;
        answer.swap(m_answer);
        for (QueryLine& line : answer) {
            for (QueryItem& item : line.items) {
                items.push_back(std::move(item));
            }
        }
    }
    std::vector<QueryLine> meanwhile;
    meanwhile.swap(m_meanwhile);
    m_answerBytes = 0;
    const std::int32_t id = error.ErrorId();
    const QueryItem first = items.empty() ? QueryItem() : items.front();
    switch (command.ask) {
        case Ask::Auth:
        case Ask::Register:
        case Ask::Ping: break;  // any answer says the client is alive
        case Ask::CurrentTab:
            if (const auto tab = first.Number("schandlerid"); id == 0 && tab) {
                m_model.Tabs().SetActive(*tab);
            }
            ListActiveTab();
            break;
        case Ask::Use:
            if (id != 0) {
                SkipTab(command.tab, Shown(error));
            }
            break;
        case Ask::Whoami:
            if (id == 0) {
                m_model.Whoami(command.tab, first);
            } else if (m_model.Tabs().Open(command.tab) != nullptr) {
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
                Succeeded();
            }
            break;
        case Ask::Create:
            if (id == 0 && first.Number("cid")) {
                Send(Ask::Move, command.tab,
                     "clientmove cid=" + std::to_string(*first.Number("cid")) +
                         " clid=" + std::to_string(m_model.Tabs().ActiveTab().ownId));
            } else {
                ChannelAnswered(id == 0 ? "TeamSpeak 3 did not say which channel it made." : Shown(error));
            }
            break;
        case Ask::Move: ChannelAnswered(id == 0 || id == kAlreadyInChannel ? std::string() : Shown(error)); break;
    }
    if (id == 0) {
        for (const QueryLine& line : meanwhile) {
            m_model.Notify(line);
        }
    }
    if (m_model.Tabs().Overflowed()) {
        Overflow("sent more tabs, clients or channels than Sayvane keeps");
        return;
    }
    SendNext();
}

void QueryLink::SkipTab(std::int32_t tab, const std::string& why) {
    // What was to follow would be answered about whichever tab was selected before.
    while (!m_queue.empty() && m_queue.front().tab == tab && m_queue.front().ask != Ask::Use &&
           m_queue.front().ask != Ask::Move && m_queue.front().ask != Ask::Ping) {
        if (m_queue.front().ask == Ask::Create) {
            ChannelAnswered(why);
        }
        m_queue.pop_front();
    }
    // A tab the client cannot select has no server.
    if (m_model.Tabs().Open(tab) != nullptr) {
        m_model.Tabs().Disconnected(tab);
    }
}

bool QueryLink::KeepForAnswer(QueryLine&& notification) {
    // The client writes an answer and events as they happen, so an answer describing a tab
    // may be older than events that come before its error line: those about the tab are
    // applied again once the answer is. A tab switch is no state of the tab and stays applied
    // once, as a later switch elsewhere must win.
    if (!m_waiting || notification.name == "notifycurrentserverconnectionchanged") {
        return true;
    }
    const Ask ask = m_queue.front().ask;
    const std::int32_t tab = m_queue.front().tab;
    if ((ask != Ask::Whoami && ask != Ask::Channels && ask != Ask::Clients) ||
        notification.items.front().Number("schandlerid") != tab) {
        return true;
    }
    return Keep(m_meanwhile, std::move(notification));
}

bool QueryLink::Queue(Ask ask, std::int32_t tab, std::string text, int answers) {
    if (!m_greeted) {
        return false;  // the connection ended on the way here
    }
    if (m_queue.size() >= kMostQueuedCommands) {
        Overflow("made Sayvane queue more commands than it keeps");
        return false;
    }
    m_queue.push_back(Command{ask, tab, std::move(text), answers});
    return true;
}

void QueryLink::Send(Ask ask, std::int32_t tab, std::string text) {
    if (Queue(ask, tab, std::move(text))) {
        SendNext();
    }
}

void QueryLink::SendNext() {
    if (m_waiting || !m_greeted) {
        return;
    }
    if (m_queue.empty() && m_listWanted) {
        // One listing, of the tab in front when it goes, however often it was wanted meanwhile.
        m_listWanted = false;
        const std::int32_t tab = m_model.Tabs().Active();
        if (!Queue(Ask::Use, tab, "use schandlerid=" + std::to_string(tab)) || !Queue(Ask::Whoami, tab, "whoami") ||
            !Queue(Ask::ServerName, tab, "servervariable virtualserver_name") ||
            !Queue(Ask::Channels, tab, "channellist") || !Queue(Ask::Clients, tab, "clientlist -voice")) {
            return;
        }
        m_lastListing = Now();
    }
    if (m_queue.empty()) {
        return;
    }
    Write(m_queue.front().text + '\n');
    m_waiting = true;
    AnswerDueFromNow();
}

void QueryLink::ListActiveTab() {
    m_listWanted = true;
    SendNext();
}

QueryState QueryLink::State() const {
    if (m_keyRefused) {
        return QueryState::KeyRefused;
    }
    if (!IsOpen()) {
        return Overflowed() ? QueryState::Overflowed : QueryState::NotRunning;
    }
    if (!m_greeted) {
        return QueryState::Connecting;
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

LinkStatus QueryLink::Status() const {
    if (!IsOpen() && !m_keyRefused) {
        return LinkStatus::NotRunning;
    }
    // Something answered on the port, so the client runs; its server is shown only when the
    // active tab is connected and listed.
    return State() == QueryState::Connected ? LinkStatus::Connected : LinkStatus::Running;
}

std::string QueryLink::StatusLine(std::string_view /*programFolder*/) {
    Pump();
    switch (State()) {
        case QueryState::NotRunning:
            return "TeamSpeak 3 is not running, or its ClientQuery plugin is off (nothing answers on port " +
                   std::to_string(Port()) + ")";
        case QueryState::Connecting: return "TeamSpeak 3 answers; connecting...";
        case QueryState::KeyRefused:
            return "TeamSpeak 3 refused the API key: copy it again from ClientQuery's settings";
        case QueryState::Overflowed:
            return "What answers on port " + std::to_string(Port()) + " sent more than Sayvane keeps: trying again";
        case QueryState::NoServer: return "TeamSpeak 3 runs, without a server connection";
        case QueryState::Connected: break;
    }
    return "TeamSpeak 3 is connected to " + ServerName();
}

bool QueryLink::ReadyForRequests() {
    Pump();
    return State() == QueryState::Connected;
}

bool QueryLink::RequestChannel(const std::string& name, ChannelDone done) {
    Pump();
    DeliverAnswers();  // the last request's, should this Pump have heard it
    if (State() != QueryState::Connected || m_channelDone) {
        return false;
    }
    m_channelDone = std::move(done);
    const std::int32_t tab = m_model.Tabs().Active();
    Send(Ask::Use, tab, "use schandlerid=" + std::to_string(tab));
    Send(Ask::Create, tab, "channelcreate channel_name=" + Escape(AnsiToUtf8(name)));
    Flush();  // not waiting for the next Pump
    return true;
}

void QueryLink::PlayersRead() {
    if (Now() - m_lastListing >= kRelistMs && m_queue.empty() && !m_listWanted) {
        ListActiveTab();  // in case a notification went missing
        Flush();
    }
}

}  // namespace sayvane::query
