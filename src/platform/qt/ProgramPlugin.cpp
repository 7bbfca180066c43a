#include "platform/qt/ProgramPlugin.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPluginLoader>
#include <QStringList>

namespace parcelo {

namespace {

QStringList PluginFolders() {
    const QString chosen = qEnvironmentVariable("PARCELO_PLUGIN_DIR");
    if (!chosen.isEmpty()) {
        return {chosen};
    }
    QStringList folders;
    folders << QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral(PARCELO_PLUGIN_RELATIVE_DIR))
            << QStringLiteral(PARCELO_PLUGIN_BUILD_DIR);
    return folders;
}

} // namespace

QObject* ProgramPlugin::Load(const QString& fileName, QString* error) {
    QString reasons;
    for (const QString& folder : PluginFolders()) {
        const QString path = QDir(folder).filePath(fileName);
        if (!QFileInfo::exists(path)) {
            continue;
        }
        QPluginLoader loader(path);
        // Every symbol now: one missing is a load error, not a crash later.
        loader.setLoadHints(QLibrary::ResolveAllSymbolsHint);
        if (QObject* root = loader.instance()) {
            return root;
        }
        reasons += loader.errorString() + QLatin1Char('\n');
    }
    if (error != nullptr) {
        *error = reasons.isEmpty()
                     ? QStringLiteral("%1 not found in %2").arg(fileName, PluginFolders().join(QStringLiteral(", ")))
                     : reasons.trimmed();
    }
    return nullptr;
}

} // namespace parcelo
