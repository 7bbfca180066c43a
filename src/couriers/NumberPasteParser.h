#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace parcelo {

// One invoice number found in pasted text.
struct PastedNumber {
    std::u16string found;      // as it stands in the text, separators and full-width digits included
    std::u16string normalised; // NormaliseNumber(found)
    std::u16string itemName;   // the text beside it on its line, or empty
    size_t line = 0;           // 1-based
    bool duplicate = false;    // an earlier number of the paste has the same normalised form
};

struct PasteResult {
    std::vector<PastedNumber> numbers; // in the order of the text
    bool truncated = false;            // the text was cut or more numbers were left out
};

// Finds the invoice numbers in text pasted from anywhere: a shop's order page, a
// mail, a spreadsheet column. Lines end at CR, LF or CR LF. What counts as a number:
//
// - a run of 8 to 20 digits (ASCII or full-width). Groups of at least 3 digits
//   joined by one hyphen, dash or space make one number ("6012-3456-7890"). When
//   the whole chain does not make a number, hyphens bind closer than spaces: the
//   parts between spaces are tried, and where a part has a shorter group or more
//   than 20 digits each of its groups stands alone; so dates, counts and numbers
//   side by side are not glued together. Grouped numbers shaped like Korean phone
//   numbers (a first group starting with 0, or two groups of four starting with 1,
//   e.g. "1588-1255") are skipped; an unbroken run of digits is always taken;
// - an S10 identifier: two Latin letters, nine digits, two letters
//   ("EE123456785KR"), where one space or hyphen may stand after the first letters,
//   between digits and before the last letters ("EE 123 456 785 KR").
//
// Digits that touch Latin letters belong to a code ("ORD20241207001") and digits
// glued to other digits by '.' or ',' to an amount, so neither is taken.
//
// The item name is the nearest cell of the same line before the number (cells are
// cut at tabs and '|'), or when that is empty the nearest cell after it, trimmed of
// blanks and separators such as ':' and '-', at most kMaxItemName units.
class NumberPasteParser {
public:
    static constexpr size_t kMinDigits = 8;
    static constexpr size_t kMaxDigits = 20;
    // Text beyond this many UTF-16 units (4 MB) is cut at the line end before it.
    static constexpr size_t kMaxInputLength = size_t{2} << 20;
    static constexpr size_t kMaxNumbers = 10000;
    static constexpr size_t kMaxItemName = 100;

    static PasteResult Parse(std::u16string_view text);
};

} // namespace parcelo
