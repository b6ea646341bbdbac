// SHA-1 over a whole message held in memory.
#include "text/Sha1.h"

#include <string>

namespace sayvane {

namespace {

std::uint32_t RotateLeft(std::uint32_t value, unsigned bits) {
    return (value << bits) | (value >> (32U - bits));
}

}  // namespace

std::array<std::uint8_t, 20> Sha1(std::string_view bytes) {
    std::array<std::uint32_t, 5> state = {0x67452301, 0xEFCDAB89, 0x98BADCFE, 0x10325476, 0xC3D2E1F0};
    // The message, a 1 bit, zeros up to 8 bytes short of a whole block, the length in bits.
    std::string padded(bytes);
    padded += '\x80';
    padded.append((64 + 56 - padded.size() % 64) % 64, '\0');
    const std::uint64_t bitLength = static_cast<std::uint64_t>(bytes.size()) * 8;
    for (int shift = 56; shift >= 0; shift -= 8) {
        padded += static_cast<char>((bitLength >> static_cast<unsigned>(shift)) & 0xFFU);
    }
    std::array<std::uint32_t, 80> words{};
    for (std::size_t block = 0; block < padded.size(); block += 64) {
        for (std::size_t t = 0; t < 16; ++t) {
            words[t] = 0;
            for (std::size_t b = 0; b < 4; ++b) {
                words[t] = (words[t] << 8U) | static_cast<std::uint8_t>(padded[block + 4 * t + b]);
            }
        }
        for (std::size_t t = 16; t < 80; ++t) {
            words[t] = RotateLeft(words[t - 3] ^ words[t - 8] ^ words[t - 14] ^ words[t - 16], 1);
        }
        auto [a, b, c, d, e] = state;
        for (std::size_t t = 0; t < 80; ++t) {
            std::uint32_t mixed = 0;
            std::uint32_t constant = 0;
            if (t < 20) {
                mixed = (b & c) | (~b & d);
                constant = 0x5A827999;
            } else if (t < 40) {
                mixed = b ^ c ^ d;
                constant = 0x6ED9EBA1;
            } else if (t < 60) {
                mixed = (b & c) | (b & d) | (c & d);
                constant = 0x8F1BBCDC;
            } else {
                mixed = b ^ c ^ d;
                constant = 0xCA62C1D6;
            }
            const std::uint32_t next = RotateLeft(a, 5) + mixed + e + constant + words[t];
            e = d;
            d = c;
            c = RotateLeft(b, 30);
            b = a;
            a = next;
        }
        state[0] += a;
        state[1] += b;
        state[2] += c;
        state[3] += d;
        state[4] += e;
    }
    std::array<std::uint8_t, 20> digest{};
    for (std::size_t i = 0; i < digest.size(); ++i) {
        digest[i] = static_cast<std::uint8_t>(state[i / 4] >> (24U - 8U * (i % 4)));
    }
    return digest;
}

}  // namespace sayvane
