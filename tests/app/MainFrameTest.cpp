#include "app/MainFrame.h"

#include "app/AppTestSupport.h"
#include "app/FileChooser.h"
#include "app/ListInput.h"
#include "app/ParceloApp.h"
#include "app/StoreFileCommands.h"
#include "couriers/CourierDetector.h"
#include "dialogs/ImportConfirmDlg.h"
#include "listui/ShipmentListView.h"
#include "platform/LocalTime.h"
#include "platform/resource.h"
#include "store/StoreBackup.h"
#include "support/BarcodeImages.h"
#include "support/FakeClock.h"
#include "support/FakeMessageBoxService.h"
#include "transfer/ShipmentTransfer.h"
#include "ui/BrowserLauncher.h"
#include "ui/Menus.h"
#include "ui/QtMenuBuilder.h"

#include <QAction>
#include <QClipboard>
#include <QDesktopServices>
#include <QDragEnterEvent>
#include <QFileDialog>
#include <QImage>
#include <QMenu>
#include <QMimeData>
#include <QTextDocument>
#include <memory>

namespace parcelo::test {
namespace {

class MainFrameTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearProfileAndData();
        InstallCourierFile("[COURIERS]\nID01=하나;1;;1111;https://one.example/%s\nID02=둘;2;;2222;https://two/%s\n");
    }
    // Starts the window anew and gives the messages it showed.
    QStringList Start() {
        frame.reset();
        messages.Clear();
        frame = std::make_unique<CMainFrame>(ProgramPaths());
        EXPECT_TRUE(frame->LoadFrame());
        frame->show();
        frame->activateWindow();
        return Told();
    }
    QStringList Told() const {
        QStringList told;
        for (const auto& call : messages.Calls()) {
            told << call.text;
        }
        return told;
    }
    FakeMessageBoxService messages;
    const Instant now = CurrentInstant();
    std::unique_ptr<CMainFrame> frame;
};

// A courier file missing, without ID01 (told naming the file as plain text) or on a path too
// long is told once; all but the missing ID01 end the program with 0, and the missing file
// creates no store. The detection rules are read beside the couriers, a faulty one costing only
// its courier's detection. A damaged store is told and the program runs.
TEST_F(MainFrameTest, StartTellsAboutTheCourierFileAndADamagedStore) {
    const QString storeFile = DataFolder() + "/VELDAN.EDB", nowhere = TestRoot().filePath("nowhere");
    const QString folder = TestRoot().filePath("<i>x"), deep = folder + "/" + QString(250, 'd');
    for (const QString& path : {folder, deep}) {
        QDir().mkpath(path);
        QFile file(path + "/parcelo.ini");
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write("ID02=둘;2;;2222;https://two/%s\n") > 0);
    }
    for (const QString& path : {nowhere, folder, deep}) {
        SetProfileValue("INSTALLPATH", path);
        const QStringList told = Start();
        ASSERT_EQ(told.size(), 1);
        if (path == nowhere) {
            EXPECT_EQ(told[0], "parcelo.ini! 없습니다. 프로그램을 종료합니다.");
            EXPECT_FALSE(frame->StoreIsOpen());
        } else if (path == folder) {
            EXPECT_TRUE(told[0].contains(folder + "/parcelo.ini") && told[0].contains("ID01")) << told[0].toStdString();
            EXPECT_FALSE(Qt::mightBeRichText(told[0])) << "the path is shown as written";
        }
        EXPECT_EQ(frame->GetCourierCount(), 0u);
        EXPECT_EQ(RunEventLoop(path == folder ? 50 : 5000), path == folder ? -1 : 0);
        EXPECT_TRUE(path != nowhere || !QFile::exists(storeFile));
    }
    InstallCourierFile("ID01=하나;1;;1111;https://one/%s\nID02=둘;2;;2222;https://two/%s\n"
                       "NUMBER01=(\nNUMBER02=\\d{10}\nNUMBER03=\\d{10}\n");
    EXPECT_EQ(Start(), QStringList());
    EXPECT_EQ(frame->GetCourierCount(), 2u);
    EXPECT_EQ(frame->Detector().Detect(u"1234-567890"), std::vector<int>{1});
    EXPECT_EQ(std::u16string(frame->GetCourier(5).name), u""); // beyond the table: blank

    const auto damage = [&storeFile](qint64 at) {
        QDir().mkpath(DataFolder());
        QFile damaged(storeFile);
        ASSERT_TRUE(damaged.open(QIODevice::ReadWrite) && damaged.seek(at) &&
                    damaged.write(QByteArray(4096, '\xA5')) == 4096);
    };
    frame.reset();
    damage(0);
    const QStringList told = Start();
    ASSERT_EQ(told.size(), 1);
    EXPECT_TRUE(told[0].startsWith("배송정보 데이터베이스를 열 수 없습니다"));
    EXPECT_FALSE(frame->StoreIsOpen());
    EXPECT_TRUE(frame->OnCmdMsg(ID_NEW_SHIPMENT));
    EXPECT_EQ(RunEventLoop(50), -1);

    // Damage past the header and the schema shows once the page check has run, after the
    // first frame: the same message, and the list empties.
    frame.reset();
    QFile::remove(storeFile);
    AddToProgramVolume(std::vector<Shipment>(150, Shipment{0, u"1", std::u16string(400, u'x'), now, now, 0}));
    damage(8192);
    EXPECT_EQ(Start(), QStringList());
    EXPECT_GT(frame->View().List().GetItemCount(), 0);
    frame->View().List().viewport()->grab();
    QCoreApplication::processEvents();
    EXPECT_EQ(Told(), told);
    EXPECT_FALSE(frame->StoreIsOpen());
    EXPECT_EQ(frame->View().List().GetItemCount(), 0);
}

bool HasHangul(const QString& text) {
    return std::any_of(text.cbegin(), text.cend(),
                       [](QChar c) { return c.unicode() >= 0xAC00 && c.unicode() <= 0xD7A3; });
}

// English is the program's own texts, the core's included, and Qt's own English; Korean is the
// source texts with Qt's own texts, its file dialog among them, in Korean. The soft keys work;
// the menu greys the item commands without a selection; exit ends with 0.
TEST_F(MainFrameTest, TheApplicationSpeaksTheLanguageOfTheLocaleAndItsSoftKeysWork) {
    for (const InterfaceLanguage language : {InterfaceLanguage::English, InterfaceLanguage::Korean}) {
        const bool english = language == InterfaceLanguage::English;
        const Language installed(language);
        CParceloApp app;
        ASSERT_TRUE(app.InitInstance(ProgramPaths()));
        CMainFrame& main = *app.MainFrame();
        QMenu& menu = *main.CommandBar().KeyMenu(CCommandBar::Key::Right);
        EXPECT_EQ(QtMenuBuilder::FindCommand(menu, ID_EXPORT)->text(), english ? "Export" : "내보내기");
        const NumberedText daysAgo = PARCELO_TR_N("ShipmentItemText", "(%n일 경과)");
        EXPECT_EQ(daysAgo(1) + daysAgo(2), english ? u"(1 day ago)(2 days ago)" : u"(1일 경과)(2일 경과)");
        // Every menu of the program has its English.
        for (const int id : {IDR_MENUBAR, IDR_POPUPS, IDR_HTMLDLG_MENU, IDR_NEWTRACK_MENU}) {
            const std::function<void(MenuItems)> check = [&](MenuItems items) {
                for (const MenuItem& item : items) {
                    EXPECT_EQ(HasHangul(QtMenuBuilder::TranslatedText("Menu", item.text)),
                              !english && HasHangul(QtMenuBuilder::ToQString(item.text)));
                    check(item.popup);
                }
            };
            check(LoadMenuResource(id));
        }
        EXPECT_EQ(HasHangul(QFileDialog::tr("Look in:")), !english) << "Qt's file dialog";
        if (english) {
            continue;
        }
        int aboutBoxes = 0, newShipments = 0;
        app.SetAboutBox([&] { ++aboutBoxes; });
        EXPECT_TRUE(main.isVisible());
        EXPECT_TRUE(main.OnCmdMsg(ID_APP_ABOUT)); // past the view and the frame
        EXPECT_EQ(aboutBoxes, 1);
        main.View().SetActions({[&] { return ++newShipments, false; }, {}, {}, {}, {}, {}, {}, {}});
        main.CommandBar().PressKey(CCommandBar::Key::Left);
        EXPECT_EQ(newShipments, 1);
        main.CommandBar().PressKey(CCommandBar::Key::Right);
        for (const int command : {ID_TRACK_SHIPMENT, ID_CALL_COURIER, ID_EDIT_SHIPMENT, ID_DELETE_SHIPMENT}) {
            EXPECT_FALSE(QtMenuBuilder::FindCommand(menu, command)->isEnabled()) << command;
        }
        QtMenuBuilder::FindCommand(menu, ID_EXIT)->trigger();
        EXPECT_EQ(RunEventLoop(5000), 0);
    }
    EXPECT_TRUE(messages.Calls().empty()) << "nothing is asked";
}

// The list's commands, drops and pastes and the store's files, on a list view of its own
// with the file dialogs answered by the test.
constexpr Instant kNow = 1'704'067'200; // 2024-01-01 00:00 UTC

// Answers the file dialogs with queued paths, choosing JSON to export; an empty queue is a cancel.
struct FakeFileChooser final : FileChooser {
    QString SaveFile(QWidget*, const QString&, const QString&, const QString&, QString* chosenFilter) override {
        if (chosenFilter != nullptr) {
            *chosenFilter = "JSON 파일 (*.json)";
        }
        return OpenFile(nullptr, {}, {});
    }
    QString OpenFile(QWidget*, const QString&, const QString&) override {
        return answers.empty() ? QString() : answers.takeFirst();
    }
    QStringList answers;
};

// Catches the addresses handed to the desktop's browser while it lives.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    UrlCatcher() { QDesktopServices::setUrlHandler("https", this, "Open"); }
    ~UrlCatcher() override { QDesktopServices::unsetUrlHandler("https"); }
    std::vector<QUrl> opened;
public slots:
    void Open(const QUrl& url) { opened.push_back(url); }
};

// Runs `answer` on the next modal dialog once it is open.
template <typename Dialog, typename Answer> void OnNextDialog(Answer answer) {
    QTimer::singleShot(0, [answer] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        answer(*dialog);
    });
}

class FindAndFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearProfileAndData();
        ASSERT_TRUE(store.MountVolume(folder.filePath("main.edb").toStdU16String()) && store.Open(u"TRACKDB"));
        CopyField(couriers[3].trackingUrl, u"file:///tmp/%s"_qs);
        ShipmentActions actions;
        actions.openInBrowser = [this](const QString& url, int index) { OpenInBrowser(&view, url, u"C", index); };
        view.SetActions(std::move(actions));
        view.resize(300, 400);
        view.show();
    }
    void Load(std::vector<Shipment> shipments) { ids = LoadShipments(store, view, std::move(shipments), kNow); }
    QString WriteFile(const QString& name, const QByteArray& bytes) {
        QFile file(folder.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        return file.fileName();
    }
    void Select(size_t index) { view.List().SetSelectedIndex(static_cast<int>(index)); }

    QTemporaryDir folder;
    FakeMessageBoxService messages;
    FakeClock clock{kNow};
    std::vector<Courier> couriers = NumberedCouriers(4);
    CourierDetector detector{{}};
    CShipmentDatabase store;
    CShipmentListView view{couriers, store, clock};
    FakeFileChooser chooser;
    CStoreFileCommands commands{view, store, couriers, detector, chooser, &view};
    std::vector<int64_t> ids;
};

const std::vector<Shipment> kShipments = {
    {0, u"1234-5678-90", u"책", 0, kNow, 0},   {1, u"98765", u"신발", 0, kNow, 1},
    {0, u"55555", u"노트북 가방", 0, kNow, 1}, {3, u"11111", u"Phone Case", 0, kNow, 0},
    {1, u"22222", u"창문 커튼", 0, kNow, 2},
};

// Copy puts the number or the address on the clipboard; the browser opens web addresses only.
// Under a find the export's question offers the shown rows (Yes), all of them (No), or nothing
// at all; the JSON filter names the file; what is exported imports into an emptied store as it was.
TEST_F(FindAndFilesTest, ItemCommandsExportImportAndRestoreKeepTheShipmentsAsTheyWere) {
    Load(kShipments);
    Select(0);
    ASSERT_TRUE(view.OnCommand(ID_COPY_INVOICE));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), u"1234-5678-90"_qs);
    ASSERT_TRUE(view.OnCommand(ID_COPY_ADDRESS));
    EXPECT_TRUE(QGuiApplication::clipboard()->text().startsWith("https://t0.example/?n=1234"));
    UrlCatcher catcher;
    for (const size_t row : {0, 3}) {
        Select(row);
        view.OnCommand(ID_OPEN_IN_BROWSER);
    }
    ASSERT_EQ(catcher.opened.size(), 1U);
    EXPECT_EQ(catcher.opened[0].host(), "t0.example");
    ASSERT_EQ(messages.Calls().size(), 1U) << "the file address is told, the web address is not";
    EXPECT_TRUE(messages.Calls()[0].text.contains("file:///tmp/11111"));

    view.SetFindText(u"ㅊ"_qs);
    // How many shipments the export answered with `answer` wrote, every one of them stored already.
    const auto exported = [&](int answer, const QString& name) {
        messages.Clear();
        messages.QueueAnswer(answer);
        chooser.answers = {folder.filePath(name)};
        commands.Export();
        EXPECT_EQ(messages.Calls().at(0).style & MB_TYPEMASK, MB_YESNOCANCEL);
        ImportPlan plan;
        ShipmentTransfer(store, couriers).PlanImport(folder.filePath(name + ".json").toStdString(), plan);
        return plan.duplicates.size();
    };
    EXPECT_EQ(exported(IDCANCEL, "cancelled"), 0U);
    EXPECT_EQ(chooser.answers.size(), 1) << "no file is asked for";
    EXPECT_EQ(exported(IDYES, "shown"), 2U);
    EXPECT_EQ(exported(IDNO, "all"), kShipments.size());

    const auto fields = [this] {
        std::vector<std::tuple<std::u16string, std::u16string, int, int, Instant>> rows;
        for (const Shipment& s : AllShipments(store)) {
            rows.emplace_back(s.invoiceNumber, s.itemName, s.courierIndex, s.status, s.orderDate);
        }
        return rows;
    };
    const auto stored = fields();
    for (const int64_t id : ids) {
        ASSERT_TRUE(store.Delete(id));
    }
    view.SetFindText({});
    view.Refresh(RefillCause::User); // empty now
    chooser.answers = {folder.filePath("all.json")};
    OnNextDialog<CImportConfirmDlg>([](CImportConfirmDlg& dialog) {
        EXPECT_EQ(dialog.SummaryText(), u"5건 추가, 0건 중복, 0건 오류"_qs);
        dialog.accept();
    });
    commands.Import();
    EXPECT_EQ(fields(), stored);
    EXPECT_EQ(view.List().GetItemCount(), 5);

    // A file with a duplicate of the first shipment, a new one and one without a number: the
    // errors are shown, and nothing is committed when the import is cancelled.
    chooser.answers = {
        WriteFile("mixed.csv", "courier,invoiceNumber,itemName\nC0,1234-5678-90,책\nC0,4444-4444,책\nC0,,책\n")};
    QString details;
    OnNextDialog<CImportConfirmDlg>([&details](CImportConfirmDlg& dialog) {
        EXPECT_EQ(dialog.SummaryText(), u"1건 추가, 1건 중복, 1건 오류"_qs);
        details = dialog.DetailText();
        dialog.reject();
    });
    commands.Import();
    EXPECT_TRUE(details.contains("2행") && details.contains("4행")) << details.toStdString();
    EXPECT_EQ(AllShipments(store).size(), kShipments.size());

    // A restore refuses garbage and brings a backup back.
    messages.Clear();
    chooser.answers = {WriteFile("garbage.edb", QByteArray(4096, 'x')), folder.filePath("backup.edb")};
    commands.Restore();
    EXPECT_EQ(messages.Calls().size(), 1U);
    EXPECT_EQ(AllShipments(store).size(), kShipments.size());
    commands.BackUp();
    ASSERT_TRUE(store.Delete(AllShipments(store)[0].id));
    view.Refresh(RefillCause::User);
    chooser.answers = {folder.filePath("backup.edb")};
    commands.Restore(); // the fake answers Yes
    EXPECT_EQ(AllShipments(store).size(), kShipments.size());
    EXPECT_EQ(view.List().GetItemCount(), static_cast<int>(kShipments.size()));
    EXPECT_TRUE(QFile::exists(QString::fromStdString(StoreBackup::KeptCopyOf(store.VolumeFile()))));
}

// A photographed label: a Code 128 barcode, turned a little, on a grey background.
QImage LabelPhoto(const std::string& number) {
    GreyImage photo = NoisyBackground(1600, 1200, 5);
    Place(photo, Encode(ZXing::BarcodeFormat::Code128, number, 500, 130),
          {.centreX = 800, .centreY = 500, .degrees = 6});
    return QImage(photo.pixels.data(), photo.width, photo.height, photo.width, QImage::Format_Grayscale8).copy();
}

// Text, images and files dropped on the list or pasted into it: text and barcodes go
// to the bulk-add dialog, CSV and JSON files to the import, and what is too large or
// not readable is refused with a message and without reading it whole.
TEST_F(FindAndFilesTest, DropsAndPastesOpenBulkAddOrTheImport) {
    QStringList bulk;
    ShipmentActions actions;
    actions.bulkAdd = [&bulk](const QString& text) {
        bulk << text;
        return false;
    };
    view.SetActions(std::move(actions));
    CListInput input(view, commands, &view);
    input.Attach();
    // `whileOpen` runs once the input's dialog is open.
    const auto drop = [&](QMimeData* data, const std::function<void()>& whileOpen = {}) {
        QWidget* target = view.List().viewport();
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &enter);
        EXPECT_TRUE(enter.isAccepted());
        QDropEvent dropped(QPointF(5, 5), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &dropped);
        delete data; // the dialogs open after the drop has ended
        if (whileOpen) {
            whileOpen();
        }
        QCoreApplication::processEvents();
    };
    const auto files = [&](const QStringList& names) { // of the folder; "" is the folder itself
        auto* data = new QMimeData;
        QList<QUrl> urls;
        for (const QString& name : names) {
            urls << QUrl::fromLocalFile(folder.filePath(name));
        }
        data->setUrls(urls);
        return data;
    };

    auto* text = new QMimeData;
    text->setText("주문 640123456789 책");
    drop(text);
    ASSERT_TRUE(LabelPhoto("640111122223").save(folder.filePath("label.png")));
    ASSERT_TRUE(LabelPhoto("640333344445").save(folder.filePath("label.jpg"), nullptr, 90));
    WriteFile("note.txt", "메모 640555566667\n");
    drop(files({"label.png", "label.jpg", "note.txt"}));
    QGuiApplication::clipboard()->setImage(LabelPhoto("640777788889"));
    input.Paste();
    QGuiApplication::clipboard()->setText("640999900001");
    input.Paste();
    EXPECT_EQ(bulk, (QStringList{"주문 640123456789 책", "640111122223\n640333344445\n메모 640555566667\n",
                                 "640777788889\n", "640999900001"}));
    EXPECT_TRUE(messages.Calls().empty());

    // A CSV file is imported as the menu imports it.
    WriteFile("new.csv", "courier,invoiceNumber,itemName\nC0,4444-4444,책\n");
    drop(files({"new.csv"}),
         [] { OnNextDialog<CImportConfirmDlg>([](CImportConfirmDlg& dialog) { dialog.accept(); }); });
    const std::vector<Shipment> imported = AllShipments(store);
    ASSERT_EQ(imported.size(), 1U);
    EXPECT_EQ(imported[0].invoiceNumber, u"4444-4444");

    // Refused without being read whole: an image whose header claims 81 megapixels, a
    // 2 GB image and a 2 GB import file (both sparse), an image without barcodes, a
    // folder and a binary file.
    WriteFile("huge.pgm", "P5\n9000 9000\n255\n");
    for (const char* name : {"big.png", "big.csv"}) {
        ASSERT_TRUE(QFile::resize(WriteFile(name, "\x89PNG\r\n\x1a\n"), qint64{2} << 30));
    }
    ASSERT_TRUE(QImage(400, 300, QImage::Format_RGB32).save(folder.filePath("blank.bmp")));
    WriteFile("data.bin", QByteArray("\x00\x01\x02\xff", 4));
    drop(files({"huge.pgm", "big.png", "blank.bmp", "", "data.bin"}));
    ASSERT_EQ(messages.Calls().size(), 1U);
    const QString told = messages.Calls()[0].text;
    for (const QString& part : QStringList{"이미지가 너무 큽니다 (9000×9000 화소)", "big.png", "data.bin",
                                           "바코드를 찾지 못했습니다: " + folder.filePath("blank.bmp")}) {
        EXPECT_TRUE(told.contains(part)) << told.toStdString();
    }
    EXPECT_EQ(told.count("\n\n"), 5) << "one paragraph each, and the hint" << told.toStdString();
    drop(files({"big.csv"}));
    ASSERT_EQ(messages.Calls().size(), 2U);
    EXPECT_TRUE(messages.Calls()[1].text.contains("가져오지 못했습니다")) << messages.Calls()[1].text.toStdString();
    EXPECT_EQ(AllShipments(store).size(), 1U);
    EXPECT_EQ(bulk.size(), 4);
}

} // namespace
} // namespace parcelo::test

#include "MainFrameTest.moc"
