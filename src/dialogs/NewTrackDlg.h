#pragma once

#include "couriers/Courier.h"
#include "dialogs/Dialog.h"
#include "store/Shipment.h"

#include <vector>

class QComboBox;
class QDateTimeEdit;
class QLabel;
class QLineEdit;

namespace parcelo {

class CShipmentDatabase;

// The shipment editor: creates a new shipment (edit position -1) or edits the
// one at a position of the database's current sort order. On OK it checks
// courier, item name and invoice number in that order, writes the shipment
// itself and ends with IDOK only once the write has succeeded.
class CNewTrackDlg : public CDialog {
    Q_OBJECT
public:
    static constexpr int kNewShipment = -1;

    CNewTrackDlg(const std::vector<Courier>& couriers, CShipmentDatabase& store, QWidget* parent = nullptr);
    // The courier table is kept by reference: a temporary one would dangle.
    CNewTrackDlg(std::vector<Courier>&& couriers, CShipmentDatabase& store, QWidget* parent = nullptr) = delete;

    void SetEditPosition(int position) { m_editPosition = position; }
    int EditPosition() const { return m_editPosition; }
    // "새 배송조회" for a new shipment, "배송조회 편집" for an edit.
    std::u16string_view Title() const;

    void OnOK() override;

protected:
    void OnInitDialog() override;
    void paintEvent(QPaintEvent* event) override;

private:
    void FillCouriers();
    void LoadShipment();
    void ShowCourierNote(int courierIndex);
    // Checks the input in order; shows the first complaint and returns false.
    bool Validate();
    Shipment ShipmentFromControls() const;
    Instant OrderDateFromPicker() const;
    void SetPickerTo(Instant instant);

    const std::vector<Courier>& m_couriers;
    CShipmentDatabase& m_store;
    int m_editPosition = kNewShipment;
    Instant m_savedEntryDate = 0;
    int32_t m_savedStatus = InDelivery;

    QComboBox* m_courierCombo = nullptr;
    QLabel* m_note = nullptr;
    QLineEdit* m_itemName = nullptr;
    QLineEdit* m_invoiceNumber = nullptr;
    QDateTimeEdit* m_orderDate = nullptr;
    QComboBox* m_statusCombo = nullptr;
};

} // namespace parcelo
