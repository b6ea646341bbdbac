// The socket loop the links to TeamSpeak 3 and TeamSpeak 5/6 share, never waiting for the other
// end: it connects (again after a back-off), reads a bounded amount per call, sends what waits
// up to a bound, asks a quiet peer whether it is still there, and ends the connection when an
// answer is late or the peer sends more than is kept. A protocol fills in only what it says
// when the connection opens, what it makes of the bytes read, what it asks a quiet peer, which
// answer it awaits, what it forgets when a connection starts or ends, and its client's name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/Clock.h"
#include "platform/LoopbackSocket.h"
#include "teamspeak/Backoff.h"
#include "teamspeak/TabsLink.h"

namespace sayvane {

class SocketLink : public TabsLink {
public:
    // Waits between connection attempts: doubling from the first to the last.
    static constexpr std::int64_t kFirstRetryMs = 1000;
    static constexpr std::int64_t kLastRetryMs = 16000;
    // An answer the link waits for (not one the client's user gives) comes within this or the
    // connection ends.
    static constexpr std::int64_t kAnswerTimeoutMs = 10000;
    // A peer silent this long is asked something cheap; no answer within kAnswerTimeoutMs ends
    // the connection (a client that hangs would otherwise leave its last speakers shown).
    static constexpr std::int64_t kQuietMs = 30000;
    // At most this many bytes are read per call, so a flood costs a tick little.
    static constexpr std::size_t kMostBytesPerCall = std::size_t{256} * 1024;
    // Bytes waiting to be sent, past which the other end is taken as not reading (it can make
    // the link answer everything it sends).
    static constexpr std::size_t kMostUnsentBytes = std::size_t{256} * 1024;

    // With nothing arrived and no time-out due it changes nothing, so it may run whenever the
    // socket says something happened.
    void Pump() final;
    // Closes the connection and forgets the client; the next Pump starts afresh.
    virtual void Stop();

    [[nodiscard]] virtual std::uint16_t Port() const = 0;
    [[nodiscard]] std::size_t UnsentBytes() const { return m_unsent.size(); }
    // Every byte read, over all connections.
    [[nodiscard]] std::uint64_t BytesRead() const { return m_bytesRead; }
    // Why the last connection ended, in words.
    [[nodiscard]] const std::string& WhyEnded() const { return m_whyEnded; }

    // Between two readings of the speakers (the overlay's ticks), the socket's activity moves
    // the link on until it has read this much: a conversation of short answers goes at the
    // client's pace, while a flood waits for the next tick, so that the window's timer, which
    // comes only when no other message waits, still gets its turn.
    static constexpr std::uint64_t kMostActivityBytes = std::uint64_t{1} << 20;
    // The socket had activity: the link moves on at once, and whoever listens hears when that
    // may have changed what the port answers.
    void Activity();
    void OnChanged(std::function<void()> changed) override { m_changed = std::move(changed); }
    // A tick's reading, not one made for the listener: the activity's budget starts again.
    LinkStatus GetSpeakers() override;

protected:
    // When a dropped connection is tried again.
    enum class Retry { AfterWait, AfterLongestWait, AtOnce, Never };

    // `client` names the voice client in the status texts ("TeamSpeak 3").
    SocketLink(LoopbackSocket& socket, const Clock& clock, std::string client);

    virtual void Opened() {}  // the connection opened: the protocol's first words, if it speaks first
    virtual void Received(std::string_view bytes) = 0;
    // The peer was quiet for kQuietMs: asks it something cheap (true), or has nothing to ask now.
    virtual bool Probe() = 0;
    // An answer is due within kAnswerTimeoutMs of AnswerDueFromNow, or the connection ends.
    [[nodiscard]] virtual bool AwaitsAnswer() const = 0;
    // Forgets (and frees) what the protocol held of a connection: one starts or ended.
    virtual void Forget() = 0;
    // A message begun is read to its end past kMostBytesPerCall (the protocol bounds it), and
    // no further: MessagesEnded counts the messages made whole.
    [[nodiscard]] virtual bool MidMessage() const { return false; }
    [[nodiscard]] virtual std::uint64_t MessagesEnded() const { return 0; }
    virtual void Ended(const std::string& why) { Drop(why); }  // the other end closed

    [[nodiscard]] bool IsOpen() const { return m_phase == Phase::Open; }
    [[nodiscard]] std::int64_t Now() const { return m_clock.NowMilliseconds(); }
    void Heard();  // something came that shows the peer alive
    void AnswerDueFromNow() { m_since = Now(); }
    void Write(std::string_view bytes) { m_unsent += bytes; }  // goes with the next Flush, or Pump's
    void Flush();
    void Drop(const std::string& why, Retry retry = Retry::AfterWait);
    // The other end sent more than is kept (`what` it did): dropped, and said so until a
    // conversation works (Succeeded).
    void Overflow(const std::string& what);
    [[nodiscard]] bool Overflowed() const { return m_overflowed; }
    void Succeeded();  // a whole conversation went through: the waits start from the first

private:
    enum class Phase { Waiting, Connecting, Open };

    void Reset();

    LoopbackSocket& m_socket;
    const Clock& m_clock;
    std::string m_client;
    Backoff m_backoff{kFirstRetryMs, kLastRetryMs};
    Phase m_phase = Phase::Waiting;
    std::int64_t m_since = 0;      // when the connection or the awaited answer began
    std::int64_t m_lastHeard = 0;  // when the peer last showed itself alive
    bool m_probing = false;        // the quiet peer was asked, and nothing heard since
    bool m_overflowed = false;     // until a conversation works
    std::string m_unsent;
    std::uint64_t m_bytesRead = 0;
    std::string m_whyEnded;
    std::function<void()> m_changed;
    std::uint64_t m_bytesAtTick = 0;  // bytes read by the last tick's reading
    bool m_telling = false;           // the listener is being told
};

}  // namespace sayvane
