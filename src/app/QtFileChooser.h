#pragma once

#include "app/FileChooser.h"

namespace parcelo {

// The desktop's file dialogs.
class QtFileChooser final : public FileChooser {
public:
    QString SaveFile(QWidget* parent, const QString& caption, const QString& suggestedName, const QString& filters,
                     QString* chosenFilter) override;
    QString OpenFile(QWidget* parent, const QString& caption, const QString& filters) override;
};

} // namespace parcelo
