// Time from starting the real `parcelo` program to its first painted list, and its
// resident memory at that moment, with 1,000 and 100,000 shipments in the store,
// against a bare Qt window with one label started the same way in the same run.
//
//   startup_harness [--runs N] [--quick] <path to parcelo>...
//
// --quick starts each program once with 1,000 shipments only, to show that the
// harness and the program run (the figures mean nothing then).
//
// Several builds of the program can be compared in one run; every start is interleaved.
// The programs run under the offscreen platform (or the one PARCELO_HARNESS_PLATFORM
// names) with PARCELO_REPORT_FIRST_PAINT set:
// the list then prints one line at its first paint that shows items and the program
// ends. The stores are built once with the program's own store (in tmpfs, where
// flushing costs nothing) and kept next to the harness for later runs.
#include "store/ShipmentDatabase.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <map>
#include <vector>

namespace {

using parcelo::CShipmentDatabase;
using parcelo::Shipment;

constexpr int64_t kStart = 1'609'459'200; // 2021-01-01
constexpr char kMarker[] = "parcelo-first-paint";

long ResidentKilobytes() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').front().toLong();
        }
    }
    return -1;
}

// The bare window: one label, reporting its first paint as the program does.
class Label : public QLabel {
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent* event) override {
        QLabel::paintEvent(event);
        if (!reported_) {
            reported_ = true;
            std::fprintf(stderr, "%s rss_kb=%ld\n", kMarker, ResidentKilobytes());
            std::fflush(stderr);
            QMetaObject::invokeMethod(
                qApp, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
        }
    }

private:
    bool reported_ = false;
};

int RunBareWindow(int argc, char** argv) {
    QApplication application(argc, argv);
    Label label(QStringLiteral("Parcelo"));
    label.resize(480, 640);
    label.show();
    return QApplication::exec();
}

// A data folder holding VELDAN.EDB with `count` shipments of every status.
QString PreparedDataFolder(const QString& cache, int count) {
    const QString folder = QStringLiteral("%1/data-%2/VELDAN/Parcelo").arg(cache).arg(count);
    const QString file = folder + QStringLiteral("/VELDAN.EDB");
    if (QFile::exists(file)) {
        return QStringLiteral("%1/data-%2").arg(cache).arg(count);
    }
    QDir().mkpath(folder);
    QTemporaryDir scratch(QStringLiteral("/dev/shm/parcelo-harness-XXXXXX"));
    const QString built = scratch.filePath(QStringLiteral("VELDAN.EDB"));
    {
        CShipmentDatabase store;
        if (!store.MountVolume(built.toStdU16String()) || !store.Open(u"TRACKDB")) {
            std::fprintf(stderr, "cannot create %s\n", qPrintable(built));
            return {};
        }
        for (int i = 0; i < count; ++i) {
            const std::string invoice = std::to_string(601234500000LL + i * 7919LL);
            Shipment shipment;
            shipment.courierIndex = i % 15;
            shipment.invoiceNumber = std::u16string(invoice.begin(), invoice.end());
            shipment.itemName = u"무선 이어폰 " + shipment.invoiceNumber.substr(8);
            shipment.entryDate = kStart + i * 947LL;
            shipment.orderDate = shipment.entryDate - int64_t{i % 40} * 3600;
            shipment.status = i % 3;
            if (!store.Add(shipment)) {
                std::fprintf(stderr, "cannot add shipment %d\n", i);
                return {};
            }
        }
    }
    QFile::copy(built, file);
    return QStringLiteral("%1/data-%2").arg(cache).arg(count);
}

struct Result {
    double milliseconds = -1;
    long rssKilobytes = -1;
};

Result StartOnce(const QString& program, const QStringList& arguments, const QProcessEnvironment& environment) {
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::MergedChannels);
    QElapsedTimer clock;
    clock.start();
    process.start(program, arguments);
    Result result;
    QByteArray seen;
    while (process.waitForReadyRead(20000)) {
        seen += process.readAll();
        const qsizetype at = seen.indexOf(kMarker);
        if (at >= 0 && seen.indexOf('\n', at) >= 0) {
            result.milliseconds = static_cast<double>(clock.nsecsElapsed()) / 1e6;
            const QByteArray line = seen.mid(at, seen.indexOf('\n', at) - at);
            result.rssKilobytes = line.mid(line.indexOf("rss_kb=") + 7).toLong();
            break;
        }
    }
    if (!process.waitForFinished(10000)) {
        process.kill();
        process.waitForFinished();
    }
    if (result.milliseconds < 0) {
        std::fprintf(stderr, "no first paint from %s: %s\n", qPrintable(program), seen.constData());
    }
    return result;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? -1 : values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && QByteArray(argv[1]) == "--bare") {
        return RunBareWindow(argc, argv);
    }
    QCoreApplication core(argc, argv);
    QStringList programs = QCoreApplication::arguments().mid(1);
    int runs = 5;
    bool quick = false;
    for (bool option = true; option && !programs.isEmpty();) {
        option = false;
        if (programs.size() >= 2 && programs[0] == QStringLiteral("--runs")) {
            runs = std::max(1, programs[1].toInt());
            programs = programs.mid(2);
            option = true;
        } else if (programs[0] == QStringLiteral("--quick")) {
            quick = true;
            runs = 1;
            programs = programs.mid(1);
            option = true;
        }
    }
    if (programs.isEmpty()) {
        std::fprintf(stderr, "usage: %s [--runs N] [--quick] <parcelo>...\n", argv[0]);
        return 2;
    }
    const QString cache = QCoreApplication::applicationDirPath() + QStringLiteral("/startup-data");

    QTemporaryDir root;
    const QString install = root.filePath(QStringLiteral("install"));
    QDir().mkpath(install);
    QFile::copy(QStringLiteral(PARCELO_SOURCE_DIR "/res/parcelo.ini"), install + QStringLiteral("/parcelo.ini"));
    QDir().mkpath(root.filePath(QStringLiteral("config/VELDAN")));
    QFile conf(root.filePath(QStringLiteral("config/VELDAN/Parcelo.conf")));
    if (!conf.open(QIODevice::WriteOnly)) {
        return 1;
    }
    conf.write("[SETTINGS]\nINSTALLPATH=" + install.toUtf8() + "\n");
    conf.close();

    QProcessEnvironment base = QProcessEnvironment::systemEnvironment();
    // A real display server when asked for (PARCELO_HARNESS_PLATFORM=xcb under Xvfb, say).
    const QString platform = qEnvironmentVariable("PARCELO_HARNESS_PLATFORM", QStringLiteral("offscreen"));
    base.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
    base.insert(QStringLiteral("PARCELO_DPI"), QStringLiteral("96"));
    base.insert(QStringLiteral("PARCELO_REPORT_FIRST_PAINT"), QStringLiteral("1"));
    base.insert(QStringLiteral("XDG_CONFIG_HOME"), root.filePath(QStringLiteral("config")));
    base.insert(QStringLiteral("XDG_CONFIG_DIRS"), root.filePath(QStringLiteral("system")));
    base.insert(QStringLiteral("XDG_RUNTIME_DIR"), root.path());

    struct Case {
        QString name;
        QString program;
        QStringList arguments;
        QProcessEnvironment environment;
    };
    std::vector<Case> cases;
    cases.push_back(
        {QStringLiteral("bare Qt window"), QCoreApplication::applicationFilePath(), {QStringLiteral("--bare")}, base});
    const std::vector<int> counts = quick ? std::vector<int>{1000} : std::vector<int>{1000, 100000};
    for (const int count : counts) {
        const QString data = PreparedDataFolder(cache, count);
        if (data.isEmpty()) {
            return 1;
        }
        QProcessEnvironment environment = base;
        environment.insert(QStringLiteral("XDG_DATA_HOME"), data);
        for (const QString& program : programs) {
            cases.push_back({QStringLiteral("%1, %2 shipments").arg(program).arg(count), program, {}, environment});
        }
    }

    std::map<int, std::vector<double>> times;
    std::map<int, std::vector<double>> memory;
    for (int run = 0; run < runs; ++run) {
        for (size_t c = 0; c < cases.size(); ++c) {
            const Result result = StartOnce(cases[c].program, cases[c].arguments, cases[c].environment);
            if (result.milliseconds < 0) {
                return 1;
            }
            times[static_cast<int>(c)].push_back(result.milliseconds);
            memory[static_cast<int>(c)].push_back(static_cast<double>(result.rssKilobytes));
        }
    }
    std::printf("%-60s %18s %12s\n", "start", "first paint (ms)", "VmRSS (MiB)");
    for (size_t c = 0; c < cases.size(); ++c) {
        std::printf("%-60s %18.1f %12.1f\n", qPrintable(cases[c].name), Median(times[static_cast<int>(c)]),
                    Median(memory[static_cast<int>(c)]) / 1024.0);
    }
    std::printf("medians of %d runs, interleaved\n", runs);
    return 0;
}
