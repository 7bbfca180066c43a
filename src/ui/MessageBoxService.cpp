#include "ui/MessageBoxService.h"

#include "platform/resource.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QLabel>
#include <QLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>
#include <QTextLayout>
#include <algorithm>

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

// `text` broken into lines no wider than `width` in `font`: at blanks where it can be,
// anywhere in a word longer than the line (a file's path).
QString WrappedText(const QString& text, const QFont& font, int width) {
    QStringList lines;
    for (const QString& paragraph : text.split(u'\n')) {
        QTextLayout layout(paragraph, font);
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width);
            lines << paragraph.mid(line.textStart(), line.textLength()).trimmed();
        }
        layout.endLayout();
        if (paragraph.isEmpty()) {
            lines << QString();
        }
    }
    return lines.join(u'\n');
}

// A message box no wider than the program's window: Qt makes a box up to 500 pixels
// wide for a long text, which overhangs a narrow window. Its text is then broken into
// shorter lines.
class FittedMessageBox final : public QMessageBox {
public:
    FittedMessageBox(Icon icon, const QString& title, const QString& text, QWidget* parent)
        : QMessageBox(icon, title, QString(), NoButton, parent), m_text(text),
          m_widest(parent != nullptr ? parent->window()->width() : 0) {
        setTextFormat(Qt::PlainText);
        setText(text);
    }

protected:
    void showEvent(QShowEvent* event) override {
        QMessageBox::showEvent(event); // sizes the box for its text and centres it
        auto* label = findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
        if (m_widest <= 0 || width() <= m_widest || label == nullptr) {
            return;
        }
        layout()->activate();
        const int narrowest = label->fontMetrics().averageCharWidth() * 8;
        int textWidth = label->width() - (width() - m_widest);
        // The label measures its lines a pixel or two wider than the layout of its text.
        for (int attempt = 0; attempt < 3 && width() > m_widest; ++attempt) {
            setText(WrappedText(m_text, label->font(), std::max(textWidth, narrowest)));
            textWidth -= width() - m_widest;
        }
        adjustPosition(parentWidget());
    }

private:
    QString m_text;
    int m_widest;
};

class QtMessageBoxService final : public MessageBoxService {
public:
    int ShowMessage(QWidget* parent, const QString& text, unsigned style) override {
        const MessageBoxLayout layout = MessageBoxLayoutFor(style);
        FittedMessageBox box(ToQtIcon(layout.icon), QString::fromUtf16(kAppTitle.data(), kAppTitle.size()), text,
                             parent);
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
        layout.buttons = {{QCoreApplication::translate("MessageBoxService", "예"), IDYES},
                          {QCoreApplication::translate("MessageBoxService", "아니요"), IDNO}};
        layout.escapeResult = IDNO;
        break;
    case MB_YESNOCANCEL:
        layout.buttons = {{QCoreApplication::translate("MessageBoxService", "예"), IDYES},
                          {QCoreApplication::translate("MessageBoxService", "아니요"), IDNO},
                          {QCoreApplication::translate("MessageBoxService", "취소"), IDCANCEL}};
        layout.escapeResult = IDCANCEL;
        break;
    case MB_OKCANCEL:
        layout.buttons = {{QCoreApplication::translate("MessageBoxService", "확인"), IDOK},
                          {QCoreApplication::translate("MessageBoxService", "취소"), IDCANCEL}};
        layout.escapeResult = IDCANCEL;
        break;
    default:
        layout.buttons = {{QCoreApplication::translate("MessageBoxService", "확인"), IDOK}};
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
