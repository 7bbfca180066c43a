#include "page/TrackingWebPage.h"

namespace parcelo {
namespace {

bool IsWebScheme(const QString& scheme) {
    return scheme == u"http" || scheme == u"https";
}

// Documents a frame inside a page may hold besides web pages: they run in an
// origin of their own and cannot reach local files.
bool IsFrameScheme(const QString& scheme) {
    return IsWebScheme(scheme) || scheme == u"about" || scheme == u"blob" || scheme == u"data";
}

} // namespace

TrackingWebPage::TrackingWebPage(QObject* parent) : QWebEnginePage(parent) {}

void TrackingWebPage::ShowOwnHtml(const QString& html) {
    m_ownHtmlPending = true;
    setHtml(html);
}

bool TrackingWebPage::acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) {
    if (isMainFrame && IsWebAddress(url)) {
        return true;
    }
    if (isMainFrame && m_ownHtmlPending && url.scheme() == u"data" && type == NavigationTypeTyped) {
        m_ownHtmlPending = false; // the page just set; a later data: address is someone else's
        return true;
    }
    if (!isMainFrame && IsFrameScheme(url.scheme())) {
        return true;
    }
    return false;
}

} // namespace parcelo
