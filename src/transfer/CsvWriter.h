#pragma once

#include <string>
#include <string_view>

namespace parcelo {

// Writes CSV (RFC 4180) as UTF-8: a byte-order mark first so that spreadsheets take the
// text as UTF-8, fields separated by commas, CRLF after each row. A field holding a
// comma, a quote, CR or LF is quoted, with its quotes doubled.
//
// Formula guard: a spreadsheet runs a cell that begins with =, +, -, @, tab or CR as a
// formula. TextField therefore writes such a cell with an apostrophe in front, which
// spreadsheets show as text and drop. To keep the rule reversible, a cell made of one or
// more apostrophes followed by one of those characters gets one more apostrophe too.
// UnguardCsvText removes exactly one apostrophe from any cell of that shape, so every
// text comes back unchanged: "=1" is written '=1, "'=1" is written ''=1.
class CsvWriter {
public:
    CsvWriter();

    // A text cell, with the formula guard.
    void TextField(std::u16string_view text);
    // A cell written as it is (numbers, dates); ASCII without separators expected, but
    // quoted when needed all the same.
    void PlainField(std::string_view text);
    void EndRow();

    const std::string& Bytes() const { return m_out; }
    std::string Take() { return std::move(m_out); }

private:
    void Separate();
    void AppendQuotedUtf8(std::u16string_view text, bool apostrophe);

    std::string m_out;
    bool m_rowStarted = false;
};

// True when the cell would be run as a formula: it begins with =, +, -, @, tab or CR
// after any apostrophes (of which there may be none).
bool NeedsFormulaGuard(std::u16string_view text);

// The inverse of the guard: one leading apostrophe removed from a cell that, after its
// apostrophes, begins with =, +, -, @, tab or CR.
std::u16string_view UnguardCsvText(std::u16string_view text);

} // namespace parcelo
