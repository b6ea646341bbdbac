// Number <-> text conversions used by the settings file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace sayvane {

// The user's number format. Only the decimal separator matters to the conversions below;
// the Windows layer reads it from the user's locale, elsewhere it is ".".
struct NumberFormat {
    char decimalSeparator = '.';
};

// Locale-aware conversion of a whole text to a number, as a settings value is read.
// Accepts: blanks (spaces, tabs) around the number; an optional "+" or "-"; digits with an
// optional fraction after the locale's decimal separator (at least one digit in all); an
// optional exponent "e"/"E" with optional sign and digits. Rejects everything else: empty
// text, text after the number, group separators, hexadecimal, infinity and NaN.
std::optional<double> TextToDouble(std::string_view text, NumberFormat format = {});

// TextToDouble, then rounded to the nearest integer with halves to even; fails when the
// text is not a number or the rounded value lies outside the target type's range.
std::optional<std::int16_t> TextToInt16(std::string_view text, NumberFormat format = {});
std::optional<std::int32_t> TextToInt32(std::string_view text, NumberFormat format = {});

// Rounds halves to even and checks the range; nullopt when the value does not fit.
std::optional<std::int16_t> RoundToInt16(double value);
std::optional<std::int32_t> RoundToInt32(double value);

// The longest leading part of the text that forms a number, as colours are read: leading
// blanks skipped, then an optional sign, digits, an optional "." fraction and an optional
// exponent; whatever follows is ignored. Text with no leading number gives 0. The value is
// rounded halves to even; only a number outside the 32-bit range fails. The separator is
// always ".", whatever the locale, since the program itself writes colours as plain digits.
std::optional<std::int32_t> LeadingNumberToInt32(std::string_view text);

// Decimal text of a value padded with zeros to twelve digits; a negative value gets a "-"
// before its twelve digits ("-000000000042").
std::string FormatTwelveDigits(std::int64_t value);

}  // namespace sayvane
