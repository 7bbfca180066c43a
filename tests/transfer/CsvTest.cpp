#include "transfer/CsvReader.h"
#include "transfer/CsvWriter.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace parcelo {
namespace {

using Rows = std::vector<std::u16string>;

std::u16string Number(size_t n) {
    const std::string digits = std::to_string(n);
    return {digits.begin(), digits.end()};
}

// Each row read as "line:field|field", then "error N" when reading stopped at a fault on line N.
Rows Read(std::u16string_view text, CsvLimits limits = {}) {
    CsvReader reader(text, limits);
    Rows rows;
    for (CsvRow row; reader.Next(row);) {
        std::u16string line = Number(row.line) + u":";
        for (size_t i = 0; i < row.fields.size(); ++i) {
            line += (i == 0 ? u"" : u"|") + row.fields[i];
        }
        rows.push_back(line);
    }
    if (reader.Error()) {
        rows.push_back(u"error " + Number(reader.Error()->line));
    }
    return rows;
}

// Past its apostrophes, a text that starts a formula gets one more in front, which
// reading takes off again; it is quoted where it holds a separator, quote or line end.
TEST(CsvWriterTest, FormulaGuardIsReversibleForEveryApostropheCount) {
    for (const char16_t start : std::u16string_view(u"=+-@\t\rp\"\n,")) {
        for (const std::u16string apostrophes : {u"", u"'", u"''"}) {
            const std::u16string text = apostrophes + start + u"1";
            const bool quoted = text.find_first_of(u",\"\r\n") != std::u16string::npos;
            std::string expected = std::u16string_view(u"=+-@\t\r").find(start) != std::u16string_view::npos ? "'" : "";
            for (const char16_t c : text) {
                expected += c == u'"' ? "\"\"" : std::string(1, static_cast<char>(c));
            }
            CsvWriter csv;
            csv.TextField(text);
            csv.EndRow();
            const std::string written = csv.Bytes();
            EXPECT_EQ(written, "\xEF\xBB\xBF" + (quoted ? "\"" + expected + "\"" : expected) + "\r\n");
            const std::u16string read(written.begin() + 3, written.end()); // the reader keeps a view
            CsvReader reader(read);
            CsvRow row;
            ASSERT_TRUE(reader.Next(row));
            EXPECT_EQ(UnguardCsvText(row.fields[0]), text) << written;
        }
    }
}

// Line ends CR LF, LF and CR, quoted ones too, each row with the line it begins on; stray
// quotes in unquoted fields stay; broken quoting and the limits stop reading with an error.
// Quote pairs and line ends in bulk would be slow if the reader rescanned.
TEST(CsvReaderTest, ReadsRowsWithTheirLinesUntilTheFirstFault) {
    const CsvLimits fields8{.maxFieldUnits = 8};
    const CsvLimits rows2{.maxRows = 2};
    const CsvLimits text4{.maxTextUnits = 4};
    const std::u16string quotes(4'000'001, u'"'); // one field of 2,000,000 quotes: over the field limit
    const std::u16string lineEnds(4'000'000, u'\n');
    const struct {
        std::u16string_view text;
        CsvLimits limits;
        Rows rows;
    } cases[] = {
        {u"a,b\r\n\"x\r\ny\",\"q\"\"\"\n\nlast,\ncr\rend",
         {},
         {u"1:a|b", u"2:x\r\ny|q\"", u"5:last|", u"6:cr", u"7:end"}},
        {u"5\" disk,,\"\"\n", {}, {u"1:5\" disk||"}},
        {u"a\nb\n\"open\n\nnever closed", {}, {u"1:a", u"2:b", u"error 3"}},
        {u"a\n\"x\"y,z\n", {}, {u"1:a", u"error 2"}},
        {u"12345678\n123456789\n", fields8, {u"1:12345678", u"error 2"}},
        {u"\"1234\"\"5678\"", fields8, {u"error 1"}}, // 9 units once unquoted
        {u"a\nb\nc\n", rows2, {u"1:a", u"2:b", u"error 3"}},
        {u"abcde", text4, {u"error 1"}},
        {quotes, {}, {u"error 1"}},
        {lineEnds, {}, {}},
    };
    for (const auto& [text, limits, rows] : cases) {
        EXPECT_EQ(Read(text, limits), rows) << testing::PrintToString(std::u16string(text.substr(0, 60)));
    }
}

} // namespace
} // namespace parcelo
