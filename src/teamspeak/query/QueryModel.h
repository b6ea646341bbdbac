// What the TeamSpeak 3 client's query interface has told about its server tabs: for each,
// whether it is connected, its channels, its clients, who talks. A pure function of the
// lines and answers fed to it; the conversation that asks for them is QueryLink's.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "teamspeak/query/QueryProtocol.h"

namespace sayvane::query {

struct QueryChannel {
    std::int32_t cid = 0;
    std::string name;  // code page 1252
};

struct QueryClient {
    std::int32_t clid = 0;
    std::int32_t cid = 0;
    std::string nickname;  // code page 1252
};

// One server connection of the client (a tab).
struct QueryTab {
    bool known = false;  // whether it has a server connection was told since the link began
    bool connected = false;
    bool synced = false;  // its channels and clients were listed since it connected
    std::int32_t ownClid = 0;
    std::string serverName;
    std::vector<QueryChannel> channels;  // in the order the client lists them
    std::vector<QueryClient> clients;    // listed ones in their order, then newcomers
    std::vector<std::int32_t> talking;   // clids, in the order they began
    std::vector<std::int32_t> heard;     // clids that began since the speakers were last taken
};

class QueryModel {
public:
    // Applies a notification line to the tab it names; lines for unknown fields or ids
    // that point nowhere change nothing.
    void Notify(const QueryLine& line);

    // The tab lost its server (or never had one): it forgets everything.
    void Disconnected(std::int32_t tab);
    // Answers, for the tab they were asked on.
    void Whoami(std::int32_t tab, const QueryItem& item);
    void ServerName(std::int32_t tab, const QueryItem& item);
    void ChannelList(std::int32_t tab, const std::vector<QueryItem>& items);
    // Query clients (client_type 1) are left out. With talk flags (clientlist -voice), who
    // talks is taken from them.
    void ClientList(std::int32_t tab, const std::vector<QueryItem>& items);

    void SetActive(std::int32_t tab) { m_active = tab; }
    [[nodiscard]] std::int32_t Active() const { return m_active; }
    // The active tab; an empty, unconnected one when none is known.
    [[nodiscard]] const QueryTab& ActiveTab() const;

    // The clids that talk now or began to since the last call, in the order they began,
    // and forgets the ones that already stopped.
    std::vector<std::int32_t> TakeSpeakers();

    // Forgets every tab (a new connection to the client).
    void Clear();

private:
    QueryTab& Tab(std::int32_t tab) { return m_tabs[tab]; }
    static void Talk(QueryTab& tab, std::int32_t clid, bool talking);
    static void Leave(QueryTab& tab, std::int32_t clid);

    std::map<std::int32_t, QueryTab> m_tabs;
    std::int32_t m_active = 0;
};

}  // namespace sayvane::query
