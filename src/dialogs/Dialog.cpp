#include "dialogs/Dialog.h"

#include "platform/resource.h"
#include "ui/Menus.h"
#include "ui/QtMenuBuilder.h"

#include <QKeyEvent>

namespace parcelo {

namespace {

// Most templates carry the generic caption "Dialog"; their window shows the program's name.
QString WindowTitleFor(const QString& caption) {
    return caption == QStringLiteral("Dialog") ? QStringLiteral("Parcelo") : caption;
}

} // namespace

CDialog::CDialog(int templateId, QWidget* parent)
    : QDialog(parent), m_templateId(templateId), m_commandBar(new CCommandBar(this)) {
    connect(m_commandBar, &CCommandBar::commandChosen, this, &CDialog::DispatchCommand);
}

int CDialog::DoModal() {
    InitDialog();
    return exec();
}

void CDialog::InitDialog() {
    if (m_initialised) {
        return;
    }
    m_initialised = true;
    if (const DialogTemplate* dialogTemplate = LoadDialogTemplate(m_templateId)) {
        setWindowTitle(WindowTitleFor(QtMenuBuilder::TranslatedText("Dialog", dialogTemplate->caption)));
        setFont(DialogBuilder::TemplateFont(*dialogTemplate));
        if (const QWidget* owner = parentWidget() != nullptr ? parentWidget()->window() : nullptr) {
            setGeometry(owner->geometry());
        } else {
            resize(DialogBuilder::TemplateSize(*dialogTemplate) + QSize(0, m_commandBar->minimumHeight()));
        }
        m_controls = DialogBuilder::Build(*dialogTemplate, *this);
    }
    OnInitDialog();
    PlaceCommandBar();
}

QRect CDialog::ClientRect() const {
    QRect client = rect();
    client.setBottom(m_commandBar->geometry().top() - 1);
    return client;
}

void CDialog::OnOK() {
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

void CDialog::OnCommand(int /*command*/) {}

bool CDialog::CreateMenuBar(int menuId) {
    return CreateMenuBar(LoadMenuResource(menuId));
}

bool CDialog::CreateMenuBar(MenuItems items) {
    const bool created = m_commandBar->InsertMenuBar(items);
    m_commandBar->raise();
    PlaceCommandBar();
    return created;
}

void CDialog::ApplyTemplateLayout(int templateId) {
    if (const DialogTemplate* dialogTemplate = LoadDialogTemplate(templateId)) {
        DialogBuilder::ApplyLayout(*dialogTemplate, m_controls);
    }
}

void CDialog::DispatchCommand(uint32_t command) {
    switch (command) {
    case IDOK:
        OnOK();
        break;
    case IDCANCEL:
        OnCancel();
        break;
    default:
        OnCommand(static_cast<int>(command));
        break;
    }
}

void CDialog::setVisible(bool visible) {
    // Built before Qt shows the window, so that it shows every control at once.
    if (visible) {
        InitDialog();
    }
    QDialog::setVisible(visible);
}

void CDialog::resizeEvent(QResizeEvent* event) {
    PlaceCommandBar();
    QDialog::resizeEvent(event);
}

void CDialog::PlaceCommandBar() {
    const int barHeight = m_commandBar->sizeHint().expandedTo(m_commandBar->minimumSize()).height();
    m_commandBar->setGeometry(0, height() - barHeight, width(), barHeight);
}

void CDialog::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
            OnOK();
            return;
        }
        break;
    case Qt::Key_Escape:
        OnCancel();
        return;
    default:
        break;
    }
    QDialog::keyPressEvent(event);
}

} // namespace parcelo
