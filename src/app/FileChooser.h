#pragma once

#include <QString>

class QWidget;

namespace parcelo {

// Asks the user for a file to write or to read. The program uses the desktop's file
// dialogs (QtFileChooser); tests give the answers themselves.
class FileChooser {
public:
    virtual ~FileChooser() = default;

    // A file to write; empty when the user cancelled. `filters` as QFileDialog takes them
    // ("CSV (*.csv);;JSON (*.json)"); `chosenFilter`, when given, receives the one chosen.
    virtual QString SaveFile(QWidget* parent, const QString& caption, const QString& suggestedName,
                             const QString& filters, QString* chosenFilter) = 0;
    // A file to read; empty when the user cancelled.
    virtual QString OpenFile(QWidget* parent, const QString& caption, const QString& filters) = 0;
};

} // namespace parcelo
