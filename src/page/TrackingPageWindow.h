#pragma once

#include "page/HtmlViewCtrl.h"
#include "pageprotocol/PageProtocol.h"

#include <QWidget>
#include <functional>

namespace parcelo {

// The window of parcelo-page: the tracking page's web view, run by the program's
// commands (PageProtocol) and reporting back through `send`. It exists, with a native
// window, from the start; it shows when the program says so, placed where the program
// says (inside the program's dialog when the program has made it a child window there).
// The keys that belong to the program's dialog (F2 and Menu for its tools, Escape to
// close) are passed to the program instead of the page. Only a window made for tests
// runs scripts or takes keys on command.
class CTrackingPageWindow : public QWidget {
    Q_OBJECT
public:
    using Sender = std::function<void(const PageMessage&)>;

    CTrackingPageWindow(Sender send, bool testing);
    ~CTrackingPageWindow() override;

    // Carries out one command of the program's.
    void Handle(const PageMessage& message);
    CHtmlViewCtrl& View() { return m_view; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void Send(PageVerb verb, std::string text = {});
    void RunScript(const std::string& script);
    void PressKey(const std::string& name);

    Sender m_send;
    bool m_testing;
    CHtmlViewCtrl m_view;
};

} // namespace parcelo
