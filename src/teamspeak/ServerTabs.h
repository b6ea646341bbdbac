// What a voice client that reports its servers itself (TeamSpeak 3's query interface, the
// Remote Apps of TeamSpeak 5/6) has said about its server tabs: for each, whether it is
// connected, its channels, its clients, who talks.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

namespace sayvane {

struct TabChannel {
    std::int32_t id = 0;
    std::string name;  // code page 1252, whole

    friend bool operator==(const TabChannel& a, const TabChannel& b) { return a.id == b.id && a.name == b.name; }
};

struct TabClient {
    std::int32_t id = 0;
    std::int32_t channelId = 0;
    std::string nickname;  // code page 1252, whole

    friend bool operator==(const TabClient& a, const TabClient& b) {
        return a.id == b.id && a.channelId == b.channelId && a.nickname == b.nickname;
    }
};

// One server connection of the client (a tab). What a client (or whatever listens on its
// port) can make grow is bounded: past a bound nothing more is taken and the tab says it
// overflowed, for the link to drop the connection.
struct ServerTab {
    // More than any server a controller uses (a few thousand clients at the busiest), few
    // enough for the 32-bit program's memory.
    static constexpr std::size_t kMostClients = 8192;
    static constexpr std::size_t kMostChannels = 8192;

    bool known = false;  // whether it has a server connection was told since the link began
    bool connected = false;
    bool synced = false;  // its channels and clients were listed since it connected
    std::int32_t ownId = 0;
    std::string serverName;
    bool overflowed = false;  // more clients or channels were told than are kept

    // In the order the client lists them; at most kMostChannels.
    [[nodiscard]] const std::vector<TabChannel>& Channels() const { return m_channels; }
    // Listed ones in their order, then newcomers; at most kMostClients.
    [[nodiscard]] const std::vector<TabClient>& Clients() const { return m_clients; }

    // Found through an index of the ids, so that a server of thousands of clients (or
    // channels) told one by one costs no scan each. The lists change only through the calls
    // below, which keep the indexes in step.
    [[nodiscard]] TabClient* FindClient(std::int32_t id);
    [[nodiscard]] TabChannel* FindChannel(std::int32_t id);
    // A client in view starts or stops talking; one who starts again moves to the end. Talk
    // of a client not in view is passed over.
    void Talk(std::int32_t id, bool talking);
    [[nodiscard]] bool IsTalking(std::int32_t id) const { return m_talking.count(id) != 0; }
    // The ids that talk now, in no order.
    [[nodiscard]] std::vector<std::int32_t> Talkers() const;
    // The ids that talk now or began to since the last call, in the order they (last) began,
    // and forgets the ones that already stopped.
    std::vector<std::int32_t> TakeSpeakers();
    // A client comes into view, or is updated when it is there already; false (and nothing
    // kept) when the tab holds kMostClients already.
    bool Enter(const TabClient& client);
    void Leave(std::int32_t id);
    // Every client goes (a new listing follows).
    void ClearClients();
    // The channels as listed, the first kMostChannels of them; false when there were more.
    bool SetChannels(std::vector<TabChannel> list);
    // A channel made since the list: added at the end unless there is one by its id already;
    // false (and nothing kept) when the tab holds kMostChannels already.
    bool AddChannel(const TabChannel& channel);
    // The channel by that id goes, when there is one.
    void RemoveChannel(std::int32_t id);

private:
    void ReindexChannels();

    std::vector<TabChannel> m_channels;
    std::vector<TabClient> m_clients;
    std::unordered_map<std::int32_t, std::size_t> m_clientIndex;   // id to its place in m_clients
    std::unordered_map<std::int32_t, std::size_t> m_channelIndex;  // id to its place in m_channels
    // Talkers and those heard since the speakers were last taken, each with the number of its
    // last start: the order they began is the order of those numbers.
    std::unordered_map<std::int32_t, std::uint64_t> m_talking;
    std::unordered_map<std::int32_t, std::uint64_t> m_heard;
    std::uint64_t m_starts = 0;
};

class ServerTabs {
public:
    // More server tabs than anyone opens.
    static constexpr std::size_t kMostTabs = 64;

    // The tab by that id, made when there is none yet; nullptr (and Overflowed()) when that
    // would make more than kMostTabs. Only what tells a tab's connection should make one.
    [[nodiscard]] ServerTab* Open(std::int32_t id);
    [[nodiscard]] ServerTab& Tab(std::int32_t id) {
        Touch(id);
        return m_tabs[id];
    }
    [[nodiscard]] std::size_t Count() const { return m_tabs.size(); }
    // The tab when there is one by that id, else nullptr.
    [[nodiscard]] ServerTab* Find(std::int32_t id) {
        Touch(id);
        const auto found = m_tabs.find(id);
        return found == m_tabs.end() ? nullptr : &found->second;
    }
    // The tab lost its server (or never had one): it forgets everything but that.
    void Disconnected(std::int32_t id);

    void SetActive(std::int32_t id) {
        if (id != m_active) {
            m_active = id;
            ++m_changes;
        }
    }
    [[nodiscard]] std::int32_t Active() const { return m_active; }
    // The active tab; an empty, unknown one when none is.
    [[nodiscard]] const ServerTab& ActiveTab() const;

    // The active tab's speakers (ServerTab::TakeSpeakers); none without an active tab.
    std::vector<std::int32_t> TakeSpeakers();

    // More tabs, or clients or channels in a tab, were told than are kept.
    [[nodiscard]] bool Overflowed() const;

    // Forgets every tab (a new connection to the client).
    void Clear();
    // The tabs' ids, in order.
    [[nodiscard]] std::vector<std::int32_t> Ids() const;

    // A number that grows whenever the active tab may have changed: the tabs were cleared,
    // another became the active one, or the active one was handed out to be changed (every
    // change goes through Open, Tab or Find). Reading changes nothing, and neither does a
    // change to another tab.
    [[nodiscard]] std::uint64_t Changes() const { return m_changes; }

private:
    void Touch(std::int32_t id) {
        if (id == m_active) {
            ++m_changes;
        }
    }

    std::map<std::int32_t, ServerTab> m_tabs;
    std::int32_t m_active = 0;
    bool m_tooManyTabs = false;
    std::uint64_t m_changes = 0;
};

}  // namespace sayvane
