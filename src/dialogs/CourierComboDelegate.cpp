#include "dialogs/CourierComboDelegate.h"

#include <QComboBox>
#include <algorithm>

namespace parcelo {
namespace {

QString CourierName(const Courier& courier) {
    const std::u16string_view name = FieldView(courier.name);
    return QString::fromUtf16(name.data(), static_cast<qsizetype>(name.size()));
}

} // namespace

CourierComboDelegate::CourierComboDelegate(const std::vector<Courier>& couriers, QObject* parent)
    : QStyledItemDelegate(parent), m_couriers(couriers) {}

QWidget* CourierComboDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& /*option*/,
                                            const QModelIndex& index) const {
    auto* combo = new QComboBox(parent);
    const QVariantList candidates = index.data(kCandidatesRole).toList();
    std::vector<bool> listed(m_couriers.size(), false);
    for (const QVariant& candidate : candidates) {
        const int courier = candidate.toInt();
        if (courier >= 0 && static_cast<size_t>(courier) < m_couriers.size() && !listed[courier]) {
            combo->addItem(CourierName(m_couriers[courier]), courier);
            listed[courier] = true;
        }
    }
    if (combo->count() > 0 && combo->count() < static_cast<int>(m_couriers.size())) {
        combo->insertSeparator(combo->count());
    }
    for (size_t courier = 0; courier < m_couriers.size(); ++courier) {
        if (!listed[courier]) {
            combo->addItem(CourierName(m_couriers[courier]), static_cast<int>(courier));
        }
    }
    // A pick takes effect at once, without leaving the cell first.
    connect(combo, &QComboBox::activated, this, &CourierComboDelegate::CommitAndClose);
    return combo;
}

void CourierComboDelegate::CommitAndClose() {
    if (auto* editor = qobject_cast<QWidget*>(sender())) {
        emit commitData(editor);
        emit closeEditor(editor);
    }
}

void CourierComboDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    auto* combo = qobject_cast<QComboBox*>(editor);
    if (combo != nullptr) {
        combo->setCurrentIndex(combo->findData(index.data(kCourierRole).toInt()));
    }
}

void CourierComboDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const {
    const auto* combo = qobject_cast<QComboBox*>(editor);
    if (combo != nullptr && combo->currentIndex() >= 0) {
        model->setData(index, combo->currentData(), kCourierRole);
    }
}

} // namespace parcelo
