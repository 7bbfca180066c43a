#pragma once

// The whole program's paths in the GUI tests' environment (see support/ShellTestSupport.h).
#include "app/SessionPaths.h"
#include "platform/qt/Profile.h"
#include "store/ShipmentDatabase.h"
#include "support/ShellTestSupport.h"
#include "ui/QtTranslations.h"

#include <QDir>
#include <QTranslator>
#include <gtest/gtest.h>
#include <vector>

namespace parcelo::test {

// The paths the program takes from this environment: the profile's INSTALLPATH and the
// data folder.
inline SessionPaths ProgramPaths() {
    return SessionPaths::In(Profile().InstallPath().toStdU16String(), DataFolder().toStdString());
}

// Shipments left in the program's own volume by an earlier run.
inline void AddToProgramVolume(const std::vector<Shipment>& shipments) {
    QDir().mkpath(DataFolder());
    CShipmentDatabase store;
    ASSERT_TRUE(store.MountVolume(ProgramPaths().volumeFile) && store.Open(u"TRACKDB"));
    for (const Shipment& shipment : shipments) {
        ASSERT_TRUE(store.Add(shipment));
    }
}

// The translations of one language, taken away again with the object.
struct Language {
    explicit Language(InterfaceLanguage language) { InstallTranslations(*qApp, false, language); }
    ~Language() {
        qDeleteAll(qApp->findChildren<QTranslator*>()); // a translator deleted leaves the application
        SetTranslateFunction(nullptr);
    }
};

} // namespace parcelo::test
