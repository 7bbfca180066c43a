#include "platform/MessageBoxService.h"

#include "res/resource.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QPushButton>

namespace parcelo {
namespace {

QMessageBox::Icon ToQtIcon(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Error:
        return QMessageBox::Critical;
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::ButtonRole RoleFor(int result) {
    switch (result) {
    case IDOK:
        return QMessageBox::AcceptRole;
    case IDYES:
        return QMessageBox::YesRole;
    case IDNO:
        return QMessageBox::NoRole;
    default:
        return QMessageBox::RejectRole;
    }
}

class QtMessageBoxService final : public MessageBoxService {
public:
    int ShowMessage(QWidget* parent, const QString& text, unsigned style) override {
        const MessageBoxLayout layout = MessageBoxLayoutFor(style);
        QMessageBox box(ToQtIcon(layout.icon), QString::fromUtf16(kAppTitle.data(), kAppTitle.size()), text,
                        QMessageBox::NoButton, parent);
        std::vector<std::pair<QAbstractButton*, int>> answers;
        for (const MessageButton& button : layout.buttons) {
            QPushButton* pushButton = box.addButton(button.text, RoleFor(button.result));
            answers.emplace_back(pushButton, button.result);
            if (button.result == layout.escapeResult) {
                box.setEscapeButton(pushButton);
            }
        }
        box.setDefaultButton(static_cast<QPushButton*>(answers.front().first));
        box.exec();
        for (const auto& [button, result] : answers) {
            if (box.clickedButton() == button) {
                return result;
            }
        }
        return layout.escapeResult;
    }
};

QtMessageBoxService& DefaultService() {
    static QtMessageBoxService service;
    return service;
}

MessageBoxService* g_installed = nullptr;

} // namespace

MessageBoxLayout MessageBoxLayoutFor(unsigned style) {
    MessageBoxLayout layout;
    switch (style & MB_ICONMASK) {
    case MB_ICONERROR:
        layout.icon = MessageIcon::Error;
        break;
    case MB_ICONQUESTION:
        layout.icon = MessageIcon::Question;
        break;
    case MB_ICONEXCLAMATION:
        layout.icon = MessageIcon::Warning;
        break;
    case MB_ICONINFORMATION:
        layout.icon = MessageIcon::Information;
        break;
    default:
        break;
    }
    switch (style & MB_TYPEMASK) {
    case MB_YESNO:
        layout.buttons = {{QStringLiteral("예"), IDYES}, {QStringLiteral("아니요"), IDNO}};
        layout.escapeResult = IDNO;
        break;
    case MB_OKCANCEL:
        layout.buttons = {{QStringLiteral("확인"), IDOK}, {QStringLiteral("취소"), IDCANCEL}};
        layout.escapeResult = IDCANCEL;
        break;
    default:
        layout.buttons = {{QStringLiteral("확인"), IDOK}};
        layout.escapeResult = IDOK;
        break;
    }
    return layout;
}

MessageBoxService& MessageBoxService::Current() {
    return g_installed != nullptr ? *g_installed : DefaultService();
}

MessageBoxService* MessageBoxService::Install(MessageBoxService* service) {
    MessageBoxService* previous = g_installed;
    g_installed = service;
    return previous;
}

int ShowMessage(QWidget* parent, const QString& text, unsigned style) {
    return MessageBoxService::Current().ShowMessage(parent, text, style);
}

} // namespace parcelo
