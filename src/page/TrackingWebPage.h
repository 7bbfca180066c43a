#pragma once

#include "ui/BrowserLauncher.h"

#include <QUrl>
#include <QWebEnginePage>

namespace parcelo {

// The web page of the tracking view. Its main frame goes only to http and https
// addresses: a link, a redirect or a script that leads anywhere else (file:,
// data:, mailto: or any scheme another program would handle) is refused, so a
// courier's page can neither read local files nor start other programs. (The
// engine makes about:blank, an empty page, without asking.) The program's own pages (the connecting and the error page)
// come in through ShowOwnHtml as the only data: documents it accepts. Frames inside a page may also hold about:, blob:
// and data: documents, which the engine keeps apart from everything else.
class TrackingWebPage : public QWebEnginePage {
    Q_OBJECT
public:
    explicit TrackingWebPage(QObject* parent = nullptr);

    // Shows `html`, a page of the program's own making.
    void ShowOwnHtml(const QString& html);

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;

private:
    bool m_ownHtmlPending = false;
};

} // namespace parcelo
