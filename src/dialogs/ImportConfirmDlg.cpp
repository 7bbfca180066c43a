#include "dialogs/ImportConfirmDlg.h"

#include <QCoreApplication>
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
    setWindowTitle(QCoreApplication::translate("ImportConfirmDlg", "가져오기"));
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
    m_details->setAccessibleName(QCoreApplication::translate("ImportConfirmDlg", "가져올 수 없는 줄"));
    m_details->setPlainText(Details(plan));
    m_details->setVisible(!m_details->document()->isEmpty());
    layout->addWidget(m_details, 1);

    const bool anythingToAdd = !plan.toAdd.empty();
    auto* buttons = new QDialogButtonBox(
        anythingToAdd ? QDialogButtonBox::Ok | QDialogButtonBox::Cancel : QDialogButtonBox::Close, this);
    if (anythingToAdd) {
        buttons->button(QDialogButtonBox::Ok)->setText(QCoreApplication::translate("ImportConfirmDlg", "가져오기"));
        buttons->button(QDialogButtonBox::Cancel)->setText(QCoreApplication::translate("ImportConfirmDlg", "취소"));
    } else {
        buttons->button(QDialogButtonBox::Close)->setText(QCoreApplication::translate("ImportConfirmDlg", "닫기"));
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
        lines.emplace_back(duplicate.line, QCoreApplication::translate("ImportConfirmDlg", "이미 있는 배송정보"));
    }
    std::stable_sort(lines.begin(), lines.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    QStringList text;
    for (const auto& [line, reason] : lines) {
        text << (line > 0 ? QCoreApplication::translate("ImportConfirmDlg", "%1행: %2").arg(line).arg(reason) : reason);
    }
    return text.join(u'\n');
}

} // namespace parcelo
