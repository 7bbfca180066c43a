#pragma once

#include <QObject>
#include <QString>

namespace parcelo {

// The program's own plugins: parts loaded the first time they are wanted, so that a
// start that never needs them never loads the libraries under them (the web engine,
// the network, the session bus). A plugin takes what it uses of the rest of the program
// from the program itself, which exports its symbols, so that there is one copy of
// every service. Plugins lie in ../lib/parcelo/plugins beside the program's folder,
// else where the build put them; PARCELO_PLUGIN_DIR, when set, names the one folder
// to look in instead.
class ProgramPlugin {
public:
    // The root object of the plugin `fileName`, kept loaded for the rest of the run; or
    // nullptr, with the reason in `error`.
    static QObject* Load(const QString& fileName, QString* error);

    // The plugin's `Interface`, loaded on the first call and kept; a failed load is
    // tried again on the next call.
    template <class Interface> static Interface* LoadOnce(const QString& fileName, QString* error) {
        static Interface* loaded = nullptr;
        if (loaded == nullptr) {
            loaded = qobject_cast<Interface*>(Load(fileName, error));
        }
        return loaded;
    }
};

} // namespace parcelo
