#include "app/RefreshCommand.h"

#include "app/Session.h"
#include "platform/Clock.h"
#include "platform/qt/Profile.h"
#include "platform/qt/QtExecutor.h"
#include "status/KeyFile.h"
#include "status/StatusController.h"
#include "status/StatusSettings.h"
#include "status/services/StatusServicesLoader.h"
#include "store/StoreErrorText.h"
#include "tracking/NotificationComposer.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <memory>

namespace parcelo {

int RunRefreshCommand(const SessionPaths& paths, const std::function<void(FILE* stream, const QString& text)>& print) {
    const auto refuse = [&print](const QString& message) {
        print(stderr, QStringLiteral("parcelo: ") + message + u'\n');
        return 1;
    };
    StatusSettings settings = StatusSettings::Read(Profile());
    if (!settings.enabled) {
        return refuse(QCoreApplication::translate(
            "RefreshCommand", "배송 상태 자동 확인이 꺼져 있어 아무것도 확인하지 않았습니다. 옵션에서 켜거나 "
                              "설정의 [STATUS] ENABLED=1 로 켜십시오."));
    }
    std::string error;
    if (LoadStatusServices(&error) == nullptr) {
        return refuse(QString::fromStdU16String(ServicesUnavailableText(error)));
    }
    SessionNeeds needs;
    needs.detector = false;
    needs.emptyCourierTable = false; // nothing to check
    Session session = OpenSession(paths, needs);
    if (session.courierStatus != CourierFileStatus::Loaded) {
        return refuse(
            QCoreApplication::translate("RefreshCommand",
                                        "택배사 목록 파일을 읽을 수 없습니다 (설정의 INSTALLPATH를 확인하십시오): ") +
            QString::fromStdU16String(paths.courierFile));
    }
    if (!session.storeOpened) {
        return refuse(QCoreApplication::translate("RefreshCommand", "배송 목록 데이터베이스를 열 수 없습니다: ") +
                      QString::fromStdU16String(DescribeStoreError(session.store.LastError())));
    }
    CShipmentDatabase& store = session.store;
    const std::vector<std::string>& carrierIds = session.carrierIds;

    const Clock clock;
    QtExecutor executor;
    StatusController status(store, clock, executor, [](std::string* reason) { return LoadStatusServices(reason); });
    status.SetCarrierIds(carrierIds);
    // A key file named for this run wins; else the desktop's secret store, if any.
    const KeyFile::Result file = KeyFile::Read();
    if (file.outcome == KeyFile::Outcome::Refused) {
        return refuse(QString::fromStdU16String(file.problem));
    }
    if (file.outcome == KeyFile::Outcome::Ok) {
        status.Key().Use(file.clientId, file.clientSecret);
    } else {
        QEventLoop wait;
        status.Key().Read([&](const StoredKey& found) {
            const bool kept = found.outcome == StoredKey::Outcome::Ok;
            status.Key().Use(kept ? found.clientId : std::string(), kept ? found.clientSecret : std::string());
            wait.quit();
        });
        wait.exec();
    }
    if (settings.NeedsKey() && status.ClientSecret().empty()) {
        return refuse(
            QCoreApplication::translate("RefreshCommand",
                                        "배송 조회 서비스의 키가 없어 아무것도 확인하지 않았습니다. 비밀 저장소에도, "
                                        "$CREDENTIALS_DIRECTORY/%1에도, PARCELO_KEY_FILE이 가리키는 파일에도 키가 "
                                        "없습니다. 옵션에서 키를 입력하거나 키 파일에 한 줄로 \"클라이언트 ID:비밀 "
                                        "키\"를 적으십시오.")
                .arg(QString::fromLatin1(KeyFile::kCredentialName)));
    }

    // Nothing stays behind to show a notification or to take its click.
    settings.notify = false;
    RefreshSummary summary;
    std::u16string line;
    std::u16string unavailable;
    bool finished = false;
    QEventLoop wait;
    StatusController::Callbacks callbacks;
    callbacks.statusLineChanged = [&line](const std::u16string& text) { line = text; };
    callbacks.servicesUnavailable = [&unavailable](const std::u16string& message) { unavailable = message; };
    callbacks.refreshFinished = [&](const RefreshSummary& result) {
        summary = result;
        finished = true;
        wait.quit();
    };
    status.SetCallbacks(std::move(callbacks));
    status.Apply(settings); // checks what is due
    if (!unavailable.empty()) {
        return refuse(QString::fromStdU16String(unavailable));
    }
    if (!finished && !status.IsRunning()) {
        return refuse(QCoreApplication::translate("RefreshCommand", "배송 상태를 확인하지 못했습니다."));
    }
    if (!finished) {
        wait.exec();
    }
    const QString result = QString::fromStdU16String(line);
    if (summary.keyRefused) {
        return refuse(result); // says what was refused and where to change it
    }
    // A CARRIERnn line the service did not take is told whatever else was checked.
    for (const std::u16string& problem : RefreshSetupProblems(summary, carrierIds)) {
        print(stderr, QStringLiteral("parcelo: ") + QString::fromStdU16String(problem) + u'\n');
    }
    if (summary.storeFailed) {
        return refuse(
            QCoreApplication::translate("RefreshCommand", "배송 목록을 읽지 못해 아무것도 확인하지 않았습니다. ") +
            result);
    }
    if (summary.due > 0 && summary.checked == 0) {
        return refuse(QCoreApplication::translate("RefreshCommand", "배송 상태를 하나도 확인하지 못했습니다. ") +
                      result);
    }
    print(stdout, result + u'\n');
    return 0;
}

} // namespace parcelo
