#include "app/QtFileChooser.h"

#include <QDir>
#include <QFileDialog>

namespace parcelo {

QString QtFileChooser::SaveFile(QWidget* parent, const QString& caption, const QString& suggestedName,
                                const QString& filters, QString* chosenFilter) {
    return QFileDialog::getSaveFileName(parent, caption, QDir::home().filePath(suggestedName), filters, chosenFilter);
}

QString QtFileChooser::OpenFile(QWidget* parent, const QString& caption, const QString& filters) {
    return QFileDialog::getOpenFileName(parent, caption, QDir::homePath(), filters);
}

} // namespace parcelo
