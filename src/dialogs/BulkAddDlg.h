#pragma once

#include "couriers/Courier.h"
#include "dialogs/BulkAddReview.h"
#include "dialogs/Dialog.h"
#include "platform/Translation.h"

#include <QTimer>
#include <memory>
#include <string_view>
#include <vector>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;
class QTableWidgetItem;

namespace parcelo {

class CourierDetector;
class CShipmentDatabase;

// Adds many shipments at once. The user pastes any text that holds invoice numbers
// (an order page, a mail, a spreadsheet column); a table lists each number found with
// a tick, the courier (detected, or chosen from a list that starts with the couriers
// that accept the number), the item name from the same line and a mark for numbers
// that are already stored or repeated in the text. OK adds every ticked row in one
// transaction, in delivery, ordered today; if that fails nothing is added and the
// dialog stays open.
class CBulkAddDlg : public CDialog {
    Q_OBJECT
public:
    enum Column { kNumberColumn, kCourierColumn, kItemColumn, kMarkColumn, kColumnCount };

    // The courier table, the detector and the store are kept by reference.
    CBulkAddDlg(const std::vector<Courier>& couriers, const CourierDetector& detector, CShipmentDatabase& store,
                QWidget* parent = nullptr);
    CBulkAddDlg(std::vector<Courier>&& couriers, const CourierDetector& detector, CShipmentDatabase& store,
                QWidget* parent = nullptr) = delete;
    ~CBulkAddDlg() override;

    static std::u16string Title() { return PARCELO_TR("BulkAddDlg", "여러 건 추가"); }

    QPlainTextEdit& TextBox() { return *m_text; }
    QTableWidget& Table() { return *m_table; }
    const BulkAddReview& Review() const { return *m_review; }
    // The text the dialog opens with (a drop or a paste on the list), read at once.
    void SetInitialText(const QString& text) { m_initialText = text; }
    // Reads the text box now rather than after the short pause that follows typing.
    void ReviewText();
    // The courier of the current row goes to every ticked row that has none and lists
    // it among its candidates ("택배사 일괄 적용").
    void ApplyCourierToCandidates();

    void OnOK() override;

protected:
    void OnInitDialog() override;
    void paintEvent(QPaintEvent* event) override;

private:
    void FillTable();
    void ShowRow(int row);
    void ShowSummary();
    void OnItemChanged(QTableWidgetItem* item);
    QString CourierName(int courierIndex) const;

    const std::vector<Courier>& m_couriers;
    const CourierDetector& m_detector;
    CShipmentDatabase& m_store;
    std::unique_ptr<BulkAddReview> m_review;
    QPlainTextEdit* m_text = nullptr;
    QTableWidget* m_table = nullptr;
    QLabel* m_summary = nullptr;
    QPushButton* m_applyCourier = nullptr;
    QTimer m_reviewTimer;
    QString m_initialText;
    bool m_filling = false;
};

} // namespace parcelo
