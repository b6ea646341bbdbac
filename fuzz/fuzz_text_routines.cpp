// The text routines every reader of outside text goes through: Prendi splitting, ReplaceText
// with any start, count and compare mode, UTF-8 and its conversions, and Base64.
#include "FuzzSupport.h"
#include "text/Base64.h"
#include "text/TextRoutines.h"
#include "text/Utf8.h"

namespace {

void CheckPrendi(const std::string& text, const std::string& delimiter) {
    std::string rest = text;
    const std::string head = Prendi(rest, delimiter);
    if (!delimiter.empty() && text.find(delimiter) != std::string::npos) {
        // Split at the first delimiter: nothing is lost and the head holds none.
        FUZZ_CHECK(head + delimiter + rest == text);
        FUZZ_CHECK(head.find(delimiter) == std::string::npos);
    } else {
        FUZZ_CHECK(head == text && rest.empty());
    }
}

// The program's UTF-8 check agrees with another way of checking; code page 1252 goes through
// UTF-8 and back unchanged, and UTF-8 through 1252 and back wherever no character was lost.
void CheckUtf8(const std::string& text) {
    FUZZ_CHECK(IsUtf8(text) == fuzz::IsWellFormedUtf8(text));
    const std::string utf8 = AnsiToUtf8(text);
    FUZZ_CHECK(IsUtf8(utf8) && Utf8ToAnsi(utf8) == text);
    const std::string ansi = Utf8ToAnsi(text);
    FUZZ_CHECK(ansi.size() <= text.size());
    if (IsUtf8(text) && ansi.find('?') == std::string::npos) {
        FUZZ_CHECK(AnsiToUtf8(ansi) == text);
    }
}

// Base64 read back by a decoder of its own gives the bytes, with the padding they call for.
void CheckBase64(const std::string& bytes) {
    constexpr std::string_view kDigits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    const std::string digits = Base64(bytes);
    FUZZ_CHECK(digits.size() == (bytes.size() + 2) / 3 * 4);
    const std::size_t padding = (3 - bytes.size() % 3) % 3;
    FUZZ_CHECK(digits.find('=') == (padding == 0 ? std::string::npos : digits.size() - padding));
    std::string decoded;
    std::uint32_t bits = 0;
    unsigned held = 0;
    for (const char digit : std::string_view(digits).substr(0, digits.size() - padding)) {
        const std::size_t value = kDigits.find(digit);
        FUZZ_CHECK(value != std::string_view::npos);
        bits = (bits << 6U) | static_cast<std::uint32_t>(value);
        held += 6;
        if (held >= 8) {
            held -= 8;
            decoded += static_cast<char>((bits >> held) & 0xFFU);
        }
    }
    FUZZ_CHECK(decoded == bytes);
}

}  // namespace

void fuzz::FuzzOne(FuzzedDataProvider& in) {
    const std::string find = in.ConsumeRandomLengthString(16);
    const std::string replacement = in.ConsumeRandomLengthString(16);
    const long start = in.ConsumeBool() ? 1 : in.ConsumeIntegral<std::int32_t>();
    const long count = in.ConsumeBool() ? -1 : in.ConsumeIntegral<std::int32_t>();
    const bool caseless = in.ConsumeBool();
    const std::string text = in.ConsumeRandomLengthString(1024);

    CheckPrendi(text, find);
    CheckPrendi(text, ",");
    CheckUtf8(text);
    CheckBase64(text);

    const CompareMode mode = caseless ? CompareMode::CaseInsensitive : CompareMode::CaseSensitive;
    const std::string result = ReplaceText(text, find, replacement, start, count, mode);
    const std::size_t from = start > 1 ? static_cast<std::size_t>(start - 1) : 0;
    if (find.empty() || find == replacement || from > text.size()) {
        FUZZ_CHECK(result == text);
        return;
    }
    // Nothing before the start position changes.
    FUZZ_CHECK(result.compare(0, from, text, 0, from) == 0);

    // Without regard to case, the routine does on the text what the case-sensitive one does
    // on the upper-case text.
    if (caseless) {
        FUZZ_CHECK(AnsiToUpper(result) == ReplaceText(AnsiToUpper(text), AnsiToUpper(find), AnsiToUpper(replacement),
                                                      start, count, CompareMode::CaseSensitive));
        return;
    }

    // Replacing by a marker found nowhere else: every occurrence from the start on is gone (all
    // of them, or as many as the count allows, the first always), and putting `find` back for
    // each marker gives the text again.
    int fresh = 1;  // a byte found in neither text
    while (fresh < 256 && (text.find(static_cast<char>(fresh)) != std::string::npos ||
                           find.find(static_cast<char>(fresh)) != std::string::npos)) {
        ++fresh;
    }
    if (fresh == 256) {
        return;
    }
    const std::string marker(static_cast<std::size_t>(in.ConsumeIntegralInRange(1, 3)), static_cast<char>(fresh));
    const std::string all = ReplaceText(text, find, marker, start, -1, CompareMode::CaseSensitive);
    FUZZ_CHECK(all.find(find, from) == std::string::npos);
    FUZZ_CHECK(ReplaceText(all, marker, find) == text);
    const std::size_t occurrences = CountOccurrences(std::string_view(text).substr(from), find);
    FUZZ_CHECK(CountOccurrences(all, marker) == occurrences);

    const std::string limited = ReplaceText(text, find, marker, start, count, CompareMode::CaseSensitive);
    const std::size_t allowed =
        count == -1 ? occurrences : std::min<std::size_t>(occurrences, static_cast<std::size_t>(std::max(count, 1L)));
    FUZZ_CHECK(CountOccurrences(limited, marker) == allowed);
    FUZZ_CHECK(ReplaceText(limited, marker, find) == text);
}
