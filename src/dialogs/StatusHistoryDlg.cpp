#include "dialogs/StatusHistoryDlg.h"

#include "platform/LocalTime.h"
#include "tracking/StatusNames.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace parcelo {

namespace {

// Empty for an event whose time the carrier did not give.
QString EventTime(const std::optional<Instant>& time) {
    LocalDateTime fields;
    if (!time || !BreakDownLocalTime(*time, fields)) {
        return {};
    }
    return QStringLiteral("%1-%2-%3 %4:%5")
        .arg(fields.year)
        .arg(fields.month, 2, 10, QLatin1Char('0'))
        .arg(fields.day, 2, 10, QLatin1Char('0'))
        .arg(fields.hour, 2, 10, QLatin1Char('0'))
        .arg(fields.minute, 2, 10, QLatin1Char('0'));
}

QString FromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())).simplified();
}

// The service's wording when it gave one, else the status's short name; the
// description follows it.
QString EventText(const TrackingEvent& event) {
    QString status = FromUtf8(event.statusName);
    if (status.isEmpty()) {
        const std::u16string name = ShortStatusName(event.statusCode);
        status = QString::fromUtf16(name.data(), static_cast<qsizetype>(name.size()));
    }
    const QString description = FromUtf8(event.description);
    return description.isEmpty() || description == status ? status : status + QStringLiteral(" - ") + description;
}

QTableWidgetItem* PlainItem(const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    item->setToolTip(text.toHtmlEscaped());
    return item;
}

} // namespace

CStatusHistoryDlg::CStatusHistoryDlg(const std::vector<TrackingEvent>& events, std::function<void()> openTracking,
                                     QWidget* parent)
    : QDialog(parent), m_table(new QTableWidget(static_cast<int>(events.size()), 3, this)) {
    setWindowTitle(QCoreApplication::translate("StatusHistoryDlg", "배송 이력"));
    auto* layout = new QVBoxLayout(this);
    if (events.empty()) {
        auto* empty =
            new QLabel(QCoreApplication::translate("StatusHistoryDlg", "아직 확인된 배송 이력이 없습니다."), this);
        empty->setTextFormat(Qt::PlainText);
        layout->addWidget(empty);
    }
    m_table->setHorizontalHeaderLabels({QCoreApplication::translate("StatusHistoryDlg", "시각"),
                                        QCoreApplication::translate("StatusHistoryDlg", "장소"),
                                        QCoreApplication::translate("StatusHistoryDlg", "내용")});
    m_table->verticalHeader()->setVisible(false);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setWordWrap(true);
    for (size_t row = 0; row < events.size(); ++row) {
        const TrackingEvent& event = events[row];
        const int r = static_cast<int>(row);
        m_table->setItem(r, 0, PlainItem(EventTime(event.time)));
        m_table->setItem(r, 1, PlainItem(FromUtf8(event.location)));
        m_table->setItem(r, 2, PlainItem(EventText(event)));
    }
    m_table->resizeColumnsToContents();
    m_table->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(m_table, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    if (openTracking) {
        QPushButton* track = buttons->addButton(QCoreApplication::translate("StatusHistoryDlg", "배송 조회"),
                                                QDialogButtonBox::ActionRole);
        track->setObjectName(QStringLiteral("TrackButton"));
        connect(track, &QPushButton::clicked, this, [open = std::move(openTracking)] { open(); });
    }
    layout->addWidget(buttons);
}

} // namespace parcelo
