// The library's records made from the active server tab.
#include "teamspeak/TabsLink.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "teamspeak/TeamSpeakLink.h"
#include "teamspeak/TsRecords.h"

namespace sayvane {

namespace {

std::size_t Capacity(const std::int32_t* count) {
    if (count == nullptr || *count <= 0) {
        return 0;
    }
    return std::min(static_cast<std::size_t>(*count), static_cast<std::size_t>(kMaxRecords));
}

}  // namespace

std::int32_t TabsLink::tsrGetSpeakers(std::int32_t* ids, std::int32_t* count) {
    Pump();
    if (const std::int32_t result = SnapshotResult(); result != 0) {
        return result;
    }
    const std::vector<std::int32_t> speakers = Tabs().TakeSpeakers();
    const std::size_t written = std::min(speakers.size(), Capacity(count));
    std::copy_n(speakers.begin(), written, ids);
    *count = static_cast<std::int32_t>(written);
    return 0;
}

std::int32_t TabsLink::tsrGetPlayers(std::uint8_t* records, std::int32_t* count) {
    Pump();
    if (const std::int32_t result = SnapshotResult(); result != 0) {
        return result;
    }
    WritePlayerRecords(Tabs().ActiveTab(), records, count);
    PlayersRead();
    return 0;
}

std::int32_t TabsLink::tsrGetChannels(std::uint8_t* records, std::int32_t* count) {
    Pump();
    if (const std::int32_t result = SnapshotResult(); result != 0) {
        return result;
    }
    WriteChannelRecords(Tabs().ActiveTab(), records, count);
    return 0;
}

std::int32_t TabsLink::tsrGetUserInfo(std::uint8_t* record) {
    Pump();
    if (const std::int32_t result = SnapshotResult(); result != 0) {
        return result;
    }
    WriteUserInfoRecord(Tabs().ActiveTab(), record);
    return 0;
}

std::uint64_t TabsLink::Changes() {
    if (const std::int32_t result = SnapshotResult(); result != m_result) {
        m_result = result;
        ++m_resultChanges;
    }
    return m_resultChanges + Tabs().Changes();
}

std::int32_t TabsLink::tsrGetLastError(char* buffer, std::int32_t size) {
    if (buffer == nullptr || size < 1) {
        return 0;
    }
    const std::size_t length = std::min(m_lastError.size(), static_cast<std::size_t>(size) - 1);
    std::memcpy(buffer, m_lastError.data(), length);
    buffer[length] = '\0';
    return 0;
}

}  // namespace sayvane
