// The WebSocket client's handshake and frame readers as a broken or hostile server may feed
// them: the same bytes read whole or cut anywhere must end the same way, messages must stay
// within bounds and be UTF-8, and a frame written to the server must carry its payload.
#include "FuzzSupport.h"
#include "teamspeak/remote/RemoteMessages.h"
#include "teamspeak/remote/RemoteModel.h"
#include "teamspeak/remote/WebSocket.h"

namespace {

using namespace sayvane::remote;

const std::string kKey = "dGhlIHNhbXBsZSBub25jZQ==";

// `bytes` cut at the points the input picks.
std::vector<std::string_view> Pieces(FuzzedDataProvider& in, std::string_view bytes) {
    std::vector<std::string_view> pieces;
    for (std::size_t at = 0; at < bytes.size();) {
        const std::size_t length = in.ConsumeIntegralInRange<std::size_t>(1, bytes.size() - at);
        pieces.push_back(bytes.substr(at, length));
        at += length;
    }
    return pieces;
}

void CheckHandshake(FuzzedDataProvider& in) {
    // Mostly the bytes start with a good answer, whole (so what follows is a frame's) or
    // without its end (so more fields follow).
    const std::string good =
        "HTTP/1.1 101 Switching Protocols\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
        "Sec-WebSocket-Accept: s3pPLMBiTxaQ9kYGzzhZRbK+xOo=\r\n";
    const std::string start = in.PickValueInArray({std::string(), good, good + "\r\n"});
    const std::string bytes = start + in.ConsumeRandomLengthString(1 << 15);
    HandshakeReader whole(kKey);
    HandshakeReader pieces(kKey);
    whole.Feed(bytes);
    for (const std::string_view piece : Pieces(in, bytes)) {
        pieces.Feed(piece);
    }
    FUZZ_CHECK(whole.State() == pieces.State());
    FUZZ_CHECK(whole.Reason() == pieces.Reason());
    FUZZ_CHECK(whole.Rest() == pieces.Rest());
    FUZZ_CHECK((whole.State() == HandshakeState::Refused) == !whole.Reason().empty());
    if (whole.State() == HandshakeState::Accepted) {
        // What is kept is exactly what follows the header's first empty line.
        const std::size_t end = bytes.find("\r\n\r\n");
        FUZZ_CHECK(end != std::string::npos && end + 4 <= HandshakeReader::kMaxHeaderBytes);
        FUZZ_CHECK(whole.Rest() == bytes.substr(end + 4));
    }
}

std::vector<Message> ReadAll(FrameReader& reader) {
    std::vector<Message> messages;
    for (Message message; reader.Next(message);) {
        messages.push_back(message);
    }
    return messages;
}

void CheckFrames(FuzzedDataProvider& in) {
    const std::string bytes = in.ConsumeRandomLengthString(1 << 16);
    FrameReader whole;
    FrameReader pieces;
    whole.Feed(bytes);
    std::vector<Message> cut;
    for (const std::string_view piece : Pieces(in, bytes)) {
        pieces.Feed(piece);
        // Taking messages as they come must not change them.
        const std::vector<Message> some = ReadAll(pieces);
        cut.insert(cut.end(), some.begin(), some.end());
    }
    const std::vector<Message> read = ReadAll(whole);
    sayvane::remote::RemoteModel model;
    FUZZ_CHECK(whole.State() == pieces.State() && whole.Error() == pieces.Error());
    FUZZ_CHECK((whole.State() == FrameState::Failed) == !whole.Error().empty());
    FUZZ_CHECK(read.size() == cut.size());
    for (std::size_t i = 0; i < read.size(); ++i) {
        const Message& m = read[i];
        FUZZ_CHECK(m.kind == cut[i].kind && m.payload == cut[i].payload && m.closeCode == cut[i].closeCode);
        FUZZ_CHECK(m.payload.size() <= FrameReader::kMaxMessageBytes);
        const bool control = m.kind != Message::Kind::Text;
        FUZZ_CHECK(!control || m.payload.size() <= FrameReader::kMaxControlBytes);
        FUZZ_CHECK(m.kind == Message::Kind::Ping || m.kind == Message::Kind::Pong || fuzz::IsWellFormedUtf8(m.payload));
        FUZZ_CHECK(m.kind == Message::Kind::Close || !m.closeCode);
        // A text message goes on to the JSON reader and the server model, which must take any
        // text without throwing and keep their answers well-formed.
        if (m.kind == Message::Kind::Text) {
            if (const auto message = sayvane::remote::ParseMessage(m.payload)) {
                FUZZ_CHECK(message->payload.is_object());
                model.Apply(*message);
                std::vector<std::int32_t> speakers = model.Tabs().TakeSpeakers();
                std::sort(speakers.begin(), speakers.end());
                FUZZ_CHECK(std::adjacent_find(speakers.begin(), speakers.end()) == speakers.end());
            }
        }
        // Only the last message may be a close, and after it the reader is closed.
        FUZZ_CHECK((m.kind == Message::Kind::Close) == (i + 1 == read.size() && whole.State() == FrameState::Closed));
    }
}

// A frame from the client as the server would send it: the mask bit cleared, the key (which
// must be the given mask) dropped and the payload unmasked.
std::string Unmasked(std::string_view frame, const std::array<std::uint8_t, 4>& mask) {
    const unsigned field = static_cast<std::uint8_t>(frame[1]) & 0x7FU;
    const std::size_t head = field == 127 ? 10 : field == 126 ? 4 : 2;
    FUZZ_CHECK((frame[1] & 0x80) != 0 && frame.size() >= head + 4);
    for (std::size_t i = 0; i < 4; ++i) {
        FUZZ_CHECK(static_cast<std::uint8_t>(frame[head + i]) == mask[i]);
    }
    std::string out(frame.substr(0, head));
    out[1] = static_cast<char>(field);
    for (std::size_t i = head + 4; i < frame.size(); ++i) {
        out += static_cast<char>(frame[i] ^ mask[(i - head - 4) % 4]);
    }
    // The length takes the shortest of its three forms.
    FUZZ_CHECK(out.size() - head >= (head == 10 ? 0x10000U : head == 4 ? 126U : 0U));
    return out;
}

void CheckEncoding(FuzzedDataProvider& in) {
    const auto opcode = in.PickValueInArray(
        {Opcode::Continuation, Opcode::Text, Opcode::Binary, Opcode::Close, Opcode::Ping, Opcode::Pong});
    std::array<std::uint8_t, 4> mask{};
    for (std::uint8_t& byte : mask) {
        byte = in.ConsumeIntegral<std::uint8_t>();
    }
    // Padded now and then to reach the 16- and 64-bit length forms and their edges.
    const std::size_t pad = in.PickValueInArray<std::size_t>({0, 0, 0, 100, 65000, 65536});
    const std::string payload = std::string(pad, 'x') + in.ConsumeRandomLengthString(1 << 12);
    const std::string frame = EncodeFrame(opcode, payload, mask);
    FUZZ_CHECK(static_cast<std::uint8_t>(frame[0]) == (0x80U | static_cast<unsigned>(opcode)));

    // Read back by the client; frames it would refuse (binary, continuation without a start,
    // control frames over 125 bytes) are read back as text instead.
    std::string server = Unmasked(frame, mask);
    if (opcode == Opcode::Binary || opcode == Opcode::Continuation || payload.size() > FrameReader::kMaxControlBytes) {
        server[0] = static_cast<char>(0x81);
    }
    FrameReader reader;
    reader.Feed(server);
    Message message;
    const bool got = reader.Next(message);
    const std::string_view reason = std::string_view(payload).substr(std::min<std::size_t>(2, payload.size()));
    const auto sent = static_cast<Opcode>(server[0] & 0x0F);
    switch (sent) {
        case Opcode::Close: {
            const bool wellFormed = payload.size() != 1 && fuzz::IsWellFormedUtf8(reason);
            FUZZ_CHECK(got == wellFormed && (reader.State() == FrameState::Closed) == wellFormed);
            FUZZ_CHECK(!got || (message.payload == reason && message.closeCode.has_value() == !payload.empty()));
            break;
        }
        case Opcode::Ping:
        case Opcode::Pong:
            FUZZ_CHECK(got && message.payload == payload && reader.State() == FrameState::Reading);
            FUZZ_CHECK(message.kind == (sent == Opcode::Ping ? Message::Kind::Ping : Message::Kind::Pong));
            break;
        default:
            FUZZ_CHECK(got == fuzz::IsWellFormedUtf8(payload) &&
                       (!got || (message.kind == Message::Kind::Text && message.payload == payload)));
            break;
    }
}

}  // namespace

void sayvane::fuzz::FuzzOne(FuzzedDataProvider& in) {
    switch (in.ConsumeIntegralInRange(0, 2)) {
        case 0: CheckHandshake(in); break;
        case 1: CheckFrames(in); break;
        default: CheckEncoding(in); break;
    }
}
