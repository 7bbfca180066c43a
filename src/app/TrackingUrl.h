#pragma once

#include <string>
#include <string_view>

namespace parcelo {

// Builds a tracking address from a courier's pattern and an invoice number.
// The pattern comes from parcelo.ini, so it is never handed to printf: "%s" is
// replaced by the invoice number (every occurrence), "%%" gives "%", and any
// other "%" sequence is kept as written.
std::u16string FormatTrackingUrl(std::u16string_view pattern, std::u16string_view invoiceNumber);

} // namespace parcelo
