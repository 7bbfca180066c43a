#include "app/FileChooser.h"
#include "app/ListInput.h"
#include "app/StoreFileCommands.h"
#include "couriers/CourierDetector.h"
#include "dialogs/ImportConfirmDlg.h"
#include "listui/ShipmentListView.h"
#include "platform/resource.h"
#include "store/StoreBackup.h"
#include "support/BarcodeImages.h"
#include "support/FakeClock.h"
#include "support/FakeMessageBoxService.h"
#include "support/ShellTestSupport.h"
#include "transfer/ShipmentTransfer.h"
#include "ui/BrowserLauncher.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QTest>
#include <deque>

namespace parcelo::test {
namespace {

constexpr Instant kNow = 1'704'067'200; // 2024-01-01 00:00 UTC

// Answers the file dialogs with queued paths, choosing `filter`; an empty queue is a cancel.
struct FakeFileChooser final : FileChooser {
    QString SaveFile(QWidget*, const QString&, const QString&, const QString&, QString* chosenFilter) override {
        if (chosenFilter != nullptr && !filter.isEmpty()) {
            *chosenFilter = filter;
        }
        return OpenFile(nullptr, {}, {});
    }
    QString OpenFile(QWidget*, const QString&, const QString&) override {
        return answers.empty() ? QString() : answers.takeFirst();
    }

    QStringList answers;
    QString filter;
};

// Catches the addresses handed to the desktop's browser while it lives.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    UrlCatcher() {
        QDesktopServices::setUrlHandler("http", this, "Open");
        QDesktopServices::setUrlHandler("https", this, "Open");
    }
    ~UrlCatcher() override {
        QDesktopServices::unsetUrlHandler("http");
        QDesktopServices::unsetUrlHandler("https");
    }
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
        ASSERT_TRUE(Open(store, "main.edb"));
        CopyField(couriers[2].trackingUrl, u"file:///tmp/%s"_qs);
        ShipmentActions actions;
        actions.openInBrowser = [this](const QString& url, int index) { OpenInBrowser(&view, url, u"C", index); };
        view.SetActions(std::move(actions));
        view.resize(300, 400);
        view.show();
    }
    bool Open(CShipmentDatabase& db, const QString& name) {
        return db.MountVolume(folder.filePath(name).toStdU16String()) && db.Open(u"TRACKDB");
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
TEST_F(FindAndFilesTest, ItemCommandsCopyAndOpenWebAddressesOnly) {
    Load({{0, u"1234-5678-90", u"웹", 0, kNow, 0}, {2, u"888", u"파일", 0, kNow, 0}});
    Select(0);
    ASSERT_TRUE(view.OnCommand(ID_COPY_INVOICE));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), u"1234-5678-90"_qs);
    ASSERT_TRUE(view.OnCommand(ID_COPY_ADDRESS));
    EXPECT_TRUE(QGuiApplication::clipboard()->text().startsWith("https://t0.example/?n=1234"));
    UrlCatcher catcher;
    view.OnCommand(ID_OPEN_IN_BROWSER);
    ASSERT_EQ(catcher.opened.size(), 1U);
    EXPECT_EQ(catcher.opened[0].host(), "t0.example");
    EXPECT_TRUE(messages.Calls().empty());

    Select(1);
    view.OnCommand(ID_OPEN_IN_BROWSER);
    EXPECT_EQ(catcher.opened.size(), 1U);
    ASSERT_EQ(messages.Calls().size(), 1U);
    EXPECT_TRUE(messages.Calls()[0].text.contains("file:///tmp/888"));
}

// Under a find the question offers the shown rows (Yes), all of them (No), or nothing at
// all; the JSON filter names the file; what is exported imports into a fresh store as it was.
TEST_F(FindAndFilesTest, ExportImportAndRestoreKeepTheShipmentsAsTheyWere) {
    Load(kShipments);
    view.SetFindText(u"ㅊ"_qs);
    const auto exported = [&](int answer, const QString& name) {
        messages.Clear();
        messages.QueueAnswer(answer);
        chooser.filter = "JSON 파일 (*.json)";
        chooser.answers = {folder.filePath(name)};
        commands.Export();
        EXPECT_EQ(messages.Calls().at(0).style & MB_TYPEMASK, MB_YESNOCANCEL);
        if (answer == IDCANCEL) {
            return size_t{0};
        }
        CShipmentDatabase fresh;
        EXPECT_TRUE(Open(fresh, name + ".edb"));
        ShipmentTransfer transfer(fresh, couriers);
        ImportPlan plan;
        EXPECT_EQ(transfer.PlanImport(folder.filePath(name + ".json").toStdString(), plan),
                  ShipmentTransfer::Error::None);
        return plan.toAdd.size();
    };
    exported(IDCANCEL, "cancelled");
    EXPECT_EQ(chooser.answers.size(), 1) << "no file is asked for";
    EXPECT_EQ(exported(IDYES, "shown"), 2U);
    EXPECT_EQ(exported(IDNO, "all"), kShipments.size());

    CShipmentDatabase fresh;
    ASSERT_TRUE(Open(fresh, "fresh.edb"));
    CShipmentListView freshView{couriers, fresh, clock};
    freshView.OnInitialUpdate();
    CStoreFileCommands freshCommands{freshView, fresh, couriers, detector, chooser, &freshView};
    chooser.answers = {folder.filePath("all.json")};
    OnNextDialog<CImportConfirmDlg>([](CImportConfirmDlg& dialog) {
        EXPECT_EQ(dialog.SummaryText(), u"5건 추가, 0건 중복, 0건 오류"_qs);
        dialog.accept();
    });
    freshCommands.Import();
    const auto fields = [](CShipmentDatabase& db) {
        std::vector<std::tuple<std::u16string, std::u16string, int, int, Instant>> rows;
        for (const Shipment& s : AllShipments(db)) {
            rows.emplace_back(s.invoiceNumber, s.itemName, s.courierIndex, s.status, s.orderDate);
        }
        return rows;
    };
    EXPECT_EQ(fields(fresh), fields(store));
    EXPECT_EQ(freshView.List().GetItemCount(), 5);

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
    view.SetFindText({});
    messages.Clear();
    chooser.answers = {WriteFile("garbage.edb", QByteArray(4096, 'x')), folder.filePath("backup.edb")};
    commands.Restore();
    EXPECT_EQ(messages.Calls().size(), 1U);
    EXPECT_EQ(AllShipments(store).size(), kShipments.size());
    commands.BackUp();
    ASSERT_TRUE(store.Delete(ids[0]));
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
    QImage image(photo.width, photo.height, QImage::Format_Grayscale8);
    for (int y = 0; y < photo.height; ++y) {
        std::copy_n(&photo.At(0, y), photo.width, image.scanLine(y));
    }
    return image;
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
    const auto files = [](const QStringList& paths) {
        auto* data = new QMimeData;
        QList<QUrl> urls;
        for (const QString& path : paths) {
            urls << QUrl::fromLocalFile(path);
        }
        data->setUrls(urls);
        return data;
    };

    auto* text = new QMimeData;
    text->setText("주문 640123456789 책");
    drop(text);
    ASSERT_TRUE(LabelPhoto("640111122223").save(folder.filePath("label.png")));
    ASSERT_TRUE(LabelPhoto("640333344445").save(folder.filePath("label.jpg"), nullptr, 90));
    drop(files(
        {folder.filePath("label.png"), folder.filePath("label.jpg"), WriteFile("note.txt", "메모 640555566667\n")}));
    QGuiApplication::clipboard()->setImage(LabelPhoto("640777788889"));
    input.Paste();
    QGuiApplication::clipboard()->setText("640999900001");
    input.Paste();
    EXPECT_EQ(bulk, (QStringList{"주문 640123456789 책", "640111122223\n640333344445\n메모 640555566667\n",
                                 "640777788889\n", "640999900001"}));
    EXPECT_TRUE(messages.Calls().empty());

    // A CSV file is imported as the menu imports it.
    drop(files({WriteFile("new.csv", "courier,invoiceNumber,itemName\nC0,4444-4444,책\n")}),
         [] { OnNextDialog<CImportConfirmDlg>([](CImportConfirmDlg& dialog) { dialog.accept(); }); });
    const std::vector<Shipment> imported = AllShipments(store);
    ASSERT_EQ(imported.size(), 1U);
    EXPECT_EQ(imported[0].invoiceNumber, u"4444-4444");

    // Refused without being read whole: an image whose header claims 81 megapixels, a
    // 2 GB image and a 2 GB import file (both sparse), an image without barcodes, a
    // folder and a binary file.
    WriteFile("huge.pgm", "P5\n9000 9000\n255\n");
    for (const QString& name : {QString("big.png"), QString("big.csv")}) {
        QFile big(folder.filePath(name));
        ASSERT_TRUE(big.open(QIODevice::WriteOnly) && big.write("\x89PNG\r\n\x1a\n") > 0 &&
                    big.resize(qint64{2} << 30));
    }
    ASSERT_TRUE(QImage(400, 300, QImage::Format_RGB32).save(folder.filePath("blank.bmp")));
    WriteFile("data.bin", QByteArray("\x00\x01\x02\xff", 4));
    messages.Clear();
    drop(files({folder.filePath("huge.pgm"), folder.filePath("big.png"), folder.filePath("blank.bmp"), folder.path(),
                folder.filePath("data.bin")}));
    ASSERT_EQ(messages.Calls().size(), 1U);
    const QString told = messages.Calls()[0].text;
    for (const QString& part : QStringList{"이미지가 너무 큽니다 (9000×9000 화소)", "big.png", "data.bin",
                                           "바코드를 찾지 못했습니다: " + folder.filePath("blank.bmp")}) {
        EXPECT_TRUE(told.contains(part)) << told.toStdString();
    }
    EXPECT_EQ(told.count("\n\n"), 5) << "one paragraph each, and the hint" << told.toStdString();
    messages.Clear();
    drop(files({folder.filePath("big.csv")}));
    ASSERT_EQ(messages.Calls().size(), 1U);
    EXPECT_TRUE(messages.Calls()[0].text.contains("가져오지 못했습니다")) << messages.Calls()[0].text.toStdString();
    EXPECT_EQ(AllShipments(store).size(), 1U);
    EXPECT_EQ(bulk.size(), 4);
}

} // namespace
} // namespace parcelo::test

int main(int argc, char** argv) {
    return parcelo::test::RunShellTests(argc, argv, "96");
}

#include "FindAndFilesTest.moc"
