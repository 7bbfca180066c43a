#include "platform/NumberNormaliser.h"

namespace parcelo {

std::u16string NormaliseNumber(std::u16string_view typed) {
    std::u16string normalised;
    normalised.reserve(typed.size());
    for (const char16_t c : typed) {
        if (!IsNumberBlank(c) && !IsNumberDash(c)) {
            normalised.push_back(FoldNumberChar(c));
        }
    }
    return normalised;
}

bool IsInvoiceNumberTooLong(std::u16string_view typed) {
    size_t length = 0;
    for (const char16_t c : typed) {
        if (!IsNumberBlank(c) && !IsNumberDash(c) && ++length > kMaxInvoiceNumberLength) {
            return true;
        }
    }
    return false;
}

} // namespace parcelo
