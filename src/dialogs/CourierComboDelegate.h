#pragma once

#include "couriers/Courier.h"

#include <QStyledItemDelegate>
#include <vector>

namespace parcelo {

// Edits a table cell that holds a courier with a drop-down list: the couriers that
// accept the row's number first (best first), then the others in table order.
// The cell keeps the courier index under kCourierRole (-1 for none) and the
// candidates under kCandidatesRole (a list of indexes).
class CourierComboDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    static constexpr int kCourierRole = Qt::UserRole;
    static constexpr int kCandidatesRole = Qt::UserRole + 1;

    // The courier table is kept by reference.
    explicit CourierComboDelegate(const std::vector<Courier>& couriers, QObject* parent = nullptr);
    CourierComboDelegate(std::vector<Courier>&& couriers, QObject* parent = nullptr) = delete;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;

private:
    void CommitAndClose();

    const std::vector<Courier>& m_couriers;
};

} // namespace parcelo
