// The voice client's remote-control library itself: TSRemote.dll, loaded on first use.
#pragma once

#include <string>

#include "platform/TsRemoteApi.h"
#include "win32/Handles.h"

namespace sayvane::win32 {

class Win32TsRemoteApi final : public TsRemoteApi {
public:
    explicit Win32TsRemoteApi(std::string libraryName = "TSRemote.dll");
    ~Win32TsRemoteApi() override;
    Win32TsRemoteApi(const Win32TsRemoteApi&) = delete;
    Win32TsRemoteApi& operator=(const Win32TsRemoteApi&) = delete;
    Win32TsRemoteApi(Win32TsRemoteApi&&) = delete;
    Win32TsRemoteApi& operator=(Win32TsRemoteApi&&) = delete;

    // Loads the library on the first query. The program's folder, the system folders and
    // PATH are searched; the current folder is not, so a DLL planted there is never loaded.
    [[nodiscard]] bool IsAvailable() override;

    std::int32_t tsrGetSpeakers(std::int32_t* ids, std::int32_t* count) override;
    std::int32_t tsrGetPlayers(std::uint8_t* records, std::int32_t* count) override;
    std::int32_t tsrGetChannels(std::uint8_t* records, std::int32_t* count) override;
    std::int32_t tsrGetUserInfo(std::uint8_t* record) override;
    std::int32_t tsrGetLastError(char* buffer, std::int32_t size) override;

private:
    using SpeakersFunction = std::int32_t(__stdcall*)(std::int32_t*, std::int32_t*);
    using RecordsFunction = std::int32_t(__stdcall*)(std::uint8_t*, std::int32_t*);
    using UserInfoFunction = std::int32_t(__stdcall*)(std::uint8_t*);
    using LastErrorFunction = std::int32_t(__stdcall*)(char*, std::int32_t);

    void Load();

    std::string m_libraryName;
    bool m_loadAttempted = false;
    UniqueModule m_module;  // none until loaded with all five calls
    SpeakersFunction m_getSpeakers = nullptr;
    RecordsFunction m_getPlayers = nullptr;
    RecordsFunction m_getChannels = nullptr;
    UserInfoFunction m_getUserInfo = nullptr;
    LastErrorFunction m_getLastError = nullptr;
};

}  // namespace sayvane::win32
