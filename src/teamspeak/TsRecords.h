// The remote-control library's packed byte records, their decoding into entries, and the
// texts of their flag, privilege and codec fields.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace sayvane {

// Records are packed, integers 32-bit signed little-endian, names 30 bytes of ANSI text
// padded with NUL bytes. Offsets in bytes from the start of a record.
inline constexpr std::size_t kNameSize = 30;

namespace RawChannelRecord {
inline constexpr std::size_t kSize = 50;
inline constexpr std::size_t kChannelId = 0;
inline constexpr std::size_t kSecond = 4;  // carried into the entry, not interpreted
inline constexpr std::size_t kThird = 8;   // carried into the entry, not interpreted
inline constexpr std::size_t kFlags = 12;
inline constexpr std::size_t kCodec = 16;
inline constexpr std::size_t kName = 20;
}  // namespace RawChannelRecord

namespace RawPlayerRecord {
inline constexpr std::size_t kSize = 50;
inline constexpr std::size_t kPlayerId = 0;
inline constexpr std::size_t kChannelId = 4;
inline constexpr std::size_t kName = 8;
inline constexpr std::size_t kChannelPrivileges = 38;
inline constexpr std::size_t kServerPrivileges = 42;
inline constexpr std::size_t kFlags = 46;
}  // namespace RawPlayerRecord

namespace UserInfoRecord {
inline constexpr std::size_t kSize = 150;
inline constexpr std::size_t kNickname = 8;  // the only field read
}  // namespace UserInfoRecord

// The most records (or speaker IDs) one call asks for.
inline constexpr std::int32_t kMaxRecords = 1024;

struct ChannelEntry {
    std::int32_t channelId = 0;
    std::int32_t second = 0;
    std::int32_t third = 0;
    std::string flags;
    std::string codec;
    std::string name;

    friend bool operator==(const ChannelEntry& a, const ChannelEntry& b) {
        return a.channelId == b.channelId && a.second == b.second && a.third == b.third && a.flags == b.flags &&
               a.codec == b.codec && a.name == b.name;
    }
};

struct PlayerEntry {
    std::int32_t playerId = 0;
    std::int32_t channelId = 0;
    std::string name;
    std::string channelPrivileges;
    std::string serverPrivileges;
    std::string flags;

    friend bool operator==(const PlayerEntry& a, const PlayerEntry& b) {
        return a.playerId == b.playerId && a.channelId == b.channelId && a.name == b.name &&
               a.channelPrivileges == b.channelPrivileges && a.serverPrivileges == b.serverPrivileges &&
               a.flags == b.flags;
    }
};

// A signed 32-bit value of four bytes, least significant first: FF FF FF FF is -1.
std::int32_t BytesToLong(std::uint8_t b0, std::uint8_t b1, std::uint8_t b2, std::uint8_t b3);
// The same, read from four consecutive bytes.
std::int32_t BytesToLong(const std::uint8_t* bytes);

// A 30-byte name field: its bytes up to the first NUL, or all 30. Bytes are kept as they
// are (ANSI text).
std::string DecodeName(const std::uint8_t* field);
// The same bytes, viewed where they lie.
std::string_view NameView(const std::uint8_t* field);

// "Registered,Password" for 9; empty text for no listed bit (bits 0 to 5).
std::string ChannelFlagText(std::int32_t flags);
// The codec's name for 0 to 12; "Unknown codec N" for any other number N, so an unlisted
// codec still reads as a codec and shows its number.
std::string CodecText(std::int32_t codec);
// "Admin,Operator" ...; "none" for no listed bit (bits 0 to 4).
std::string ChannelPrivilegeText(std::int32_t privileges);
// The texts of bits 0 to 2 each with its comma, then "Registered" (bit 3 set) or
// "Unregistered": never empty.
std::string ServerPrivilegeText(std::int32_t privileges);
// "ChannelCommander,Away" ...; "none" for no listed bit (bits 0 to 6).
std::string PlayerFlagText(std::int32_t flags);

// One 50-byte record decoded into its entry.
ChannelEntry DecodeChannelRecord(const std::uint8_t* record);
PlayerEntry DecodePlayerRecord(const std::uint8_t* record);

}  // namespace sayvane
