#include "ui/PhoneService.h"

#include "platform/resource.h"
#include "ui/MessageBoxService.h"

#include <QCoreApplication>
#include <QDesktopServices>

namespace parcelo {
namespace {

bool IsDialable(QChar c) {
    return (c >= u'0' && c <= u'9') || c == u'+' || c == u'*' || c == u'#' || c == u',';
}

class DesktopPhoneService final : public PhoneService {
public:
    explicit DesktopPhoneService(UrlOpener openUrl) : m_openUrl(std::move(openUrl)) {}

    bool MakeCall(QWidget* parent, const QString& number) override;

private:
    UrlOpener m_openUrl;
};

PhoneService* g_installed = nullptr;

} // namespace

QString DialableNumber(const QString& number) {
    QString dialable;
    for (const QChar c : number) {
        if (IsDialable(c)) {
            dialable += c;
        }
    }
    return dialable;
}

QUrl TelUrlForNumber(const QString& number) {
    const QString dialable = DialableNumber(number);
    if (dialable.isEmpty()) {
        return {};
    }
    // '#' would start a fragment, so the path is set in its decoded form and
    // QUrl encodes it.
    QUrl url;
    url.setScheme(QStringLiteral("tel"));
    url.setPath(dialable, QUrl::DecodedMode);
    return url;
}

bool DesktopPhoneService::MakeCall(QWidget* parent, const QString& number) {
    const QUrl url = TelUrlForNumber(number);
    if (url.isEmpty()) {
        ShowMessage(parent, QCoreApplication::translate("PhoneService", "전화번호가 없습니다."),
                    MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    const QString question = number.trimmed() + QCoreApplication::translate("PhoneService", "\n전화를 거시겠습니까?");
    if (ShowMessage(parent, question, MB_YESNO | MB_ICONQUESTION) != IDYES) {
        return false;
    }
    if (m_openUrl && m_openUrl(url)) {
        return true;
    }
    ShowMessage(parent,
                QCoreApplication::translate("PhoneService", "전화를 걸 수 있는 프로그램이 없습니다.\n전화번호: ") +
                    number.trimmed(),
                MB_OK | MB_ICONINFORMATION);
    return false;
}

std::unique_ptr<PhoneService> MakeDesktopPhoneService(UrlOpener openUrl) {
    return std::make_unique<DesktopPhoneService>(std::move(openUrl));
}

PhoneService& PhoneService::Current() {
    static DesktopPhoneService desktop(&QDesktopServices::openUrl);
    return g_installed != nullptr ? *g_installed : desktop;
}

PhoneService* PhoneService::Install(PhoneService* service) {
    PhoneService* previous = g_installed;
    g_installed = service;
    return previous;
}

bool PhoneMakeCall(QWidget* parent, const QString& number) {
    return PhoneService::Current().MakeCall(parent, number);
}

} // namespace parcelo
