#include "ui/QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace parcelo {

namespace {

std::u16string TranslateWithQt(const char* context, const char* sourceText, int n) {
    return QCoreApplication::translate(context, sourceText, nullptr, n).toStdU16String();
}

bool Install(QCoreApplication& application, const QLocale& locale, const char* catalogue, const QString& folder) {
    auto* translator = new QTranslator(&application);
    if (translator->load(locale, QString::fromLatin1(catalogue), QStringLiteral("_"), folder)) {
        QCoreApplication::installTranslator(translator);
        return true;
    }
    delete translator;
    return false;
}

} // namespace

void InstallTranslations(QCoreApplication& application, bool withWebEngine, InterfaceLanguage language) {
    SetTranslateFunction(&TranslateWithQt);
    if (language == InterfaceLanguage::English) {
        Install(application, QLocale(QLocale::English, QLocale::UnitedStates), "parcelo", QStringLiteral(":/i18n"));
        return;
    }
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    const QLocale korean(QLocale::Korean, QLocale::SouthKorea);
    Install(application, korean, "qtbase", folder);
    if (withWebEngine) {
        Install(application, korean, "qtwebengine", folder);
    }
}

} // namespace parcelo
