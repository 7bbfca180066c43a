#include "dialogs/BulkAddDlg.h"

#include "dialogs/CourierComboDelegate.h"
#include "dialogs/DialogTitle.h"
#include "platform/LocalTime.h"
#include "platform/qt/QtText.h"
#include "platform/resource.h"
#include "render/qt/DpiCache.h"
#include "store/ShipmentDatabase.h"
#include "ui/MessageBoxService.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace parcelo {
namespace {

constexpr int kReviewDelayMs = 300; // typing pauses this long before the text is read again
constexpr int kMargin = 4;          // at 96 dots per inch
constexpr std::size_t kNamedRows = 5;

constexpr int kCourierRole = CourierComboDelegate::kCourierRole;
constexpr int kCandidatesRole = CourierComboDelegate::kCandidatesRole;

// Midnight of the local calendar day of `now`; `now` itself when the day cannot be worked out.
Instant StartOfDay(Instant now) {
    LocalDateTime fields;
    Instant start = now;
    if (BreakDownLocalTime(now, fields)) {
        fields.hour = fields.minute = fields.second = 0;
        if (!ComposeLocalTime(fields, start)) {
            start = now;
        }
    }
    return start;
}

} // namespace

CBulkAddDlg::CBulkAddDlg(const std::vector<Courier>& couriers, const CourierDetector& detector,
                         CShipmentDatabase& store, QWidget* parent)
    : CDialog(IDD_BULKADD_DIALOG, parent), m_couriers(couriers), m_detector(detector), m_store(store) {
    m_reviewTimer.setSingleShot(true);
    m_reviewTimer.setInterval(kReviewDelayMs);
    connect(&m_reviewTimer, &QTimer::timeout, this, &CBulkAddDlg::ReviewText);
}

CBulkAddDlg::~CBulkAddDlg() = default;

void CBulkAddDlg::OnInitDialog() {
    // Screen readers name the dialog by the title it draws, not by the program.
    setAccessibleName(ToQString(Title()));
    // The store is read once: what it holds does not change while the dialog is open.
    std::vector<std::u16string> names;
    for (const Courier& courier : m_couriers) {
        names.emplace_back(FieldView(courier.name));
    }
    m_review = std::make_unique<BulkAddReview>(m_detector, BulkAddReview::ReadStoredKeys(m_store), std::move(names));
    CreateMenuBar(IDR_BULKADD_MENU);

    auto* prompt = new QLabel(
        QCoreApplication::translate("BulkAddDlg", "송장번호가 들어 있는 글을 아래에 붙여 넣으십시오."), this);
    prompt->setTextFormat(Qt::PlainText);
    prompt->setWordWrap(true);
    m_text = new QPlainTextEdit(this);
    m_text->setObjectName(QStringLiteral("PastedText"));
    m_text->setAccessibleName(QCoreApplication::translate("BulkAddDlg", "붙여 넣은 글"));
    prompt->setBuddy(m_text);
    m_summary = new QLabel(this);
    m_summary->setTextFormat(Qt::PlainText);
    m_summary->setWordWrap(true);

    m_table = new QTableWidget(0, kColumnCount, this);
    m_table->setObjectName(QStringLiteral("ReviewTable"));
    m_table->setAccessibleName(QCoreApplication::translate("BulkAddDlg", "찾은 송장번호"));
    m_table->setHorizontalHeaderLabels(
        {QCoreApplication::translate("BulkAddDlg", "송장번호"), QCoreApplication::translate("BulkAddDlg", "택배회사"),
         QCoreApplication::translate("BulkAddDlg", "물품명"), QCoreApplication::translate("BulkAddDlg", "비고")});
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setSectionResizeMode(kItemColumn, QHeaderView::Stretch);
    m_table->setItemDelegateForColumn(kCourierColumn, new CourierComboDelegate(m_couriers, m_table));
    m_table->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked |
                             QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    connect(m_table, &QTableWidget::itemChanged, this, &CBulkAddDlg::OnItemChanged);
    m_applyCourier = new QPushButton(QCoreApplication::translate("BulkAddDlg", "택배사 일괄 적용(&A)"), this);
    m_applyCourier->setObjectName(QStringLiteral("ApplyCourier"));
    m_applyCourier->setAccessibleName(QCoreApplication::translate("BulkAddDlg", "택배사 일괄 적용"));
    m_applyCourier->setToolTip(QCoreApplication::translate("BulkAddDlg",
                                                           "고른 줄의 택배회사를, 택배회사가 없고 그 회사가 후보인 "
                                                           "체크된 줄 모두에 적용합니다."));
    connect(m_applyCourier, &QPushButton::clicked, this, &CBulkAddDlg::ApplyCourierToCandidates);

    auto* layout = new QVBoxLayout(this);
    const ScreenDpi& dpi = DpiCache::Program();
    const int margin = dpi.LogicalX(kMargin);
    layout->setContentsMargins(margin, TitleBandHeight(dpi) + margin, margin,
                               CommandBar().sizeHint().height() + margin);
    layout->addWidget(prompt);
    layout->addWidget(m_text, 1);
    layout->addWidget(m_summary);
    layout->addWidget(m_table, 2);
    layout->addWidget(m_applyCourier, 0, Qt::AlignLeft);

    connect(m_text, &QPlainTextEdit::textChanged, &m_reviewTimer, qOverload<>(&QTimer::start));
    if (!m_initialText.isEmpty()) {
        m_text->setPlainText(m_initialText);
        ReviewText();
    }
    ShowSummary();
}

void CBulkAddDlg::ReviewText() {
    m_reviewTimer.stop();
    if (m_review == nullptr) {
        return;
    }
    m_review->SetText(m_text->toPlainText().toStdU16String());
    FillTable();
}

void CBulkAddDlg::FillTable() {
    m_filling = true;
    const auto& rows = m_review->Rows();
    m_table->setRowCount(0);
    m_table->setRowCount(static_cast<int>(rows.size()));
    for (int row = 0; row < static_cast<int>(rows.size()); ++row) {
        const BulkAddReview::Row& data = rows[static_cast<std::size_t>(row)];
        auto* number = new QTableWidgetItem(ToQString(data.number));
        number->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        auto* courier = new QTableWidgetItem();
        courier->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable);
        QVariantList candidates;
        for (const int candidate : data.candidates) {
            candidates << candidate;
        }
        courier->setData(kCandidatesRole, candidates);
        auto* item = new QTableWidgetItem(ToQString(data.itemName));
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable);
        auto* mark = new QTableWidgetItem();
        mark->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        m_table->setItem(row, kNumberColumn, number);
        m_table->setItem(row, kCourierColumn, courier);
        m_table->setItem(row, kItemColumn, item);
        m_table->setItem(row, kMarkColumn, mark);
        ShowRow(row);
    }
    m_filling = false;
    m_table->resizeColumnToContents(kNumberColumn);
    m_table->resizeColumnToContents(kCourierColumn);
    ShowSummary();
}

// The tick, the courier and the mark of a row as the review has them.
void CBulkAddDlg::ShowRow(int row) {
    const bool filling = m_filling;
    m_filling = true;
    const BulkAddReview::Row& data = m_review->Rows()[static_cast<std::size_t>(row)];
    m_table->item(row, kNumberColumn)->setCheckState(data.checked ? Qt::Checked : Qt::Unchecked);
    QTableWidgetItem* courier = m_table->item(row, kCourierColumn);
    courier->setData(kCourierRole, data.courierIndex);
    courier->setText(data.courierIndex >= 0 ? CourierName(data.courierIndex)
                                            : QCoreApplication::translate("BulkAddDlg", "(선택)"));
    QStringList candidates;
    for (const int candidate : data.candidates) {
        candidates << CourierName(candidate);
    }
    courier->setToolTip(candidates.isEmpty() ? QString()
                                             : QCoreApplication::translate("BulkAddDlg", "후보: ") +
                                                   candidates.join(QStringLiteral(", ")));
    QStringList marks;
    if (data.stored) {
        marks << QCoreApplication::translate("BulkAddDlg", "등록됨");
    }
    if (data.repeated) {
        marks << QCoreApplication::translate("BulkAddDlg", "중복");
    }
    m_table->item(row, kMarkColumn)->setText(marks.join(QStringLiteral(", ")));
    m_filling = filling;
}

void CBulkAddDlg::ShowSummary() {
    const auto& rows = m_review->Rows();
    const auto checked = std::count_if(rows.begin(), rows.end(), [](const auto& row) { return row.checked; });
    QString text =
        QCoreApplication::translate("BulkAddDlg", "송장번호 %1개 중 %2개를 추가합니다.").arg(rows.size()).arg(checked);
    if (m_review->Truncated()) {
        text += QCoreApplication::translate("BulkAddDlg", " 글이 너무 길어 앞부분만 읽었습니다.");
    }
    m_summary->setText(text);
}

void CBulkAddDlg::OnItemChanged(QTableWidgetItem* item) {
    if (m_filling || item == nullptr) {
        return;
    }
    const int row = item->row();
    switch (item->column()) {
    case kNumberColumn:
        m_review->SetChecked(static_cast<std::size_t>(row), item->checkState() == Qt::Checked);
        break;
    case kCourierColumn:
        m_review->SetCourier(static_cast<std::size_t>(row), item->data(kCourierRole).toInt());
        ShowRow(row);
        break;
    case kItemColumn:
        m_review->SetItemName(static_cast<std::size_t>(row), item->text().toStdU16String());
        break;
    default:
        break;
    }
    ShowSummary();
}

void CBulkAddDlg::ApplyCourierToCandidates() {
    const int row = m_table->currentRow();
    const auto& rows = m_review->Rows();
    const int courier =
        row >= 0 && static_cast<std::size_t>(row) < rows.size() ? rows[static_cast<std::size_t>(row)].courierIndex : -1;
    if (courier < 0) {
        ShowMessage(this,
                    QCoreApplication::translate("BulkAddDlg",
                                                "택배회사를 고른 줄을 먼저 선택하십시오.\n그 회사가 후보인 다른 줄에 "
                                                "같은 회사를 적용합니다."),
                    MB_OK | MB_ICONINFORMATION);
        return;
    }
    if (m_review->SetCourierWhereCandidate(courier) == 0) {
        return;
    }
    for (int i = 0; i < m_table->rowCount(); ++i) {
        ShowRow(i);
    }
    ShowSummary();
}

QString CBulkAddDlg::CourierName(int courierIndex) const {
    const Courier* courier = FindCourier(m_couriers, courierIndex);
    if (courier == nullptr) {
        return {};
    }
    const std::u16string_view name = FieldView(courier->name);
    return QString::fromUtf16(name.data(), static_cast<qsizetype>(name.size()));
}

void CBulkAddDlg::OnOK() {
    if (m_review == nullptr) {
        return;
    }
    if (m_reviewTimer.isActive()) {
        ReviewText();
    }
    constexpr unsigned kWarning = MB_OK | MB_ICONEXCLAMATION;
    const std::vector<std::size_t> missing = m_review->CheckedWithoutCourier();
    if (!missing.empty()) {
        QStringList numbers;
        for (std::size_t i = 0; i < std::min(missing.size(), kNamedRows); ++i) {
            numbers << ToQString(m_review->Rows()[missing[i]].number);
        }
        QString list = numbers.join(QStringLiteral(", "));
        if (missing.size() > kNamedRows) {
            list += QCoreApplication::translate("BulkAddDlg", " 외 %1개").arg(missing.size() - kNamedRows);
        }
        ShowMessage(this,
                    QCoreApplication::translate("BulkAddDlg", "택배 회사를 고르지 않은 송장번호가 있습니다.\n%1\n"
                                                              "택배회사 칸에서 회사를 고르거나 체크를 해제하십시오.")
                        .arg(list),
                    kWarning);
        return;
    }
    const Instant now = CurrentInstant();
    std::vector<Shipment> shipments = m_review->MakeShipments(StartOfDay(now), now);
    if (shipments.empty()) {
        ShowMessage(this,
                    QCoreApplication::translate("BulkAddDlg",
                                                "추가할 송장번호가 없습니다.\n송장번호가 들어 있는 글을 붙여 넣고 "
                                                "추가할 줄을 체크하십시오."),
                    kWarning);
        return;
    }
    if (!m_store.AddBatch(shipments)) {
        // One transaction: nothing was added, and the review stays for another try.
        ShowMessage(this,
                    QCoreApplication::translate("BulkAddDlg",
                                                "배송정보를 추가하지 못했습니다. 아무것도 추가되지 않았습니다.\n"
                                                "잠시 후 다시 시도해 주십시오."),
                    MB_OK | MB_ICONERROR);
        return;
    }
    EndDialog(IDOK);
}

void CBulkAddDlg::paintEvent(QPaintEvent* event) {
    CDialog::paintEvent(event);
    DrawDialogTitle(*this, Title());
}

} // namespace parcelo
