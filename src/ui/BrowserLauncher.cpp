#include "ui/BrowserLauncher.h"

#include "ui/MessageBoxService.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QUrl>

namespace parcelo {

bool IsWebAddress(const QUrl& url) {
    const QString scheme = url.scheme();
    return url.isValid() && (scheme == u"http" || scheme == u"https") && !url.host().isEmpty();
}

QString AddressRefusedText(const std::u16string& address, const std::u16string& courierName, int courierIndex) {
    // The first line is fixed text: what follows comes from parcelo.ini.
    QString text = QCoreApplication::translate("BrowserLauncher", "배송 조회 페이지를 열 수 없습니다.\n\n");
    const QString shownAddress = QString::fromStdU16String(address);
    if (courierIndex >= 0) {
        const QString key = QStringLiteral("ID%1").arg(courierIndex + 1, 2, 10, QLatin1Char('0'));
        text += QCoreApplication::translate(
                    "BrowserLauncher",
                    "택배사 '%1'의 조회 주소(parcelo.ini의 %2 줄)가 http:// 또는 https:// 주소가 아닙니다:\n"
                    "%3\n\n"
                    "parcelo.ini의 %2 줄에 http:// 또는 https://로 시작하는 주소를 적은 뒤 "
                    "Parcelo를 다시 시작하십시오.")
                    .arg(QString::fromStdU16String(courierName), key, shownAddress);
    } else {
        text += QCoreApplication::translate("BrowserLauncher",
                                            "조회 주소가 http:// 또는 https:// 주소가 아닙니다:\n%1\n\n"
                                            "parcelo.ini의 택배사 주소를 http:// 또는 https://로 시작하도록 고친 뒤 "
                                            "Parcelo를 다시 시작하십시오.")
                    .arg(shownAddress);
    }
    return text;
}

bool OpenInBrowser(QWidget* parent, const QString& address, const std::u16string& courierName, int courierIndex) {
    const QUrl url(address);
    if (!IsWebAddress(url)) {
        ShowMessage(parent, AddressRefusedText(address.toStdU16String(), courierName, courierIndex),
                    MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    if (!QDesktopServices::openUrl(url)) {
        ShowMessage(
            parent,
            QCoreApplication::translate("BrowserLauncher",
                                        "브라우저를 열 수 없습니다. 기본 웹 브라우저가 설정되어 있는지 확인하십시오."),
            MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    return true;
}

} // namespace parcelo
