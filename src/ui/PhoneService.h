#pragma once

#include <QString>
#include <QUrl>
#include <functional>
#include <memory>

class QWidget;

// Telephone calls. The program has no telephone of its own: after the user
// agreed, the number goes to the desktop as a tel: address, and whatever is
// registered for tel: places the call. Tests install a recording replacement.
namespace parcelo {

// The number as it goes into a tel: address: digits, '+', '*', '#' and ','
// kept, every other character (blanks, dashes, brackets, dots) left out.
QString DialableNumber(const QString& number);

// tel:NUMBER for the dialable form of `number`; an empty address when no
// dialable character is left.
QUrl TelUrlForNumber(const QString& number);

class PhoneService {
public:
    virtual ~PhoneService() = default;
    // Shows `number`, asks the user and places the call when they agree.
    // Returns true when the call was handed over.
    virtual bool MakeCall(QWidget* parent, const QString& number) = 0;

    // The service in use: the installed one, else the desktop one.
    static PhoneService& Current();
    // Makes `service` current (not owned; nullptr restores the default) and
    // returns the one it replaces, or nullptr for the default.
    static PhoneService* Install(PhoneService* service);
};

// The desktop service: asks through the current message-box service, then
// hands the tel: address to `openUrl`; when nothing takes it, it tells the user
// the number. PhoneService::Current() uses one with QDesktopServices::openUrl.
using UrlOpener = std::function<bool(const QUrl&)>;
std::unique_ptr<PhoneService> MakeDesktopPhoneService(UrlOpener openUrl);

// Places a call through the current service, asking the user first.
bool PhoneMakeCall(QWidget* parent, const QString& number);

} // namespace parcelo
