#pragma once

#include <QString>
#include <vector>

class QWidget;

// Modal Korean message boxes with the application's title as caption. The
// program shows them through the current MessageBoxService; tests install a
// recording replacement so that no test waits on a real box.
namespace parcelo {

// Button sets.
inline constexpr unsigned MB_OK = 0x00;
inline constexpr unsigned MB_OKCANCEL = 0x01;
inline constexpr unsigned MB_YESNOCANCEL = 0x03;
inline constexpr unsigned MB_YESNO = 0x04;
inline constexpr unsigned MB_TYPEMASK = 0x0F;
// Icons.
inline constexpr unsigned MB_ICONERROR = 0x10;
inline constexpr unsigned MB_ICONQUESTION = 0x20;
inline constexpr unsigned MB_ICONEXCLAMATION = 0x30;
inline constexpr unsigned MB_ICONINFORMATION = 0x40;
inline constexpr unsigned MB_ICONMASK = 0xF0;

enum class MessageIcon { None, Error, Question, Warning, Information };

struct MessageButton {
    QString text;
    int result = 0; // IDOK, IDCANCEL, IDYES or IDNO
};

// How a box of a given style looks: its icon and buttons in order. The first
// button is the default; `escapeResult` is the answer when the box is closed
// without a button.
struct MessageBoxLayout {
    MessageIcon icon = MessageIcon::None;
    std::vector<MessageButton> buttons;
    int escapeResult = 0;
};

MessageBoxLayout MessageBoxLayoutFor(unsigned style);

class MessageBoxService {
public:
    virtual ~MessageBoxService() = default;
    // Shows `text` (plain text, never markup) modally and returns the button's result
    // (IDOK, IDCANCEL, IDYES, IDNO). The box is no wider than the parent's window.
    virtual int ShowMessage(QWidget* parent, const QString& text, unsigned style) = 0;

    // The service in use: the installed one, else the QMessageBox one.
    static MessageBoxService& Current();
    // Makes `service` current (not owned; nullptr restores the default) and
    // returns the one it replaces, or nullptr for the default.
    static MessageBoxService* Install(MessageBoxService* service);
};

// Shows a message box through the current service.
int ShowMessage(QWidget* parent, const QString& text, unsigned style);

} // namespace parcelo
