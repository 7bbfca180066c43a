#include "list/ShipmentListModel.h"

#include "list/ShipmentItemText.h"
#include "list/ShipmentStatusText.h"
#include "store/ShipmentTracking.h"

#include <algorithm>

namespace parcelo {

size_t ShipmentListModel::Read(CShipmentDatabase& store, size_t firstRows) {
    size_t selected = 0;
    if (firstRows != 0 && !m_matcher) {
        store.QueryFirst(m_query, firstRows, m_queried, selected);
    } else {
        store.Query(m_query, m_queried);
        selected = m_queried.Size();
    }
    return selected > m_queried.Size() ? selected - m_queried.Size() : 0;
}

void ShipmentListModel::ChooseRows(Instant fillTime, ShipmentTracking* tracking) {
    m_rows.clear();
    m_rowIds.clear();
    m_fillTime = fillTime;
    m_rows.reserve(m_queried.Size());
    m_rowIds.reserve(m_queried.Size());
    for (uint32_t row = 0; row < m_queried.Size(); ++row) {
        if (m_matcher &&
            !IsFound(m_queried.IdAt(row), m_queried.CourierAt(row), m_queried.InvoiceAt(row), m_queried.ItemAt(row))) {
            continue;
        }
        m_rows.push_back(row);
        m_rowIds.push_back(m_queried.IdAt(row));
    }
    m_latest.clear();
    if (tracking != nullptr && !m_rowIds.empty() && !tracking->LatestEvents(m_rowIds, m_latest)) {
        m_latest.clear();
    }
}

void ShipmentListModel::SetFindText(std::u16string_view text) {
    const ShipmentMatcher matcher(text);
    if (matcher.MatchesEverything()) {
        m_matcher.reset();
        m_searchKeys.clear();
    } else {
        m_matcher = matcher;
    }
}

bool ShipmentListModel::IsFound(int64_t id, int32_t courierIndex, std::u16string_view invoice,
                                std::u16string_view item) {
    if (!m_matcher) {
        return true;
    }
    auto [entry, added] = m_searchKeys.try_emplace(id);
    CachedKey& cached = entry->second;
    if (added || cached.courierIndex != courierIndex || cached.invoice != invoice || cached.item != item) {
        const Courier* courier = FindCourier(m_couriers, courierIndex);
        cached.courierIndex = courierIndex;
        cached.invoice = invoice;
        cached.item = item;
        cached.key = ShipmentSearchKey::Make(courier != nullptr ? FieldView(courier->name) : std::u16string_view(),
                                             invoice, item);
    }
    return m_matcher->Matches(cached.key);
}

int64_t ShipmentListModel::IdAt(int row) const {
    return row >= 0 && static_cast<size_t>(row) < m_rowIds.size() ? m_rowIds[static_cast<size_t>(row)] : 0;
}

int ShipmentListModel::RowOf(int64_t id) const {
    const auto row = std::find(m_rowIds.begin(), m_rowIds.end(), id);
    return id != 0 && row != m_rowIds.end() ? static_cast<int>(row - m_rowIds.begin()) : -1;
}

std::u16string ShipmentListModel::ItemText(size_t row) const {
    const Shipment shipment = ShipmentAt(row);
    const auto event = m_latest.find(shipment.id);
    const std::u16string status = event != m_latest.end() ? FormatLatestStatus(event->second) : std::u16string();
    return FormatShipmentItem(shipment, FindCourier(m_couriers, shipment.courierIndex), m_fillTime, status);
}

int ShipmentListModel::RowToSelect(RefillCause cause, int rowBefore, int64_t idBefore) const {
    if (cause == RefillCause::User) {
        return rowBefore >= 0 && static_cast<size_t>(rowBefore) < m_rows.size() ? rowBefore : -1;
    }
    return RowOf(idBefore);
}

} // namespace parcelo
