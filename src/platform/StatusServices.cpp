#include "platform/StatusServices.h"

#include "platform/ProgramPlugin.h"

#include <QCoreApplication>

namespace parcelo {

StatusServices* StatusServices::Load(QString* error) {
    return ProgramPlugin::LoadOnce<StatusServices>(QStringLiteral("status-services.so"), error);
}

QString StatusServices::Unavailable(const QString& error) {
    return QCoreApplication::translate(
               "StatusServices", "배송 상태를 확인할 수 없습니다: 인터넷 연결과 알림을 맡은 파일을 읽지 못했습니다.\n\n"
                                 "Parcelo를 다시 설치하십시오.\n\n(%1)")
        .arg(error);
}

} // namespace parcelo
