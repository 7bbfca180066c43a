#pragma once

#include <string>
#include <string_view>

namespace parcelo {

// Latin capital letters (ASCII, Latin-1 and full-width) to small ones; everything
// else is returned unchanged.
char16_t FoldLatinCase(char16_t c);

// Blanks (the platform's space class) and hyphens (ASCII, Unicode dashes, the minus
// sign, the full-width hyphen-minus).
bool IsBlankOrHyphen(char16_t c);

// A name as it is compared: without blanks at either end, Latin letters in small.
// " CJ대한통운" and "cj대한통운" give the same key.
std::u16string FoldedName(std::u16string_view name);

// An invoice number as it is compared: blanks and hyphens removed, Latin letters in
// capitals. "cj 1234-5678" and "CJ12345678" give the same key.
std::u16string NormaliseInvoiceNumber(std::u16string_view number);

} // namespace parcelo
