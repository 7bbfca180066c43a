// Start-up and tracking page of the real `parcelo` program on real display servers.
//
//   startup_harness [--runs N] [--quick] <path to parcelo>...
//
// Start-up: the time from starting the program to its first painted list, its resident
// memory at that moment and the OpenGL and web-engine libraries it has mapped, with
// 1,000 and 100,000 shipments in the store, against a bare Qt window (a list, a field
// and a button) started the same way in the same run. The tracking page: a window of
// the program's opens the tracking page (CHtmlDlg, what Return on a shipment opens) at
// a page of a loopback HTTP server, four times; the time to its "연결 중..." painted
// and to the page shown, the first time, later (the page's process started then) and
// from the item menu (the process started as the menu opened, 600 ms before); the
// window's resident memory before, while the page shows and 2 s after the last closed;
// and the page's processes left.
//
// Every case runs under Xvfb (xcb, 96 dpi) and under a headless weston (wayland), each
// started by the harness; a server that is not installed is left out with a note. Under
// weston the cases run once more without Qt's window decorations
// (QT_WAYLAND_DISABLE_WINDOWDECORATION), which Qt draws with EGL.
//
// --quick starts each program once with 1,000 shipments only, to show that the
// harness and the program run (the figures mean nothing then).
//
// Several builds of the program can be compared in one run; every start is interleaved.
// The programs run with PARCELO_REPORT_FIRST_PAINT set: the list then prints one line
// at its first paint that shows items and the program ends. The stores are built once
// with the program's own store (in tmpfs, where flushing costs nothing) and kept next
// to the harness for later runs.
#include "dialogs/HtmlDlg.h"
#include "platform/ProcessFigures.h"
#include "render/qt/DpiCache.h"
#include "store/ShipmentDatabase.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>
#include <algorithm>
#include <cstdio>
#include <map>
#include <vector>

namespace {

using parcelo::CShipmentDatabase;
using parcelo::ResidentKilobytes;
using parcelo::Shipment;

constexpr int64_t kStart = 1'609'459'200; // 2021-01-01
constexpr char kMarker[] = "parcelo-first-paint";
constexpr char kPageMarker[] = "parcelo-page-run";

// The bare window: a list, a field and a button, reporting the list's first paint as
// the program does.
class ReportingList : public QListWidget {
public:
    using QListWidget::QListWidget;

protected:
    void paintEvent(QPaintEvent* event) override {
        QListWidget::paintEvent(event);
        if (!reported_) {
            reported_ = true;
            std::fprintf(stderr, "%s\n", parcelo::FirstPaintReport().c_str());
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
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* bar = new QHBoxLayout;
    bar->addWidget(new QLineEdit);
    bar->addWidget(new QPushButton(QStringLiteral("추가")));
    layout->addLayout(bar);
    auto* list = new ReportingList;
    for (int i = 0; i < 1000; ++i) {
        list->addItem(QStringLiteral("무선 이어폰 %1").arg(i));
    }
    layout->addWidget(list);
    window.resize(480, 640);
    window.show();
    return QApplication::exec();
}

// Runs the event loop until `condition` holds or `timeoutMs` pass.
bool WaitFor(const std::function<bool()>& condition, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    QTimer tick;
    tick.start(2);
    while (!condition() && clock.elapsed() < timeoutMs) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return condition();
}

// Processes still alive in one of `groups`.
int ProcessesLeft(const std::vector<qint64>& groups) {
    int count = 0;
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
        if (entry.toLongLong() <= 0 || !stat.open(QIODevice::ReadOnly)) {
            continue;
        }
        const QByteArray text = stat.readAll();
        const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 2 && fields[0] != "Z" &&
            std::find(groups.begin(), groups.end(), fields[2].toLongLong()) != groups.end()) {
            ++count;
        }
    }
    return count;
}

// Notes the first paint of a widget.
class PaintWatch : public QObject {
public:
    explicit PaintWatch(const QElapsedTimer& clock) : clock_(clock) {}
    double paintedMs = -1;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && paintedMs < 0) {
            paintedMs = static_cast<double>(clock_.nsecsElapsed()) / 1e6;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    const QElapsedTimer& clock_;
};

// The tracking page, in a window of the program's, four times: prints one line of figures.
int RunPageDriver(int argc, char** argv) {
    parcelo::PrepareHighDpiEnvironment();
    QApplication application(argc, argv);
    QByteArray page = "<!DOCTYPE html><html><head><meta charset=\"utf-8\"></head><body><h1>배송 조회</h1><table>";
    for (int i = 0; i < 200; ++i) {
        page += "<tr><td>2024-05-0" + QByteArray::number(i % 9 + 1) + "</td><td>간선 상차</td><td>옥천 HUB</td></tr>";
    }
    page += "</table></body></html>";
    QTcpServer server;
    server.listen(QHostAddress::LocalHost);
    QObject::connect(&server, &QTcpServer::newConnection, &server, [&] {
        while (QTcpSocket* socket = server.nextPendingConnection()) {
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [socket, &page] {
                socket->readAll();
                socket->write("HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: " +
                              QByteArray::number(page.size()) + "\r\nConnection: close\r\n\r\n" + page);
                socket->disconnectFromHost();
            });
        }
    });
    QWidget window;
    window.resize(480, 640);
    window.show();
    WaitFor([&] { return window.windowHandle() != nullptr && window.windowHandle()->isExposed(); }, 10000);
    WaitFor([] { return false; }, 500);
    const long before = ResidentKilobytes();
    long during = -1;
    std::vector<double> connecting;
    std::vector<double> shown;
    std::vector<qint64> groups;
    // Rounds 1 and 2 start the page on Return; round 3 as the item menu opens, 600 ms
    // before its command.
    for (int round = 0; round < 4; ++round) {
        if (round == 3) {
            parcelo::CHtmlDlg::PreparePage();
            WaitFor([] { return false; }, 600);
            parcelo::CHtmlDlg::DropPreparedPage();
        }
        QElapsedTimer clock;
        clock.start();
        PaintWatch watch(clock);
        double shownMs = -1;
        {
            parcelo::CHtmlDlg dialog(&window);
            dialog.SetAddress(
                QStringLiteral("http://127.0.0.1:%1/track?n=%2").arg(server.serverPort()).arg(round).toStdU16String());
            QObject::connect(&dialog, &parcelo::CHtmlDlg::pageShown,
                             [&] { shownMs = static_cast<double>(clock.nsecsElapsed()) / 1e6; });
            dialog.InitDialog();
            if (dialog.ConnectingLabel() != nullptr) {
                dialog.ConnectingLabel()->installEventFilter(&watch);
            }
            dialog.show();
            groups.push_back(dialog.Page().ProcessId());
            WaitFor([&] { return shownMs >= 0 && watch.paintedMs >= 0; }, 30000);
            if (round == 0) {
                WaitFor([] { return false; }, 300);
                during = ResidentKilobytes();
            }
            dialog.OnOK();
        }
        connecting.push_back(watch.paintedMs);
        shown.push_back(shownMs);
    }
    WaitFor([] { return false; }, 2000);
    const long after = ResidentKilobytes();
    std::fprintf(stderr,
                 "%s connecting_ms=%.1f first_ms=%.1f later_ms=%.1f menu_ms=%.1f rss_before=%ld rss_during=%ld "
                 "rss_after=%ld left=%d\n",
                 kPageMarker, connecting[0], shown[0], (shown[1] + shown[2]) / 2, shown[3], before, during, after,
                 ProcessesLeft(groups));
    std::fflush(stderr);
    return 0;
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
    bool ok = false;
    std::map<QString, double> figures; // name=value pairs of the marker line
    QString libraries;
};

// Starts `program` and reads the figures of the first line that begins with `marker`.
Result StartOnce(const QString& program, const QStringList& arguments, const QProcessEnvironment& environment,
                 const char* marker, double* elapsedMs) {
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::MergedChannels);
    QElapsedTimer clock;
    clock.start();
    process.start(program, arguments);
    Result result;
    QByteArray seen;
    while (process.waitForReadyRead(60000)) {
        seen += process.readAll();
        const qsizetype at = seen.indexOf(marker);
        if (at >= 0 && seen.indexOf('\n', at) >= 0) {
            *elapsedMs = static_cast<double>(clock.nsecsElapsed()) / 1e6;
            const QByteArray line = seen.mid(at, seen.indexOf('\n', at) - at);
            for (const QByteArray& pair : line.split(' ').mid(1)) {
                const QList<QByteArray> parts = pair.split('=');
                if (parts.size() == 2 && parts[0] == "libs") {
                    result.libraries = QString::fromLatin1(parts[1]);
                } else if (parts.size() == 2) {
                    result.figures[QString::fromLatin1(parts[0])] = parts[1].toDouble();
                }
            }
            result.ok = true;
            break;
        }
    }
    if (!process.waitForFinished(30000)) {
        process.kill();
        process.waitForFinished();
    }
    if (!result.ok) {
        std::fprintf(stderr, "no '%s' from %s: %s\n", marker, qPrintable(program), seen.right(2000).constData());
    }
    return result;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? -1 : values[values.size() / 2];
}

QString LoadAverage() {
    QFile file(QStringLiteral("/proc/loadavg"));
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll().trimmed()) : QStringLiteral("?");
}

// A display server of the harness's own, for as long as the object lives.
class DisplayServer {
public:
    // Xvfb at 96 dpi, or a headless weston; empty environment when it cannot start.
    DisplayServer(const QString& kind, const QString& runtimeDir) : kind_(kind) {
        if (kind == u"xvfb") {
            process_.start(QStringLiteral("Xvfb"),
                           {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-nolisten"),
                            QStringLiteral("tcp"), QStringLiteral("-screen"), QStringLiteral("0"),
                            QStringLiteral("1280x1024x24"), QStringLiteral("-dpi"), QStringLiteral("96")});
            if (!process_.waitForStarted(5000) || !process_.waitForReadyRead(10000)) {
                return;
            }
            const QByteArray display = process_.readAllStandardOutput().trimmed();
            environment_.insert(QStringLiteral("DISPLAY"), QStringLiteral(":") + QString::fromLatin1(display));
            environment_.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        } else {
            const QString socket = QStringLiteral("parcelo-harness-%1").arg(QCoreApplication::applicationPid());
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir);
            process_.setProcessEnvironment(environment);
            process_.setProcessChannelMode(QProcess::MergedChannels);
            process_.start(QStringLiteral("weston"),
                           {QStringLiteral("--backend=headless-backend.so"), QStringLiteral("--socket=") + socket,
                            QStringLiteral("--width=1280"), QStringLiteral("--height=1024"),
                            QStringLiteral("--idle-time=0")});
            if (!process_.waitForStarted(5000)) {
                return;
            }
            QElapsedTimer clock;
            clock.start();
            while (!QFile::exists(runtimeDir + QLatin1Char('/') + socket) && clock.elapsed() < 10000 &&
                   process_.state() == QProcess::Running) {
                process_.waitForReadyRead(50);
            }
            if (!QFile::exists(runtimeDir + QLatin1Char('/') + socket)) {
                std::fprintf(stderr, "weston did not start: %s\n", process_.readAll().constData());
                return;
            }
            environment_.insert(QStringLiteral("WAYLAND_DISPLAY"), socket);
            environment_.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
        }
    }
    ~DisplayServer() {
        process_.terminate();
        if (!process_.waitForFinished(5000)) {
            process_.kill();
            process_.waitForFinished();
        }
    }
    bool Running() const { return !environment_.isEmpty(); }
    // What the programs need to use the server.
    QProcessEnvironment Apply(QProcessEnvironment base) const {
        base.remove(kind_ == u"xvfb" ? QStringLiteral("WAYLAND_DISPLAY") : QStringLiteral("DISPLAY"));
        for (const QString& key : environment_.keys()) {
            base.insert(key, environment_.value(key));
        }
        return base;
    }

private:
    QString kind_;
    QProcess process_;
    QProcessEnvironment environment_;
};

} // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && QByteArray(argv[1]) == "--bare") {
        return RunBareWindow(argc, argv);
    }
    if (argc >= 2 && QByteArray(argv[1]) == "--page-driver") {
        return RunPageDriver(argc, argv);
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
    const QString runtime = root.filePath(QStringLiteral("runtime"));
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    QProcessEnvironment base = QProcessEnvironment::systemEnvironment();
    base.insert(QStringLiteral("PARCELO_DPI"), QStringLiteral("96"));
    base.insert(QStringLiteral("PARCELO_REPORT_FIRST_PAINT"), QStringLiteral("1"));
    base.insert(QStringLiteral("XDG_CONFIG_HOME"), root.filePath(QStringLiteral("config")));
    base.insert(QStringLiteral("XDG_CONFIG_DIRS"), root.filePath(QStringLiteral("system")));
    base.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    // The page beside the first program measured.
    base.insert(QStringLiteral("PARCELO_PAGE_PROGRAM"),
                QFileInfo(programs[0]).absolutePath() + QStringLiteral("/parcelo-page"));

    struct Case {
        QString name;
        QString program;
        QStringList arguments;
        QProcessEnvironment environment;
        const char* marker;
    };
    const std::vector<int> counts = quick ? std::vector<int>{1000} : std::vector<int>{1000, 100000};
    std::map<int, QString> data;
    for (const int count : counts) {
        data[count] = PreparedDataFolder(cache, count);
        if (data[count].isEmpty()) {
            return 1;
        }
    }
    std::printf("load average before: %s\n", qPrintable(LoadAverage()));
    int status = 0;
    for (const QString& kind : {QStringLiteral("xvfb"), QStringLiteral("weston")}) {
        if (QStandardPaths::findExecutable(kind == u"xvfb" ? QStringLiteral("Xvfb") : kind).isEmpty()) {
            std::printf("\n== %s: not installed, left out\n", qPrintable(kind));
            continue;
        }
        const DisplayServer server(kind, runtime);
        if (!server.Running()) {
            std::printf("\n== %s: did not start, left out\n", qPrintable(kind));
            status = 1;
            continue;
        }
        std::vector<Case> cases;
        const std::vector<bool> decorations =
            kind == u"weston" ? std::vector<bool>{true, false} : std::vector<bool>{true};
        for (const bool decorated : decorations) {
            QProcessEnvironment environment = server.Apply(base);
            QString suffix;
            if (!decorated) {
                environment.insert(QStringLiteral("QT_WAYLAND_DISABLE_WINDOWDECORATION"), QStringLiteral("1"));
                suffix = QStringLiteral(", no decorations");
            }
            cases.push_back({QStringLiteral("bare Qt window") + suffix,
                             QCoreApplication::applicationFilePath(),
                             {QStringLiteral("--bare")},
                             environment,
                             kMarker});
            for (const int count : counts) {
                QProcessEnvironment withData = environment;
                withData.insert(QStringLiteral("XDG_DATA_HOME"), data[count]);
                for (const QString& program : programs) {
                    cases.push_back(
                        {QStringLiteral("%1, %2 shipments%3").arg(QFileInfo(program).fileName()).arg(count).arg(suffix),
                         program,
                         {},
                         withData,
                         kMarker});
                }
            }
            cases.push_back({QStringLiteral("tracking page") + suffix,
                             QCoreApplication::applicationFilePath(),
                             {QStringLiteral("--page-driver")},
                             environment,
                             kPageMarker});
        }
        std::map<size_t, std::vector<double>> times;
        std::map<size_t, std::map<QString, std::vector<double>>> figures;
        std::map<size_t, QString> libraries;
        for (int run = 0; run < runs; ++run) {
            for (size_t c = 0; c < cases.size(); ++c) {
                double elapsed = -1;
                const Result result =
                    StartOnce(cases[c].program, cases[c].arguments, cases[c].environment, cases[c].marker, &elapsed);
                if (!result.ok) {
                    return 1;
                }
                times[c].push_back(elapsed);
                for (const auto& [name, value] : result.figures) {
                    figures[c][name].push_back(value);
                }
                libraries[c] = result.libraries;
            }
        }
        std::printf("\n== %s (QT_QPA_PLATFORM=%s), medians of %d runs, interleaved\n", qPrintable(kind),
                    kind == u"xvfb" ? "xcb" : "wayland", runs);
        std::printf("%-44s %16s %12s  %s\n", "start", "first paint (ms)", "VmRSS (MiB)",
                    "GL/web-engine libraries mapped");
        for (size_t c = 0; c < cases.size(); ++c) {
            if (cases[c].marker != kMarker) {
                continue;
            }
            std::printf("%-44s %16.1f %12.1f  %s\n", qPrintable(cases[c].name), Median(times[c]),
                        Median(figures[c][QStringLiteral("rss_kb")]) / 1024.0, qPrintable(libraries[c]));
        }
        std::printf("%-28s %10s %10s %10s %10s %11s %11s %11s %5s\n", "page (ms; main RSS MiB)", "연결 중", "first",
                    "later", "from menu", "RSS before", "RSS during", "RSS +2 s", "left");
        for (size_t c = 0; c < cases.size(); ++c) {
            if (cases[c].marker != kPageMarker) {
                continue;
            }
            auto& f = figures[c];
            std::printf("%-28s %10.1f %10.1f %10.1f %10.1f %11.1f %11.1f %11.1f %5.0f\n", qPrintable(cases[c].name),
                        Median(f[QStringLiteral("connecting_ms")]), Median(f[QStringLiteral("first_ms")]),
                        Median(f[QStringLiteral("later_ms")]), Median(f[QStringLiteral("menu_ms")]),
                        Median(f[QStringLiteral("rss_before")]) / 1024.0,
                        Median(f[QStringLiteral("rss_during")]) / 1024.0,
                        Median(f[QStringLiteral("rss_after")]) / 1024.0,
                        *std::max_element(f[QStringLiteral("left")].begin(), f[QStringLiteral("left")].end()));
        }
    }
    std::printf("\nload average after: %s\n", qPrintable(LoadAverage()));
    return status;
}
