#pragma once

#include <cstddef>
#include <span>
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
    int courierIndex = -1;     // the courier the line names beside the number, or -1
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
//   between digits and before the last letters ("EE 123 456 785 KR");
// - a UPS number: "1Z" and 16 letters or digits, single blanks or hyphens allowed
//   between them ("1Z 999 AA1 01 2345 6784").
//
// Digits that touch Latin letters belong to a code ("ORD20241207001") and digits
// glued to other digits by '.' or ',' to an amount, so neither is taken.
//
// The item name is the nearest cell of the same line before the number (cells are
// cut at tabs and '|'), or when that is empty the nearest cell after it, trimmed of
// blanks and separators such as ':' and '-', at most kMaxItemName units. A cell that
// is a courier's name (or holds one courier's name and nothing but "택배" and marks
// besides) or a column caption is never the item name: the next cell is taken. A
// courier's name at the end of the name is cut off with the marks before it ("무선
// 이어폰: CJ대한통운" gives "무선 이어폰"), and a caption with its colon at the start
// ("상품명: 책" gives "책"). The courier so named is kept with the number.
//
// A line without numbers whose cells name the number column (송장번호, 운송장,
// tracking) and the item or courier column (상품명, 품명, item; 택배사, courier) is
// a header: in the lines after it that have as many cells, only numbers in the
// number column are taken, the item name is the item column's cell and the courier
// the courier column's, until the next header.
class NumberPasteParser {
public:
    static constexpr size_t kMinDigits = 8;
    static constexpr size_t kMaxDigits = 20;
    // Text beyond this many UTF-16 units (4 MB) is cut at the line end before it.
    static constexpr size_t kMaxInputLength = size_t{2} << 20;
    static constexpr size_t kMaxNumbers = 10000;
    static constexpr size_t kMaxItemName = 100;

    // `courierNames` are the names of the courier table, by index; a name is found in
    // the text with Latin case and blanks ignored.
    static PasteResult Parse(std::u16string_view text, std::span<const std::u16string> courierNames = {});
};

} // namespace parcelo
