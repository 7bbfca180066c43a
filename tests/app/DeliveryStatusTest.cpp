// The automatic delivery status in the main window, against a loopback tracking service.
#include "app/AppTestSupport.h"
#include "app/MainFrame.h"
#include "dialogs/OptionDlg.h"
#include "dialogs/StatusHistoryDlg.h"
#include "dialogs/StatusOptionsPanel.h"
#include "platform/Iso8601.h"
#include "platform/LocalTime.h"
#include "platform/qt/Profile.h"
#include "platform/qt/QtExecutor.h"
#include "platform/resource.h"
#include "status/EventLoop.h"
#include "status/FakeTrackingServer.h"
#include "status/StatusSettings.h"
#include "support/FakeMessageBoxService.h"
#include "support/FakeStatusServices.h"
#include "support/ShellTestSupport.h"
#include "tracking/TrackingSamples.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <memory>

namespace parcelo::test {
namespace {

constexpr Instant kDay = 24 * 3600;

// Event times in Seoul, counted back from the start of the test: the program leaves out an
// event from before the order.
std::string SeoulTime(Instant instant) {
    return FormatIsoDateTime(instant, 9 * 3600);
}

QString ItemText(CMainFrame& frame, int row) {
    return QString::fromStdU16String(frame.View().List().GetItemText(row));
}

class DeliveryStatusTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearProfileAndData();
        InstallCourierFile("[COURIERS]\nID01=하나;1;;1111;https://one.example/%s\nCARRIER01=kr.one\n");
        server.SetFallback({200, QByteArray::fromStdString(TrackAnswer({EventNode(
                                     SeoulTime(now - 3600), "OUT_FOR_DELIVERY", "  강남   배송센터 제3구역  ")}))});
    }
    // The window with one shipment A in delivery, the status on or off with the test's service and
    // no notifications, and a secret store that keeps `kept`, or none at all.
    CMainFrame& Start(bool enabled, bool available, StoredKey kept = {}) {
        UserSettings().setValue("STATUS/ENABLED", enabled ? 1 : 0);
        UserSettings().setValue("STATUS/ENDPOINT", server.Url().toString());
        UserSettings().setValue("STATUS/NOTIFY", 0);
        AddToProgramVolume({MakeShipment(0, u"A", now - kDay, now - 2 * kDay, InDelivery)});
        frame = std::make_unique<CMainFrame>(ProgramPaths());
        auto store = std::make_unique<FakeSecretStore>(secretsExecutor, available, std::move(kept));
        secrets = store.get();
        frame->SetSecretStore(std::move(store));
        EXPECT_TRUE(frame->LoadFrame());
        QCoreApplication::processEvents(); // the key is read before the first refresh
        frame->show();
        return *frame;
    }
    // Runs the event loop until the refresh under way ends; false when it did not.
    bool AwaitRefresh() {
        const bool done = WaitUntil([this] { return !frame->Status().IsRunning(); }, 10'000);
        QCoreApplication::processEvents(); // the coalesced refill of the list
        return done;
    }

    FakeMessageBoxService messages;
    QtExecutor secretsExecutor;
    FakeTrackingServer server;
    FakeSecretStore* secrets = nullptr;
    const Instant now = CurrentInstant();
    std::unique_ptr<CMainFrame> frame;
};

// On: the kept key is sent, the latest status shows in the list, delivered makes the shipment
// done; "연결 확인" checks what is entered, a refused key is told, and off stops the requests.
TEST_F(DeliveryStatusTest, OnShowsTheLatestStatusAndDeliveredMakesItDone) {
    UserSettings().setValue("STATUS/INTERVAL", 0); // an administrator's out-of-range interval
    EXPECT_EQ(StatusSettings::Read(Profile()).intervalMinutes, StatusSettings::kMinIntervalMinutes);
    AddToProgramVolume({MakeShipment(0, u"B", now - kDay, now - 3 * kDay, Cancelled)});
    CMainFrame& main = Start(true, true, {StoredKey::Outcome::Ok, "client-id", "very-secret"});
    ASSERT_TRUE(AwaitRefresh());
    EXPECT_EQ(server.Requests(), 1); // the cancelled shipment is never asked about
    EXPECT_EQ(server.LastAuthorization(), "TRACKQL-API-KEY client-id:very-secret") << "from the first refresh on";
    EXPECT_FALSE(main.StatusLabel().isHidden());
    const int row = ItemText(main, 0).contains("A</h>") ? 0 : 1;
    const QString line = ItemText(main, row);
    EXPECT_TRUE(line.contains(QString::fromUtf16(u"\u00B7 배송출발 ")) && line.contains(u"강남 배송센터…"))
        << line.toStdString();
    EXPECT_FALSE(ItemText(main, 1 - row).contains(u'\u00B7'));

    // A refused key: said under the list and in the options.
    server.SetFallback({200, QByteArray::fromStdString(ErrorAnswer("FORBIDDEN"))});
    ASSERT_TRUE(main.Status().RefreshNow() && AwaitRefresh());
    EXPECT_TRUE(main.StatusLabel().text().contains(QStringLiteral("키를 거부"))) << "under the list";
    {
        // "연결 확인" sends one request with what is entered, the secret in use when none is typed.
        COptionDlg options;
        options.SetKeyState("client-id", true, false);
        options.SetKnownSecret("very-secret");
        options.SetStatusProblem(QString::fromStdU16String(main.Status().TakeKeyRefusal()));
        options.show();
        CStatusOptionsPanel& panel = *options.StatusPanel();
        EXPECT_TRUE(panel.Problem().text().contains(QStringLiteral("옵션")));
        for (const auto& [typed, answer, told] :
             {std::tuple{"", 200, "연결되었습니다"}, {"typed", 401, "서비스가 키를 거부했습니다"}}) {
            panel.SecretEdit().setText(typed);
            server.SetAnswer("", {answer, answer == 200 ? QByteArray(R"({"data":{"carriers":{"edges":[]}}})")
                                                        : QByteArray::fromStdString(ErrorAnswer("UNAUTHENTICATED"))});
            panel.CheckButton().click();
            EXPECT_FALSE(panel.CheckButton().isEnabled()) << "one check at a time";
            EXPECT_TRUE(WaitUntil([&panel] { return panel.CheckButton().isEnabled(); }));
            EXPECT_TRUE(panel.CheckResult().text().startsWith(told)) << panel.CheckResult().text().toStdString();
            EXPECT_EQ(server.Requests(), *typed ? 4 : 3);
            EXPECT_EQ(server.LastAuthorization(),
                      QByteArray("TRACKQL-API-KEY client-id:") + (*typed ? typed : "very-secret"));
        }
    }

    server.SetFallback({200, QByteArray::fromStdString(
                                 TrackAnswer({EventNode(SeoulTime(now - 3600), "OUT_FOR_DELIVERY", "강남"),
                                              EventNode(SeoulTime(now - 600), "DELIVERED", "강남", "<b>문 앞</b>")}))});
    main.View().List().SetSelectedIndex(row);
    const int64_t selected = main.View().SelectedId();
    EXPECT_TRUE(main.OnCmdMsg(ID_REFRESH_STATUS));
    ASSERT_TRUE(AwaitRefresh());
    EXPECT_EQ(server.Requests(), 5);
    EXPECT_EQ(main.Store().Read(selected)->status, Done);
    EXPECT_EQ(main.View().SelectedId(), selected); // the selection follows its shipment
    const int doneRow = main.View().List().GetSelectedIndex();
    EXPECT_TRUE(ItemText(main, doneRow).contains(u"배송완료")) << ItemText(main, doneRow).toStdString();

    // The history, newest first, as plain text.
    std::vector<TrackingEvent> events;
    ASSERT_TRUE(main.Store().Tracking().Events(selected, events));
    CStatusHistoryDlg history(events, [] {});
    ASSERT_EQ(history.Table().rowCount(), 3); // the place of the first event changed
    EXPECT_TRUE(history.Table().item(0, 2)->text().contains("<b>문 앞</b>"));
    EXPECT_EQ(history.Table().item(2, 1)->text(), "강남 배송센터 제3구역");

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
    EXPECT_EQ(server.Requests(), 5);
    EXPECT_FALSE(ItemText(main, doneRow).contains(u'\u00B7'));
}

// Without a secret store: told as soon as the feature is turned on and a key typed;
// the client id is kept in the profile, the secret for the session only (after a
// restart the status line asks for it: see StatusControllerTest). OAuth2 here, so that
// the service wants a key.
TEST_F(DeliveryStatusTest, WithoutASecretStoreOnlyTheClientIdOutlivesTheSession) {
    UserSettings().setValue("STATUS/AUTH", "oauth2");
    UserSettings().setValue("STATUS/TOKENURL", server.TokenUrl().toString());
    server.SetTokenAnswer({200, R"({"access_token":"session-token","token_type":"bearer","expires_in":3600})"});
    CMainFrame& main = Start(false, false);
    EXPECT_EQ(secrets->reads, 0) << "off: the secret store is not even asked";

    COptionDlg options;
    options.SetKeyState(QString::fromStdString(main.Status().ClientId()), false, main.KeyInMemoryOnly());
    options.show();
    CStatusOptionsPanel& panel = *options.StatusPanel();
    EXPECT_TRUE(panel.KeyNote().isHidden()) << "not known yet";
    panel.EnabledBox().setChecked(true);
    panel.ClientIdEdit().setText("id2");
    panel.SecretEdit().setText("memory-secret");
    ASSERT_TRUE(panel.KeyEdited());
    options.OnOK();
    main.StoreKey(panel.ClientId(), panel.ClientSecret());
    main.ApplyStatusSettings(StatusSettings::Read(Profile()));
    QCoreApplication::processEvents();
    ASSERT_EQ(messages.Calls().size(), 1u);
    EXPECT_TRUE(messages.Calls()[0].text.startsWith("비밀 저장소를 쓸 수 없어"))
        << messages.Calls()[0].text.toStdString();
    EXPECT_TRUE(main.KeyInMemoryOnly());
    ASSERT_TRUE(AwaitRefresh());
    EXPECT_EQ(server.LastAuthorization(), "Bearer session-token");
    EXPECT_TRUE(server.LastTokenRequest().contains("client_id=id2&client_secret=memory-secret"));
    QFile conf(Profile().UserFileName());
    ASSERT_TRUE(conf.open(QIODevice::ReadOnly));
    const QByteArray stored = conf.readAll();
    EXPECT_TRUE(stored.contains("CLIENTID=id2") && !stored.contains("memory-secret")) << stored.toStdString();
}

} // namespace
} // namespace parcelo::test
