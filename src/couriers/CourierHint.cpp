#include "couriers/CourierHint.h"

#include "couriers/CourierDetector.h"

namespace parcelo {

CourierHint::Outcome CourierHint::Update(int selection, std::u16string_view number) {
    if (selection >= 0 && selection != m_picked) {
        m_userChose = true;
    }
    Outcome outcome;
    outcome.selection = selection;
    if (m_detector == nullptr) {
        return outcome;
    }
    if (m_mayPick && !m_userChose) {
        std::vector<int> found = m_detector->Detect(number);
        m_picked = m_detector->Pick(found);
        outcome.selection = m_picked;
        if (!found.empty()) {
            outcome.kind = m_picked >= 0 ? Kind::AutoSelected : Kind::Candidates;
            outcome.couriers = m_picked >= 0 ? std::vector<int>{m_picked} : std::move(found);
        }
        return outcome;
    }
    if (selection < 0) {
        // A stored shipment whose courier the table no longer has: name the candidates.
        outcome.couriers = m_detector->Detect(number);
        if (!outcome.couriers.empty()) {
            outcome.kind = Kind::Candidates;
        }
        return outcome;
    }
    if (!number.empty() && m_detector->Accepts(selection, number) == CourierDetector::Verdict::Rejected) {
        outcome.kind = Kind::Warning;
    }
    return outcome;
}

} // namespace parcelo
