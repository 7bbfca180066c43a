#include "page/HtmlViewCtrl.h"

#include "page/TrackingWebPage.h"
#include "ui/QtMenuBuilder.h"

#include <QCoreApplication>
#include <QTimer>
#include <QUrl>
#include <QWebEngineLoadingInfo>
#include <QWebEngineScript>
#include <QWebEngineSettings>
#include <QWebEngineView>
#include <algorithm>
#include <array>
#include <cmath>
#include <unistd.h>
#include <utility>

namespace parcelo {
namespace {

constexpr std::array<double, 5> kZoomFactors = {0.6, 0.8, 1.0, 1.25, 1.5};
constexpr double kSmallestFactor = 0.25; // the web engine's own limits
constexpr double kLargestFactor = 5.0;
constexpr int kNormalLevel = 2;
constexpr double kSmallestScale = 0.1;
constexpr double kLargestScale = 10.0;
constexpr int kFitAttempts = 10;
constexpr int kFitRetryMs = 50;
constexpr double kFactorTolerance = 0.03;

// Network error numbers of the web engine that get a reason of their own.
constexpr int kConnectionRefused = -102;
constexpr int kInternetDisconnected = -106;
constexpr int kTimedOut = -7;
constexpr int kConnectionTimedOut = -118;
constexpr int kNameNotResolved = -105;

// Width of the page's content and of its viewport, in CSS pixels.
constexpr char kMeasureScript[] =
    "[document.documentElement ? document.documentElement.scrollWidth : 0, window.innerWidth]";

// The page's content width is known only to the page: measure it and, when the
// content is wider than its viewport, zoom out until it fits the view. The page
// takes a new zoom factor a moment after it is set; a measurement made before
// (the viewport does not match the factor yet) is repeated a little later.
void FitToWidth(const QPointer<QWebEngineView>& view, double textFactor, int attemptsLeft) {
    view->page()->runJavaScript(
        QString::fromLatin1(kMeasureScript), QWebEngineScript::ApplicationWorld,
        [view, textFactor, attemptsLeft](const QVariant& result) {
            const QVariantList widths = result.toList();
            if (view == nullptr || widths.size() != 2 || !qFuzzyCompare(view->zoomFactor(), textFactor)) {
                return; // gone, not measurable, or the zoom changed meanwhile
            }
            const double contentWidth = widths[0].toDouble();
            const double viewportWidth = widths[1].toDouble();
            if (contentWidth <= 0 || viewportWidth <= 0) {
                return;
            }
            const double laidOutFactor = view->width() / viewportWidth;
            if (std::abs(laidOutFactor - textFactor) > kFactorTolerance * textFactor) {
                if (attemptsLeft > 0) {
                    QTimer::singleShot(kFitRetryMs, view, [view, textFactor, attemptsLeft] {
                        FitToWidth(view, textFactor, attemptsLeft - 1);
                    });
                }
                return;
            }
            if (contentWidth > viewportWidth) {
                const double fitted = view->width() / contentWidth;
                view->setZoomFactor(std::clamp(std::min(fitted, textFactor), kSmallestFactor, kLargestFactor));
            }
        });
}

// The program's own pages carry their scale themselves. The view's zoom
// factor does not do for them: while the next page is on its way (the
// connecting page is shown just then) the engine draws the page on screen at
// the zoom of the coming one's site, which is 1. The page's script sets its CSS
// zoom to make up the difference, again whenever the factor changes (that
// resizes the page); the scale wanted is kept in the page's data-parcelo-scale.
constexpr char kOwnPageScript[] = "<script>document.documentElement.dataset.parceloScale = %1;"
                                  "(window.onresize = function () {"
                                  " var page = document.documentElement;"
                                  " page.style.zoom = page.dataset.parceloScale / window.devicePixelRatio; })();"
                                  "</script>";
// A new scale for the page shown, when it is one of the program's own.
constexpr char kOwnPageRescale[] = "(function () { var page = document.documentElement;"
                                   " if (page && page.dataset.parceloScale) { page.dataset.parceloScale = %1;"
                                   " page.style.zoom = %1 / window.devicePixelRatio; } })()";

QString ScaledOwnPage(const QString& html, double scale) {
    return QString::fromLatin1(kOwnPageScript).arg(scale) + html;
}

// What went wrong, in words the user can act on.
QString FailureReason(const QWebEngineLoadingInfo& info) {
    switch (info.errorDomain()) {
    case QWebEngineLoadingInfo::DnsErrorDomain:
        return QCoreApplication::translate("HtmlViewCtrl",
                                           "서버 주소를 찾을 수 없습니다. 인터넷 연결과 주소를 확인하십시오.");
    case QWebEngineLoadingInfo::ConnectionErrorDomain:
        switch (info.errorCode()) {
        case kNameNotResolved:
            return QCoreApplication::translate("HtmlViewCtrl",
                                               "서버 주소를 찾을 수 없습니다. 인터넷 연결과 주소를 확인하십시오.");
        case kInternetDisconnected:
            return QCoreApplication::translate("HtmlViewCtrl", "인터넷에 연결되어 있지 않습니다. 연결을 확인하십시오.");
        case kConnectionRefused:
            return QCoreApplication::translate("HtmlViewCtrl",
                                               "서버가 연결을 거부했습니다. 잠시 후 다시 시도하십시오.");
        case kTimedOut:
        case kConnectionTimedOut:
            return QCoreApplication::translate("HtmlViewCtrl", "서버가 응답하지 않습니다. 잠시 후 다시 시도하십시오.");
        default:
            return QCoreApplication::translate(
                "HtmlViewCtrl", "서버에 연결할 수 없습니다. 인터넷 연결을 확인하고 잠시 후 다시 시도하십시오.");
        }
    case QWebEngineLoadingInfo::CertificateErrorDomain:
        return QCoreApplication::translate("HtmlViewCtrl", "서버의 보안 인증서를 믿을 수 없어 연결하지 않았습니다. "
                                                           "parcelo.ini에 적힌 택배사 주소가 맞는지 확인하십시오.");
    case QWebEngineLoadingInfo::HttpErrorDomain:
        return QCoreApplication::translate("HtmlViewCtrl",
                                           "서버의 응답을 읽을 수 없습니다. 잠시 후 다시 시도하십시오.");
    default:
        return QCoreApplication::translate("HtmlViewCtrl", "페이지를 불러오지 못했습니다. 잠시 후 다시 시도하십시오.");
    }
}

// The address as the user reads it: decoded, as markup that breaks lines only after
// "/", "?" and "&", never inside an escape or a word. Every piece is escaped.
QString AddressMarkup(const QUrl& url) {
    const QString decoded = QUrl::fromPercentEncoding(url.toString(QUrl::FullyEncoded).toUtf8());
    QString markup;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= decoded.size(); ++i) {
        if (i == decoded.size() || decoded[i] == u'/' || decoded[i] == u'?' || decoded[i] == u'&') {
            const qsizetype end = std::min(i + 1, decoded.size());
            if (end > start) {
                markup += QStringLiteral("<span style=\"white-space:nowrap\">") +
                          decoded.mid(start, end - start).toHtmlEscaped() + QStringLiteral("</span><wbr>");
            }
            start = end;
        }
    }
    return markup;
}

// The page shown in place of one that could not be loaded. The address and the
// engine's error text come from outside and are escaped.
QString LoadErrorPage(const QWebEngineLoadingInfo& info) {
    const QString address = AddressMarkup(info.url());
    const QString retry = info.url().toString(QUrl::FullyEncoded).toHtmlEscaped();
    QString detail = info.errorString();
    if (detail.isEmpty()) {
        detail = QString::number(info.errorCode());
    }
    return QCoreApplication::translate(
               "HtmlViewCtrl", "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>배송 조회 실패</title></head>"
                               "<body style=\"font-family:sans-serif\">"
                               "<p><b>배송 조회 페이지를 열지 못했습니다.</b></p>"
                               "<p id=\"reason\">%1</p>"
                               "<p>주소: <span id=\"address\">%2</span></p>"
                               "<p>오류: <span id=\"detail\">%3</span></p>"
                               "<p><a id=\"retry\" href=\"%4\">다시 시도</a></p>"
                               "</body></html>")
        .arg(FailureReason(info).toHtmlEscaped(), address, detail.toHtmlEscaped(), retry);
}

} // namespace

void PrepareWebEngineEnvironment() {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    if (geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX")) {
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    }
}

CHtmlViewCtrl::~CHtmlViewCtrl() {
    m_notify = nullptr;
    delete m_view.data(); // the view belongs to this wrapper, not to its parent's lifetime
}

bool CHtmlViewCtrl::Create(QWidget* parent, const QRect& rect) {
    m_view = new QWebEngineView(parent);
    m_page = new TrackingWebPage(m_view);
    // A failed load shows the program's own page, in Korean, instead of the engine's.
    m_page->settings()->setAttribute(QWebEngineSettings::ErrorPageEnabled, false);
    // Links to other programs' schemes (mailto:, tel:, ...) start nothing.
    m_page->settings()->setUnknownUrlSchemePolicy(QWebEngineSettings::DisallowUnknownUrlSchemes);
    m_view->setPage(m_page);
    m_view->setGeometry(rect);
    m_view->setObjectName(QStringLiteral("htmlView"));
    QObject::connect(m_view, &QWebEngineView::loadStarted, m_view, [this] { OnLoadStarted(); });
    QObject::connect(m_view, &QWebEngineView::loadFinished, m_view, [this](bool) { OnLoadFinished(); });
    QObject::connect(m_page, &QWebEnginePage::loadingChanged, m_view,
                     [this](const QWebEngineLoadingInfo& info) { OnLoadingChanged(info); });
    ApplyZoom(); // pages are drawn at the program's resolution from the first one on
    m_view->show();
    m_view->setFocus();
    // A new view is already empty; clearing it again would start a load of
    // its own that the first page then cancels.
    return true;
}

int CHtmlViewCtrl::SetHtmlText(std::u16string_view html) {
    if (m_page != nullptr) {
        m_htmlPending = true;
        ShowOwnPage(QtMenuBuilder::ToQString(html));
    }
    return 0;
}

int CHtmlViewCtrl::Navigate(std::u16string_view address) {
    if (m_view == nullptr) {
        return 0;
    }
    const QUrl url(QtMenuBuilder::ToQString(address));
    if (!IsWebAddress(url)) {
        return 0;
    }
    if (m_htmlPending) {
        // Loading at once would cancel the page that is on its way, and the
        // user would see a blank view instead of it.
        m_pendingAddress = address;
        return 0;
    }
    m_view->setUrl(url);
    return 0;
}

bool CHtmlViewCtrl::Stop() {
    if (m_view == nullptr) {
        return false;
    }
    m_pendingAddress.clear();
    m_htmlPending = false;
    m_stopped = true;
    m_view->stop();
    return true;
}

bool CHtmlViewCtrl::SetZoomLevel(int level) {
    m_zoomLevel = std::clamp(level, 0, static_cast<int>(kZoomFactors.size()) - 1);
    ApplyZoom();
    return m_view != nullptr;
}

bool CHtmlViewCtrl::EnableShrink(bool enable) {
    m_shrink = enable;
    ApplyZoom();
    return m_view != nullptr;
}

double CHtmlViewCtrl::ZoomFactorForLevel(int level) {
    if (level < 0 || level >= static_cast<int>(kZoomFactors.size())) {
        level = kNormalLevel;
    }
    return kZoomFactors[static_cast<std::size_t>(level)];
}

void CHtmlViewCtrl::SetScale(double scale) {
    m_scale = std::clamp(scale, kSmallestScale, kLargestScale);
    ApplyZoom();
}

double CHtmlViewCtrl::ScreenScale() const {
    return ZoomFactorForLevel(m_zoomLevel) * m_scale;
}

double CHtmlViewCtrl::ZoomFactor() const {
    // The program's window draws a 96-dpi pixel as m_scale screen pixels; Qt already
    // draws each of the view's pixels as devicePixelRatio screen pixels.
    const double ratio = m_view != nullptr ? m_view->devicePixelRatioF() : 1.0;
    return std::clamp(ScreenScale() / (ratio > 0 ? ratio : 1.0), kSmallestFactor, kLargestFactor);
}

void CHtmlViewCtrl::ApplyZoom() {
    if (m_view == nullptr) {
        return;
    }
    const double textFactor = ZoomFactor();
    m_view->setZoomFactor(textFactor);
    m_page->runJavaScript(QString::fromLatin1(kOwnPageRescale).arg(ScreenScale()), QWebEngineScript::ApplicationWorld);
    if (m_shrink) {
        FitToWidth(m_view, textFactor, kFitAttempts);
    }
}

void CHtmlViewCtrl::OnLoadStarted() {
    m_stopped = false;
    Notify(NM_BEFORENAVIGATE);
}

void CHtmlViewCtrl::OnLoadFinished() {
    Notify(NM_DOCUMENTCOMPLETE);
    if (m_view == nullptr) {
        return;
    }
    if (m_htmlPending) {
        m_htmlPending = false;
        if (!m_pendingAddress.empty()) {
            const std::u16string address = std::exchange(m_pendingAddress, {});
            Navigate(address);
            return;
        }
    }
    if (m_shrink) {
        ApplyZoom(); // every new page is fitted again
    }
}

void CHtmlViewCtrl::OnLoadingChanged(const QWebEngineLoadingInfo& info) {
    // A web page that could not be fetched is replaced by the program's own
    // error page. A page the server answered with an error status is shown as
    // the server sent it, and a load stopped on purpose shows nothing new.
    if (info.status() != QWebEngineLoadingInfo::LoadFailedStatus || m_stopped || m_page == nullptr ||
        info.errorDomain() == QWebEngineLoadingInfo::HttpStatusCodeDomain || !IsWebAddress(info.url())) {
        return;
    }
    ShowOwnPage(LoadErrorPage(info));
}

void CHtmlViewCtrl::ShowOwnPage(const QString& html) {
    m_page->ShowOwnHtml(ScaledOwnPage(html, ScreenScale()));
}

void CHtmlViewCtrl::Notify(int code) const {
    if (m_notify) {
        m_notify(code);
    }
}

} // namespace parcelo
