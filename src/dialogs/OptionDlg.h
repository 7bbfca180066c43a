#pragma once

#include "dialogs/Dialog.h"

class QComboBox;
class QScrollArea;

namespace parcelo {

class CStatusOptionsPanel;

// The options: what a double click (or Return) on a shipment does (DBLCLICK). The stored
// list font size (FONTSIZE) rides along in a hidden combo box and is written
// back as it was. OK writes both, a combo box without a selection as -1;
// Cancel writes nothing. When the settings file cannot be written, OK says so
// and the dialog stays open. Below them, in an area that scrolls when the window is
// small, the delivery-status options (section STATUS); the service's key entered
// there is handed to the caller, never written to the settings file.
class COptionDlg : public CDialog {
    Q_OBJECT
public:
    explicit COptionDlg(QWidget* parent = nullptr);

    void OnOK() override;

    // What the key fields show: the stored client id, whether a secret is known, and
    // whether the key can only be kept in memory. Before the dialog is shown.
    void SetKeyState(const QString& clientId, bool hasSecret, bool memoryOnly);
    // What the last refresh found wrong, shown above the delivery-status options.
    void SetStatusProblem(const QString& text) { m_statusProblem = text; }
    CStatusOptionsPanel* StatusPanel() const { return m_statusPanel; }

protected:
    void OnInitDialog() override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void TellNotSaved(const QString& fileName);

    QComboBox* m_fontSizeCombo = nullptr;
    QComboBox* m_doubleClickCombo = nullptr;
    QScrollArea* m_statusArea = nullptr;
    CStatusOptionsPanel* m_statusPanel = nullptr;
    QString m_clientId;
    QString m_statusProblem;
    bool m_hasSecret = false;
    bool m_memoryOnly = false;
    void PlaceStatusArea();
};

} // namespace parcelo
