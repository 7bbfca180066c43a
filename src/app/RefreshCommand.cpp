#include "app/RefreshCommand.h"

#include "config/IniReader.h"
#include "couriers/Courier.h"
#include "platform/Clock.h"
#include "platform/KeyFile.h"
#include "platform/Profile.h"
#include "platform/SecretStore.h"
#include "platform/StatusServices.h"
#include "platform/StatusSettings.h"
#include "platform/TrackingClient.h"
#include "platform/TrackingRefresher.h"
#include "store/StoreErrorText.h"
#include "store/TrackingDatabase.h"
#include "tracking/CarrierIds.h"
#include "tracking/NotificationComposer.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QString>
#include <cstdio>
#include <memory>

namespace parcelo {

namespace {

void PrintLine(FILE* stream, const QString& text) {
    const QByteArray bytes = (text + u'\n').toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream);
    std::fflush(stream);
}

int Refuse(const QString& message) {
    PrintLine(stderr, QStringLiteral("parcelo: ") + message);
    return 1;
}

} // namespace

int RunRefreshCommand() {
    const StatusSettings settings = StatusSettings::Read(Profile());
    if (!settings.enabled) {
        return Refuse(QCoreApplication::translate(
            "RefreshCommand", "배송 상태 자동 확인이 꺼져 있어 아무것도 확인하지 않았습니다. 옵션에서 켜거나 "
                              "설정의 [STATUS] ENABLED=1 로 켜십시오."));
    }
    QString error;
    StatusServices* services = StatusServices::Load(&error);
    if (services == nullptr) {
        return Refuse(StatusServices::Unavailable(error));
    }
    const std::u16string folder = Profile().InstallPath().toStdU16String();
    std::vector<Courier> couriers;
    std::vector<CourierDetector::Rule> rules;
    std::vector<std::string> carrierIds;
    const CourierFileStatus couriersRead = LoadCourierTable(folder, couriers, rules, [&](const CIniReader& reader) {
        carrierIds = ReadCarrierIds(reader, couriers.size());
    });
    if (couriersRead != CourierFileStatus::Loaded) {
        return Refuse(
            QCoreApplication::translate("RefreshCommand",
                                        "택배사 목록 파일을 읽을 수 없습니다 (설정의 INSTALLPATH를 확인하십시오): ") +
            QString::fromStdU16String(CourierFilePath(folder)));
    }
    CTrackingDatabase store;
    if (!store.MountVolume(u"VELDAN.EDB") || !store.Open(u"TRACKDB")) {
        return Refuse(QCoreApplication::translate("RefreshCommand", "배송 목록 데이터베이스를 열 수 없습니다: ") +
                      QString::fromStdU16String(DescribeStoreError(store.LastError())));
    }

    const Clock clock;
    const std::unique_ptr<TrackingClient> client = services->CreateClient(clock);
    TrackingClient::Settings clientSettings;
    clientSettings.endpoint = settings.EffectiveEndpoint();
    clientSettings.auth = settings.auth;
    clientSettings.tokenUrl = settings.EffectiveTokenUrl();
    // A key file named for this run wins; else the desktop's secret store, if any.
    const KeyFile::Result file = KeyFile::Read();
    if (file.outcome == KeyFile::Outcome::Refused) {
        return Refuse(file.problem);
    }
    if (file.outcome == KeyFile::Outcome::Ok) {
        clientSettings.clientId = file.clientId;
        clientSettings.clientSecret = file.clientSecret;
    } else {
        const std::unique_ptr<SecretStore> secrets = services->CreateSecretStore();
        QEventLoop wait;
        secrets->ReadKey([&](const StoredKey& key) {
            if (key.outcome == StoredKey::Outcome::Ok) {
                clientSettings.clientId = key.clientId;
                clientSettings.clientSecret = key.clientSecret;
            }
            wait.quit();
        });
        wait.exec();
    }
    if (settings.NeedsKey() && clientSettings.clientSecret.isEmpty()) {
        return Refuse(
            QCoreApplication::translate("RefreshCommand",
                                        "배송 조회 서비스의 키가 없어 아무것도 확인하지 않았습니다. 비밀 저장소에도, "
                                        "$CREDENTIALS_DIRECTORY/%1에도, PARCELO_KEY_FILE이 가리키는 파일에도 키가 "
                                        "없습니다. 옵션에서 키를 입력하거나 키 파일에 한 줄로 \"클라이언트 ID:비밀 "
                                        "키\"를 적으십시오.")
                .arg(QString::fromLatin1(KeyFile::kCredentialName)));
    }
    client->SetSettings(clientSettings);

    TrackingRefresher refresher(store, *client, clock);
    TrackingRefresher::Options options;
    options.autoDone = settings.autoDone;
    options.intervalSeconds = static_cast<int64_t>(settings.intervalMinutes) * 60;
    refresher.SetOptions(options);
    refresher.SetCarrierIds(carrierIds);
    RefreshSummary summary;
    QString line;
    QEventLoop wait;
    QObject::connect(&refresher, &TrackingRefresher::finished,
                     [&](const RefreshSummary& result, const QString& statusLine) {
                         summary = result;
                         line = statusLine;
                         wait.quit();
                     });
    if (!refresher.Start(false)) {
        return Refuse(QCoreApplication::translate("RefreshCommand", "배송 상태를 확인하지 못했습니다."));
    }
    wait.exec();
    if (summary.keyRefused) {
        return Refuse(line); // says what was refused and where to change it
    }
    // A CARRIERnn line the service did not take is told whatever else was checked.
    for (const std::u16string& problem : RefreshSetupProblems(summary, carrierIds)) {
        PrintLine(stderr, QStringLiteral("parcelo: ") + QString::fromStdU16String(problem));
    }
    if (summary.storeFailed) {
        return Refuse(
            QCoreApplication::translate("RefreshCommand", "배송 목록을 읽지 못해 아무것도 확인하지 않았습니다. ") +
            line);
    }
    if (summary.due > 0 && summary.checked == 0) {
        return Refuse(QCoreApplication::translate("RefreshCommand", "배송 상태를 하나도 확인하지 못했습니다. ") + line);
    }
    PrintLine(stdout, line);
    return 0;
}

} // namespace parcelo
