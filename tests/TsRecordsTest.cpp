// Decoding of the remote-control library's byte records: integers, names, and the texts of
// every flag, privilege and codec value.
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

std::vector<std::uint8_t> Field(const std::string& bytes) {
    std::vector<std::uint8_t> field(kNameSize + 8, 0xAA);  // guard bytes past the field
    std::fill_n(field.begin(), kNameSize, 0);
    std::copy(bytes.begin(), bytes.end(), field.begin());
    return field;
}

TEST(DecodeName, CutsAtTheFirstNulOrAfterThirtyBytes) {
    EXPECT_EQ(DecodeName(Field("DLH4AB").data()), "DLH4AB");
    EXPECT_EQ(DecodeName(Field("").data()), "");
    // Thirty bytes and no NUL: all thirty, nothing of what follows the field.
    const std::string thirty = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123";
    ASSERT_EQ(thirty.size(), kNameSize);
    EXPECT_EQ(DecodeName(Field(thirty).data()), thirty);
    // Bytes after the first NUL are ignored.
    EXPECT_EQ(DecodeName(Field("EDDF\0TWR junk"s).data()), "EDDF");
    // ANSI bytes stay as they are.
    EXPECT_EQ(DecodeName(Field("J\xFCrgen \xC9t\xE9").data()), "J\xFCrgen \xC9t\xE9");
}

struct TextCase {
    std::int32_t value;
    std::string expected;
};

TEST(ChannelFlagText, EachBitInOrderWithoutTheLastComma) {
    const TextCase cases[] = {
        {0, ""},
        {1, "Registered"},
        {2, "Unregistered"},
        {4, "Moderated"},
        {8, "Password"},
        {16, "Hierarchical"},
        {32, "Default"},
        {9, "Registered,Password"},
        {63, "Registered,Unregistered,Moderated,Password,Hierarchical,Default"},
        {64, ""},  // bits above the listed ones add nothing
        {64 | 4, "Moderated"},
        {-1, "Registered,Unregistered,Moderated,Password,Hierarchical,Default"},
    };
    for (const TextCase& c : cases) {
        EXPECT_EQ(ChannelFlagText(c.value), c.expected) << "flags " << c.value;
    }
}

TEST(CodecText, NamesCodecsZeroToTwelveAndNumbersTheRest) {
    const TextCase cases[] = {
        {0, "CELP 5.1 Kbit"},         {1, "CELP 6.3 Kbit"},
        {2, "GSM 14.8 Kbit"},         {3, "GSM 16.4 Kbit"},
        {4, "CELP Windows 5.2 Kbit"}, {5, "Speex 3.4 Kbit"},
        {6, "Speex 5.2 Kbit"},        {7, "Speex 7.2 Kbit"},
        {8, "Speex 9.3 Kbit"},        {9, "Speex 12.3 Kbit"},
        {10, "Speex 16.3 Kbit"},      {11, "Speex 19.5 Kbit"},
        {12, "Speex 25.9 Kbit"},      {13, "Unknown codec 13"},
        {-1, "Unknown codec -1"},     {2147483647, "Unknown codec 2147483647"},
    };
    for (const TextCase& c : cases) {
        EXPECT_EQ(CodecText(c.value), c.expected) << "codec " << c.value;
    }
}

TEST(ChannelPrivilegeText, NoneWhenNoListedBitIsSet) {
    const TextCase cases[] = {
        {0, "none"},
        {1, "Admin"},
        {2, "Operator"},
        {4, "Auto-Operator"},
        {8, "Voice"},
        {16, "Auto-Voice"},
        {31, "Admin,Operator,Auto-Operator,Voice,Auto-Voice"},
        {32, "none"},
        {32 | 8, "Voice"},
    };
    for (const TextCase& c : cases) {
        EXPECT_EQ(ChannelPrivilegeText(c.value), c.expected) << "privileges " << c.value;
    }
}

TEST(ServerPrivilegeText, AlwaysEndsInRegisteredOrUnregistered) {
    const TextCase cases[] = {
        {0, "Unregistered"},
        {8, "Registered"},
        {1, "SuperServerAdmin,Unregistered"},
        {2, "ServerAdmin,Unregistered"},
        {4, "CanRegister,Unregistered"},
        {5, "SuperServerAdmin,CanRegister,Unregistered"},
        {15, "SuperServerAdmin,ServerAdmin,CanRegister,Registered"},
        {16, "Unregistered"},
        {16 | 8 | 2, "ServerAdmin,Registered"},
    };
    for (const TextCase& c : cases) {
        EXPECT_EQ(ServerPrivilegeText(c.value), c.expected) << "privileges " << c.value;
    }
}

TEST(PlayerFlagText, NoneWhenNoListedBitIsSet) {
    const TextCase cases[] = {
        {0, "none"},
        {1, "ChannelCommander"},
        {2, "WantVoice"},
        {4, "NoWhisper"},
        {8, "Away"},
        {16, "InputMuted"},
        {32, "OutputMuted"},
        {64, "Recording"},
        {9, "ChannelCommander,Away"},
        {127, "ChannelCommander,WantVoice,NoWhisper,Away,InputMuted,OutputMuted,Recording"},
        {128, "none"},
        {128 | 16, "InputMuted"},
    };
    for (const TextCase& c : cases) {
        EXPECT_EQ(PlayerFlagText(c.value), c.expected) << "flags " << c.value;
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

TEST(DecodeChannelRecord, ReadsEveryFieldAtItsOffset) {
    const auto record = Bytes({{0, "\x07\x00\x00\x00"s},
                               {4, "\xFF\xFF\xFF\xFF"s},
                               {8, "\x03\x00\x00\x00"s},
                               {12, "\x09\x00\x00\x00"s},
                               {16, "\x0C\x00\x00\x00"s},
                               {20, "EDDF_APP"s}},
                              50);
    const ChannelEntry entry = DecodeChannelRecord(record.data());
    EXPECT_EQ(entry.channelId, 7);
    EXPECT_EQ(entry.second, -1);
    EXPECT_EQ(entry.third, 3);
    EXPECT_EQ(entry.flags, "Registered,Password");
    EXPECT_EQ(entry.codec, "Speex 25.9 Kbit");
    EXPECT_EQ(entry.name, "EDDF_APP");
}

TEST(DecodePlayerRecord, ReadsEveryFieldAtItsOffset) {
    const auto record = Bytes({{0, "\x0C\x00\x00\x00"s},
                               {4, "\x07\x00\x00\x00"s},
                               {8, "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123"s},  // 30 bytes, no NUL
                               {38, "\x01\x00\x00\x00"s},
                               {42, "\x05\x00\x00\x00"s},
                               {46, "\x09\x00\x00\x00"s}},
                              50);
    const PlayerEntry entry = DecodePlayerRecord(record.data());
    EXPECT_EQ(entry.playerId, 12);
    EXPECT_EQ(entry.channelId, 7);
    EXPECT_EQ(entry.name, "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123");
    EXPECT_EQ(entry.channelPrivileges, "Admin");
    EXPECT_EQ(entry.serverPrivileges, "SuperServerAdmin,CanRegister,Unregistered");
    EXPECT_EQ(entry.flags, "ChannelCommander,Away");
}

TEST(DecodePlayerRecord, AllZeroRecordGivesTheEmptyTexts) {
    const std::vector<std::uint8_t> record(50, 0);
    const PlayerEntry entry = DecodePlayerRecord(record.data());
    EXPECT_EQ(entry, (PlayerEntry{0, 0, "", "none", "Unregistered", "none"}));
    const ChannelEntry channel = DecodeChannelRecord(record.data());
    EXPECT_EQ(channel, (ChannelEntry{0, 0, 0, "", "CELP 5.1 Kbit", ""}));
}

}  // namespace
}  // namespace sayvane
