// The substitute TSRemote.dll: the voice client's remote-control library with the five
// calls Sayvane makes, serving the server that the simulated client (ts2sim) publishes.
// No client running gives -1000, a client without a server -1; every failure leaves its
// text for tsrGetLastError.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "common/TsSharedMemory.h"

namespace {

using sayvane::peers::SharedReadResult;
using sayvane::peers::TsSharedState;
using sayvane::sim::TsServer;

constexpr std::int32_t kResultBusy = -3;
constexpr std::int32_t kResultInternal = -4;

// The text of the last failure, kept for this process. The library is called from one
// thread (the caller's GUI thread), as the real one is.
std::string& LastError() {
    static std::string text;
    return text;
}

// Reads the published server and runs one call on it. Nothing may leave a library call as
// an exception: it would cross into the caller's stack frames.
template <typename Call>
std::int32_t Serve(Call call) noexcept {
    try {
        auto shared = std::make_unique<TsSharedState>();
        switch (sayvane::peers::ReadSharedState(*shared)) {
            case SharedReadResult::NoClient:
                LastError() = "TeamSpeak 2 is not running";
                return sayvane::sim::kResultNotRunning;
            case SharedReadResult::Busy: LastError() = "TeamSpeak 2 does not answer"; return kResultBusy;
            case SharedReadResult::Read: break;
        }
        const TsServer server = sayvane::peers::ReadServer(*shared);
        std::string error;
        const std::int32_t result = call(server, error);
        if (result != 0) {
            LastError() = error;
        }
        return result;
    } catch (...) {
        LastError() = "Internal error";
        return kResultInternal;
    }
}

}  // namespace

extern "C" {

__declspec(dllexport) std::int32_t __stdcall tsrGetSpeakers(std::int32_t* ids, std::int32_t* count) {
    return Serve([&](const TsServer& server, std::string& error) { return server.ServeSpeakers(ids, count, error); });
}

__declspec(dllexport) std::int32_t __stdcall tsrGetPlayers(std::uint8_t* records, std::int32_t* count) {
    return Serve(
        [&](const TsServer& server, std::string& error) { return server.ServePlayers(records, count, error); });
}

__declspec(dllexport) std::int32_t __stdcall tsrGetChannels(std::uint8_t* records, std::int32_t* count) {
    return Serve(
        [&](const TsServer& server, std::string& error) { return server.ServeChannels(records, count, error); });
}

__declspec(dllexport) std::int32_t __stdcall tsrGetUserInfo(std::uint8_t* record) {
    return Serve([&](const TsServer& server, std::string& error) { return server.ServeUserInfo(record, error); });
}

__declspec(dllexport) std::int32_t __stdcall tsrGetLastError(char* buffer, std::int32_t size) {
    if (buffer == nullptr || size < 1) {
        return sayvane::sim::kResultBadArgument;
    }
    try {
        sayvane::sim::CopyErrorText(LastError(), buffer, size);
    } catch (...) {
        return kResultInternal;
    }
    return 0;
}

}  // extern "C"
