#include "list/ShipmentMatcher.h"

#include "platform/CharClass.h"
#include "platform/TextFolding.h"

namespace parcelo {

ShipmentMatcher::ShipmentMatcher(std::u16string_view query) {
    query = TrimSpaces(query);
    m_everything = query.empty();

    bool onlyJamo = true;
    for (const char16_t c : query) {
        const char16_t folded = FoldLatinCase(c);
        m_folded.push_back(folded);
        if (IsPlatformSpace(c)) {
            continue;
        }
        m_compact.push_back(folded);
        if (IsInitialConsonantJamo(c)) {
            m_initialSearch = true;
        } else {
            onlyJamo = false;
        }
    }
    m_onlyInitials = m_initialSearch && onlyJamo;
    m_invoice = NormaliseInvoiceNumber(query);
}

bool ShipmentMatcher::Matches(const ShipmentSearchKey& key) const {
    if (m_everything) {
        return true;
    }
    if (MatchesText(key.item) || MatchesText(key.courier)) {
        return true;
    }
    return !m_invoice.empty() && key.invoice.find(m_invoice) != std::u16string::npos;
}

bool ShipmentMatcher::MatchesText(const ShipmentSearchKey::Text& text) const {
    if (!m_initialSearch) {
        return text.folded.find(m_folded) != std::u16string::npos;
    }
    if (m_onlyInitials) {
        // A jamo in the text stands for itself in `initials`, so a query of jamo only
        // is a substring of it.
        return text.initials.find(m_compact) != std::u16string::npos;
    }
    return MatchesInitials(text);
}

bool ShipmentMatcher::MatchesInitials(const ShipmentSearchKey::Text& text) const {
    const size_t length = m_compact.size();
    if (text.compact.size() < length) {
        return false;
    }
    const size_t last = text.compact.size() - length;
    for (size_t start = 0; start <= last; ++start) {
        size_t i = 0;
        for (; i < length; ++i) {
            const char16_t q = m_compact[i];
            if (q != text.compact[start + i] && q != text.initials[start + i]) {
                break;
            }
        }
        if (i == length) {
            return true;
        }
    }
    return false;
}

} // namespace parcelo
