// The Windows side of the block ts2sim shares with the substitute TSRemote.dll: the named
// mapping and mutex, each held by a small move-only owner.
#pragma once

#include <windows.h>

#include <memory>
#include <utility>

#include "common/TsSharedState.h"

namespace sayvane::peers {

class KernelHandle {
public:
    KernelHandle() = default;
    explicit KernelHandle(HANDLE handle) : m_handle(handle) {}
    ~KernelHandle() { Reset(); }
    KernelHandle(KernelHandle&& other) noexcept : m_handle(std::exchange(other.m_handle, nullptr)) {}
    KernelHandle& operator=(KernelHandle&& other) noexcept {
        if (this != &other) {
            Reset();
            m_handle = std::exchange(other.m_handle, nullptr);
        }
        return *this;
    }
    KernelHandle(const KernelHandle&) = delete;
    KernelHandle& operator=(const KernelHandle&) = delete;

    [[nodiscard]] HANDLE Get() const { return m_handle; }
    explicit operator bool() const { return m_handle != nullptr; }
    void Reset() {
        if (m_handle != nullptr) {
            CloseHandle(m_handle);
            m_handle = nullptr;
        }
    }

private:
    HANDLE m_handle = nullptr;
};

class MappedView {
public:
    MappedView() = default;
    explicit MappedView(void* view) : m_view(view) {}
    ~MappedView() {
        if (m_view != nullptr) {
            UnmapViewOfFile(m_view);
        }
    }
    MappedView(MappedView&& other) noexcept : m_view(std::exchange(other.m_view, nullptr)) {}
    MappedView& operator=(MappedView&& other) noexcept {
        std::swap(m_view, other.m_view);
        return *this;
    }
    MappedView(const MappedView&) = delete;
    MappedView& operator=(const MappedView&) = delete;

    [[nodiscard]] TsSharedState* State() const { return static_cast<TsSharedState*>(m_view); }

private:
    void* m_view = nullptr;
};

// Holds the mutex for as long as it lives. An abandoned mutex (a client that died while
// publishing) is taken over: the block is then read as the client left it.
class SharedStateLock {
public:
    SharedStateLock(HANDLE mutex, DWORD timeoutMs) : m_mutex(mutex) {
        const DWORD wait = WaitForSingleObject(mutex, timeoutMs);
        m_owned = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
    }
    ~SharedStateLock() {
        if (m_owned) {
            ReleaseMutex(m_mutex);
        }
    }
    SharedStateLock(const SharedStateLock&) = delete;
    SharedStateLock& operator=(const SharedStateLock&) = delete;

    [[nodiscard]] bool Owned() const { return m_owned; }

private:
    HANDLE m_mutex;
    bool m_owned = false;
};

// The client's side: creates the block and publishes into it.
class SharedServerWriter {
public:
    // False when the objects could not be made, or another client already owns them.
    [[nodiscard]] bool Create() {
        m_mapping = KernelHandle(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                                    static_cast<DWORD>(sizeof(TsSharedState)), kTsSharedMemoryName));
        if (!m_mapping || GetLastError() == ERROR_ALREADY_EXISTS) {
            m_mapping.Reset();
            return false;
        }
        m_mutex = KernelHandle(CreateMutexA(nullptr, FALSE, kTsSharedMutexName));
        m_view = MappedView(MapViewOfFile(m_mapping.Get(), FILE_MAP_WRITE, 0, 0, sizeof(TsSharedState)));
        return m_mutex && m_view.State() != nullptr;
    }

    void Publish(const sim::TsServer& server) {
        SharedStateLock lock(m_mutex.Get(), INFINITE);
        PublishServer(server, *m_view.State());
    }

private:
    KernelHandle m_mapping;
    KernelHandle m_mutex;
    MappedView m_view;
};

enum class SharedReadResult { Read, NoClient, Busy };

// The library's side: a copy of the block taken under the mutex, or why there is none.
inline SharedReadResult ReadSharedState(TsSharedState& copy) {
    KernelHandle mapping(OpenFileMappingA(FILE_MAP_READ, FALSE, kTsSharedMemoryName));
    if (!mapping) {
        return SharedReadResult::NoClient;
    }
    KernelHandle mutex(OpenMutexA(SYNCHRONIZE, FALSE, kTsSharedMutexName));
    MappedView view(MapViewOfFile(mapping.Get(), FILE_MAP_READ, 0, 0, sizeof(TsSharedState)));
    if (!mutex || view.State() == nullptr) {
        return SharedReadResult::NoClient;
    }
    SharedStateLock lock(mutex.Get(), 2000);
    if (!lock.Owned()) {
        return SharedReadResult::Busy;
    }
    std::memcpy(&copy, view.State(), sizeof copy);
    if (copy.magic != kTsSharedMagic || copy.version != kTsSharedVersion) {
        return SharedReadResult::NoClient;
    }
    return SharedReadResult::Read;
}

}  // namespace sayvane::peers
