#include "dialogs/TrackingPageFactory.h"

#include "dialogs/Dialog.h"
#include "platform/MessageBoxService.h"
#include "platform/ProgramPlugin.h"

#include <QCoreApplication>

namespace parcelo {

TrackingPageFactory* TrackingPageFactory::Load(QString* error) {
    // Kept once loaded: the web engine cannot be unloaded anyway.
    return ProgramPlugin::LoadOnce<TrackingPageFactory>(QStringLiteral("tracking-page.so"), error);
}

void TrackingPageFactory::RunModal(QWidget* parent, std::u16string address, std::u16string courierName,
                                   int courierIndex) {
    QString error;
    TrackingPageFactory* factory = Load(&error);
    if (factory == nullptr) {
        ShowMessage(parent,
                    QCoreApplication::translate(
                        "TrackingPageFactory",
                        "배송 조회 페이지를 열 수 없습니다: 조회 화면을 담은 파일을 읽지 못했습니다.\n\n"
                        "Parcelo를 다시 설치하십시오.\n\n(%1)")
                        .arg(error),
                    MB_OK | MB_ICONERROR);
        return;
    }
    const std::unique_ptr<CDialog> dialog =
        factory->Create(parent, std::move(address), std::move(courierName), courierIndex);
    dialog->DoModal();
}

} // namespace parcelo
