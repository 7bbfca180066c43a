#include "app/QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace parcelo {

void InstallQtTranslations(QCoreApplication& application, bool withWebEngine) {
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    const QLocale korean(QLocale::Korean, QLocale::SouthKorea);
    for (const char* catalogue : {"qtbase", "qtwebengine"}) {
        if (!withWebEngine && qstrcmp(catalogue, "qtwebengine") == 0) {
            continue;
        }
        auto* translator = new QTranslator(&application);
        if (translator->load(korean, QString::fromLatin1(catalogue), QStringLiteral("_"), folder)) {
            QCoreApplication::installTranslator(translator);
        } else {
            delete translator;
        }
    }
}

} // namespace parcelo
