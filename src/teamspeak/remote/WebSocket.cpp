// The WebSocket client's handshake, frame encoding and message reading.
#include "teamspeak/remote/WebSocket.h"

#include <algorithm>
#include <utility>

#include "text/Base64.h"
#include "text/Sha1.h"
#include "text/Utf8.h"

namespace sayvane::remote {

namespace {

constexpr std::string_view kAcceptGuid = "258EAFA5-E914-47DA-95CA-C5AB0DC85B11";
constexpr std::string_view kHeaderEnd = "\r\n\r\n";

char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return AsciiLower(x) == AsciiLower(y); });
}

std::string_view TrimBlanks(std::string_view text) {
    text.remove_prefix(std::min(text.find_first_not_of(" \t"), text.size()));
    return text.substr(0, text.find_last_not_of(" \t") + 1);
}

// The value of the first header field named `name` (in any case), without outer blanks.
// `header` is the answer without its last empty line; its first line, the status, is skipped.
std::optional<std::string_view> FieldValue(std::string_view header, std::string_view name) {
    std::size_t at = header.find("\r\n");
    while (at != std::string_view::npos) {
        at += 2;
        const std::size_t end = header.find("\r\n", at);
        const std::string_view line = header.substr(at, end == std::string_view::npos ? end : end - at);
        const std::size_t colon = line.find(':');
        if (colon != std::string_view::npos && SameIgnoringCase(TrimBlanks(line.substr(0, colon)), name)) {
            return TrimBlanks(line.substr(colon + 1));
        }
        at = end;
    }
    return std::nullopt;
}

// Whether the comma-separated list `value` holds `token` (in any case).
bool ListHolds(std::string_view value, std::string_view token) {
    while (true) {
        const std::size_t comma = value.find(',');
        if (SameIgnoringCase(TrimBlanks(value.substr(0, comma)), token)) {
            return true;
        }
        if (comma == std::string_view::npos) {
            return false;
        }
        value.remove_prefix(comma + 1);
    }
}

bool IsControl(Opcode opcode) {
    return (static_cast<unsigned>(opcode) & 0x8U) != 0;
}

// The size of a frame header from its second byte (the payload length field).
std::size_t HeadSize(std::uint8_t second) {
    const unsigned length = second & 0x7FU;
    return length == 127 ? 10 : length == 126 ? 4 : 2;
}

// What is wrong with a frame that starts with these two bytes; empty when nothing is.
std::string StartError(std::uint8_t first, std::uint8_t second, bool fragmented) {
    if ((first & 0x70U) != 0) {
        return "reserved bits set";
    }
    if ((second & 0x80U) != 0) {
        return "masked frame from the server";
    }
    const bool isFinal = (first & 0x80U) != 0;
    switch (static_cast<Opcode>(first & 0x0FU)) {
        case Opcode::Continuation: return fragmented ? "" : "continuation without a start";
        case Opcode::Text: return fragmented ? "new message inside a fragmented one" : "";
        case Opcode::Binary: return "binary message";
        case Opcode::Close:
        case Opcode::Ping:
        case Opcode::Pong:
            if (!isFinal) {
                return "fragmented control frame";
            }
            return (second & 0x7FU) > FrameReader::kMaxControlBytes ? "control frame over 125 bytes" : "";
    }
    return "unknown opcode " + std::to_string(first & 0x0FU);
}

}  // namespace

std::string AcceptKey(std::string_view clientKey) {
    const std::array<std::uint8_t, 20> digest = Sha1(std::string(clientKey) + std::string(kAcceptGuid));
    return Base64(std::string_view(reinterpret_cast<const char*>(digest.data()), digest.size()));
}

std::string HandshakeRequest(std::uint16_t port, std::string_view key) {
    return "GET / HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) +
           "\r\nUpgrade: websocket\r\nConnection: Upgrade\r\nSec-WebSocket-Key: " + std::string(key) +
           "\r\nSec-WebSocket-Version: 13\r\n\r\n";
}

HandshakeReader::HandshakeReader(std::string_view key) : m_accept(AcceptKey(key)) {}

HandshakeState HandshakeReader::Feed(std::string_view bytes) {
    if (m_state == HandshakeState::Accepted) {
        m_rest.append(bytes);
    }
    if (m_state != HandshakeState::Reading) {
        return m_state;
    }
    // The header never grows past its bound; what follows its end is kept whole.
    const std::size_t from = m_header.size() < kHeaderEnd.size() ? 0 : m_header.size() - (kHeaderEnd.size() - 1);
    const std::size_t taken = std::min(bytes.size(), kMaxHeaderBytes - m_header.size());
    m_header.append(bytes.substr(0, taken));
    const std::size_t end = m_header.find(kHeaderEnd, from);
    if (end == std::string::npos) {
        if (m_header.size() == kMaxHeaderBytes) {
            Refuse("handshake header over 16 KiB");
        }
        return m_state;
    }
    m_rest = m_header.substr(end + kHeaderEnd.size());
    m_rest.append(bytes.substr(taken));
    m_header.resize(end);
    Decide(m_header);
    m_header = std::string();
    return m_state;
}

void HandshakeReader::Decide(std::string_view header) {
    const std::string_view status = header.substr(0, header.find("\r\n"));
    constexpr std::string_view kSwitching = "HTTP/1.1 101";
    if (status.substr(0, kSwitching.size()) != kSwitching ||
        (status.size() > kSwitching.size() && status[kSwitching.size()] != ' ')) {
        Refuse("the server answered: " + std::string(status.substr(0, 80)));
        return;
    }
    const std::optional<std::string_view> upgrade = FieldValue(header, "Upgrade");
    const std::optional<std::string_view> connection = FieldValue(header, "Connection");
    const std::optional<std::string_view> accept = FieldValue(header, "Sec-WebSocket-Accept");
    if (!upgrade || !SameIgnoringCase(*upgrade, "websocket")) {
        Refuse("no Upgrade: websocket");
    } else if (!connection || !ListHolds(*connection, "Upgrade")) {
        Refuse("no Connection: Upgrade");
    } else if (!accept) {
        Refuse("no Sec-WebSocket-Accept");
    } else if (*accept != m_accept) {
        Refuse("wrong Sec-WebSocket-Accept");
    } else if (!FieldValue(header, "Sec-WebSocket-Extensions").value_or("").empty()) {
        Refuse("the server chose an extension we did not ask for");
    } else if (!FieldValue(header, "Sec-WebSocket-Protocol").value_or("").empty()) {
        Refuse("the server chose a subprotocol we did not ask for");
    } else {
        m_state = HandshakeState::Accepted;
    }
}

void HandshakeReader::Refuse(std::string reason) {
    m_state = HandshakeState::Refused;
    m_reason = std::move(reason);
    m_header = std::string();
    m_rest = std::string();
}

std::string EncodeFrame(Opcode opcode, std::string_view payload, std::array<std::uint8_t, 4> mask) {
    std::string frame;
    frame.reserve(payload.size() + 14);
    frame += static_cast<char>(0x80U | static_cast<unsigned>(opcode));
    const std::uint64_t size = payload.size();
    int lengthBytes = 0;  // after the second byte
    if (size < 126) {
        frame += static_cast<char>(0x80U | size);
    } else if (size <= 0xFFFF) {
        frame += static_cast<char>(0x80U | 126U);
        lengthBytes = 2;
    } else {
        frame += static_cast<char>(0x80U | 127U);
        lengthBytes = 8;
    }
    for (int i = lengthBytes - 1; i >= 0; --i) {
        frame += static_cast<char>((size >> (8U * static_cast<unsigned>(i))) & 0xFFU);
    }
    for (const std::uint8_t byte : mask) {
        frame += static_cast<char>(byte);
    }
    for (std::size_t i = 0; i < payload.size(); ++i) {
        frame += static_cast<char>(static_cast<std::uint8_t>(payload[i]) ^ mask[i % 4]);
    }
    return frame;
}

void FrameReader::Feed(std::string_view bytes) {
    while (m_state == FrameState::Reading) {
        if (!m_inPayload) {
            if (!ReadHeader(bytes)) {
                return;  // the header is not whole yet, or it is wrong
            }
            m_inPayload = true;
        }
        const std::size_t take = static_cast<std::size_t>(std::min<std::uint64_t>(m_left, bytes.size()));
        (IsControl(m_opcode) ? m_control : m_text).append(bytes.substr(0, take));
        bytes.remove_prefix(take);
        m_left -= take;
        if (m_left > 0) {
            return;
        }
        m_inPayload = false;
        m_headBytes = 0;
        EndFrame();
    }
}

bool FrameReader::ReadHeader(std::string_view& bytes) {
    while (!bytes.empty()) {
        m_head[m_headBytes++] = static_cast<std::uint8_t>(bytes.front());
        bytes.remove_prefix(1);
        if (m_headBytes == 2) {
            std::string error = StartError(m_head[0], m_head[1], m_fragmented);
            if (!error.empty()) {
                Fail(std::move(error));
                return false;
            }
        }
        if (m_headBytes < 2 || m_headBytes < HeadSize(m_head[1])) {
            continue;
        }
        m_opcode = static_cast<Opcode>(m_head[0] & 0x0FU);
        m_final = (m_head[0] & 0x80U) != 0;
        m_left = m_head[1] & 0x7FU;
        if (m_headBytes > 2) {
            m_left = 0;
            for (std::size_t i = 2; i < m_headBytes; ++i) {
                m_left = (m_left << 8U) | m_head[i];
            }
        }
        // Control frames are short by their first two bytes; a text frame must fit what is left.
        if (!IsControl(m_opcode) && m_left > kMaxMessageBytes - m_text.size()) {
            Fail("message over 16 MiB");
            m_oversized = true;
            return false;
        }
        if (!IsControl(m_opcode)) {
            m_text.reserve(m_text.size() + static_cast<std::size_t>(m_left));  // no doubling past what comes
        }
        return true;
    }
    return false;
}

void FrameReader::EndFrame() {
    if (!IsControl(m_opcode)) {
        m_fragmented = !m_final;
        if (m_fragmented) {
            return;
        }
        if (!IsUtf8(m_text)) {
            Fail("text not valid UTF-8");
            return;
        }
        m_ready.push_back(Message{Message::Kind::Text, std::move(m_text), std::nullopt});
        m_text.clear();
        ++m_completed;
        return;
    }
    Message message;
    message.kind = m_opcode == Opcode::Ping   ? Message::Kind::Ping
                   : m_opcode == Opcode::Pong ? Message::Kind::Pong
                                              : Message::Kind::Close;
    message.payload = std::move(m_control);
    m_control.clear();
    if (message.kind == Message::Kind::Close) {
        // A close carries nothing, or a two-byte status code and then a UTF-8 reason.
        if (message.payload.size() == 1) {
            Fail("close frame of one byte");
            return;
        }
        if (!message.payload.empty()) {
            message.closeCode = static_cast<std::uint16_t>((static_cast<std::uint8_t>(message.payload[0]) << 8U) |
                                                           static_cast<std::uint8_t>(message.payload[1]));
            message.payload.erase(0, 2);
        }
        if (!IsUtf8(message.payload)) {
            Fail("close reason not valid UTF-8");
            return;
        }
        m_state = FrameState::Closed;
        m_text = std::string();
    }
    m_ready.push_back(std::move(message));
    ++m_completed;
}

void FrameReader::Fail(std::string error) {
    m_state = FrameState::Failed;
    m_error = std::move(error);
    m_text = std::string();
    m_control = std::string();
}

bool FrameReader::Next(Message& message) {
    if (m_readyFirst == m_ready.size()) {
        return false;
    }
    message = std::move(m_ready[m_readyFirst++]);
    if (m_readyFirst == m_ready.size()) {
        m_ready.clear();
        m_readyFirst = 0;
    }
    return true;
}

void FrameReader::Reset() {
    *this = FrameReader();
}

}  // namespace sayvane::remote
