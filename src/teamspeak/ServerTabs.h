// What a voice client that reports its servers itself (TeamSpeak 3's query interface, the
// Remote Apps of TeamSpeak 5/6) has said about its server tabs: for each, whether it is
// connected, its channels, its clients, who talks; and those of the active tab written as the
// records TeamSpeak 2's library gives, so that everything above the library seam serves every
// client alike.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

namespace sayvane {

struct TabChannel {
    std::int32_t id = 0;
    std::string name;  // code page 1252
};

struct TabClient {
    std::int32_t id = 0;
    std::int32_t channelId = 0;
    std::string nickname;  // code page 1252
};

// One server connection of the client (a tab).
struct ServerTab {
    bool known = false;  // whether it has a server connection was told since the link began
    bool connected = false;
    bool synced = false;  // its channels and clients were listed since it connected
    std::int32_t ownId = 0;
    std::string serverName;
    std::vector<TabChannel> channels;   // in the order the client lists them
    std::vector<TabClient> clients;     // listed ones in their order, then newcomers
    std::vector<std::int32_t> talking;  // client ids, in the order they began
    std::vector<std::int32_t> heard;    // ids that began since the speakers were last taken

    // Found through an index of the ids, so that a server of thousands of clients told one by
    // one costs no scan each.
    [[nodiscard]] TabClient* FindClient(std::int32_t id);
    [[nodiscard]] TabChannel* FindChannel(std::int32_t id);
    // A client starts or stops talking; one who starts again moves to the end.
    void Talk(std::int32_t id, bool talking);
    // A client comes into view, or is updated when it is there already.
    void Enter(const TabClient& client);
    void Leave(std::int32_t id);
    // After `clients` was written directly: the index is made anew.
    void Reindex();

private:
    std::unordered_map<std::int32_t, std::size_t> m_clientIndex;  // id to its place in `clients`
    std::size_t m_indexed = 0;                                    // the size of `clients` it was made for
};

class ServerTabs {
public:
    [[nodiscard]] ServerTab& Tab(std::int32_t id) { return m_tabs[id]; }
    [[nodiscard]] std::size_t Count() const { return m_tabs.size(); }
    // The tab when there is one by that id, else nullptr.
    [[nodiscard]] ServerTab* Find(std::int32_t id) {
        const auto found = m_tabs.find(id);
        return found == m_tabs.end() ? nullptr : &found->second;
    }
    // The tab lost its server (or never had one): it forgets everything but that.
    void Disconnected(std::int32_t id);

    void SetActive(std::int32_t id) { m_active = id; }
    [[nodiscard]] std::int32_t Active() const { return m_active; }
    // The active tab; an empty, unknown one when none is.
    [[nodiscard]] const ServerTab& ActiveTab() const;

    // The ids that talk now or began to since the last call, in the order they began, and
    // forgets the ones that already stopped.
    std::vector<std::int32_t> TakeSpeakers();

    // Forgets every tab (a new connection to the client).
    void Clear();
    // The tabs' ids, in order.
    [[nodiscard]] std::vector<std::int32_t> Ids() const;

private:
    std::map<std::int32_t, ServerTab> m_tabs;
    std::int32_t m_active = 0;
};

// The active tab as the library's records: the own client first, then the others in order;
// names cut to the 30-byte field. The buffers come zeroed; `count` is the capacity on entry
// and the number written on return.
void WritePlayerRecords(const ServerTab& tab, std::uint8_t* records, std::int32_t* count);
void WriteChannelRecords(const ServerTab& tab, std::uint8_t* records, std::int32_t* count);
// The user-information record: the own nickname.
void WriteUserInfoRecord(const ServerTab& tab, std::uint8_t* record);

}  // namespace sayvane
