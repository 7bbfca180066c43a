#pragma once

#include "platform/Translation.h"

class QCoreApplication;

namespace parcelo {

// Sets the interface's language for the desktop's locale (see InterfaceLanguageFor):
// in English, Parcelo's own English texts (built in as :/i18n/parcelo_en.qm) and Qt's
// own English; in Korean, the source texts and Qt's own Korean texts (file dialogs,
// standard buttons, the command line's usage and errors) from Qt's translations
// folder, where Qt's English stays if they are not installed. The core's texts are
// looked up through the same translators.
void InstallTranslations(QCoreApplication& application, bool withWebEngine, InterfaceLanguage language);

} // namespace parcelo
