#include "transfer/CsvReader.h"
#include "transfer/CsvWriter.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace parcelo {
namespace {

using ::testing::ElementsAre;

std::vector<CsvRow> ReadAll(std::u16string_view text, CsvLimits limits = {}, std::optional<CsvError>* error = nullptr) {
    CsvReader reader(text, limits);
    std::vector<CsvRow> rows;
    CsvRow row;
    while (reader.Next(row)) {
        rows.push_back(row);
    }
    if (error != nullptr) {
        *error = reader.Error();
    }
    return rows;
}

TEST(CsvWriterTest, WritesMarkQuotesWhereNeededAndCrlf) {
    CsvWriter csv;
    csv.TextField(u"plain");
    csv.TextField(u"a,b");
    csv.TextField(u"say \"hi\"");
    csv.TextField(u"two\nlines");
    csv.TextField(u"");
    csv.PlainField("12");
    csv.EndRow();
    csv.TextField(u"상자 \U0001F4E6");
    csv.EndRow();
    EXPECT_EQ(csv.Bytes(), "\xEF\xBB\xBF"
                           "plain,\"a,b\",\"say \"\"hi\"\"\",\"two\nlines\",,12\r\n"
                           "\xEC\x83\x81\xEC\x9E\x90 \xF0\x9F\x93\xA6\r\n");
}

// Past its apostrophes, a text that starts a formula gets one more in front, which
// reading takes off again; it is quoted as any text is.
TEST(CsvWriterTest, FormulaGuardIsReversibleForEveryApostropheCount) {
    for (const char16_t start : std::u16string_view(u"=+-@\t\rp\"")) {
        for (const std::u16string apostrophes : {u"", u"'", u"''"}) {
            for (const std::u16string tail : {u"12", u"1,2"}) {
                const std::u16string text = apostrophes + start + tail;
                const bool quoted = text.find_first_of(u",\"\r\n") != std::u16string::npos;
                std::string expected =
                    std::u16string_view(u"=+-@\t\r").find(start) != std::u16string_view::npos ? "'" : "";
                for (const char16_t c : text) {
                    expected += c == u'"' ? "\"\"" : std::string(1, static_cast<char>(c));
                }
                expected = quoted ? "\"" + expected + "\"" : expected;
                CsvWriter csv;
                csv.TextField(text);
                const std::string written = csv.Bytes().substr(3);
                EXPECT_EQ(written, expected);
                EXPECT_EQ(UnguardCsvText(ReadAll(std::u16string(written.begin(), written.end()))[0].fields[0]), text)
                    << written;
            }
        }
    }
}

TEST(CsvReaderTest, AcceptsCrlfLfCrAndQuotedLineEndsWithLineNumbers) {
    const auto rows = ReadAll(u"a,b\r\n\"x\r\ny\",\"q\"\"\"\n\nlast,\ncr\rend");
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_THAT(rows[0].fields, ElementsAre(u"a", u"b"));
    EXPECT_THAT(rows[1].fields, ElementsAre(u"x\r\ny", u"q\""));
    EXPECT_THAT(rows[2].fields, ElementsAre(u"last", u""));
    EXPECT_THAT(rows[3].fields, ElementsAre(u"cr"));
    EXPECT_THAT(rows[4].fields, ElementsAre(u"end"));
    // Counted past the quoted line end and the empty line.
    EXPECT_EQ((std::vector<size_t>{rows[1].line, rows[2].line, rows[4].line}), (std::vector<size_t>{2, 5, 7}));
}

TEST(CsvReaderTest, KeepsStrayQuotesInUnquotedFieldsAndEmptyFields) {
    const auto rows = ReadAll(u"5\" disk,,\"\"\n");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_THAT(rows[0].fields, ElementsAre(u"5\" disk", u"", u""));
}

TEST(CsvReaderTest, BrokenQuotingStopsWithTheLine) {
    std::optional<CsvError> error;
    auto rows = ReadAll(u"a\nb\n\"open\n\nnever closed", {}, &error);
    EXPECT_EQ(rows.size(), 2u);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->line, 3u);

    rows = ReadAll(u"a\n\"x\"y,z\n", {}, &error);
    EXPECT_EQ(rows.size(), 1u);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->line, 2u);
}

TEST(CsvReaderTest, LimitsStopWithAnErrorInsteadOfGrowing) {
    std::optional<CsvError> error;
    CsvLimits limits;
    limits.maxFieldUnits = 8;
    EXPECT_EQ(ReadAll(u"12345678\n123456789\n", limits, &error).size(), 1u);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->line, 2u);
    EXPECT_TRUE(ReadAll(u"\"1234\"\"5678\"", limits, &error).empty()); // 9 units once unquoted
    EXPECT_TRUE(error);

    limits = {};
    limits.maxRows = 2;
    EXPECT_EQ(ReadAll(u"a\nb\nc\n", limits, &error).size(), 2u);
    EXPECT_TRUE(error);

    limits = {};
    limits.maxTextUnits = 4;
    EXPECT_TRUE(ReadAll(u"abcde", limits, &error).empty());
    EXPECT_TRUE(error);
}

TEST(CsvReaderTest, HostileShapesReadInLinearTime) {
    // Quote pairs and separators in bulk: each would be slow if the reader rescanned.
    std::u16string quotes = u"\"";
    quotes.append(4'000'000, u'"');
    std::optional<CsvError> error;
    ReadAll(quotes, {}, &error); // one field of 2,000,000 quotes: over the field limit
    EXPECT_TRUE(error);

    std::u16string lines(4'000'000, u'\n');
    EXPECT_TRUE(ReadAll(lines, {}, &error).empty());
    EXPECT_FALSE(error);
}

} // namespace
} // namespace parcelo
