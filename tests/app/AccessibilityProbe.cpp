// The main window, shown on a real display for the accessibility tree test
// (accessibility-tree.py), which drives it by lines on standard input: "down" and "up"
// press Down and Up in the list, "cancel" marks the selected shipment cancelled in the
// store and refreshes the list, "popup" asks whether a menu is open ("ok shown" or
// "ok none"), "quit" ends. Each line is answered by "ok" once the window has handled it.
#include "app/AppTestSupport.h"
#include "app/MainFrame.h"
#include "platform/LocalTime.h"
#include "support/FakeMessageBoxService.h"
#include "support/ShellTestSupport.h"

#include <QSocketNotifier>
#include <QTest>
#include <iostream>
#include <string>

using namespace parcelo;
using namespace parcelo::test;

int main(int argc, char** argv) {
    PrepareShellEnvironment("96");
    QApplication app(argc, argv);
    FakeMessageBoxService messages;

    ClearProfileAndData();
    InstallCourierFile(
        "[COURIERS]\nID01=하나택배;1;;1111;https://one.example/%s\nID02=둘택배;2;;2222;https://two/%s\n");
    const Instant now = CurrentInstant(), day = 24 * 3600;
    AddToProgramVolume({MakeShipment(0, u"운동화", now - 3, now - 2 * day, InDelivery),
                        MakeShipment(1, u"책 <상>", now - 2, now - day, Done),
                        MakeShipment(0, u"우산", now - 1, now, Cancelled)});

    CMainFrame frame(ProgramPaths());
    if (!frame.LoadFrame()) {
        return 1;
    }
    frame.resize(480, 640);
    frame.show();
    CHTMLListCtrl& list = frame.View().List();
    list.setFocus(Qt::OtherFocusReason);
    frame.activateWindow();

    QSocketNotifier input(0, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        std::string line;
        if (!std::getline(std::cin, line) || line == "quit") {
            QCoreApplication::quit();
            return;
        }
        if (line == "down" || line == "up") {
            QTest::keyClick(list.viewport(), line == "down" ? Qt::Key_Down : Qt::Key_Up);
        } else if (line == "cancel") {
            if (std::optional<Shipment> shipment = frame.Store().Read(frame.View().SelectedId())) {
                shipment->status = Cancelled;
                frame.Store().Update(*shipment);
            }
            frame.View().Refresh(RefillCause::Elsewhere);
        }
        QTest::qWait(100);
        if (line == "popup") {
            // Menus are not children of the application in the tree; the probe tells.
            std::cout << (QApplication::activePopupWidget() != nullptr ? "ok shown" : "ok none") << std::endl;
            return;
        }
        std::cout << "ok" << std::endl;
    });
    std::cout << "ready" << std::endl;
    return QApplication::exec();
}
