// The voice client's remote-control library as Sayvane calls it: five functions that fill
// caller-owned buffers, plus whether the library could be loaded at all.
#pragma once

#include <cstdint>

namespace sayvane {

// Every call returns the library's 32-bit status, 0 meaning success. The buffers belong to
// the caller; `count` goes in as the capacity (in records or IDs) and comes back as the
// number written. Implementations never throw.
class TsRemoteApi {
public:
    virtual ~TsRemoteApi() = default;

    // False when the library is absent (it could not be loaded, or lacks one of the five
    // functions). The first query loads it; the answer then stays the same. On an absent
    // library the calls below write nothing and fail with -1000, as with no client running.
    [[nodiscard]] virtual bool IsAvailable() = 0;

    // `ids`: the first of `*count` 32-bit player IDs.
    virtual std::int32_t tsrGetSpeakers(std::int32_t* ids, std::int32_t* count) = 0;
    // `records`: `*count` packed 50-byte player records.
    virtual std::int32_t tsrGetPlayers(std::uint8_t* records, std::int32_t* count) = 0;
    // `records`: `*count` packed 50-byte channel records.
    virtual std::int32_t tsrGetChannels(std::uint8_t* records, std::int32_t* count) = 0;
    // `record`: one 150-byte user-information record.
    virtual std::int32_t tsrGetUserInfo(std::uint8_t* record) = 0;
    // Writes the text of the last error, NUL-terminated, into `buffer` of `size` bytes.
    virtual std::int32_t tsrGetLastError(char* buffer, std::int32_t size) = 0;

protected:
    TsRemoteApi() = default;
    TsRemoteApi(const TsRemoteApi&) = default;
    TsRemoteApi& operator=(const TsRemoteApi&) = default;
    TsRemoteApi(TsRemoteApi&&) = default;
    TsRemoteApi& operator=(TsRemoteApi&&) = default;
};

}  // namespace sayvane
