#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace parcelo {

// Bounds of what the reader accepts; past any of them it stops with an error.
struct CsvLimits {
    size_t maxTextUnits = size_t{64} * 1024 * 1024; // UTF-16 units of the whole text
    size_t maxColumns = 1000;
    size_t maxRows = 1'000'000;
    size_t maxFieldUnits = size_t{64} * 1024;
};

struct CsvRow {
    size_t line = 0; // 1-based line on which the row begins
    std::vector<std::u16string> fields;
};

struct CsvError {
    size_t line = 0; // 1-based line of the fault
    std::u16string reason;
};

// Reads CSV (RFC 4180) row by row from text already decoded. Rows end with CRLF, LF or
// a lone CR; a quoted field may hold separators, quotes (doubled) and line ends, which
// are kept as they are. A quote inside an unquoted field is taken literally. Lines that
// are entirely empty are skipped. After the first error Next returns false for good:
// a broken quote leaves no trustworthy place to resume.
class CsvReader {
public:
    explicit CsvReader(std::u16string_view text, CsvLimits limits = {});

    // The next row; false at the end of the text or on an error (see Error).
    bool Next(CsvRow& row);
    const std::optional<CsvError>& Error() const { return m_error; }

private:
    bool Fail(size_t line, std::u16string reason);
    bool ReadQuoted(std::u16string& field);
    bool ReadUnquoted(std::u16string& field);
    void SkipLineEnd();

    std::u16string_view m_text;
    CsvLimits m_limits;
    size_t m_pos = 0;
    size_t m_line = 1;
    size_t m_rows = 0;
    std::optional<CsvError> m_error;
};

} // namespace parcelo
