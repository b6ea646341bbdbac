// What every fuzz target shares: the entry point that hands the input over as a
// FuzzedDataProvider, the invariant check that stops the run, the pickers and text checks the
// targets use, and the standard headers they all need. Each target is one program that
// includes this header once, and defines FuzzOne.
#pragma once

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// An invariant that does not hold is a finding: say which and abort, so libFuzzer keeps the
// input as a crash file.
#define FUZZ_CHECK(condition)                                                                        \
    do {                                                                                             \
        if (!(condition)) {                                                                          \
            std::fprintf(stderr, "invariant failed at %s:%d: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                            \
        }                                                                                            \
    } while (false)

namespace sayvane::fuzz {

// One run over the input.
void FuzzOne(FuzzedDataProvider& in);

// One of `known` (values the code treats apart) half the time, `any()` the other half.
template <typename T, typename Any>
T KnownOr(FuzzedDataProvider& in, std::initializer_list<const T> known, Any any) {
    return in.ConsumeBool() ? in.PickValueInArray(known) : any();
}

// What a profile read gives back of a value written to the settings file: the value without
// its outer blanks and then without one pair of surrounding double or single quotes.
inline std::string_view IniReadBack(std::string_view value) {
    value.remove_prefix(std::min(value.find_first_not_of(" \t"), value.size()));
    value = value.substr(0, value.find_last_not_of(" \t") + 1);
    const bool quoted =
        value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front();
    return quoted ? value.substr(1, value.size() - 2) : value;
}

// The number of non-overlapping occurrences of `needle` (not empty) in `haystack`, from the left.
inline std::size_t CountOccurrences(std::string_view haystack, std::string_view needle) {
    std::size_t count = 0;
    for (auto p = haystack.find(needle); p != std::string_view::npos; p = haystack.find(needle, p + needle.size())) {
        ++count;
    }
    return count;
}

// Well-formed UTF-8, checked another way than the program does: every sequence, decoded, must
// encode back to the same bytes (which rules out overlong forms) and name a scalar value.
inline bool IsWellFormedUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<std::uint8_t>(text[i]);
        const std::size_t length = lead < 0x80        ? 1
                                   : lead >> 5U == 6  ? 2
                                   : lead >> 4U == 14 ? 3
                                   : lead >> 3U == 30 ? 4
                                                      : 0;
        if (length == 0 || text.size() - i < length) {
            return false;
        }
        std::uint32_t point = length == 1 ? lead : lead & (0x7FU >> length);
        for (std::size_t j = 1; j < length; ++j) {
            const auto next = static_cast<std::uint8_t>(text[i + j]);
            if (next >> 6U != 2) {
                return false;
            }
            point = (point << 6U) | (next & 0x3FU);
        }
        const std::size_t shortest = point < 0x80 ? 1 : point < 0x800 ? 2 : point < 0x10000 ? 3 : 4;
        if (shortest != length || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF)) {
            return false;
        }
        i += length;
    }
    return true;
}

}  // namespace sayvane::fuzz

using namespace sayvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    fuzz::FuzzOne(in);
    return 0;
}
