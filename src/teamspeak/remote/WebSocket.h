// The client side of a WebSocket as bytes: the opening handshake, frames written to the
// server, and messages read from frames split anywhere.
//
// What the code relies on:
// - The server is on this machine and speaks plain WebSocket version 13 over HTTP/1.1: its
//   answer to the handshake is `HTTP/1.1 101`, with `Upgrade: websocket`, a `Connection` that
//   lists `Upgrade`, and `Sec-WebSocket-Accept` made from our key. Header lines end with CRLF.
// - Messages are text (UTF-8). A binary message is an error: the link only speaks text.
// - Frames from the server are never masked; frames to it always are, with the caller's mask.
// - Memory stays bounded: a handshake answer's header may be 16 KiB, a message 16 MiB (a
//   busy server's snapshot of a few thousand clients with all their properties is several MB).
//
// What it leaves out: extensions (compression among them) and subprotocols are never asked
// for, so an answer that names one is refused and a frame with a reserved bit set is an error.
// Close codes are reported as they come, not checked against the registered ones. Text is
// checked for UTF-8 once its message is whole, so a bad first frame is found at the last one.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sayvane::remote {

// What the server must answer in Sec-WebSocket-Accept to the client's Sec-WebSocket-Key.
[[nodiscard]] std::string AcceptKey(std::string_view clientKey);

// The opening request to the server on 127.0.0.1:`port`. `key` is the Base64 of 16 random
// bytes, made anew for each connection.
[[nodiscard]] std::string HandshakeRequest(std::uint16_t port, std::string_view key);

enum class HandshakeState { Reading, Accepted, Refused };

// Reads the server's answer to the handshake as its bytes arrive.
class HandshakeReader {
public:
    static constexpr std::size_t kMaxHeaderBytes = std::size_t{16} * 1024;

    // `key`: the Sec-WebSocket-Key the request was sent with.
    explicit HandshakeReader(std::string_view key);

    // Takes the next bytes. Once Accepted, further bytes join Rest(); once Refused, they are
    // ignored.
    HandshakeState Feed(std::string_view bytes);
    [[nodiscard]] HandshakeState State() const { return m_state; }
    // Why the answer was refused (it may quote the server's status line); empty otherwise.
    [[nodiscard]] const std::string& Reason() const { return m_reason; }
    // The bytes after the header, once Accepted: the start of the server's first frames.
    [[nodiscard]] const std::string& Rest() const { return m_rest; }

private:
    void Decide(std::string_view header);
    void Refuse(std::string reason);

    std::string m_accept;  // the Sec-WebSocket-Accept expected
    std::string m_header;  // the header's bytes so far, while Reading
    std::string m_rest;
    std::string m_reason;
    HandshakeState m_state = HandshakeState::Reading;
};

enum class Opcode : std::uint8_t { Continuation = 0x0, Text = 0x1, Binary = 0x2, Close = 0x8, Ping = 0x9, Pong = 0xA };

// One frame to the server: final, masked with `mask`. The payload of a control frame (close,
// ping, pong) must be at most 125 bytes.
[[nodiscard]] std::string EncodeFrame(Opcode opcode, std::string_view payload, std::array<std::uint8_t, 4> mask);

// One whole message from the server.
struct Message {
    enum class Kind { Text, Ping, Pong, Close };
    Kind kind = Kind::Text;
    // The text; a ping's or pong's payload (a ping is answered with a pong of the same
    // payload); a close's reason.
    std::string payload;
    // A close's status code, when it gives one.
    std::optional<std::uint16_t> closeCode;
};

enum class FrameState { Reading, Closed, Failed };

// Cuts messages from the server's frames as their bytes arrive. After a close message the
// reader is Closed and ignores what follows. A protocol error makes it Failed, with Error()
// saying why; the caller then closes the connection. Messages whole before the error are
// still handed out.
class FrameReader {
public:
    // The most a message (all its frames together) may carry; no more is ever buffered.
    static constexpr std::size_t kMaxMessageBytes = std::size_t{16} * 1024 * 1024;
    static constexpr std::size_t kMaxControlBytes = 125;

    void Feed(std::string_view bytes);
    // The next whole message; false when none is waiting.
    bool Next(Message& message);
    [[nodiscard]] FrameState State() const { return m_state; }
    // A frame or a fragmented message has begun and not ended yet.
    [[nodiscard]] bool MidMessage() const { return m_headBytes > 0 || m_inPayload || m_fragmented; }
    // Counts the messages made whole (control frames included): a reader that goes on past
    // its budget to finish the message begun stops once this moves.
    [[nodiscard]] std::uint64_t Completed() const { return m_completed; }
    [[nodiscard]] const std::string& Error() const { return m_error; }
    // The failure was a message over kMaxMessageBytes.
    [[nodiscard]] bool Oversized() const { return m_oversized; }
    // Forgets every byte and message waiting (after a new connection).
    void Reset();

private:
    // Takes header bytes from the front of `bytes`; true once the header is whole and valid.
    bool ReadHeader(std::string_view& bytes);
    void EndFrame();
    void Fail(std::string error);

    FrameState m_state = FrameState::Reading;
    std::string m_error;
    bool m_oversized = false;
    std::array<std::uint8_t, 10> m_head{};  // the current frame's header bytes so far
    std::size_t m_headBytes = 0;
    bool m_inPayload = false;                // the header is whole: the payload's bytes follow
    std::uint64_t m_left = 0;                // of the current frame's payload, the bytes still to come
    Opcode m_opcode = Opcode::Continuation;  // of the current frame
    bool m_final = false;
    bool m_fragmented = false;  // a text message's first frame came, its last not yet
    std::string m_text;         // that message's bytes so far
    std::string m_control;      // the current control frame's payload so far
    std::vector<Message> m_ready;
    std::size_t m_readyFirst = 0;
    std::uint64_t m_completed = 0;
};

}  // namespace sayvane::remote
