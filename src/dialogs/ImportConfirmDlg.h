#pragma once

#include "transfer/ShipmentImporter.h"

#include <QDialog>

class QLabel;
class QPlainTextEdit;

namespace parcelo {

// Shows what an import would do before anything is written: the summary ("12건 추가,
// 3건 중복, 1건 오류") and, line by line, the shipments left out and why. Accepted only
// by OK, and only offered when there is something to add.
class CImportConfirmDlg : public QDialog {
    Q_OBJECT

public:
    CImportConfirmDlg(const ImportPlan& plan, const QString& fileName, QWidget* parent = nullptr);

    // The summary line and the text of the list of lines left out, as shown.
    QString SummaryText() const;
    QString DetailText() const;

    // The list of lines left out: "3행: 택배사를 알 수 없습니다" for each error and
    // "5행: 이미 있는 배송정보" for each duplicate, in line order.
    static QString Details(const ImportPlan& plan);

private:
    QLabel* m_summary = nullptr;
    QPlainTextEdit* m_details = nullptr;
};

} // namespace parcelo
