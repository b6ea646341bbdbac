// The WebSocket client as bytes: the accept key, the handshake answer read split anywhere and
// each refusal, frames written to the server, and messages read back.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "teamspeak/remote/WebSocket.h"

namespace sayvane::remote {
namespace {

// A frame as the server sends it: unmasked, with the shortest length field.
std::string ServerFrame(std::uint8_t first, std::string_view payload) {
    std::string frame(1, static_cast<char>(first));
    const std::uint64_t size = payload.size();
    const int lengthBytes = size < 126 ? 0 : size <= 0xFFFF ? 2 : 8;
    frame += static_cast<char>(lengthBytes == 0 ? size : lengthBytes == 2 ? 126 : 127);
    for (int i = lengthBytes - 1; i >= 0; --i) {
        frame += static_cast<char>(size >> (8 * i));
    }
    return frame + std::string(payload);
}

std::vector<Message> ReadAll(FrameReader& reader) {
    std::vector<Message> messages;
    for (Message message; reader.Next(message);) {
        messages.push_back(message);
    }
    return messages;
}

const std::string kKey = "dGhlIHNhbXBsZSBub25jZQ==";
const std::string kAnswer =
    "HTTP/1.1 101 Switching Protocols\r\nupgrade: WebSocket\r\nConnection: keep-alive, upgrade\r\n"
    "Sec-WebSocket-Accept: s3pPLMBiTxaQ9kYGzzhZRbK+xOo=\r\n\r\n";

TEST(WebSocketHandshake, TheAcceptKeyAndTheRequest) {
    // RFC 6455's example.
    EXPECT_EQ(AcceptKey(kKey), "s3pPLMBiTxaQ9kYGzzhZRbK+xOo=");
    EXPECT_EQ(HandshakeRequest(5899, kKey),
              "GET / HTTP/1.1\r\nHost: 127.0.0.1:5899\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
              "Sec-WebSocket-Key: " +
                  kKey + "\r\nSec-WebSocket-Version: 13\r\n\r\n");
}

TEST(WebSocketHandshake, AnAnswerSplitAnywhereIsAcceptedAndKeepsWhatFollows) {
    const std::string stream = kAnswer + "\x81\x02hi";
    for (std::size_t cut = 0; cut <= stream.size(); ++cut) {
        HandshakeReader reader(kKey);
        reader.Feed(stream.substr(0, cut));
        EXPECT_EQ(reader.Feed(stream.substr(cut)), HandshakeState::Accepted) << cut << reader.Reason();
        EXPECT_EQ(reader.Rest(), "\x81\x02hi") << cut;
    }
}

TEST(WebSocketHandshake, EachRefusalSaysWhy) {
    const std::pair<std::string, std::string> cases[] = {
        {"HTTP/1.1 400 Bad Request\r\n\r\n", "answered: HTTP/1.1 400"},
        {"HTTP/1.1 101 OK\r\nConnection: Upgrade\r\n\r\n", "no Upgrade"},
        {"HTTP/1.1 101 OK\r\nUpgrade: websocket\r\nConnection: close\r\n\r\n", "no Connection"},
        {"HTTP/1.1 101 OK\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n\r\n", "no Sec-WebSocket-Accept"},
        {"HTTP/1.1 101 OK\r\nUpgrade: websocket\r\nConnection: Upgrade\r\nSec-WebSocket-Accept: x\r\n\r\n", "wrong"},
        {kAnswer.substr(0, kAnswer.size() - 2) + "Sec-WebSocket-Extensions: permessage-deflate\r\n\r\n", "extension"},
        {kAnswer.substr(0, kAnswer.size() - 2) + "Sec-WebSocket-Protocol: chat\r\n\r\n", "subprotocol"},
        {"HTTP/1.1 101 OK\r\nX: " + std::string(HandshakeReader::kMaxHeaderBytes, 'x'), "over 16 KiB"},
    };
    for (const auto& [answer, reason] : cases) {
        HandshakeReader reader(kKey);
        EXPECT_EQ(reader.Feed(answer + "\x81\x00"), HandshakeState::Refused) << answer.substr(0, 60);
        EXPECT_NE(reader.Reason().find(reason), std::string::npos) << reader.Reason();
        EXPECT_EQ(reader.Rest(), "");
    }
}

TEST(WebSocketFrames, EncodingsOfEachLengthAreMaskedWithTheGivenMask) {
    const std::array<std::uint8_t, 4> mask = {0x37, 0xFA, 0x21, 0x3D};
    EXPECT_EQ(EncodeFrame(Opcode::Text, "Hello", mask), "\x81\x85\x37\xFA\x21\x3D\x7F\x9F\x4D\x51\x58");
    const std::pair<std::size_t, std::string> cases[] = {
        {0, std::string("\x8A\x80", 2)},
        {125, "\x8A\xFD"},
        {126, std::string("\x8A\xFE\x00\x7E", 4)},
        {65535, "\x8A\xFE\xFF\xFF"},
        {65536, std::string("\x8A\xFF\x00\x00\x00\x00\x00\x01\x00\x00", 10)}};
    for (const auto& [size, head] : cases) {
        const std::string payload(size, 'p');
        const std::string frame = EncodeFrame(Opcode::Pong, payload, mask);
        ASSERT_EQ(frame.size(), head.size() + 4 + size);
        EXPECT_EQ(frame.substr(0, head.size()), head) << size;
        EXPECT_EQ(frame.substr(head.size(), 4), "\x37\xFA\x21\x3D");
        for (std::size_t i = 0; i < size; ++i) {
            ASSERT_EQ(static_cast<std::uint8_t>(frame[head.size() + 4 + i]), 'p' ^ mask[i % 4]) << size << " " << i;
        }
    }
}

TEST(WebSocketFrames, FragmentsAndControlFramesSplitAnywhereReadTheSame) {
    const std::string text(300, 'a');
    const std::string stream = ServerFrame(0x01, "Hello \xE2\x82") + ServerFrame(0x89, "ping") +
                               ServerFrame(0x80, "\xAC") + ServerFrame(0x81, text) + ServerFrame(0x8A, "") +
                               ServerFrame(0x88, "\x03\xE8\x62ye") + ServerFrame(0x81, "after");
    for (std::size_t cut = 0; cut <= stream.size(); ++cut) {
        FrameReader reader;
        reader.Feed(stream.substr(0, cut));
        reader.Feed(stream.substr(cut));
        const std::vector<Message> got = ReadAll(reader);
        ASSERT_EQ(got.size(), 5U) << cut;
        EXPECT_EQ(got[0].kind, Message::Kind::Ping);
        EXPECT_EQ(got[0].payload, "ping");
        EXPECT_EQ(got[1].payload, "Hello \xE2\x82\xAC");
        EXPECT_EQ(got[2].payload, text);
        EXPECT_EQ(got[3].kind, Message::Kind::Pong);
        EXPECT_EQ(got[4].kind, Message::Kind::Close);
        EXPECT_EQ(got[4].closeCode, 1000);
        EXPECT_EQ(got[4].payload, "bye");
        EXPECT_EQ(reader.State(), FrameState::Closed);
    }
    // A message of exactly the limit, in two frames with a 64-bit and a 16-bit length.
    FrameReader reader;
    reader.Feed(ServerFrame(0x01, std::string(FrameReader::kMaxMessageBytes - 200, 'b')));
    reader.Feed(ServerFrame(0x80, std::string(200, 'c')));
    const std::vector<Message> got = ReadAll(reader);
    ASSERT_EQ(got.size(), 1U);
    EXPECT_EQ(got[0].payload.size(), FrameReader::kMaxMessageBytes);
    EXPECT_EQ(reader.State(), FrameState::Reading);
}

TEST(WebSocketFrames, EachProtocolErrorEndsTheReader) {
    const std::string full = ServerFrame(0x01, std::string(FrameReader::kMaxMessageBytes, 'x'));
    const std::pair<std::string, std::string> cases[] = {
        {"\x81\x81\x01\x02\x03\x04x", "masked"},
        {ServerFrame(0xC1, "x"), "reserved"},
        {ServerFrame(0x83, "x"), "unknown opcode 3"},
        {ServerFrame(0x82, "x"), "binary"},
        {ServerFrame(0x09, "x"), "fragmented control"},
        {ServerFrame(0x89, std::string(126, 'x')), "over 125"},
        {ServerFrame(0x80, "x"), "continuation without a start"},
        {ServerFrame(0x01, "x") + ServerFrame(0x81, "y"), "new message inside"},
        {std::string("\x81\x7F\x00\x00\x00\x00\x01\x00\x00\x01", 10), "over 16 MiB"},
        {std::string("\x81\x7F\x80\x00\x00\x00\x00\x00\x00\x00", 10), "over 16 MiB"},
        {full + ServerFrame(0x80, "x"), "over 16 MiB"},
        {ServerFrame(0x88, "\x03"), "one byte"},
        {ServerFrame(0x88, "\x03\xE8\xC0\xAF"), "close reason"},
        {ServerFrame(0x81, "ok\xC0\x80"), "UTF-8"},  // overlong; the other forms in Utf8Test.cpp
    };
    for (const auto& [bytes, error] : cases) {
        FrameReader reader;
        reader.Feed(bytes + ServerFrame(0x81, "later"));
        EXPECT_EQ(reader.State(), FrameState::Failed) << error;
        EXPECT_NE(reader.Error().find(error), std::string::npos) << reader.Error();
        EXPECT_TRUE(ReadAll(reader).empty()) << error;
    }
}

}  // namespace
}  // namespace sayvane::remote
