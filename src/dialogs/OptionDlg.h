#pragma once

#include "dialogs/Dialog.h"

class QComboBox;

namespace parcelo {

// The options: what a double click (or Return) on a shipment does (DBLCLICK). The stored
// list font size (FONTSIZE) rides along in a hidden combo box and is written
// back as it was. OK writes both, a combo box without a selection as -1;
// Cancel writes nothing. When the settings file cannot be written, OK says so
// and the dialog stays open.
class COptionDlg : public CDialog {
    Q_OBJECT
public:
    explicit COptionDlg(QWidget* parent = nullptr);

    void OnOK() override;

protected:
    void OnInitDialog() override;
    void paintEvent(QPaintEvent* event) override;

private:
    void TellNotSaved(const QString& fileName);

    QComboBox* m_fontSizeCombo = nullptr;
    QComboBox* m_doubleClickCombo = nullptr;
};

} // namespace parcelo
