// The remote-control library as a broken or hostile one may behave: every result, count and
// record byte comes from the input, and the four snapshot calls run in an order the input picks.
#include "FuzzSupport.h"
#include "platform/TsRemoteApi.h"
#include "teamspeak/TeamSpeakLink.h"

namespace {

constexpr std::size_t kRecordBytes = static_cast<std::size_t>(kMaxRecords) * RawPlayerRecord::kSize;

// Answers every call from the input, after checking that the buffers handed in are as big and
// as clean as promised (writing all of them lets AddressSanitizer check their size). Keeps
// what the last call wrote, its count and result, and how often the error text was asked for.
struct FuzzedLibrary final : TsRemoteApi {
    explicit FuzzedLibrary(FuzzedDataProvider& input) : in(input), available(input.ConsumeBool()) {}

    bool IsAvailable() override { return available; }
    std::int32_t tsrGetSpeakers(std::int32_t* ids, std::int32_t* n) override {
        return Answer(reinterpret_cast<std::uint8_t*>(ids), sizeof(std::int32_t) * kMaxRecords, n);
    }
    std::int32_t tsrGetPlayers(std::uint8_t* records, std::int32_t* n) override {
        return Answer(records, kRecordBytes, n);
    }
    std::int32_t tsrGetChannels(std::uint8_t* records, std::int32_t* n) override {
        return Answer(records, kRecordBytes, n);
    }
    std::int32_t tsrGetUserInfo(std::uint8_t* record) override {
        return Answer(record, UserInfoRecord::kSize, nullptr);
    }
    std::int32_t tsrGetLastError(char* buffer, std::int32_t size) override {
        FUZZ_CHECK(size == 1024);
        std::memset(buffer, 'E', static_cast<std::size_t>(size) - 1);
        buffer[size - 1] = '\0';
        ++errorReports;
        // Its result is not looked at; it must not hide the result of the call that failed.
        return in.ConsumeIntegral<std::int32_t>();
    }

    std::int32_t Answer(std::uint8_t* buffer, std::size_t size, std::int32_t* n) {
        FUZZ_CHECK(n == nullptr || *n == kMaxRecords);
        FUZZ_CHECK(std::all_of(buffer, buffer + size, [](std::uint8_t b) { return b == 0; }));
        written = in.ConsumeBytes<std::uint8_t>(in.ConsumeIntegralInRange<std::size_t>(0, size));
        written.resize(size, 0);
        std::memcpy(buffer, written.data(), size);
        if (n != nullptr) {  // a count in range or just past either end, or any at all
            *n = count = in.ConsumeBool() ? in.ConsumeIntegralInRange<std::int32_t>(-1, kMaxRecords + 1)
                                          : in.ConsumeIntegral<std::int32_t>();
        }
        result = fuzz::KnownOr<std::int32_t>(in, {0, kTsNotRunning, kTsNotConnected},
                                             [this] { return in.ConsumeIntegral<std::int32_t>(); });
        return result;
    }
    bool Failed() const { return !available || result != 0; }

    FuzzedDataProvider& in;
    const bool available;
    std::vector<std::uint8_t> written;
    std::int32_t count = 0;
    std::int32_t result = 0;
    int errorReports = 0;
};

std::size_t Clamped(std::int32_t count) {
    return static_cast<std::size_t>(std::clamp<std::int32_t>(count, 0, kMaxRecords));
}

// A name field decodes to its bytes up to the first NUL, at most 30 of them.
void CheckName(const std::string& name, const std::uint8_t* field) {
    FUZZ_CHECK(name.size() <= kNameSize && name.find('\0') == std::string::npos);
    FUZZ_CHECK(std::memcmp(name.data(), field, name.size()) == 0);
    FUZZ_CHECK(name.size() == kNameSize || field[name.size()] == 0);
}

void CheckFlagText(const std::string& text, bool neverEmpty) {
    FUZZ_CHECK(!neverEmpty || !text.empty());
    FUZZ_CHECK(text.empty() || text.back() != ',');
}

void CheckChannel(const ChannelEntry& channel, const std::uint8_t* record) {
    FUZZ_CHECK(channel.channelId == BytesToLong(record + RawChannelRecord::kChannelId));
    CheckName(channel.name, record + RawChannelRecord::kName);
    CheckFlagText(channel.flags, false);
    FUZZ_CHECK(!channel.codec.empty());
}

void CheckPlayer(const PlayerEntry& player, const std::uint8_t* record) {
    FUZZ_CHECK(player.playerId == BytesToLong(record + RawPlayerRecord::kPlayerId));
    FUZZ_CHECK(player.channelId == BytesToLong(record + RawPlayerRecord::kChannelId));
    CheckName(player.name, record + RawPlayerRecord::kName);
    CheckFlagText(player.channelPrivileges, true);
    CheckFlagText(player.flags, true);
    const std::string& server = player.serverPrivileges;
    const std::string last = server.substr(server.find_last_of(',') + 1);  // all of it without a comma
    FUZZ_CHECK(last == "Registered" || last == "Unregistered");
}

// A snapshot call. One that fails (no library, or a result other than 0) asks for the error
// text once and keeps the previous snapshot; one that succeeds takes the records the library
// counted, no more than fit, each decoded from its bytes.
template <std::size_t kRecordSize, typename Take, typename Snapshot, typename CheckRecord>
void CheckSnapshot(TeamSpeakLink& link, const FuzzedLibrary& library, Take take, Snapshot get, CheckRecord check) {
    const auto previous = (link.*get)();
    const bool taken = (link.*take)();
    const auto& now = (link.*get)();
    if (library.Failed()) {
        FUZZ_CHECK(!taken && now == previous);
        FUZZ_CHECK(library.errorReports == (library.available ? 1 : 0));
        return;
    }
    FUZZ_CHECK(taken && library.errorReports == 0);
    FUZZ_CHECK(now.size() == Clamped(library.count));
    for (std::size_t i = 0; i < now.size(); ++i) {
        check(now[i], library.written.data() + i * kRecordSize);
    }
}

void CheckSpeakers(TeamSpeakLink& link, const FuzzedLibrary& library) {
    const LinkStatus status = link.GetSpeakers();
    if (library.Failed()) {
        // Without the library, as when it says TeamSpeak is not running.
        const std::int32_t result = library.available ? library.result : kTsNotRunning;
        FUZZ_CHECK(library.errorReports == (library.available ? 1 : 0));
        FUZZ_CHECK(status == (result == kTsNotRunning     ? LinkStatus::NotRunning
                              : result == kTsNotConnected ? LinkStatus::Running
                                                          : LinkStatus::Unknown));
        return;
    }
    // A count of none reads the whole buffer.
    const auto& ids = link.Speakers();
    const std::size_t count = Clamped(library.count);
    FUZZ_CHECK(status == LinkStatus::Connected && library.errorReports == 0);
    FUZZ_CHECK(ids.size() == (count > 0 ? count : static_cast<std::size_t>(kMaxRecords)));
    FUZZ_CHECK(std::memcmp(ids.data(), library.written.data(), ids.size() * sizeof(std::int32_t)) == 0);
}

}  // namespace

void fuzz::FuzzOne(FuzzedDataProvider& in) {
    FuzzedLibrary library(in);
    TeamSpeakLink link(library);
    for (int step = 0; step < 16 && in.remaining_bytes() > 0; ++step) {
        library.errorReports = 0;
        switch (in.ConsumeIntegralInRange(0, 3)) {
            case 0: CheckSpeakers(link, library); break;
            case 1:
                CheckSnapshot<RawChannelRecord::kSize>(link, library, &TeamSpeakLink::GetChannels,
                                                       &TeamSpeakLink::Channels, CheckChannel);
                break;
            case 2:
                CheckSnapshot<RawPlayerRecord::kSize>(link, library, &TeamSpeakLink::GetPlayers,
                                                      &TeamSpeakLink::Players, CheckPlayer);
                break;
            default: {
                const std::string name = link.GetUserNickname();
                if (library.Failed()) {
                    FUZZ_CHECK(name.empty());
                } else {
                    CheckName(name, library.written.data() + UserInfoRecord::kNickname);
                }
            }
        }
    }
}
