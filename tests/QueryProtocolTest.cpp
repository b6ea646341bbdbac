// TeamSpeak 3's query interface as bytes: escaping, lines and their items, and lines cut from
// a stream split anywhere.
#include <gtest/gtest.h>

#include <string>

#include "teamspeak/query/QueryProtocol.h"

namespace sayvane::query {
namespace {

TEST(QueryEscaping, EachSpecialCharacterHasItsEscapeAndUnknownOnesKeepTheirLetter) {
    struct Case {
        std::string plain;
        std::string escaped;
    };
    const Case cases[] = {
        {"EDDF APP", "EDDF\\sAPP"},         {"a|b", "a\\pb"},
        {"c:\\dir/x", "c:\\\\dir\\/x"},     {std::string("\a\b\f\n\r\t\v", 7), "\\a\\b\\f\\n\\r\\t\\v"},
        {"M\xC3\xBCller", "M\xC3\xBCller"}, {"", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Escape(c.plain), c.escaped) << c.plain;
        EXPECT_EQ(Unescape(c.escaped), c.plain) << c.escaped;
    }
    EXPECT_EQ(Unescape("\\q\\x"), "qx");
    EXPECT_EQ(Unescape("end\\"), "end");
}

TEST(QueryLines, KindNameItemsAndFields) {
    const QueryLine list = ParseLine("clid=1 cid=2 client_nickname=EDDF\\sAPP client_type=0|clid=7 cid=3 flag");
    EXPECT_EQ(list.kind, QueryLine::Kind::Data);
    ASSERT_EQ(list.items.size(), 2U);
    EXPECT_EQ(list.items[0].Get("client_nickname"), std::optional<std::string_view>("EDDF APP"));
    EXPECT_EQ(list.items[1].Number("clid"), 7);
    EXPECT_TRUE(list.items[1].Has("flag"));
    EXPECT_EQ(list.items[1].Get("client_nickname"), std::nullopt);

    const QueryLine talk = ParseLine("notifytalkstatuschange schandlerid=1 status=1 isreceivedwhisper=0 clid=5");
    EXPECT_EQ(talk.kind, QueryLine::Kind::Notification);
    EXPECT_EQ(talk.name, "notifytalkstatuschange");
    ASSERT_EQ(talk.items.size(), 1U);
    EXPECT_EQ(talk.items[0].Number("clid"), 5);

    const QueryLine error = ParseLine("error id=256 msg=invalid\\sapikey");
    EXPECT_EQ(error.kind, QueryLine::Kind::Error);
    EXPECT_EQ(error.ErrorId(), 256);
    EXPECT_EQ(error.ErrorMessage(), "invalid apikey");
    EXPECT_EQ(ParseLine("error").ErrorId(), -1);
    EXPECT_EQ(ParseLine("selected schandlerid=2").kind, QueryLine::Kind::Banner);
    EXPECT_EQ(ParseLine("selected=1").kind, QueryLine::Kind::Data);

    // Numbers that are not whole decimal 32-bit numbers are missing ones.
    const QueryItem odd = QueryItem::Parse("a=12x b= c=99999999999 d=-4");
    EXPECT_EQ(odd.Number("a"), std::nullopt);
    EXPECT_EQ(odd.Number("b"), std::nullopt);
    EXPECT_EQ(odd.Number("c"), std::nullopt);
    EXPECT_EQ(odd.Number("d"), -4);
}

TEST(QueryLineReader, ALineSplitAtAnyByteReadsTheSame) {
    const std::string stream =
        "TS3 Client\n\rselected schandlerid=1\n\rclid=1 client_nickname=A\\sB|clid=2\n\rerror id=0 msg=ok\n\r";
    for (std::size_t cut = 0; cut <= stream.size(); ++cut) {
        LineReader reader;
        reader.Feed(stream.substr(0, cut));
        reader.Feed(stream.substr(cut));
        std::vector<QueryLine> lines;
        for (QueryLine line; reader.Next(line);) {
            lines.push_back(line);
        }
        ASSERT_EQ(lines.size(), 4U) << "cut at " << cut;
        EXPECT_EQ(lines[1].kind, QueryLine::Kind::Banner);
        EXPECT_EQ(lines[2].items[0].Get("client_nickname"), std::optional<std::string_view>("A B"));
        EXPECT_EQ(lines[3].ErrorId(), 0);
    }
}

TEST(QueryLineReader, OverlongLinesAreDroppedWholeAndLongListsKept) {
    LineReader reader;
    reader.Feed("notifyx a=" + std::string(LineReader::kMaxItemBytes, 'x') + "\nerror id=0 msg=ok\n");
    // A list of short items longer than one item may be.
    std::string list;
    for (int i = 0; i < 2000; ++i) {
        list += (i == 0 ? "" : "|") + std::string("clid=") + std::to_string(i) + " client_nickname=PLAYER" +
                std::to_string(i);
    }
    ASSERT_GT(list.size(), LineReader::kMaxItemBytes);
    reader.Feed(list + "\n");
    reader.Feed(std::string(LineReader::kMaxItems, '|') + "\nerror id=1 msg=x\n");

    QueryLine line;
    ASSERT_TRUE(reader.Next(line));
    EXPECT_EQ(line.kind, QueryLine::Kind::Error);
    ASSERT_TRUE(reader.Next(line));
    EXPECT_EQ(line.items.size(), 2000U);
    EXPECT_EQ(line.items.back().Number("clid"), 1999);
    ASSERT_TRUE(reader.Next(line));
    EXPECT_EQ(line.ErrorId(), 1);
    EXPECT_FALSE(reader.Next(line));
    EXPECT_EQ(reader.Dropped(), 2U);
}

}  // namespace
}  // namespace sayvane::query
