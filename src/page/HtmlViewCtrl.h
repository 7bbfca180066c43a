#pragma once

#include <QPointer>
#include <QRect>
#include <QWebEngineView>
#include <functional>
#include <string>
#include <string_view>

class QWebEngineLoadingInfo;
class QWidget;

namespace parcelo {

class TrackingWebPage;

// Notifications of the HTML view to its owner.
inline constexpr int NM_BEFORENAVIGATE = 1133;   // a page starts loading
inline constexpr int NM_DOCUMENTCOMPLETE = 1134; // a page has finished loading, or failed

// Web engine set-up: Chromium refuses to run as root with its sandbox, so the
// sandbox is turned off then; and the web view's contexts share OpenGL resources with
// the window's, as Qt wants it known before the application object exists. Call
// before the QApplication is made.
void PrepareWebEngineEnvironment();

// The HTML view of the tracking page: a web view owned by this wrapper, made
// only when Create is called. It opens only http and https addresses and never
// lets a page lead it elsewhere (TrackingWebPage). A page that cannot be
// fetched is replaced by a Korean page naming the address and the failure, with
// a "다시 시도" link that loads the address again. Pages are drawn at the scale
// of the program's window (SetScale: 2 when it draws twice the size, at 192 dpi),
// whatever scale Qt gives the view itself. Text size runs on a scale from 0 (smallest) to 4 (largest); shrink makes
// a page wider than the view fit its width.
class CHtmlViewCtrl {
public:
    using NotifyHandler = std::function<void(int code)>;

    CHtmlViewCtrl() = default;
    virtual ~CHtmlViewCtrl();
    CHtmlViewCtrl(const CHtmlViewCtrl&) = delete;
    CHtmlViewCtrl& operator=(const CHtmlViewCtrl&) = delete;

    // Creates the view as a child of `parent` over `rect`, gives it the focus
    // and clears it. Always true.
    bool Create(QWidget* parent, const QRect& rect);
    QWebEngineView* View() const { return m_view; }
    void SetNotifyHandler(NotifyHandler handler) { m_notify = std::move(handler); }

    // Shows `html` as the page. Returns 0.
    int SetHtmlText(std::u16string_view html);
    // Loads `address`, when it is an http or https address; anything else is
    // not loaded. A page set with SetHtmlText that is still on its way is shown
    // first, so the address is loaded once it is complete. Returns 0.
    int Navigate(std::u16string_view address);
    // Stops the current download and any navigation still waiting. False without a view.
    bool Stop();
    // Sets the text size (clamped to 0..4). False without a view.
    bool SetZoomLevel(int level);
    // Fits pages wider than the view to its width, or shows them at the text size. False without a view.
    bool EnableShrink(bool enable);
    // Screen pixels per 96-dpi pixel of the program's window (clamped to 0.1..10).
    void SetScale(double scale);

    int ZoomLevel() const { return m_zoomLevel; }
    bool IsShrinkEnabled() const { return m_shrink; }
    // The zoom factor of a text size at 96 dpi; level 2 is the view's own 1.0.
    static double ZoomFactorForLevel(int level);
    // Screen pixels per CSS pixel: the text size's factor at the program's scale.
    double ScreenScale() const;
    // The zoom factor the view gets: the screen scale over the pixel ratio Qt gives the view.
    double ZoomFactor() const;

private:
    void OnLoadStarted();
    void OnLoadFinished();
    void OnLoadingChanged(const QWebEngineLoadingInfo& info);
    // Shows a page of the program's own making at the view's scale.
    void ShowOwnPage(const QString& html);
    double OwnPageScale();
    void ApplyZoom();
    void Notify(int code) const;

    QPointer<QWebEngineView> m_view;
    QPointer<TrackingWebPage> m_page; // a child of the view
    NotifyHandler m_notify;
    bool m_htmlPending = false;      // a SetHtmlText page that has not finished loading
    std::u16string m_pendingAddress; // waits for that page
    int m_zoomLevel = 2;
    bool m_shrink = false;
    bool m_stopped = false; // Stop was called since the last load started
    double m_scale = 1.0;
};

} // namespace parcelo
