#pragma once

#include "couriers/Courier.h"
#include "couriers/CourierHint.h"
#include "dialogs/Dialog.h"
#include "store/Shipment.h"

#include <QStringList>
#include <cstdint>
#include <optional>
#include <vector>

class QComboBox;
class QDateTimeEdit;
class QLabel;
class QLineEdit;

namespace parcelo {

class CourierDetector;
class CShipmentDatabase;
class Clock;

// The shipment editor: creates a new shipment (edit id kNewShipment) or edits the
// shipment with an id. On OK it checks courier, item name and invoice number in
// that order, writes the shipment itself and ends with IDOK only once the write has
// succeeded. A shipment that can no longer be read is not edited: the editor says
// so and ends with IDCANCEL. With a courier detector, the line under the invoice
// number tells what the number suggests (see CourierHint); it never blocks saving.
class CNewTrackDlg : public CDialog {
    Q_OBJECT
public:
    static constexpr int64_t kNewShipment = 0;

    // The courier table, the store and the clock outlive the dialog.
    CNewTrackDlg(const std::vector<Courier>& couriers, CShipmentDatabase& store, const Clock& clock,
                 QWidget* parent = nullptr);
    // The courier table is kept by reference: a temporary one would dangle.
    CNewTrackDlg(std::vector<Courier>&& couriers, CShipmentDatabase& store, const Clock& clock,
                 QWidget* parent = nullptr) = delete;

    void SetEditId(int64_t id) { m_editId = id; }
    int64_t EditId() const { return m_editId; }
    // The id of the shipment written on OK; 0 until one is.
    int64_t SavedId() const { return m_savedId; }
    // The rules that suggest a courier from the number; kept by reference. Set before
    // the dialog is shown.
    void SetDetector(const CourierDetector& detector) { m_detector = &detector; }
    // "새 배송조회" for a new shipment, "배송조회 편집" for an edit.
    std::u16string Title() const;

    void OnOK() override;
    // Closing the window (or Escape) asks first when the form was changed.
    void OnCancel() override;

protected:
    void OnInitDialog() override;
    void paintEvent(QPaintEvent* event) override;

private:
    void FillCouriers();
    // False, after telling the user, when the shipment cannot be read.
    bool LoadShipment();
    void TellWriteFailure();
    void ShowCourierNote(int courierIndex);
    // Picks or keeps the courier and fills the note line from the number.
    void UpdateHint();
    void SetNote(const QString& text, bool warning);
    // Checks the input in order; shows the first complaint and returns false.
    bool Validate();
    // True when the shipment's courier and number are not stored for another shipment,
    // or the user chose to save it anyway. Asked only when they are new or changed.
    bool DuplicateAccepted(const Shipment& shipment);
    // What the form holds, to tell whether the user changed it.
    QStringList FormState() const;
    Shipment ShipmentFromControls() const;
    Instant OrderDateFromPicker() const;
    void SetPickerTo(Instant instant);

    const std::vector<Courier>& m_couriers;
    CShipmentDatabase& m_store;
    const Clock& m_clock;
    int64_t m_editId = kNewShipment;
    int64_t m_savedId = 0;
    QStringList m_loadedForm;  // FormState() once the form was filled
    Shipment m_loadedShipment; // the courier and number the form was filled with
    bool m_loaded = false;     // the form holds what it may write
    Instant m_savedEntryDate = 0;
    int32_t m_savedStatus = InDelivery;
    const CourierDetector* m_detector = nullptr;
    std::optional<CourierHint> m_hint;

    QComboBox* m_courierCombo = nullptr;
    QLabel* m_note = nullptr;
    QLineEdit* m_itemName = nullptr;
    QLineEdit* m_invoiceNumber = nullptr;
    QDateTimeEdit* m_orderDate = nullptr;
    QComboBox* m_statusCombo = nullptr;
};

} // namespace parcelo
