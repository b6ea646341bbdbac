// Decoding of the remote-control library's byte records and the texts of their bit fields.
#include "teamspeak/TsRecords.h"

#include <array>
#include <cstring>
#include <string_view>

namespace sayvane {
namespace {

// The text of each set bit, in bit order, each carrying its trailing comma.
std::string JoinBitTexts(std::int32_t value, const std::string_view* texts, std::size_t count) {
    std::string joined;
    const auto bits = static_cast<std::uint32_t>(value);
    for (std::size_t bit = 0; bit < count; ++bit) {
        if ((bits >> bit) & 1u) {
            joined += texts[bit];
        }
    }
    return joined;
}

std::string DropLastCharacter(std::string text) {
    if (!text.empty()) {
        text.pop_back();
    }
    return text;
}

constexpr std::array<std::string_view, 6> kChannelFlagTexts = {"Registered,", "Unregistered,", "Moderated,",
                                                               "Password,",   "Hierarchical,", "Default,"};

constexpr std::array<std::string_view, 13> kCodecTexts = {
    "CELP 5.1 Kbit",   "CELP 6.3 Kbit",   "GSM 14.8 Kbit",  "GSM 16.4 Kbit",  "CELP Windows 5.2 Kbit",
    "Speex 3.4 Kbit",  "Speex 5.2 Kbit",  "Speex 7.2 Kbit", "Speex 9.3 Kbit", "Speex 12.3 Kbit",
    "Speex 16.3 Kbit", "Speex 19.5 Kbit", "Speex 25.9 Kbit"};

constexpr std::array<std::string_view, 5> kChannelPrivilegeTexts = {"Admin,", "Operator,", "Auto-Operator,", "Voice,",
                                                                    "Auto-Voice,"};

constexpr std::array<std::string_view, 3> kServerPrivilegeTexts = {"SuperServerAdmin,", "ServerAdmin,", "CanRegister,"};
constexpr std::uint32_t kServerRegisteredBit = 8;

constexpr std::array<std::string_view, 7> kPlayerFlagTexts = {
    "ChannelCommander,", "WantVoice,", "NoWhisper,", "Away,", "InputMuted,", "OutputMuted,", "Recording,"};

}  // namespace

std::int32_t BytesToLong(std::uint8_t b0, std::uint8_t b1, std::uint8_t b2, std::uint8_t b3) {
    const std::uint32_t value = static_cast<std::uint32_t>(b0) | (static_cast<std::uint32_t>(b1) << 8) |
                                (static_cast<std::uint32_t>(b2) << 16) | (static_cast<std::uint32_t>(b3) << 24);
    // Two's complement: the unsigned value above 2^31 - 1 wraps to a negative one.
    return static_cast<std::int32_t>(value);
}

std::int32_t BytesToLong(const std::uint8_t* bytes) {
    return BytesToLong(bytes[0], bytes[1], bytes[2], bytes[3]);
}

std::string DecodeName(const std::uint8_t* field) {
    return std::string(NameView(field));
}

std::string_view NameView(const std::uint8_t* field) {
    const auto* end = static_cast<const std::uint8_t*>(std::memchr(field, 0, kNameSize));
    return std::string_view(reinterpret_cast<const char*>(field),
                            end == nullptr ? kNameSize : static_cast<std::size_t>(end - field));
}

std::string ChannelFlagText(std::int32_t flags) {
    return DropLastCharacter(JoinBitTexts(flags, kChannelFlagTexts.data(), kChannelFlagTexts.size()));
}

std::string CodecText(std::int32_t codec) {
    if (codec >= 0 && static_cast<std::size_t>(codec) < kCodecTexts.size()) {
        return std::string(kCodecTexts[static_cast<std::size_t>(codec)]);
    }
    return "Unknown codec " + std::to_string(codec);
}

std::string ChannelPrivilegeText(std::int32_t privileges) {
    const std::string text = JoinBitTexts(privileges, kChannelPrivilegeTexts.data(), kChannelPrivilegeTexts.size());
    return text.empty() ? std::string("none") : DropLastCharacter(text);
}

std::string ServerPrivilegeText(std::int32_t privileges) {
    std::string text = JoinBitTexts(privileges, kServerPrivilegeTexts.data(), kServerPrivilegeTexts.size());
    text += (static_cast<std::uint32_t>(privileges) & kServerRegisteredBit) != 0 ? "Registered" : "Unregistered";
    return text;
}

std::string PlayerFlagText(std::int32_t flags) {
    const std::string text = JoinBitTexts(flags, kPlayerFlagTexts.data(), kPlayerFlagTexts.size());
    return text.empty() ? std::string("none") : DropLastCharacter(text);
}

ChannelEntry DecodeChannelRecord(const std::uint8_t* record) {
    ChannelEntry entry;
    entry.name = DecodeName(record + RawChannelRecord::kName);
    entry.channelId = BytesToLong(record + RawChannelRecord::kChannelId);
    entry.second = BytesToLong(record + RawChannelRecord::kSecond);
    entry.third = BytesToLong(record + RawChannelRecord::kThird);
    entry.flags = ChannelFlagText(BytesToLong(record + RawChannelRecord::kFlags));
    entry.codec = CodecText(BytesToLong(record + RawChannelRecord::kCodec));
    return entry;
}

PlayerEntry DecodePlayerRecord(const std::uint8_t* record) {
    PlayerEntry entry;
    entry.name = DecodeName(record + RawPlayerRecord::kName);
    entry.playerId = BytesToLong(record + RawPlayerRecord::kPlayerId);
    entry.channelId = BytesToLong(record + RawPlayerRecord::kChannelId);
    entry.channelPrivileges = ChannelPrivilegeText(BytesToLong(record + RawPlayerRecord::kChannelPrivileges));
    entry.serverPrivileges = ServerPrivilegeText(BytesToLong(record + RawPlayerRecord::kServerPrivileges));
    entry.flags = PlayerFlagText(BytesToLong(record + RawPlayerRecord::kFlags));
    return entry;
}

}  // namespace sayvane
