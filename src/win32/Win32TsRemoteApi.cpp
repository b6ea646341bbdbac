// Loading TSRemote.dll and calling its five __stdcall exports.
#include "win32/Win32TsRemoteApi.h"

#include <windows.h>

namespace sayvane::win32 {
namespace {

// The result of a call on a library that is not there: what "no client running" returns.
constexpr std::int32_t kNotLoaded = -1000;

// The folder of the running program, or empty text (which still means "no current folder"
// on Windows) when it cannot be had.
std::string ProgramFolder() {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return {};
    }
    const std::string file(path, length);
    const auto slash = file.find_last_of('\\');
    return slash == std::string::npos ? std::string() : file.substr(0, slash);
}

template <typename Function>
Function Resolve(HMODULE module, const char* name) {
    // The exports are plain C functions; casting through FARPROC is how GetProcAddress
    // results are typed.
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace

Win32TsRemoteApi::Win32TsRemoteApi(std::string libraryName) : m_libraryName(std::move(libraryName)) {}

Win32TsRemoteApi::~Win32TsRemoteApi() = default;

void Win32TsRemoteApi::Load() {
    m_loadAttempted = true;
    // Setting a DLL directory takes the current folder out of the search order (against DLL
    // planting) and leaves the rest of the standard order, PATH included, as it was. Windows
    // does that for an empty directory too, but Wine treats "" as "none set" and keeps
    // searching the current folder; the program's own folder, searched first anyway, works
    // on both.
    const std::string folder = ProgramFolder();
    SetDllDirectoryA(folder.c_str());
    // No "cannot find" dialog box for a library that is missing or broken.
    const UINT previousMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    UniqueModule library(LoadLibraryA(m_libraryName.c_str()));
    SetErrorMode(previousMode);
    if (!library) {
        return;
    }
    m_getSpeakers = Resolve<SpeakersFunction>(library.Get(), "tsrGetSpeakers");
    m_getPlayers = Resolve<RecordsFunction>(library.Get(), "tsrGetPlayers");
    m_getChannels = Resolve<RecordsFunction>(library.Get(), "tsrGetChannels");
    m_getUserInfo = Resolve<UserInfoFunction>(library.Get(), "tsrGetUserInfo");
    m_getLastError = Resolve<LastErrorFunction>(library.Get(), "tsrGetLastError");
    if (m_getSpeakers == nullptr || m_getPlayers == nullptr || m_getChannels == nullptr || m_getUserInfo == nullptr ||
        m_getLastError == nullptr) {
        // A library without all five calls counts as absent.
        m_getSpeakers = nullptr;
        m_getPlayers = nullptr;
        m_getChannels = nullptr;
        m_getUserInfo = nullptr;
        m_getLastError = nullptr;
        return;  // and the library is freed
    }
    m_module = std::move(library);
}

bool Win32TsRemoteApi::IsAvailable() {
    if (!m_loadAttempted) {
        Load();
    }
    return static_cast<bool>(m_module);
}

std::int32_t Win32TsRemoteApi::tsrGetSpeakers(std::int32_t* ids, std::int32_t* count) {
    return IsAvailable() ? m_getSpeakers(ids, count) : kNotLoaded;
}

std::int32_t Win32TsRemoteApi::tsrGetPlayers(std::uint8_t* records, std::int32_t* count) {
    return IsAvailable() ? m_getPlayers(records, count) : kNotLoaded;
}

std::int32_t Win32TsRemoteApi::tsrGetChannels(std::uint8_t* records, std::int32_t* count) {
    return IsAvailable() ? m_getChannels(records, count) : kNotLoaded;
}

std::int32_t Win32TsRemoteApi::tsrGetUserInfo(std::uint8_t* record) {
    return IsAvailable() ? m_getUserInfo(record) : kNotLoaded;
}

std::int32_t Win32TsRemoteApi::tsrGetLastError(char* buffer, std::int32_t size) {
    return IsAvailable() ? m_getLastError(buffer, size) : kNotLoaded;
}

}  // namespace sayvane::win32
