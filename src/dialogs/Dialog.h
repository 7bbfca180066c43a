#pragma once

#include "ui/CommandBar.h"
#include "ui/DialogBuilder.h"

#include <QDialog>

namespace parcelo {

// Base of the program's modal dialogs. A dialog is built from its template
// just before it is first shown: the controls of the template, then OnInitDialog.
// It covers its parent's window, so that a dialog takes the whole program window
// like a page of its own, and has the soft-key bar at its bottom. Commands from the bar, Return and Escape
// arrive as OnOK, OnCancel and OnCommand; the dialog ends with IDOK or IDCANCEL.
class CDialog : public QDialog {
    Q_OBJECT
public:
    CDialog(int templateId, QWidget* parent);

    // Runs the dialog modally; the result is IDOK or IDCANCEL.
    int DoModal();
    // Builds the dialog and runs OnInitDialog once; showing the dialog does it too.
    void InitDialog();
    bool IsInitialised() const { return m_initialised; }

    QWidget* GetDlgItem(int id) const { return m_controls.GetDlgItem(id); }
    CCommandBar& CommandBar() { return *m_commandBar; }
    // The area above the soft-key bar.
    QRect ClientRect() const;

    // The command handlers; the bar's IDOK and IDCANCEL, Return and Escape end up here.
    virtual void OnOK();
    virtual void OnCancel();

protected:
    // Fills the controls; runs once, after the controls exist.
    virtual void OnInitDialog() {}
    // Any other command from the soft-key bar.
    virtual void OnCommand(int command);
    // Builds the soft-key bar from a menu resource; false when there is no such menu.
    bool CreateMenuBar(int menuId);
    bool CreateMenuBar(MenuItems items);
    // Builds the controls of another template over the ones there (the same controls).
    void ApplyTemplateLayout(int templateId);
    void EndDialog(int result) { done(result); }

    void accept() override { OnOK(); }
    void reject() override { OnCancel(); }
    void setVisible(bool visible) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void DispatchCommand(uint32_t command);
    void PlaceCommandBar();

    int m_templateId;
    bool m_initialised = false;
    DialogControls m_controls;
    CCommandBar* m_commandBar;
};

} // namespace parcelo
