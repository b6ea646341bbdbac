// Decoding of the remote-control library's byte records: integers, names, and the texts of
// every flag, privilege and codec value. fuzz/fuzz_ts_records.cpp checks every name field
// against its bytes.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "teamspeak/TsRecords.h"

namespace sayvane {
namespace {

using namespace std::string_literals;

TEST(BytesToLong, ReadsFourBytesLeastSignificantFirst) {
    struct Case {
        std::array<std::uint8_t, 4> bytes;
        std::int32_t expected;
    };
    const Case cases[] = {
        {{0xFF, 0xFF, 0xFF, 0xFF}, -1},
        {{0x01, 0x00, 0x00, 0x00}, 1},
        {{0x00, 0x00, 0x00, 0x00}, 0},
        {{0x00, 0x01, 0x00, 0x00}, 256},
        {{0x78, 0x56, 0x34, 0x12}, 0x12345678},
        {{0xFF, 0xFF, 0xFF, 0x7F}, 2147483647},
        {{0x00, 0x00, 0x00, 0x80}, -2147483647 - 1},
        {{0x18, 0xFC, 0xFF, 0xFF}, -1000},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(BytesToLong(c.bytes[0], c.bytes[1], c.bytes[2], c.bytes[3]), c.expected);
        EXPECT_EQ(BytesToLong(c.bytes.data()), c.expected);
    }
}

TEST(BitFieldTexts, EachSetBitIsNamedInBitOrder) {
    using TextOf = std::string (*)(std::int32_t);
    struct Case {
        TextOf text;
        std::int32_t value;
        const char* expected;
    };
    const char* const allChannelFlags = "Registered,Unregistered,Moderated,Password,Hierarchical,Default";
    const Case cases[] = {
        {ChannelFlagText, 0, ""},
        {ChannelFlagText, 21, "Registered,Moderated,Hierarchical"},
        {ChannelFlagText, 42, "Unregistered,Password,Default"},
        {ChannelFlagText, 63, allChannelFlags},
        {ChannelFlagText, 64, ""},  // bits above the listed ones add nothing
        {ChannelFlagText, 64 | 4, "Moderated"},
        {ChannelFlagText, -1, allChannelFlags},
        {ChannelPrivilegeText, 0, "none"},
        {ChannelPrivilegeText, 21, "Admin,Auto-Operator,Auto-Voice"},
        {ChannelPrivilegeText, 10, "Operator,Voice"},
        {ChannelPrivilegeText, 32, "none"},
        {ChannelPrivilegeText, 32 | 8, "Voice"},
        // The server's privileges always end in Registered or Unregistered.
        {ServerPrivilegeText, 0, "Unregistered"},
        {ServerPrivilegeText, 8, "Registered"},
        {ServerPrivilegeText, 5, "SuperServerAdmin,CanRegister,Unregistered"},
        {ServerPrivilegeText, 15, "SuperServerAdmin,ServerAdmin,CanRegister,Registered"},
        {ServerPrivilegeText, 16, "Unregistered"},
        {ServerPrivilegeText, 16 | 8 | 2, "ServerAdmin,Registered"},
        {PlayerFlagText, 0, "none"},
        {PlayerFlagText, 85, "ChannelCommander,NoWhisper,InputMuted,Recording"},
        {PlayerFlagText, 42, "WantVoice,Away,OutputMuted"},
        {PlayerFlagText, 128, "none"},
        {PlayerFlagText, 128 | 16, "InputMuted"},
        // Codecs 0 to 12 have names, the rest numbers.
        {CodecText, 0, "CELP 5.1 Kbit"},
        {CodecText, 4, "CELP Windows 5.2 Kbit"},
        {CodecText, 12, "Speex 25.9 Kbit"},
        {CodecText, 13, "Unknown codec 13"},
        {CodecText, -1, "Unknown codec -1"},
        {CodecText, 2147483647, "Unknown codec 2147483647"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.text(c.value), c.expected) << "case " << &c - cases << ", value " << c.value;
    }
}

// A record written byte by byte, as the library lays it out.
std::vector<std::uint8_t> Bytes(std::initializer_list<std::pair<std::size_t, std::string>> parts, std::size_t size) {
    std::vector<std::uint8_t> record(size, 0);
    for (const auto& [offset, bytes] : parts) {
        std::copy(bytes.begin(), bytes.end(), record.begin() + static_cast<std::ptrdiff_t>(offset));
    }
    return record;
}

TEST(DecodeRecords, ReadEveryFieldAtItsOffset) {
    const auto channel = Bytes({{0, "\x07\x00\x00\x00"s},
                                {4, "\xFF\xFF\xFF\xFF"s},
                                {8, "\x03\x00\x00\x00"s},
                                {12, "\x09\x00\x00\x00"s},
                                {16, "\x0C\x00\x00\x00"s},
                                {20, "Caf\xE9 EDDF\0junk"s}},  // ANSI bytes kept, none after the NUL
                               50);
    EXPECT_EQ(DecodeChannelRecord(channel.data()),
              (ChannelEntry{7, -1, 3, "Registered,Password", "Speex 25.9 Kbit", "Caf\xE9 EDDF"}));
    const auto player = Bytes({{0, "\x0C\x00\x00\x00"s},
                               {4, "\x07\x00\x00\x00"s},
                               {8, "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123"s},  // 30 bytes, no NUL: all of them
                               {38, "\x01\x00\x00\x00"s},
                               {42, "\x05\x00\x00\x00"s},
                               {46, "\x09\x00\x00\x00"s}},
                              50);
    EXPECT_EQ(DecodePlayerRecord(player.data()),
              (PlayerEntry{12, 7, "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123", "Admin",
                           "SuperServerAdmin,CanRegister,Unregistered", "ChannelCommander,Away"}));

    // All-zero records give the empty texts.
    const std::vector<std::uint8_t> zero(50, 0);
    EXPECT_EQ(DecodePlayerRecord(zero.data()), (PlayerEntry{0, 0, "", "none", "Unregistered", "none"}));
    EXPECT_EQ(DecodeChannelRecord(zero.data()), (ChannelEntry{0, 0, 0, "", "CELP 5.1 Kbit", ""}));
}

}  // namespace
}  // namespace sayvane
