#pragma once

#include <string>
#include <string_view>

namespace parcelo {

// Builds a tracking address from a courier's pattern and an invoice number.
// The pattern comes from parcelo.ini, so it is never handed to printf: "%s" is
// replaced by the invoice number (every occurrence), "%%" gives "%", and any
// other "%" sequence is kept as written.
//
// The invoice number is what the user typed, so it goes in percent-encoded as a
// query component: ASCII letters, digits and "-._~" stay, every other byte of its
// UTF-8 form becomes %XX. A "&", "#", "+" or "%" in it therefore reaches the
// server as part of the number instead of starting a parameter or a fragment.
std::u16string FormatTrackingUrl(std::u16string_view pattern, std::u16string_view invoiceNumber);

} // namespace parcelo
