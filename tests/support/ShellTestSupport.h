#pragma once

// Shared set-up of the GUI tests: private settings and data folders, couriers and shipments.
#include "couriers/Courier.h"
#include "platform/qt/Profile.h"
#include "render/qt/DpiCache.h"
#include "store/ShipmentDatabase.h"

#include <QApplication>
#include <QDir>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <gtest/gtest.h>
#include <vector>

namespace parcelo::test {

inline QTemporaryDir& TestRoot() {
    static QTemporaryDir root;
    return root;
}
inline QString DataFolder() {
    return TestRoot().filePath("data/VELDAN/Parcelo");
}

// The resolution the test runs at: PARCELO_TEST_DPI from the environment, or 96.
inline int TestDpi() {
    bool ok = false;
    const int dpi = qEnvironmentVariableIntValue("PARCELO_TEST_DPI", &ok);
    return ok && dpi > 0 ? dpi : 96;
}

// Everything is set before the QApplication and the first QSettings, which fix their paths.
// `dpi` is the resolution forced, or null for none (also with PARCELO_TEST_AT_DESKTOP_SCALE or
// QT_SCALE_FACTOR set).
inline void PrepareShellEnvironment(const char* dpi) {
    qputenv("XDG_CONFIG_HOME", TestRoot().filePath("config").toLocal8Bit());
    qputenv("XDG_CONFIG_DIRS", TestRoot().filePath("system").toLocal8Bit());
    qputenv("XDG_DATA_HOME", TestRoot().filePath("data").toLocal8Bit());
    if (dpi != nullptr && !qEnvironmentVariableIsSet("PARCELO_TEST_AT_DESKTOP_SCALE") &&
        !qEnvironmentVariableIsSet("QT_SCALE_FACTOR")) {
        qputenv("PARCELO_DPI", dpi);
    } else {
        qunsetenv("PARCELO_DPI"); // the screen's own resolution and scale, QT_SCALE_FACTOR say
    }
    PrepareHighDpiEnvironment();
}
// On the offscreen platform unless another is set.
inline int RunShellTests(int argc, char** argv, const char* dpi) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    PrepareShellEnvironment(dpi);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

inline QSettings UserSettings() {
    return QSettings(TestRoot().filePath("config/VELDAN/Parcelo.conf"), QSettings::IniFormat);
}
inline void SetProfileValue(const QString& key, const QVariant& value) {
    UserSettings().setValue("SETTINGS/" + key, value);
}
inline void ClearProfileAndData() {
    UserSettings().clear();
    QDir(DataFolder()).removeRecursively();
}

// `text` in a courier's fixed-size field, cut to fit.
template <typename Field> void CopyField(Field& field, const QString& text) {
    std::fill(std::begin(field), std::end(field), u'\0');
    std::copy_n(text.utf16(), std::min<qsizetype>(text.size(), std::size(field) - 1), field);
}

// Couriers named C0, C1, ... with phones 0000-000n, addresses https://tn.example/?n=%s and notes "note n".
inline std::vector<Courier> NumberedCouriers(int count) {
    std::vector<Courier> couriers(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        CopyField(couriers[i].name, QString("C%1").arg(i));
        CopyField(couriers[i].phone, QString("0000-000%1").arg(i));
        CopyField(couriers[i].trackingUrl, QString("https://t%1.example/?n=%s").arg(i));
        CopyField(couriers[i].note, QString("note %1").arg(i));
    }
    return couriers;
}

// parcelo.ini with `text` in a folder of its own, and INSTALLPATH pointing there.
inline void InstallCourierFile(const QByteArray& text) {
    const QString folder = TestRoot().filePath("install");
    QFile file(folder + "/parcelo.ini");
    ASSERT_TRUE(QDir().mkpath(folder) && file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text);
    SetProfileValue("INSTALLPATH", folder);
}

inline Shipment MakeShipment(int courier, std::u16string_view item, Instant entry, Instant order, int status) {
    return {courier, u"INV-" + std::u16string(item), std::u16string(item), entry, order, status};
}

// Every shipment of `store`, newest entry first.
inline std::vector<Shipment> AllShipments(CShipmentDatabase& store) {
    std::vector<Shipment> all;
    EXPECT_TRUE(store.Query({}, all));
    return all;
}

// Adds `shipments` with entry dates a second apart, listed in this order, loads the view; gives ids.
template <typename View>
std::vector<int64_t> LoadShipments(CShipmentDatabase& store, View& view, std::vector<Shipment> shipments,
                                   Instant newest) {
    std::vector<int64_t> ids;
    for (Shipment& shipment : shipments) {
        shipment.entryDate = newest--;
        EXPECT_TRUE(store.Add(shipment));
        ids.push_back(shipment.id);
    }
    view.OnInitialUpdate();
    view.List().viewport()->grab(); // a paint places the items for hit testing
    return ids;
}

// The shipment ids of a view's rows, top to bottom.
template <typename View> std::vector<int64_t> RowIds(const View& view) {
    std::vector<int64_t> rows;
    for (int row = 0; row < view.List().GetItemCount(); ++row) {
        rows.push_back(view.IdAt(row));
    }
    return rows;
}

// The exit code of the event loop, or -1 when nothing ended it within `limitMs`.
inline int RunEventLoop(int limitMs) {
    QTimer guard; // gone with this call, so it never ends a later loop
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(-1); });
    guard.start(limitMs);
    return QCoreApplication::exec();
}

} // namespace parcelo::test
