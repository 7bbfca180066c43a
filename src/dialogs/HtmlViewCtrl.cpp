#include "dialogs/HtmlViewCtrl.h"

#include "platform/QtMenuBuilder.h"

#include <QTimer>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>
#include <algorithm>
#include <array>
#include <cmath>
#include <unistd.h>

namespace parcelo {
namespace {

constexpr std::array<double, 5> kZoomFactors = {0.6, 0.8, 1.0, 1.25, 1.5};
constexpr double kSmallestFactor = 0.25; // the web engine's own limits
constexpr double kLargestFactor = 5.0;
constexpr int kNormalLevel = 2;
constexpr int kFitAttempts = 10;
constexpr int kFitRetryMs = 50;
constexpr double kFactorTolerance = 0.03;

// Width of the page's content and of its viewport, in CSS pixels.
constexpr char kMeasureScript[] =
    "[document.documentElement ? document.documentElement.scrollWidth : 0, window.innerWidth]";

// The page's content width is known only to the page: measure it and, when the
// content is wider than its viewport, zoom out until it fits the view. The page
// takes a new zoom factor a moment after it is set; a measurement made before
// (the viewport does not match the factor yet) is repeated a little later.
void FitToWidth(QPointer<QWebEngineView> view, double textFactor, int attemptsLeft) {
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

} // namespace

void PrepareWebEngineEnvironment() {
    if (geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX")) {
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    }
}

CHtmlViewCtrl::~CHtmlViewCtrl() {
    m_notify = nullptr;
    delete m_view.data(); // the view belongs to this wrapper, not to its parent's lifetime
}

bool CHtmlViewCtrl::Create(QWidget* parent, const QRect& rect) {
    PrepareWebEngineEnvironment();
    m_view = new QWebEngineView(parent);
    m_view->setGeometry(rect);
    m_view->setObjectName(QStringLiteral("htmlView"));
    QObject::connect(m_view, &QWebEngineView::loadStarted, m_view, [this] { OnLoadStarted(); });
    QObject::connect(m_view, &QWebEngineView::loadFinished, m_view, [this](bool) { OnLoadFinished(); });
    m_view->show();
    m_view->setFocus();
    // A new view is already empty; clearing it again would start a load of
    // its own that the first page then cancels.
    return true;
}

int CHtmlViewCtrl::SetHtmlText(std::u16string_view html) {
    if (m_view != nullptr) {
        m_htmlPending = true;
        m_view->setHtml(QtMenuBuilder::ToQString(html));
    }
    return 0;
}

int CHtmlViewCtrl::Navigate(std::u16string_view address) {
    if (m_view == nullptr) {
        return 0;
    }
    if (m_htmlPending) {
        // Loading at once would cancel the page that is on its way, and the
        // user would see a blank view instead of it.
        m_pendingAddress = address;
        return 0;
    }
    m_view->setUrl(QUrl(QtMenuBuilder::ToQString(address)));
    return 0;
}

bool CHtmlViewCtrl::Stop() {
    if (m_view == nullptr) {
        return false;
    }
    m_pendingAddress.clear();
    m_htmlPending = false;
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

void CHtmlViewCtrl::ApplyZoom() {
    if (m_view == nullptr) {
        return;
    }
    const double textFactor = ZoomFactorForLevel(m_zoomLevel);
    m_view->setZoomFactor(textFactor);
    if (m_shrink) {
        FitToWidth(m_view, textFactor, kFitAttempts);
    }
}

void CHtmlViewCtrl::OnLoadStarted() {
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

void CHtmlViewCtrl::Notify(int code) const {
    if (m_notify) {
        m_notify(code);
    }
}

} // namespace parcelo
