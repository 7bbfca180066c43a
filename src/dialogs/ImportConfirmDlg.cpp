#include "dialogs/ImportConfirmDlg.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>
#include <vector>

namespace parcelo {

CImportConfirmDlg::CImportConfirmDlg(const ImportPlan& plan, const QString& fileName, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(QStringLiteral("가져오기"));
    setAccessibleName(windowTitle());
    auto* layout = new QVBoxLayout(this);

    auto* file = new QLabel(fileName, this);
    file->setTextFormat(Qt::PlainText);
    file->setWordWrap(true);
    layout->addWidget(file);

    m_summary = new QLabel(QString::fromStdU16String(plan.summary), this);
    m_summary->setTextFormat(Qt::PlainText);
    layout->addWidget(m_summary);

    m_details = new QPlainTextEdit(this);
    m_details->setReadOnly(true);
    m_details->setAccessibleName(QStringLiteral("가져올 수 없는 줄"));
    m_details->setPlainText(Details(plan));
    m_details->setVisible(!m_details->document()->isEmpty());
    layout->addWidget(m_details, 1);

    const bool anythingToAdd = !plan.toAdd.empty();
    auto* buttons = new QDialogButtonBox(
        anythingToAdd ? QDialogButtonBox::Ok | QDialogButtonBox::Cancel : QDialogButtonBox::Close, this);
    if (anythingToAdd) {
        buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("가져오기"));
        buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("취소"));
    } else {
        buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("닫기"));
    }
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

QString CImportConfirmDlg::SummaryText() const {
    return m_summary->text();
}

QString CImportConfirmDlg::DetailText() const {
    return m_details->toPlainText();
}

QString CImportConfirmDlg::Details(const ImportPlan& plan) {
    std::vector<std::pair<size_t, QString>> lines;
    lines.reserve(plan.errors.size() + plan.duplicates.size());
    for (const ImportError& error : plan.errors) {
        lines.emplace_back(error.line, QString::fromStdU16String(error.reason));
    }
    for (const ParsedShipment& duplicate : plan.duplicates) {
        lines.emplace_back(duplicate.line, QStringLiteral("이미 있는 배송정보"));
    }
    std::stable_sort(lines.begin(), lines.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    QStringList text;
    for (const auto& [line, reason] : lines) {
        text << (line > 0 ? QStringLiteral("%1행: %2").arg(line).arg(reason) : reason);
    }
    return text.join(u'\n');
}

} // namespace parcelo
