#include "app/StoreFileCommands.h"

#include "app/FileChooser.h"
#include "dialogs/ImportConfirmDlg.h"
#include "listui/ShipmentListView.h"
#include "platform/qt/QtText.h"
#include "platform/resource.h"
#include "store/ShipmentDatabase.h"
#include "store/StoreBackup.h"
#include "store/StoreErrorText.h"
#include "transfer/ShipmentTransfer.h"
#include "ui/MessageBoxService.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace parcelo {

namespace {

QString CsvFilter() {
    return QCoreApplication::translate("StoreFileCommands", "CSV 파일 (*.csv)");
}
QString JsonFilter() {
    return QCoreApplication::translate("StoreFileCommands", "JSON 파일 (*.json)");
}
QString BackupFilter() {
    return QCoreApplication::translate("StoreFileCommands", "Parcelo 백업 (*.edb);;모든 파일 (*)");
}

} // namespace

CStoreFileCommands::CStoreFileCommands(CShipmentListView& view, CShipmentDatabase& store,
                                       const std::vector<Courier>& couriers, const CourierDetector& detector,
                                       FileChooser& chooser, QWidget* parent)
    : m_view(view), m_store(store), m_couriers(couriers), m_detector(detector), m_chooser(&chooser), m_parent(parent) {}

bool CStoreFileCommands::OnCommand(int command) {
    switch (command) {
    case ID_EXPORT:
        Export();
        return true;
    case ID_IMPORT:
        Import();
        return true;
    case ID_BACKUP:
        BackUp();
        return true;
    case ID_RESTORE:
        Restore();
        return true;
    default:
        return false;
    }
}

void CStoreFileCommands::Tell(const QString& text, unsigned icon) const {
    ShowMessage(m_parent, text, MB_OK | icon);
}

void CStoreFileCommands::Export() {
    // With a filter or a find text the user chooses between what the list shows and
    // everything, or exports nothing (Escape too).
    const bool narrowed = m_view.Filter() != FILTER_ALL || !m_view.FindText().isEmpty();
    bool onlyShown = false;
    if (narrowed) {
        const QString question =
            QCoreApplication::translate("StoreFileCommands",
                                        "목록에 표시된 %1건만 내보내시겠습니까?\n\n"
                                        "예: 표시된 배송정보만\n아니요: 모든 배송정보\n취소: 내보내지 않음")
                .arg(m_view.ShownCount());
        const int answer = ShowMessage(m_parent, question, MB_YESNOCANCEL | MB_ICONQUESTION);
        if (answer != IDYES && answer != IDNO) {
            return;
        }
        onlyShown = answer == IDYES;
    }
    QString chosenFilter = CsvFilter();
    QString file = m_chooser->SaveFile(m_parent, QCoreApplication::translate("StoreFileCommands", "내보내기"),
                                       QStringLiteral("parcelo.csv"), CsvFilter() + QStringLiteral(";;") + JsonFilter(),
                                       &chosenFilter);
    if (file.isEmpty()) {
        return;
    }
    std::optional<ShipmentTransfer::Format> format = ShipmentTransfer::FormatOf(LocalPath(file));
    if (!format) {
        // No known extension: the chosen filter decides, and its extension is added.
        const bool json = chosenFilter == JsonFilter();
        file += json ? QStringLiteral(".json") : QStringLiteral(".csv");
        format = json ? ShipmentTransfer::Format::Json : ShipmentTransfer::Format::Csv;
    }
    ShipmentTransfer transfer(m_store, m_couriers, &m_detector);
    ShipmentQuery query = m_view.Query();
    ShipmentTransfer::ShipmentFilter keep;
    if (onlyShown) {
        keep = [this](const Shipment& shipment) { return m_view.IsFound(shipment); };
    } else {
        query.filter = FILTER_ALL;
    }
    size_t exported = 0;
    const ShipmentTransfer::Error error = transfer.Export(LocalPath(file), *format, query, &exported, keep);
    if (error != ShipmentTransfer::Error::None) {
        Tell(QCoreApplication::translate("StoreFileCommands", "내보내지 못했습니다.\n%1\n\n%2")
                 .arg(file, ToQString(DescribeTransferError(error))),
             MB_ICONEXCLAMATION);
        return;
    }
    Tell(QCoreApplication::translate("StoreFileCommands", "배송정보 %1건을 내보냈습니다.\n%2").arg(exported).arg(file),
         MB_ICONINFORMATION);
}

void CStoreFileCommands::Import() {
    const QString file = m_chooser->OpenFile(
        m_parent, QCoreApplication::translate("StoreFileCommands", "가져오기"),
        QCoreApplication::translate("StoreFileCommands", "배송정보 파일 (*.csv *.json);;모든 파일 (*)"));
    if (!file.isEmpty()) {
        ImportFile(file);
    }
}

void CStoreFileCommands::ImportFile(const QString& file) {
    ShipmentTransfer transfer(m_store, m_couriers, &m_detector);
    ImportPlan plan;
    ShipmentTransfer::Error error = transfer.PlanImport(LocalPath(file), plan);
    if (error == ShipmentTransfer::Error::None && plan.failed) {
        error = ShipmentTransfer::Error::Unrecognised;
    }
    if (error != ShipmentTransfer::Error::None) {
        QString text = QCoreApplication::translate("StoreFileCommands", "가져오지 못했습니다.\n%1\n\n%2")
                           .arg(file, ToQString(DescribeTransferError(error)));
        if (!plan.errors.empty()) {
            text += u'\n' + ToQString(plan.errors.front().reason);
        }
        Tell(text, MB_ICONEXCLAMATION);
        return;
    }
    CImportConfirmDlg confirm(plan, file, m_parent);
    if (confirm.exec() != QDialog::Accepted || plan.toAdd.empty()) {
        return; // nothing written
    }
    error = transfer.CommitImport(plan);
    m_view.Refresh(RefillCause::Elsewhere);
    if (error != ShipmentTransfer::Error::None) {
        Tell(QCoreApplication::translate("StoreFileCommands",
                                         "가져오지 못했습니다. 배송정보는 하나도 추가되지 않았습니다.\n\n%1")
                 .arg(ToQString(DescribeTransferError(error))),
             MB_ICONEXCLAMATION);
    }
}

void CStoreFileCommands::BackUp() {
    const QString file = m_chooser->SaveFile(m_parent, QCoreApplication::translate("StoreFileCommands", "백업"),
                                             QStringLiteral("parcelo-backup.edb"), BackupFilter(), nullptr);
    if (file.isEmpty()) {
        return;
    }
    const StoreError error = StoreBackup::BackUp(m_store, LocalPath(file));
    if (error != StoreError::None) {
        Tell(QCoreApplication::translate("StoreFileCommands", "백업하지 못했습니다.\n%1\n\n%2")
                 .arg(file, ToQString(DescribeStoreError(error))),
             MB_ICONEXCLAMATION);
        return;
    }
    Tell(QCoreApplication::translate("StoreFileCommands", "배송정보를 백업했습니다.\n%1").arg(file),
         MB_ICONINFORMATION);
}

void CStoreFileCommands::Restore() {
    const QString file =
        m_chooser->OpenFile(m_parent, QCoreApplication::translate("StoreFileCommands", "복원"), BackupFilter());
    if (file.isEmpty()) {
        return;
    }
    StoreError error = StoreBackup::Check(LocalPath(file));
    if (error != StoreError::None) {
        Tell(QCoreApplication::translate("StoreFileCommands", "이 파일로 복원할 수 없습니다.\n%1\n\n%2")
                 .arg(file, ToQString(DescribeStoreError(error))),
             MB_ICONEXCLAMATION);
        return;
    }
    const QString kept = QFile::decodeName(StoreBackup::KeptCopyOf(m_store.VolumeFile()).c_str());
    const QString question =
        QCoreApplication::translate("StoreFileCommands", "이 파일의 배송정보로 바꾸시겠습니까?\n%1\n\n"
                                                         "현재 배송정보는 %2 으로 보관됩니다.")
            .arg(file, kept);
    if (ShowMessage(m_parent, question, MB_YESNO | MB_ICONQUESTION) != IDYES) {
        return;
    }
    error = StoreBackup::Restore(m_store, LocalPath(file));
    m_view.Refresh(RefillCause::Elsewhere);
    if (error != StoreError::None) {
        Tell(QCoreApplication::translate("StoreFileCommands", "복원하지 못했습니다.\n\n%1")
                 .arg(ToQString(DescribeStoreError(error))),
             MB_ICONEXCLAMATION);
    }
}

} // namespace parcelo
