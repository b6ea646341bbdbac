// The remote-control library as a broken or hostile one may behave: every result, count and
// record byte comes from the input, and the four snapshot calls run in an order the input picks.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "platform/TsRemoteApi.h"
#include "teamspeak/TeamSpeakLink.h"

using namespace sayvane;

namespace {

constexpr std::size_t kRecordBytes = static_cast<std::size_t>(kMaxRecords) * 50;

bool AllZero(const std::uint8_t* bytes, std::size_t size) {
    return std::all_of(bytes, bytes + size, [](std::uint8_t b) { return b == 0; });
}

// Answers every call from the input, after checking that the buffers handed in are as big and
// as clean as promised (writing all of them lets AddressSanitizer check their size).
class FuzzedLibrary final : public TsRemoteApi {
public:
    explicit FuzzedLibrary(FuzzedDataProvider& in) : m_in(in), m_available(in.ConsumeBool()) {}

    bool IsAvailable() override { return m_available; }

    std::int32_t tsrGetSpeakers(std::int32_t* ids, std::int32_t* count) override {
        FUZZ_CHECK(*count == kMaxRecords);
        FUZZ_CHECK(AllZero(reinterpret_cast<const std::uint8_t*>(ids), sizeof(std::int32_t) * kMaxRecords));
        Fill(reinterpret_cast<std::uint8_t*>(ids), sizeof(std::int32_t) * kMaxRecords);
        *count = Count();
        return Result();
    }
    std::int32_t tsrGetPlayers(std::uint8_t* records, std::int32_t* count) override {
        FUZZ_CHECK(*count == kMaxRecords);
        FUZZ_CHECK(AllZero(records, kRecordBytes));
        Fill(records, kRecordBytes);
        *count = Count();
        return Result();
    }
    std::int32_t tsrGetChannels(std::uint8_t* records, std::int32_t* count) override {
        FUZZ_CHECK(*count == kMaxRecords);
        FUZZ_CHECK(AllZero(records, kRecordBytes));
        Fill(records, kRecordBytes);
        *count = Count();
        return Result();
    }
    std::int32_t tsrGetUserInfo(std::uint8_t* record) override {
        FUZZ_CHECK(AllZero(record, UserInfoRecord::kSize));
        Fill(record, UserInfoRecord::kSize);
        return Result();
    }
    std::int32_t tsrGetLastError(char* buffer, std::int32_t size) override {
        FUZZ_CHECK(size == 1024);
        std::memset(buffer, 'E', static_cast<std::size_t>(size) - 1);
        buffer[size - 1] = '\0';
        ++m_errorReports;
        // Its result is not looked at; it must not hide the result of the call that failed.
        return m_in.ConsumeIntegral<std::int32_t>();
    }

    // What the last call wrote, its count and its result.
    const std::vector<std::uint8_t>& Written() const { return m_written; }
    std::int32_t LastCount() const { return m_count; }
    std::int32_t LastResult() const { return m_result; }
    int ErrorReports() const { return m_errorReports; }

private:
    void Fill(std::uint8_t* buffer, std::size_t size) {
        m_written = m_in.ConsumeBytes<std::uint8_t>(m_in.ConsumeIntegralInRange<std::size_t>(0, size));
        m_written.resize(size, 0);
        std::memcpy(buffer, m_written.data(), size);
    }
    std::int32_t Count() {
        switch (m_in.ConsumeIntegralInRange(0, 3)) {
            case 0: m_count = m_in.ConsumeIntegralInRange<std::int32_t>(0, kMaxRecords); break;
            case 1: m_count = m_in.ConsumeIntegralInRange<std::int32_t>(INT32_MIN, -1); break;
            case 2: m_count = m_in.ConsumeIntegralInRange<std::int32_t>(kMaxRecords + 1, INT32_MAX); break;
            default: m_count = m_in.ConsumeIntegral<std::int32_t>(); break;
        }
        return m_count;
    }
    std::int32_t Result() {
        switch (m_in.ConsumeIntegralInRange(0, 3)) {
            case 0: m_result = 0; break;
            case 1: m_result = kTsNotRunning; break;
            case 2: m_result = kTsNotConnected; break;
            default: m_result = m_in.ConsumeIntegral<std::int32_t>(); break;
        }
        return m_result;
    }

    FuzzedDataProvider& m_in;
    bool m_available;
    std::vector<std::uint8_t> m_written;
    std::int32_t m_count = 0;
    std::int32_t m_result = 0;
    int m_errorReports = 0;
};

std::size_t Clamped(std::int32_t count) {
    return static_cast<std::size_t>(std::clamp<std::int32_t>(count, 0, kMaxRecords));
}

// A name field decodes to its bytes up to the first NUL, at most 30 of them.
void CheckName(const std::string& name, const std::uint8_t* field) {
    FUZZ_CHECK(name.size() <= kNameSize);
    FUZZ_CHECK(name.find('\0') == std::string::npos);
    FUZZ_CHECK(std::memcmp(name.data(), field, name.size()) == 0);
    FUZZ_CHECK(name.size() == kNameSize || field[name.size()] == 0);
}

void CheckFlagText(const std::string& text, bool neverEmpty) {
    FUZZ_CHECK(!neverEmpty || !text.empty());
    FUZZ_CHECK(text.empty() || text.back() != ',');
}

void CheckSpeakers(TeamSpeakLink& link, FuzzedLibrary& library, int reportsBefore) {
    const LinkStatus status = link.GetSpeakers();
    if (!library.IsAvailable()) {
        FUZZ_CHECK(status == LinkStatus::NotRunning);
        return;
    }
    const std::int32_t result = library.LastResult();
    if (result != 0) {
        FUZZ_CHECK(library.ErrorReports() == reportsBefore + 1);
        FUZZ_CHECK(status == (result == kTsNotRunning     ? LinkStatus::NotRunning
                              : result == kTsNotConnected ? LinkStatus::Running
                                                          : LinkStatus::Unknown));
        return;
    }
    FUZZ_CHECK(status == LinkStatus::Connected);
    const auto& ids = link.Speakers();
    const std::size_t count = Clamped(library.LastCount());
    FUZZ_CHECK(ids.size() == (count > 0 ? count : static_cast<std::size_t>(kMaxRecords)));
    FUZZ_CHECK(std::memcmp(ids.data(), library.Written().data(), ids.size() * sizeof(std::int32_t)) == 0);
}

void CheckChannels(TeamSpeakLink& link, FuzzedLibrary& library, int reportsBefore) {
    const ChannelSnapshot previous = link.Channels();
    const bool taken = link.GetChannels();
    if (!library.IsAvailable() || library.LastResult() != 0) {
        FUZZ_CHECK(!taken);
        FUZZ_CHECK(link.Channels() == previous);
        FUZZ_CHECK(!library.IsAvailable() || library.ErrorReports() == reportsBefore + 1);
        return;
    }
    FUZZ_CHECK(taken);
    const auto& channels = link.Channels();
    FUZZ_CHECK(channels.size() == Clamped(library.LastCount()));
    for (std::size_t i = 0; i < channels.size(); ++i) {
        const std::uint8_t* record = library.Written().data() + i * RawChannelRecord::kSize;
        FUZZ_CHECK(channels[i].channelId == BytesToLong(record + RawChannelRecord::kChannelId));
        CheckName(channels[i].name, record + RawChannelRecord::kName);
        CheckFlagText(channels[i].flags, false);
        FUZZ_CHECK(!channels[i].codec.empty());
    }
}

void CheckPlayers(TeamSpeakLink& link, FuzzedLibrary& library, int reportsBefore) {
    const PlayerSnapshot previous = link.Players();
    const bool taken = link.GetPlayers();
    if (!library.IsAvailable() || library.LastResult() != 0) {
        FUZZ_CHECK(!taken);
        FUZZ_CHECK(link.Players() == previous);
        FUZZ_CHECK(!library.IsAvailable() || library.ErrorReports() == reportsBefore + 1);
        return;
    }
    FUZZ_CHECK(taken);
    const auto& players = link.Players();
    FUZZ_CHECK(players.size() == Clamped(library.LastCount()));
    for (std::size_t i = 0; i < players.size(); ++i) {
        const std::uint8_t* record = library.Written().data() + i * RawPlayerRecord::kSize;
        FUZZ_CHECK(players[i].playerId == BytesToLong(record + RawPlayerRecord::kPlayerId));
        FUZZ_CHECK(players[i].channelId == BytesToLong(record + RawPlayerRecord::kChannelId));
        CheckName(players[i].name, record + RawPlayerRecord::kName);
        CheckFlagText(players[i].channelPrivileges, true);
        CheckFlagText(players[i].flags, true);
        const std::string& server = players[i].serverPrivileges;
        const std::size_t tail = server.find_last_of(',') == std::string::npos ? 0 : server.find_last_of(',') + 1;
        FUZZ_CHECK(server.substr(tail) == "Registered" || server.substr(tail) == "Unregistered");
    }
}

void CheckNickname(TeamSpeakLink& link, FuzzedLibrary& library) {
    const std::string name = link.GetUserNickname();
    if (!library.IsAvailable() || library.LastResult() != 0) {
        FUZZ_CHECK(name.empty());
        return;
    }
    CheckName(name, library.Written().data() + UserInfoRecord::kNickname);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    FuzzedLibrary library(in);
    TeamSpeakLink link(library);
    for (int step = 0; step < 16 && in.remaining_bytes() > 0; ++step) {
        const int reports = library.ErrorReports();
        switch (in.ConsumeIntegralInRange(0, 3)) {
            case 0: CheckSpeakers(link, library, reports); break;
            case 1: CheckChannels(link, library, reports); break;
            case 2: CheckPlayers(link, library, reports); break;
            default: CheckNickname(link, library); break;
        }
    }
    // Whatever the library said, no snapshot grows past what one call may ask for.
    FUZZ_CHECK(link.Channels().size() <= static_cast<std::size_t>(kMaxRecords));
    FUZZ_CHECK(link.Players().size() <= static_cast<std::size_t>(kMaxRecords));
    FUZZ_CHECK(link.Speakers().size() <= static_cast<std::size_t>(kMaxRecords));
    return 0;
}
