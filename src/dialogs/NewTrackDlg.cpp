#include "dialogs/NewTrackDlg.h"

#include "dialogs/DialogTitle.h"
#include "list/ShipmentItemText.h"
#include "platform/Clock.h"
#include "platform/LocalTime.h"
#include "platform/NumberNormaliser.h"
#include "platform/TextFolding.h"
#include "platform/Translation.h"
#include "platform/qt/QtText.h"
#include "platform/resource.h"
#include "store/ShipmentDatabase.h"
#include "store/StoreErrorText.h"
#include "ui/MessageBoxService.h"
#include "ui/QtMenuBuilder.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDateTimeEdit>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <algorithm>

namespace parcelo {
namespace {

constexpr unsigned kWarning = MB_OK | MB_ICONEXCLAMATION;
// A text kept above, in the interface's language.
std::u16string Tr(const char* text) {
    return Translate("NewTrackDlg", text);
}

constexpr char kSaveFailed[] = QT_TRANSLATE_NOOP("NewTrackDlg", "배송정보를 저장하지 못했습니다.");
constexpr char kDeletedElsewhere[] =
    QT_TRANSLATE_NOOP("NewTrackDlg", "이 배송정보가 다른 곳에서 삭제되었습니다. 목록을 다시 읽습니다.");
constexpr char kReadFailed[] = QT_TRANSLATE_NOOP("NewTrackDlg", "배송정보를 읽지 못했습니다.");
constexpr char kDuplicate[] =
    QT_TRANSLATE_NOOP("NewTrackDlg", "이미 등록된 송장번호입니다: 상품명 %1\n그래도 저장하시겠습니까?");
constexpr char kDiscardQuestion[] = QT_TRANSLATE_NOOP("NewTrackDlg", "변경 내용을 저장하지 않고 닫을까요?");

// The order dates the picker offers. The store reads a date before 1900 back as
// 1970-01-01, so none is offered; the end is far enough for any real order.
QDateTime EarliestOrderDate() {
    return {QDate(1900, 1, 1), QTime(0, 0), Qt::UTC};
}
QDateTime LatestOrderDate() {
    return {QDate(2100, 12, 31), QTime(23, 59, 59), Qt::UTC};
}

std::u16string ToU16(const QString& text) {
    return {reinterpret_cast<const char16_t*>(text.constData()), static_cast<std::size_t>(text.size())};
}

} // namespace

CNewTrackDlg::CNewTrackDlg(const std::vector<Courier>& couriers, CShipmentDatabase& store, const Clock& clock,
                           QWidget* parent)
    : CDialog(IDD_NEWTRACK_DIALOG, parent), m_couriers(couriers), m_store(store), m_clock(clock) {}

std::u16string CNewTrackDlg::Title() const {
    return m_editId == kNewShipment ? PARCELO_TR("NewTrackDlg", "새 배송조회")
                                    : PARCELO_TR("NewTrackDlg", "배송조회 편집");
}

void CNewTrackDlg::OnInitDialog() {
    // Screen readers name the dialog by the title it draws, not by the program.
    setAccessibleName(ToQString(Title()));
    m_courierCombo = qobject_cast<QComboBox*>(GetDlgItem(IDC_COURIER_COMBO));
    m_note = qobject_cast<QLabel*>(GetDlgItem(IDC_COURIER_NOTE));
    m_itemName = qobject_cast<QLineEdit*>(GetDlgItem(IDC_ITEM_NAME));
    m_invoiceNumber = qobject_cast<QLineEdit*>(GetDlgItem(IDC_INVOICE_NUMBER));
    m_orderDate = qobject_cast<QDateTimeEdit*>(GetDlgItem(IDC_ORDER_DATE));
    m_statusCombo = qobject_cast<QComboBox*>(GetDlgItem(IDC_STATUS_COMBO));
    if (!CreateMenuBar(IDR_NEWTRACK_MENU)) {
        return;
    }
    // The picker carries the local wall-clock fields as they are; Qt must not
    // move them across time zones or daylight-saving gaps.
    m_orderDate->setTimeSpec(Qt::UTC);
    m_orderDate->setDateTimeRange(EarliestOrderDate(), LatestOrderDate());

    // Courier names and notes come from parcelo.ini: text, never markup.
    m_note->setTextFormat(Qt::PlainText);
    FillCouriers();
    m_hint.emplace(m_detector, m_editId == kNewShipment);
    // The hint changes the selection only with the combo's signals blocked, so every
    // change seen here is the user's (or the caller's) own choice.
    connect(m_courierCombo, &QComboBox::currentIndexChanged, this, [this] {
        m_hint->UserChose();
        UpdateHint();
    });
    connect(m_courierCombo, &QComboBox::activated, this, [this] { m_hint->UserChose(); });
    connect(m_invoiceNumber, &QLineEdit::textChanged, this, &CNewTrackDlg::UpdateHint);
    if (m_editId == kNewShipment) {
        m_statusCombo->setCurrentIndex(InDelivery);
        SetPickerTo(m_clock.Now());
        m_loaded = true;
    } else if (!LoadShipment()) {
        // Nothing to edit: the dialog ends as soon as it runs.
        QMetaObject::invokeMethod(
            this, [this] { EndDialog(IDCANCEL); }, Qt::QueuedConnection);
    }
    m_loadedForm = FormState();
}

QStringList CNewTrackDlg::FormState() const {
    return {QString::number(m_courierCombo->currentIndex()), m_itemName->text(), m_invoiceNumber->text(),
            m_orderDate->dateTime().toString(Qt::ISODate), QString::number(m_statusCombo->currentIndex())};
}

void CNewTrackDlg::OnCancel() {
    if (m_loaded && m_courierCombo != nullptr && FormState() != m_loadedForm &&
        ShowMessage(this, QString::fromStdU16String(Tr(kDiscardQuestion)), MB_YESNO | MB_ICONQUESTION) != IDYES) {
        return; // the form stays as it is
    }
    EndDialog(IDCANCEL);
}

void CNewTrackDlg::FillCouriers() {
    for (const Courier& courier : m_couriers) {
        m_courierCombo->addItem(ToQString(FieldView(courier.name)));
    }
    m_courierCombo->setCurrentIndex(-1);
}

bool CNewTrackDlg::LoadShipment() {
    const std::optional<Shipment> read = m_store.Read(m_editId);
    if (!read) {
        const StoreError error = m_store.LastError();
        const std::u16string text =
            error == StoreError::NotFound ? Tr(kDeletedElsewhere) : StoreFailureText(Tr(kReadFailed), error);
        ShowMessage(this, QString::fromStdU16String(text), kWarning);
        return false;
    }
    const Shipment& shipment = *read;
    // A courier the configuration no longer lists: no selection and no note.
    const bool knownCourier = FindCourier(m_couriers, shipment.courierIndex) != nullptr;
    m_courierCombo->setCurrentIndex(knownCourier ? shipment.courierIndex : -1);
    ShowCourierNote(m_courierCombo->currentIndex());
    m_invoiceNumber->setText(QtMenuBuilder::ToQString(shipment.invoiceNumber));
    m_itemName->setText(QtMenuBuilder::ToQString(shipment.itemName));
    SetPickerTo(shipment.orderDate);
    m_savedEntryDate = shipment.entryDate;
    m_savedStatus = shipment.status;
    m_loadedShipment = shipment;
    // An unknown status code shows no selection and is written back unchanged.
    const bool knownStatus = shipment.status >= 0 && shipment.status < m_statusCombo->count();
    m_statusCombo->setCurrentIndex(knownStatus ? shipment.status : -1);
    m_loaded = true;
    return true;
}

void CNewTrackDlg::ShowCourierNote(int courierIndex) {
    const Courier* courier = FindCourier(m_couriers, courierIndex);
    SetNote(courier != nullptr ? ToQString(FieldView(courier->note)) : QString(), false);
}

void CNewTrackDlg::UpdateHint() {
    const CourierHint::Outcome outcome = m_hint->Update(m_courierCombo->currentIndex(), ToU16(m_invoiceNumber->text()));
    if (outcome.selection != m_courierCombo->currentIndex()) {
        const QSignalBlocker blocker(m_courierCombo);
        m_courierCombo->setCurrentIndex(outcome.selection);
    }
    QStringList names;
    for (const int index : outcome.couriers) {
        if (const Courier* courier = FindCourier(m_couriers, index)) {
            names << ToQString(FieldView(courier->name));
        }
    }
    switch (outcome.kind) {
    case CourierHint::Kind::CourierNote:
        ShowCourierNote(outcome.selection);
        break;
    case CourierHint::Kind::AutoSelected:
        SetNote(QCoreApplication::translate("NewTrackDlg", "자동 선택: ") + names.join(QString()), false);
        break;
    case CourierHint::Kind::Candidates:
        SetNote(QCoreApplication::translate("NewTrackDlg", "후보: ") + names.join(QStringLiteral(", ")), false);
        break;
    case CourierHint::Kind::Warning:
        SetNote(QCoreApplication::translate("NewTrackDlg", "송장번호를 다시 확인하십시오"), true);
        break;
    }
}

void CNewTrackDlg::SetNote(const QString& text, bool warning) {
    QPalette palette; // without a role of its own: the label's colours are inherited again
    if (warning) {
        palette = m_note->palette();
        palette.setColor(QPalette::WindowText, Qt::red);
    }
    m_note->setPalette(palette);
    m_note->setText(text);
}

void CNewTrackDlg::SetPickerTo(Instant instant) {
    LocalDateTime fields;
    if (!BreakDownLocalTime(instant, fields)) {
        BreakDownLocalTime(m_clock.Now(), fields);
    }
    const QDateTime value(QDate(fields.year, fields.month, fields.day),
                          QTime(fields.hour, fields.minute, fields.second), Qt::UTC);
    // A later date that another program stored is shown and saved as it is, not cut to the range.
    if (value > m_orderDate->maximumDateTime()) {
        m_orderDate->setMaximumDateTime(value);
    }
    m_orderDate->setDateTime(value);
}

Instant CNewTrackDlg::OrderDateFromPicker() const {
    const QDateTime value = m_orderDate->dateTime();
    LocalDateTime fields;
    fields.year = value.date().year();
    fields.month = value.date().month();
    fields.day = value.date().day();
    fields.hour = value.time().hour();
    fields.minute = value.time().minute();
    fields.second = value.time().second();
    Instant instant = 0;
    ComposeLocalTime(fields, instant);
    return instant;
}

bool CNewTrackDlg::Validate() {
    if (m_courierCombo->currentIndex() < 0) {
        ShowMessage(this, QCoreApplication::translate("NewTrackDlg", "택배 회사를 선택하십시오."), kWarning);
        return false;
    }
    if (m_itemName->text().isEmpty()) {
        ShowMessage(this, QCoreApplication::translate("NewTrackDlg", "물품명을 입력하십시오"), kWarning);
        return false;
    }
    if (m_invoiceNumber->text().isEmpty()) {
        ShowMessage(this, QCoreApplication::translate("NewTrackDlg", "송장번호를 입력하십시오"), kWarning);
        return false;
    }
    if (IsInvoiceNumberTooLong(ToU16(m_invoiceNumber->text()))) {
        ShowMessage(this, QString::fromStdU16String(Translate("NumberNormaliser", kInvoiceNumberTooLongText)),
                    kWarning);
        m_invoiceNumber->setFocus();
        return false;
    }
    return true;
}

bool CNewTrackDlg::DuplicateAccepted(const Shipment& shipment) {
    const std::u16string number = NormaliseInvoiceNumber(shipment.invoiceNumber);
    if (m_editId != kNewShipment && shipment.courierIndex == m_loadedShipment.courierIndex &&
        number == NormaliseInvoiceNumber(m_loadedShipment.invoiceNumber)) {
        return true; // unchanged: a duplicate it already was has been asked about
    }
    std::vector<Shipment> stored;
    m_store.Query(ShipmentQuery{}, stored); // unreadable: the write that follows says so
    const auto same = std::find_if(stored.begin(), stored.end(), [&](const Shipment& other) {
        return other.id != m_editId && other.courierIndex == shipment.courierIndex &&
               NormaliseInvoiceNumber(other.invoiceNumber) == number;
    });
    if (same == stored.end()) {
        return true;
    }
    const QString question =
        QString::fromStdU16String(Tr(kDuplicate)).arg(ToQString(ShortenedForMessage(same->itemName)));
    return ShowMessage(this, question, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

Shipment CNewTrackDlg::ShipmentFromControls() const {
    Shipment shipment;
    shipment.courierIndex = m_courierCombo->currentIndex();
    shipment.itemName = ToU16(m_itemName->text());
    shipment.invoiceNumber = ToU16(m_invoiceNumber->text());
    shipment.orderDate = OrderDateFromPicker();
    const int status = m_statusCombo->currentIndex();
    shipment.status = status >= 0 ? status : m_savedStatus;
    return shipment;
}

void CNewTrackDlg::OnOK() {
    if (!m_loaded) {
        EndDialog(IDCANCEL); // nothing was read, so nothing may be written
        return;
    }
    if (m_courierCombo == nullptr || !Validate()) {
        return;
    }
    Shipment shipment = ShipmentFromControls();
    if (!DuplicateAccepted(shipment)) {
        return;
    }
    bool written = false;
    if (m_editId == kNewShipment) {
        shipment.entryDate = m_clock.Now();
        written = m_store.Add(shipment);
    } else {
        shipment.id = m_editId;
        shipment.entryDate = m_savedEntryDate;
        written = m_store.Update(shipment);
    }
    if (!written) {
        TellWriteFailure();
        return;
    }
    m_savedId = shipment.id;
    EndDialog(IDOK);
}

// A failure a retry may mend keeps the dialog open with what the user typed. A
// shipment deleted elsewhere meanwhile cannot be saved: the dialog ends and the list
// is read again.
void CNewTrackDlg::TellWriteFailure() {
    const StoreError error = m_store.LastError();
    ShowMessage(this, QString::fromStdU16String(StoreFailureText(Tr(kSaveFailed), error)), MB_OK | MB_ICONERROR);
    if (error == StoreError::NotFound) {
        EndDialog(IDCANCEL);
    }
}

void CNewTrackDlg::paintEvent(QPaintEvent* event) {
    CDialog::paintEvent(event);
    DrawDialogTitle(*this, Title());
}

} // namespace parcelo
