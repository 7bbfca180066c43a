// The automatic delivery status in the running main window, against the tests' own
// tracking service on a loopback port.
#include "app/MainFrame.h"
#include "dialogs/OptionDlg.h"
#include "dialogs/StatusHistoryDlg.h"
#include "dialogs/StatusOptionsPanel.h"
#include "gui/ShellTestSupport.h"
#include "platform/LocalTime.h"
#include "platform/Profile.h"
#include "platform/QtMenuBuilder.h"
#include "platform/SecretStore.h"
#include "platform/StatusSettings.h"
#include "res/resource.h"
#include "support/FakeMessageBoxService.h"
#include "tracking/FakeTrackingServer.h"
#include "tracking/TrackingSamples.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <memory>

namespace parcelo::test {
namespace {

constexpr Instant kDay = 24 * 3600;

// A secret store that answers on the event loop as a real one does; `available` false
// plays a desktop without one.
class FakeSecretStore : public SecretStore {
public:
    explicit FakeSecretStore(bool available, QString id = {}, QString secret = {})
        : m_available(available), m_id(std::move(id)), m_secret(std::move(secret)) {}

    void ReadKey(Done done) override {
        ++reads;
        StoredKey key{Outcome(), m_id, m_secret};
        if (key.outcome == StoredKey::Outcome::Ok && m_secret.isEmpty()) {
            key.outcome = StoredKey::Outcome::NotFound;
        }
        QTimer::singleShot(0, [done = std::move(done), key] { done(key); });
    }
    void WriteKey(const QString& clientId, const QString& clientSecret, Done done) override {
        if (m_available) {
            m_id = clientId;
            m_secret = clientSecret;
        }
        QTimer::singleShot(0,
                           [done = std::move(done), key = StoredKey{Outcome(), clientId, clientSecret}] { done(key); });
    }

    int reads = 0;

private:
    StoredKey::Outcome Outcome() const {
        return m_available ? StoredKey::Outcome::Ok : StoredKey::Outcome::Unavailable;
    }

    bool m_available;
    QString m_id;
    QString m_secret;
};

QString ItemText(CMainFrame& frame, int row) {
    return QString::fromStdU16String(frame.View().List().GetItemText(row));
}

class DeliveryStatusTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearProfileAndData();
        InstallCourierFile("[COURIERS]\nID01=하나;1;;1111;https://one.example/%s\nCARRIER01=kr.one\n");
        server.SetFallback(
            {200, QByteArray::fromStdString(TrackAnswer(
                      {EventNode("2026-12-06T14:03:00+09:00", "OUT_FOR_DELIVERY", "  강남   배송센터 제3구역  ")}))});
    }
    void Enable(bool enabled) {
        QSettings settings = UserSettings();
        settings.setValue("STATUS/ENABLED", enabled ? 1 : 0);
        settings.setValue("STATUS/ENDPOINT", server.Url().toString());
        settings.setValue("STATUS/NOTIFY", 0);
    }
    CMainFrame& Start(std::unique_ptr<FakeSecretStore> store = std::make_unique<FakeSecretStore>(true)) {
        frame.reset();
        frame = std::make_unique<CMainFrame>();
        secrets = store.get();
        frame->SetSecretStore(std::move(store));
        EXPECT_TRUE(frame->LoadFrame());
        QCoreApplication::processEvents(); // the key is read before the first refresh
        frame->show();
        return *frame;
    }
    // Runs the event loop until the refresh under way ends; false when it did not.
    bool AwaitRefresh() {
        if (!frame->Status().IsRunning()) {
            return true;
        }
        const QMetaObject::Connection done =
            QObject::connect(&frame->Status(), &StatusController::refreshFinished, [] { QCoreApplication::exit(0); });
        const int code = RunEventLoop(10'000);
        QObject::disconnect(done);
        QCoreApplication::processEvents(); // the coalesced refill of the list
        return code == 0;
    }

    FakeMessageBoxService messages;
    FakeTrackingServer server;
    FakeSecretStore* secrets = nullptr;
    const Instant now = CurrentInstant();
    std::unique_ptr<CMainFrame> frame;
};

// Off (the default, and explicitly): no request at start, on F5 or from the menu, the
// list is as it always was and the menus offer nothing new.
TEST_F(DeliveryStatusTest, OffSendsNothingAndChangesNothing) {
    AddToProgramVolume({MakeShipment(0, u"A", now - kDay, now - 2 * kDay, InDelivery)});
    for (const bool explicitlyOff : {false, true}) {
        if (explicitlyOff) {
            Enable(false);
        }
        CMainFrame& main = Start();
        EXPECT_FALSE(main.OnCmdMsg(ID_REFRESH_STATUS) && main.Status().IsRunning());
        RunEventLoop(300);
        EXPECT_EQ(server.Requests(), 0);
        EXPECT_EQ(secrets->reads, 0) << "the secret store is not even asked";
        EXPECT_FALSE(ItemText(main, 0).contains(u'\u00B7'));
        EXPECT_TRUE(main.StatusLabel().isHidden());
        main.View().List().SetSelectedIndex(0);
        main.View().SetActions({{}, {}, {}, {}, {}, {}, [](int64_t, const std::function<void()>&) {}});
        main.CommandBar().PressKey(CCommandBar::Key::Right);
        QMenu& mainMenu = *main.CommandBar().KeyMenu(CCommandBar::Key::Right);
        for (QAction* action : mainMenu.actions()) {
            EXPECT_FALSE(action->data().toInt() == ID_REFRESH_STATUS && action->isVisible());
        }
        mainMenu.close();
        const std::unique_ptr<QMenu> menu = main.View().BuildItemMenu();
        for (QAction* action : menu->actions()) {
            EXPECT_NE(action->data().toInt(), ID_SHIPMENT_HISTORY);
        }
    }
}

// On: the shipment in delivery is checked at start, its list line shows the latest
// status; once delivered a refresh on demand makes it done, and turning the feature
// off again stops the requests.
TEST_F(DeliveryStatusTest, OnShowsTheLatestStatusAndDeliveredMakesItDone) {
    AddToProgramVolume({MakeShipment(0, u"A", now - kDay, now - 2 * kDay, InDelivery),
                        MakeShipment(0, u"B", now - kDay, now - 3 * kDay, Cancelled)});
    Enable(true);
    CMainFrame& main = Start();
    ASSERT_TRUE(AwaitRefresh());
    EXPECT_EQ(server.Requests(), 1); // the cancelled shipment is never asked about
    EXPECT_FALSE(main.StatusLabel().isHidden());
    LocalDateTime local;
    ASSERT_TRUE(BreakDownLocalTime(1'796'533'380, local)); // 2026-12-06 05:03 UTC
    const QString when = QString("%1/%2 %3:03")
                             .arg(local.month, 2, 10, QChar('0'))
                             .arg(local.day, 2, 10, QChar('0'))
                             .arg(local.hour, 2, 10, QChar('0'));
    const int row = main.View().IdAt(0) != 0 && ItemText(main, 0).contains("A</h>") ? 0 : 1;
    const QString line = ItemText(main, row);
    EXPECT_TRUE(line.contains(QString::fromUtf16(u"\u00B7 배송출발 ") + when + QString::fromUtf16(u" 강남 배송센터…")))
        << line.toStdString();
    EXPECT_FALSE(ItemText(main, 1 - row).contains(u'\u00B7'));
    // The status keeps the item at its three lines in the phone-sized window.
    main.resize(480, 640);
    CHTMLListCtrl& list = main.View().List();
    const std::u16string withStatus = list.GetItemText(row);
    const std::u16string without = withStatus.substr(0, withStatus.find(u" \u00B7 "));
    const int width = list.viewport()->width();
    EXPECT_EQ(list.MeasureItem(withStatus, ITEM_HTML, 0, width), list.MeasureItem(without, ITEM_HTML, 0, width));

    // "새로 고침" in the main menu and "배송 이력" in the item menu while it is on.
    main.CommandBar().PressKey(CCommandBar::Key::Right);
    QMenu& mainMenu = *main.CommandBar().KeyMenu(CCommandBar::Key::Right);
    QAction* refresh = QtMenuBuilder::FindCommand(mainMenu, ID_REFRESH_STATUS);
    ASSERT_NE(refresh, nullptr);
    EXPECT_TRUE(refresh->isVisible() && refresh->isEnabled());
    mainMenu.close();
    main.View().SetActions({{}, {}, {}, {}, {}, {}, [](int64_t, const std::function<void()>&) {}});
    main.View().List().SetSelectedIndex(row);
    EXPECT_NE(QtMenuBuilder::FindCommand(*main.View().BuildItemMenu(), ID_SHIPMENT_HISTORY), nullptr);

    // The refresh due at start left nothing due: a timer tick asks nobody.
    EXPECT_TRUE(main.Status().RefreshDue());
    ASSERT_TRUE(AwaitRefresh());
    EXPECT_EQ(server.Requests(), 1);

    server.SetFallback({200, QByteArray::fromStdString(TrackAnswer(
                                 {EventNode("2026-12-06T14:03:00+09:00", "OUT_FOR_DELIVERY", "강남"),
                                  EventNode("2026-12-06T16:20:00+09:00", "DELIVERED", "강남", "<b>문 앞</b>")}))});
    main.View().List().SetSelectedIndex(row);
    const int64_t selected = main.View().SelectedId();
    EXPECT_TRUE(main.OnCmdMsg(ID_REFRESH_STATUS));
    ASSERT_TRUE(AwaitRefresh());
    EXPECT_EQ(server.Requests(), 2);
    EXPECT_EQ(main.Store().Read(selected)->status, Done);
    EXPECT_EQ(main.View().SelectedId(), selected); // the selection follows its shipment
    const int doneRow = main.View().List().GetSelectedIndex();
    EXPECT_TRUE(ItemText(main, doneRow).contains(u"배송완료")) << ItemText(main, doneRow).toStdString();

    // The history, newest first, as plain text.
    std::vector<TrackingEvent> events;
    ASSERT_TRUE(main.TrackingStore().Events(selected, events));
    int opened = 0;
    CStatusHistoryDlg history(events, [&] { ++opened; });
    ASSERT_EQ(history.Table().rowCount(), 3); // the place of the first event changed
    EXPECT_TRUE(history.Table().item(0, 2)->text().contains("<b>문 앞</b>"));
    EXPECT_EQ(history.Table().item(2, 1)->text(), "강남 배송센터 제3구역");
    history.findChild<QPushButton*>("TrackButton")->click();
    EXPECT_EQ(opened, 1);

    // A notification's click shows its shipment, even one the filter hid.
    main.FilterSortBar().FilterButton().OnChoice(ID_FILTER_IN_DELIVERY);
    EXPECT_EQ(main.View().SelectedId(), 0);
    main.ShowShipment(selected);
    EXPECT_EQ(main.View().SelectedId(), selected);
    EXPECT_EQ(main.FilterSortBar().FilterButton().Selection(), 0);
    main.ShowShipment(0); // only brings the window forward
    EXPECT_EQ(main.View().SelectedId(), selected);

    StatusSettings off = main.Status().Settings();
    off.enabled = false;
    main.ApplyStatusSettings(off);
    EXPECT_FALSE(main.OnCmdMsg(ID_REFRESH_STATUS) && main.Status().IsRunning());
    RunEventLoop(200);
    EXPECT_EQ(server.Requests(), 2);
    EXPECT_FALSE(ItemText(main, doneRow).contains(u'\u00B7'));
}

// The settings go to the STATUS keys and back; the service's key never reaches the file.
TEST_F(DeliveryStatusTest, SettingsRoundTripThroughTheProfileWithoutTheKey) {
    Profile profile;
    EXPECT_EQ(StatusSettings::Read(profile), StatusSettings{}); // off by default
    StatusSettings settings;
    settings.enabled = true;
    settings.endpoint = "https://tracking.example/graphql";
    settings.intervalMinutes = 15;
    settings.autoDone = false;
    settings.notify = false;
    ASSERT_TRUE(settings.Write(profile));
    EXPECT_EQ(StatusSettings::Read(profile), settings);
    QSettings file = UserSettings();
    EXPECT_EQ(file.value("STATUS/ENABLED").toInt(), 1);
    EXPECT_EQ(file.value("STATUS/INTERVAL").toInt(), 15);
    EXPECT_EQ(file.value("STATUS/AUTODONE").toInt(), 0);

    // An administrator's out-of-range interval is brought into range.
    file.setValue("STATUS/INTERVAL", 0);
    file.sync();
    EXPECT_EQ(StatusSettings::Read(profile).intervalMinutes, StatusSettings::kMinIntervalMinutes);

    AddToProgramVolume({MakeShipment(0, u"A", now - kDay, now - 2 * kDay, InDelivery)});
    Enable(true);
    // A key kept in the secret store is sent from the first refresh on.
    Start(std::make_unique<FakeSecretStore>(true, "client-id", "very-secret"));
    ASSERT_TRUE(AwaitRefresh());
    EXPECT_EQ(server.LastAuthorization(), "TRACKQL-API-KEY client-id:very-secret");
    QFile conf(profile.UserFileName());
    ASSERT_TRUE(conf.open(QIODevice::ReadOnly));
    EXPECT_FALSE(conf.readAll().contains("very-secret"));
}

// Without a secret store the key entered is used for this session only and never
// written anywhere, and the options say so.
TEST_F(DeliveryStatusTest, WithoutASecretStoreTheKeyLivesInMemoryOnly) {
    AddToProgramVolume({MakeShipment(0, u"A", now - kDay, now - 2 * kDay, InDelivery)});
    Enable(true);
    CMainFrame& main = Start(std::make_unique<FakeSecretStore>(false));
    ASSERT_TRUE(AwaitRefresh());
    EXPECT_TRUE(main.KeyInMemoryOnly());
    EXPECT_EQ(server.LastAuthorization(), "");

    COptionDlg options;
    options.SetKeyState(main.Status().ClientId(), false, main.KeyInMemoryOnly());
    options.show();
    ASSERT_NE(options.StatusPanel(), nullptr);
    EXPECT_FALSE(options.StatusPanel()->KeyNote().isHidden());
    EXPECT_TRUE(options.StatusPanel()->EnabledBox().isChecked());
    options.StatusPanel()->ClientIdEdit().setText("id2");
    options.StatusPanel()->SecretEdit().setText("memory-secret");
    ASSERT_TRUE(options.StatusPanel()->KeyEdited());
    options.OnOK();
    main.StoreKey(options.StatusPanel()->ClientId(), options.StatusPanel()->ClientSecret());
    QCoreApplication::processEvents();
    EXPECT_TRUE(main.KeyInMemoryOnly());
    EXPECT_TRUE(main.Status().RefreshNow());
    ASSERT_TRUE(AwaitRefresh());
    EXPECT_EQ(server.LastAuthorization(), "TRACKQL-API-KEY id2:memory-secret");
    QFile conf(Profile().UserFileName());
    ASSERT_TRUE(conf.open(QIODevice::ReadOnly));
    const QByteArray written = conf.readAll();
    EXPECT_FALSE(written.contains("memory-secret"));
    EXPECT_TRUE(written.contains("ENABLED=1"));
}

} // namespace
} // namespace parcelo::test

int main(int argc, char** argv) {
    return parcelo::test::RunShellTests(argc, argv, "96");
}
