// What the TeamSpeak 3 client's query interface has told about its server tabs. A pure
// function of the lines and answers fed to it; the conversation that asks for them is
// QueryLink's.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "teamspeak/ServerTabs.h"
#include "teamspeak/query/QueryProtocol.h"

namespace sayvane::query {

// The notifications Notify reads: the link asks the client for these and no others (chat,
// pokes and the rest would only be read and thrown away).
inline constexpr std::array<std::string_view, 10> kEventsRead = {
    "notifyconnectstatuschange", "notifycurrentserverconnectionchanged",
    "notifytalkstatuschange",    "notifycliententerview",
    "notifyclientleftview",      "notifyclientmoved",
    "notifyclientupdated",       "notifychannelcreated",
    "notifychanneledited",       "notifychanneldeleted",
};

class QueryModel {
public:
    // Applies a notification line to the tab it names; lines for unknown fields or ids
    // that point nowhere change nothing.
    void Notify(const QueryLine& line);

    // Answers, for the tab they were asked on.
    void Whoami(std::int32_t tab, const QueryItem& item);
    void ServerName(std::int32_t tab, const QueryItem& item);
    void ChannelList(std::int32_t tab, const std::vector<QueryItem>& items);
    // Query clients (client_type 1) are left out. With talk flags (clientlist -voice), who
    // talks is taken from them.
    void ClientList(std::int32_t tab, const std::vector<QueryItem>& items);

    [[nodiscard]] ServerTabs& Tabs() { return m_tabs; }
    [[nodiscard]] const ServerTabs& Tabs() const { return m_tabs; }

private:
    ServerTabs m_tabs;
};

}  // namespace sayvane::query
