// The TeamSpeak 3 client's local query interface ("ClientQuery") as bytes: escaping, the
// items of a line, and the lines cut from a stream that may split them anywhere.
//
// What the code relies on:
// - Lines end with "\n" (the client sends "\n\r"; a lone "\r" is treated as part of the
//   line end and never as text). Commands Sayvane sends end with "\n".
// - A line is a command name or nothing, then space-separated `key=value` fields (a field
//   may be a bare `key`); `|` separates the items of a list answer, each item a set of fields.
//   The first item of a notification or of an `error` line starts with its name.
// - Every answer to a command ends with `error id=N msg=TEXT` (id 0: success); its data
//   lines come before it. Lines starting with "notify" may come at any time, also between a
//   data line and its error line.
// - Values escape `\` as `\\`, `/` as `\/`, space as `\s`, `|` as `\p`, and the control
//   characters BEL, BS, FF, LF, CR, TAB, VT as `\a`, `\b`, `\f`, `\n`, `\r`, `\t`, `\v`.
//   An unknown escape keeps its character; a lone `\` at the end is dropped.
// - Texts are UTF-8 (text/Utf8.h turns them into the program's bytes and back).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace sayvane::query {

[[nodiscard]] std::string Escape(std::string_view text);
[[nodiscard]] std::string Unescape(std::string_view text);

// One item of a line: its fields in order, values unescaped.
class QueryItem {
public:
    // Splits `text` (one item, without `|`) at spaces into fields.
    [[nodiscard]] static QueryItem Parse(std::string_view text);

    // The value of the first field named `key`; nullopt when there is none.
    [[nodiscard]] std::optional<std::string_view> Get(std::string_view key) const;
    // The value as a decimal 32-bit number; nullopt when missing or not a number.
    [[nodiscard]] std::optional<std::int32_t> Number(std::string_view key) const;
    [[nodiscard]] bool Has(std::string_view key) const { return Get(key).has_value(); }
    [[nodiscard]] const std::vector<std::pair<std::string, std::string>>& Fields() const { return m_fields; }

private:
    std::vector<std::pair<std::string, std::string>> m_fields;
};

// One whole line. `name` is the first word when the line is a notification ("notify…"),
// an error line ("error"), or the banner's "selected" line; empty for data lines. Items
// never include the name.
struct QueryLine {
    enum class Kind { Data, Notification, Error, Banner };
    Kind kind = Kind::Data;
    std::string name;
    std::vector<QueryItem> items;
    std::size_t bytes = 0;  // its length in the stream, line end left out

    // About the memory the parsed line holds: its text, and the bookkeeping of the line, of
    // each item and of each field (a field of two bytes of text costs dozens kept).
    [[nodiscard]] std::size_t Footprint() const;

    // The fields of an error line: its id (-1 when missing) and message.
    [[nodiscard]] std::int32_t ErrorId() const;
    [[nodiscard]] std::string ErrorMessage() const;
};

// Parses one line (without its line end).
[[nodiscard]] QueryLine ParseLine(std::string_view text);

// Cuts lines from the bytes as they arrive. Memory stays bounded: an item (the text between
// two `|`, or a whole line without one) longer than kMaxItemBytes, a line longer than
// kMaxLineBytes, or one with more than kMaxItems items or kMaxFields fields is dropped whole:
// its bytes are skipped up to its end, and Dropped counts it. A parsed field costs more than
// its two bytes of text, hence the bound on fields. A list answer of eight thousand players,
// with the talk flags and names escaped, is one line of short items well within the bounds.
class LineReader {
public:
    static constexpr std::size_t kMaxItemBytes = std::size_t{64} * 1024;
    static constexpr std::size_t kMaxLineBytes = std::size_t{4} * 1024 * 1024;
    static constexpr std::size_t kMaxItems = 16384;
    static constexpr std::size_t kMaxFields = std::size_t{256} * 1024;

    void Feed(std::string_view bytes);
    // The next whole line, parsed; false when no whole line is waiting.
    bool Next(QueryLine& line);
    // Lines dropped as too long since the reader was made, each counted as soon as it is
    // known to be too long.
    [[nodiscard]] std::size_t Dropped() const { return m_dropped; }
    // The bytes held: of the line being cut, and of the whole lines not yet taken.
    [[nodiscard]] std::size_t Buffered() const { return m_line.size() + m_readyBytes; }
    // Forgets every byte and line waiting (after a new connection), and frees their memory.
    void Reset();

private:
    void EndLine();

    std::string m_line;           // the current line's bytes so far
    std::size_t m_itemBytes = 0;  // of them, the current item's
    std::size_t m_items = 1;      // the current line's items so far
    std::size_t m_fields = 1;     // and its fields, counted by their separators
    bool m_skipping = false;      // the current line is too long: skip to its end
    std::vector<QueryLine> m_ready;
    std::size_t m_readyFirst = 0;
    std::size_t m_readyBytes = 0;
    std::size_t m_dropped = 0;
};

}  // namespace sayvane::query
