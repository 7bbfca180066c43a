#include "app/CommandLine.h"

#include "app/ImageBarcodes.h"
#include "app/RefreshCommand.h"
#include "app/Session.h"
#include "couriers/Courier.h"
#include "couriers/CourierDetector.h"
#include "couriers/NumberPasteParser.h"
#include "platform/Iso8601.h"
#include "platform/LocalTime.h"
#include "platform/NumberNormaliser.h"
#include "platform/TextFolding.h"
#include "platform/Translation.h"
#include "platform/qt/QtText.h"
#include "store/ShipmentDatabase.h"
#include "store/StoreBackup.h"
#include "store/StoreErrorText.h"
#include "transfer/ShipmentTransfer.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

namespace parcelo {

namespace {

// The window's own options, which Qt takes with one dash or two; any other option
// with two dashes is ours, and an unknown one is bad usage rather than a window.
constexpr std::string_view kWindowOptions[] = {"platform",
                                               "platformpluginpath",
                                               "platformtheme",
                                               "plugin",
                                               "qwindowgeometry",
                                               "qwindowicon",
                                               "qwindowtitle",
                                               "reverse",
                                               "session",
                                               "style",
                                               "stylesheet",
                                               "widgetcount",
                                               "display",
                                               "geometry",
                                               "title",
                                               "name",
                                               "dialogs",
                                               "nograb",
                                               "dograb",
                                               "sync",
                                               "visual",
                                               "fn",
                                               "font",
                                               "bg",
                                               "background",
                                               "fg",
                                               "foreground",
                                               "btn",
                                               "button",
                                               "im",
                                               "inputstyle",
                                               "qmljsdebugger"};

// `name` without its dashes, with or without "=value".
bool IsWindowOption(std::string_view name) {
    name = name.substr(0, name.find('='));
    return std::find(std::begin(kWindowOptions), std::end(kWindowOptions), name) != std::end(kWindowOptions);
}

// Window options that take the next argument as their value unless given "=value".
bool TakesValue(std::string_view name) {
    constexpr std::string_view kFlags[] = {"reverse", "widgetcount", "nograb", "dograb", "sync", "qmljsdebugger"};
    return std::find(std::begin(kFlags), std::end(kFlags), name) == std::end(kFlags);
}

// Set when standard output could not take what was written (a full disk, a closed
// pipe): the command then fails instead of reporting a success nobody received.
bool g_outputLost = false;

void PrintBytes(FILE* stream, std::string_view bytes) {
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), stream) == bytes.size();
    if ((std::fflush(stream) != 0 || !written) && stream == stdout) {
        g_outputLost = true;
    }
}

void Print(FILE* stream, const QString& text) {
    const QByteArray bytes = text.toUtf8();
    PrintBytes(stream, std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
}

int Refuse(const QString& message) {
    Print(stderr, QStringLiteral("parcelo: ") + message + u'\n');
    return CommandLine::Refused;
}

int Misuse(const QString& message) {
    Print(stderr, QStringLiteral("parcelo: ") + message +
                      QCoreApplication::translate("CommandLine", "\n'parcelo --help'를 참고하십시오.\n"));
    return CommandLine::BadUsage;
}

std::u16string CourierName(const Courier& courier) {
    return std::u16string(FieldView(courier.name));
}

// One line of --list: a text field with tabs, line ends and other control characters
// made blanks, so that every shipment stays on one line of tab-separated fields.
QString ListField(const std::u16string& text) {
    QString field = ToQString(text);
    for (QChar& c : field) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F || (c.unicode() >= 0x80 && c.unicode() < 0xA0) ||
            c.unicode() == 0x2028 || c.unicode() == 0x2029) {
            c = u' ';
        }
    }
    return field;
}

QString Date(int64_t instant) {
    return QString::fromStdString(FormatIsoDateTime(instant, LocalUtcOffset(instant)));
}

// The session a command needs, opened as the window opens its own. Null, after telling
// why, when parcelo.ini or the store cannot be opened.
std::unique_ptr<Session> Open(const SessionPaths& paths, SessionNeeds needs) {
    auto session = std::make_unique<Session>(OpenSession(paths, needs));
    const QString file = ToQString(paths.courierFile);
    if (needs.couriers) {
        switch (session->courierStatus) {
        case CourierFileStatus::Loaded:
        case CourierFileStatus::NoCouriers:
            break;
        case CourierFileStatus::PathTooLong:
            Refuse(QCoreApplication::translate("CommandLine", "택배사 목록 파일의 경로가 너무 깁니다: ") + file);
            return nullptr;
        case CourierFileStatus::Missing:
            Refuse(QCoreApplication::translate(
                       "CommandLine", "택배사 목록 파일을 찾을 수 없습니다 (설정의 INSTALLPATH를 확인하십시오): ") +
                   file);
            return nullptr;
        }
    }
    if (needs.store && !session->storeOpened) {
        Refuse(QCoreApplication::translate("CommandLine", "배송 목록 데이터베이스를 열 수 없습니다: ") +
               ToQString(DescribeStoreError(session->store.LastError())));
        return nullptr;
    }
    return session;
}

// What the commands ask for: the couriers, with their detector or not, and the store.
SessionNeeds Needs(bool detector, bool store = true) {
    SessionNeeds needs;
    needs.detector = detector;
    needs.store = store;
    return needs;
}

int List(const SessionPaths& paths, bool json) {
    const std::unique_ptr<Session> session = Open(paths, Needs(false));
    if (!session) {
        return CommandLine::Refused;
    }
    if (json) {
        ShipmentTransfer transfer(session->store, session->couriers);
        const std::optional<std::string> bytes = transfer.ExportBytes(ShipmentTransfer::Format::Json);
        if (!bytes) {
            return Refuse(QCoreApplication::translate("CommandLine", "배송 목록을 읽지 못했습니다: ") +
                          ToQString(DescribeStoreError(session->store.LastError())));
        }
        PrintBytes(stdout, *bytes);
        return CommandLine::Success;
    }
    std::vector<Shipment> shipments;
    if (!session->store.Query({}, shipments)) {
        return Refuse(QCoreApplication::translate("CommandLine", "배송 목록을 읽지 못했습니다: ") +
                      ToQString(DescribeStoreError(session->store.LastError())));
    }
    QString out;
    for (const Shipment& shipment : shipments) {
        const Courier* courier = FindCourier(session->couriers, shipment.courierIndex);
        out += QString::number(shipment.id) + u'\t' + (courier ? ListField(CourierName(*courier)) : QString()) + u'\t' +
               ListField(shipment.invoiceNumber) + u'\t' + ListField(shipment.itemName) + u'\t' +
               Date(shipment.orderDate) + u'\t' + Date(shipment.entryDate) + u'\t' + QString::number(shipment.status) +
               u'\n';
        if (out.size() > 65536) {
            Print(stdout, out);
            out.clear();
        }
    }
    Print(stdout, out);
    return CommandLine::Success;
}

int Add(const SessionPaths& paths, const QStringList& values) {
    const std::unique_ptr<Session> session = Open(paths, Needs(true));
    if (!session) {
        return CommandLine::Refused;
    }
    const std::u16string number = values[1].trimmed().toStdU16String();
    if (number.empty()) {
        return Refuse(QCoreApplication::translate("CommandLine", "송장번호가 비어 있습니다."));
    }
    if (IsInvoiceNumberTooLong(number)) {
        return Refuse(ToQString(Translate("NumberNormaliser", kInvoiceNumberTooLongText)));
    }
    std::vector<Shipment> stored;
    if (!session->store.Query({}, stored)) {
        return Refuse(QCoreApplication::translate("CommandLine", "배송 목록을 읽지 못했습니다: ") +
                      ToQString(DescribeStoreError(session->store.LastError())));
    }
    const std::vector<Courier>& couriers = session->couriers;
    const CourierDetector& detector = session->detector;
    std::optional<int> index;
    if (values[0].trimmed().compare(QStringLiteral("auto"), Qt::CaseInsensitive) == 0) {
        std::vector<int> found = detector.Detect(number);
        const int picked = detector.Pick(found);
        if (FindCourier(couriers, picked) == nullptr) {
            CourierDetector::StoredNumbers numbers;
            for (const Shipment& shipment : stored) {
                numbers.emplace(shipment.courierIndex, NormaliseNumber(shipment.invoiceNumber));
            }
            detector.OrderByStore(found, number, numbers);
            QStringList names;
            for (int candidate : found) {
                if (const Courier* courier = FindCourier(couriers, candidate)) {
                    names << ToQString(CourierName(*courier));
                }
            }
            return Refuse(
                names.isEmpty()
                    ? QCoreApplication::translate("CommandLine", "송장번호로 택배사를 알 수 없습니다: ") + values[1]
                    : QCoreApplication::translate("CommandLine", "송장번호에 맞는 택배사가 여럿입니다 (후보: %1): %2\n"
                                                                 "택배사 이름을 지정하여 다시 추가하십시오.")
                          .arg(names.join(QStringLiteral(", ")), values[1]));
        }
        index = picked;
    } else {
        const std::u16string wanted = FoldedName(values[0].toStdU16String());
        for (size_t i = 0; i < couriers.size() && !index; ++i) {
            if (!wanted.empty() && FoldedName(CourierName(couriers[i])) == wanted) {
                index = static_cast<int>(i);
            }
        }
        if (!index) {
            return Refuse(QCoreApplication::translate("CommandLine", "택배사 목록에 없는 택배사입니다: ") + values[0]);
        }
    }
    const std::u16string normalised = NormaliseInvoiceNumber(number);
    for (const Shipment& shipment : stored) {
        if (shipment.courierIndex == *index && NormaliseInvoiceNumber(shipment.invoiceNumber) == normalised) {
            return Refuse(QCoreApplication::translate("CommandLine", "이미 등록된 송장번호입니다 (번호 %1): %2")
                              .arg(shipment.id)
                              .arg(values[1]));
        }
    }
    Shipment shipment;
    shipment.courierIndex = *index;
    shipment.invoiceNumber = number;
    shipment.itemName = values.size() > 2 ? values[2].trimmed().toStdU16String() : std::u16string();
    shipment.entryDate = shipment.orderDate = static_cast<Instant>(std::time(nullptr));
    shipment.status = InDelivery;
    if (!session->store.Add(shipment)) {
        return Refuse(QCoreApplication::translate("CommandLine", "배송을 저장하지 못했습니다: ") +
                      ToQString(DescribeStoreError(session->store.LastError())));
    }
    if (detector.Accepts(*index, number) == CourierDetector::Verdict::Rejected) {
        // Added as the editor's OK adds it; the editor's warning goes with it.
        Print(stderr, QCoreApplication::translate(
                          "CommandLine", "parcelo: 송장번호를 다시 확인하십시오: %1의 송장번호 형식에 맞지 않습니다.\n")
                          .arg(ToQString(CourierName(couriers[static_cast<size_t>(*index)]))));
    }
    Print(stdout, QString::number(shipment.id) + u'\n');
    return CommandLine::Success;
}

int Export(const SessionPaths& paths, const QString& file) {
    const std::optional<ShipmentTransfer::Format> format = ShipmentTransfer::FormatOf(LocalPath(file));
    if (!format) {
        return Refuse(QCoreApplication::translate("CommandLine", "파일 형식을 알 수 없습니다 (.csv 또는 .json): ") +
                      file);
    }
    const std::unique_ptr<Session> session = Open(paths, Needs(false));
    if (!session) {
        return CommandLine::Refused;
    }
    ShipmentTransfer transfer(session->store, session->couriers);
    size_t count = 0;
    const ShipmentTransfer::Error error = transfer.Export(LocalPath(file), *format, {}, &count);
    if (error != ShipmentTransfer::Error::None) {
        return Refuse(ToQString(DescribeTransferError(error)).chopped(1) + QStringLiteral(": ") + file);
    }
    Print(stdout, QCoreApplication::translate("CommandLine", "%1건을 내보냈습니다.\n").arg(count));
    return CommandLine::Success;
}

int Import(const SessionPaths& paths, const QString& file) {
    const std::unique_ptr<Session> session = Open(paths, Needs(true));
    if (!session) {
        return CommandLine::Refused;
    }
    ShipmentTransfer transfer(session->store, session->couriers, &session->detector);
    ImportPlan plan;
    const ShipmentTransfer::Error error = transfer.PlanImport(LocalPath(file), plan);
    for (const ImportError& line : plan.errors) {
        Print(stderr,
              (line.line > 0 ? QCoreApplication::translate("CommandLine", "%1: %2번째 줄: ").arg(file).arg(line.line)
                             : file + QStringLiteral(": ")) +
                  ToQString(line.reason) + u'\n');
    }
    if (error != ShipmentTransfer::Error::None) {
        return Refuse(ToQString(DescribeTransferError(error)).chopped(1) + QStringLiteral(": ") + file);
    }
    // A refused file adds nothing, so standard output reports nothing.
    if (!plan.errors.empty()) {
        return Refuse(QCoreApplication::translate("CommandLine", "오류가 있어 아무것도 가져오지 않았습니다: ") + file);
    }
    const ShipmentTransfer::Error committed = transfer.CommitImport(plan);
    if (committed != ShipmentTransfer::Error::None) {
        return Refuse(QCoreApplication::translate("CommandLine", "가져오지 못했습니다: ") +
                      ToQString(DescribeStoreError(session->store.LastError())));
    }
    Print(stdout, ToQString(plan.summary) + u'\n');
    return CommandLine::Success;
}

// Each invoice number in the barcodes of an image, once, with the couriers whose
// numbers it fits (or the courier the barcode's text names).
int Scan(const SessionPaths& paths, const QString& file) {
    const std::unique_ptr<Session> session = Open(paths, Needs(true, false));
    if (!session) {
        return CommandLine::Refused;
    }
    const ImageBarcodes::Result read = ImageBarcodes::ReadFile(file);
    if (read.status != ImageBarcodes::Status::Read) {
        return Refuse(ImageBarcodes::Describe(read, file));
    }
    const std::vector<Courier>& couriers = session->couriers;
    std::vector<std::u16string> names;
    names.reserve(couriers.size());
    for (const Courier& courier : couriers) {
        names.push_back(CourierName(courier));
    }
    const PasteResult found = NumberPasteParser::Parse(ImageBarcodes::AsText(read.texts).toStdU16String(), names);
    QString out;
    for (const PastedNumber& number : found.numbers) {
        if (number.duplicate) {
            continue;
        }
        std::vector<int> candidates = session->detector.Detect(number.normalised);
        if (candidates.empty() && number.courierIndex >= 0) {
            candidates.push_back(number.courierIndex);
        }
        QStringList named;
        for (const int candidate : candidates) {
            if (const Courier* courier = FindCourier(couriers, candidate)) {
                named << ListField(CourierName(*courier));
            }
        }
        out += ToQString(number.normalised) + u'\t' + named.join(QStringLiteral(", ")) + u'\n';
    }
    if (out.isEmpty()) {
        Print(stderr,
              (read.texts.isEmpty()
                   ? QCoreApplication::translate("CommandLine", "parcelo: 이미지에서 바코드를 찾지 못했습니다: ")
                   : QCoreApplication::translate("CommandLine", "parcelo: 바코드에 송장번호가 없습니다: ")) +
                  file + u'\n');
        return CommandLine::NothingFound;
    }
    Print(stdout, out);
    return CommandLine::Success;
}

int Backup(const SessionPaths& paths, const QString& file) {
    SessionNeeds needs;
    needs.couriers = false;
    const std::unique_ptr<Session> session = Open(paths, needs);
    if (!session) {
        return CommandLine::Refused;
    }
    const StoreError error = StoreBackup::BackUp(session->store, LocalPath(file));
    if (error != StoreError::None) {
        return Refuse(QCoreApplication::translate("CommandLine", "백업하지 못했습니다: ") +
                      ToQString(DescribeStoreError(error)) + QStringLiteral(" ") + file);
    }
    return CommandLine::Success;
}

QString HelpText(const QCommandLineParser& parser) {
    return parser.helpText() +
           QCoreApplication::translate("CommandLine",
                                       "\n"
                                       "--list 의 각 줄 (탭으로 구분): 번호, 택배사, 송장번호, 상품명, 주문일, 등록일, "
                                       "상태 (0 배송중, 1 완료, 2 취소)\n"
                                       "\n"
                                       "--scan 의 각 줄 (탭으로 구분): 송장번호, 그 번호에 맞는 택배사 (쉼표로 구분)\n"
                                       "\n"
                                       "종료 코드: 0 성공, 1 입력을 거부함 (이유는 표준 오류에), 2 잘못된 사용법, "
                                       "3 --scan 이 이미지에서 송장번호를 찾지 못함\n");
}

} // namespace

bool CommandLine::IsRequested(int argc, const char* const* argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        const size_t dashes = argument.substr(0, 2) == "--" ? 2 : argument.substr(0, 1) == "-" ? 1 : 0;
        if (dashes == 0 || argument.size() == dashes || !IsWindowOption(argument.substr(dashes))) {
            return true; // ours, or bad usage: either way no window
        }
        if (argument.find('=') == std::string_view::npos && TakesValue(argument.substr(dashes))) {
            ++i;
        }
    }
    return false;
}

int CommandLine::Run(const QStringList& arguments) {
    g_outputLost = false;
    const int code = RunCommand(arguments);
    if (code == Success && g_outputLost) {
        return Refuse(QCoreApplication::translate("CommandLine", "표준 출력에 쓰지 못했습니다."));
    }
    return code;
}

int CommandLine::RunCommand(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QCoreApplication::translate("CommandLine", "Parcelo: 택배 배송 조회 목록"));
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QCoreApplication::translate("CommandLine", "이 도움말을 보입니다."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QCoreApplication::translate("CommandLine", "버전을 보입니다."));
    const QCommandLineOption list(QStringLiteral("list"),
                                  QCoreApplication::translate("CommandLine", "배송 목록을 한 줄에 하나씩 보입니다."));
    const QCommandLineOption json(
        QStringLiteral("json"),
        QCoreApplication::translate("CommandLine", "--list 와 함께: 내보내기와 같은 JSON으로 보입니다."));
    const QCommandLineOption add(
        QStringLiteral("add"),
        QCoreApplication::translate("CommandLine", "배송을 추가합니다: 택배사 이름 (또는 auto: 송장번호로 찾기), "
                                                   "송장번호, 상품명 (생략 가능). 주문일과 등록일은 지금입니다."));
    const QCommandLineOption exportFile(
        QStringLiteral("export"),
        QCoreApplication::translate("CommandLine", "모든 배송을 파일로 내보냅니다 (.csv 또는 .json)."),
        QStringLiteral("FILE"));
    const QCommandLineOption importFile(
        QStringLiteral("import"),
        QCoreApplication::translate("CommandLine", "파일의 배송을 가져옵니다. 오류가 하나라도 있으면 아무것도 "
                                                   "가져오지 않습니다."),
        QStringLiteral("FILE"));
    const QCommandLineOption backup(
        QStringLiteral("backup"),
        QCoreApplication::translate("CommandLine", "실행 중에도 배송 목록 데이터베이스를 파일로 백업합니다."),
        QStringLiteral("FILE"));
    const QCommandLineOption refresh(
        QStringLiteral("refresh"),
        QCoreApplication::translate("CommandLine", "배송 상태를 한 번 확인합니다 (옵션에서 켠 경우에만)."));
    const QCommandLineOption scan(
        QStringLiteral("scan"),
        QCoreApplication::translate("CommandLine", "이미지 (라벨 사진, 주문 화면)의 바코드에서 송장번호를 찾아 한 줄에 "
                                                   "하나씩 보입니다. 배송은 추가하지 않습니다."),
        QStringLiteral("IMAGE"));
    parser.addOptions({help, version, list, json, add, exportFile, importFile, backup, refresh, scan});
    parser.addPositionalArgument(QStringLiteral("ARGS"),
                                 QCoreApplication::translate("CommandLine", "--add 의 택배사, 송장번호, 상품명"),
                                 QStringLiteral("[COURIER NUMBER [ITEM]]"));

    // Our options have two dashes (-h and -v aside); a word after one dash is neither
    // ours nor a set of short options. The window's own options mean nothing here and
    // are left out, with their values.
    QStringList ours{arguments.value(0)};
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == QStringLiteral("--")) {
            ours += arguments.mid(i);
            break;
        }
        const qsizetype dashes = argument.startsWith(QStringLiteral("--")) ? 2 : argument.startsWith(u'-') ? 1 : 0;
        const std::string name = argument.mid(dashes).toStdString();
        if (dashes > 0 && argument.size() > dashes && IsWindowOption(name)) {
            i += !argument.contains(u'=') && TakesValue(name) ? 1 : 0;
            continue;
        }
        if (dashes == 1 && argument.size() > 2) {
            return Misuse(QCoreApplication::translate("CommandLine", "알 수 없는 옵션입니다: ") + argument);
        }
        ours += argument;
    }
    if (!parser.parse(ours)) {
        return Misuse(parser.errorText());
    }
    if (parser.isSet(help)) {
        Print(stdout, HelpText(parser));
        return Success;
    }
    if (parser.isSet(version)) {
        Print(stdout, QStringLiteral("parcelo %1\n").arg(QStringLiteral(PARCELO_VERSION)));
        return Success;
    }
    int actions = 0;
    for (const QCommandLineOption* option : {&list, &add, &exportFile, &importFile, &backup, &refresh, &scan}) {
        actions += parser.isSet(*option) ? 1 : 0;
    }
    if (actions != 1) {
        if (actions == 0 && !parser.positionalArguments().isEmpty()) {
            return Misuse(QCoreApplication::translate("CommandLine", "알 수 없는 인수: ") +
                          parser.positionalArguments().first());
        }
        return Misuse(actions == 0 ? QCoreApplication::translate("CommandLine", "할 일을 하나 지정하십시오.")
                                   : QCoreApplication::translate("CommandLine", "한 번에 하나만 지정할 수 있습니다."));
    }
    for (const QCommandLineOption* option : {&exportFile, &importFile, &backup, &scan}) {
        if (parser.isSet(*option) && parser.values(*option).size() > 1) {
            return Misuse(QCoreApplication::translate("CommandLine", "--%1 은 한 번만 쓸 수 있습니다.")
                              .arg(option->names().constLast()));
        }
    }
    if (parser.isSet(json) && !parser.isSet(list)) {
        return Misuse(QCoreApplication::translate("CommandLine", "--json 은 --list 와 함께만 쓸 수 있습니다."));
    }
    const QStringList values = parser.positionalArguments();
    if (parser.isSet(add)) {
        if (values.size() < 2 || values.size() > 3) {
            return Misuse(QCoreApplication::translate("CommandLine",
                                                      "--add 에는 택배사와 송장번호 (그리고 상품명)가 필요합니다."));
        }
        return Add(m_paths, values);
    }
    if (!values.isEmpty()) {
        return Misuse(QCoreApplication::translate("CommandLine", "알 수 없는 인수: ") + values.first());
    }
    if (parser.isSet(list)) {
        return List(m_paths, parser.isSet(json));
    }
    if (parser.isSet(refresh)) {
        return RunRefreshCommand(m_paths, Print);
    }
    if (parser.isSet(exportFile)) {
        return Export(m_paths, parser.value(exportFile));
    }
    if (parser.isSet(importFile)) {
        return Import(m_paths, parser.value(importFile));
    }
    if (parser.isSet(scan)) {
        return Scan(m_paths, parser.value(scan));
    }
    return Backup(m_paths, parser.value(backup));
}

} // namespace parcelo
