#include "dialogs/TrackingPageFactory.h"

#include "dialogs/Dialog.h"
#include "platform/MessageBoxService.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPluginLoader>
#include <QStringList>

namespace parcelo {
namespace {

QStringList PluginFolders() {
    QStringList folders;
    const QString chosen = qEnvironmentVariable("PARCELO_TRACKING_PAGE_DIR");
    if (!chosen.isEmpty()) {
        folders << chosen;
    }
    folders << QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral(PARCELO_TRACKING_PAGE_RELATIVE_DIR))
            << QStringLiteral(PARCELO_TRACKING_PAGE_BUILD_DIR);
    return folders;
}

} // namespace

TrackingPageFactory* TrackingPageFactory::Load(QString* error) {
    // Loaded once and kept: the web engine cannot be unloaded anyway.
    static TrackingPageFactory* factory = nullptr;
    if (factory != nullptr) {
        return factory;
    }
    QString reasons;
    for (const QString& folder : PluginFolders()) {
        const QString path = QDir(folder).filePath(QStringLiteral(PARCELO_TRACKING_PAGE_FILE));
        if (!QFileInfo::exists(path)) {
            continue;
        }
        QPluginLoader loader(path);
        // Every symbol now: one missing is a load error, not a crash when the page opens.
        loader.setLoadHints(QLibrary::ResolveAllSymbolsHint);
        factory = qobject_cast<TrackingPageFactory*>(loader.instance());
        if (factory != nullptr) {
            return factory;
        }
        reasons += loader.errorString() + QLatin1Char('\n');
    }
    if (error != nullptr) {
        *error = reasons.isEmpty()
                     ? QStringLiteral("%1 not found in %2")
                           .arg(QStringLiteral(PARCELO_TRACKING_PAGE_FILE), PluginFolders().join(QStringLiteral(", ")))
                     : reasons.trimmed();
    }
    return nullptr;
}

void TrackingPageFactory::RunModal(QWidget* parent, std::u16string address, std::u16string courierName,
                                   int courierIndex) {
    QString error;
    TrackingPageFactory* factory = Load(&error);
    if (factory == nullptr) {
        ShowMessage(parent,
                    QStringLiteral("배송 조회 페이지를 열 수 없습니다: 조회 화면을 담은 파일을 읽지 못했습니다.\n\n"
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
