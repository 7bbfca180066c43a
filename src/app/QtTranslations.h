#pragma once

class QCoreApplication;

namespace parcelo {

// Installs Qt's own Korean texts (file dialogs, standard buttons, the command line's
// usage and errors) from Qt's translations folder, so that nothing Qt draws itself is
// English inside the Korean interface. Without the translations Qt's English stays.
void InstallQtTranslations(QCoreApplication& application, bool withWebEngine);

} // namespace parcelo
