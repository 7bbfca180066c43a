#pragma once

// Shared set-up of the shell's GUI tests: a process with its own settings and data
// folders, couriers and shipments made to order, and a bounded run of the event loop.
#include "app/Courier.h"
#include "platform/DpiCache.h"
#include "store/ShipmentDatabase.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace parcelo::test {

inline QTemporaryDir& TestRoot() {
    static QTemporaryDir root;
    return root;
}

inline QString UserConfigFile() {
    return TestRoot().filePath("config/VELDAN/Parcelo.conf");
}
inline QString DataFolder() {
    return TestRoot().filePath("data/VELDAN/Parcelo");
}
inline QString VolumeFile() {
    return DataFolder() + "/VELDAN.EDB";
}

// Runs the tests offscreen with fresh XDG folders and, when `dpi` is given, a forced
// resolution. Everything is set before the QApplication and the first QSettings.
inline int RunShellTests(int argc, char** argv, const char* dpi) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    qputenv("XDG_CONFIG_HOME", TestRoot().filePath("config").toLocal8Bit());
    qputenv("XDG_CONFIG_DIRS", TestRoot().filePath("system").toLocal8Bit());
    qputenv("XDG_DATA_HOME", TestRoot().filePath("data").toLocal8Bit());
    if (dpi != nullptr) {
        qputenv("PARCELO_DPI", dpi);
    } else {
        qunsetenv("PARCELO_DPI");
    }
    PrepareHighDpiEnvironment();
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

inline void SetProfileValue(const QString& key, const QVariant& value) {
    QSettings settings(UserConfigFile(), QSettings::IniFormat);
    settings.setValue("SETTINGS/" + key, value);
}

inline void ClearProfileAndData() {
    {
        QSettings settings(UserConfigFile(), QSettings::IniFormat);
        settings.clear();
    }
    QDir(DataFolder()).removeRecursively();
}

template <std::size_t N> void CopyField(char16_t (&field)[N], std::u16string_view text) {
    const std::size_t length = std::min(text.size(), N - 1);
    std::copy_n(text.begin(), length, field);
    field[length] = u'\0';
}

inline Courier MakeCourier(std::u16string_view name, std::u16string_view phone, std::u16string_view url) {
    Courier courier{};
    CopyField(courier.name, name);
    CopyField(courier.phone, phone);
    CopyField(courier.trackingUrl, url);
    return courier;
}

// Couriers named C0, C1, ... with phones 0000-000n and addresses https://tN.example/?n=%s.
inline std::vector<Courier> NumberedCouriers(int count) {
    std::vector<Courier> couriers;
    for (int i = 0; i < count; ++i) {
        const std::u16string n = QString::number(i).toStdU16String();
        couriers.push_back(MakeCourier(u"C" + n, u"0000-000" + n, u"https://t" + n + u".example/?n=%s"));
    }
    return couriers;
}

// The sample parcelo.ini in a folder, with INSTALLPATH pointing at it.
inline void InstallCourierFile(const QString& text) {
    const QString folder = TestRoot().filePath("install");
    QDir().mkpath(folder);
    QFile file(folder + "/parcelo.ini");
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write(text.toUtf8());
    SetProfileValue("INSTALLPATH", folder);
}

inline Shipment MakeShipment(int courier, std::u16string_view item, Instant entry, Instant order, int status) {
    Shipment shipment;
    shipment.courierIndex = courier;
    shipment.itemName = item;
    shipment.invoiceNumber = u"INV-" + std::u16string(item);
    shipment.entryDate = entry;
    shipment.orderDate = order;
    shipment.status = status;
    return shipment;
}

// Adds shipments to the program's own volume, as an earlier run would have.
inline void AddToProgramVolume(const std::vector<Shipment>& shipments) {
    CShipmentDatabase store;
    ASSERT_TRUE(store.MountVolume(u"VELDAN.EDB"));
    ASSERT_TRUE(store.Open(u"TRACKDB"));
    for (const Shipment& shipment : shipments) {
        ASSERT_TRUE(store.Add(shipment));
    }
}

// Runs the event loop until something quits it, at most `limitMs`; returns the exit
// code, or -1 when nothing asked to quit in time.
inline int RunEventLoop(int limitMs) {
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(-1); });
    guard.start(limitMs);
    return QCoreApplication::exec();
}

} // namespace parcelo::test
