#pragma once

#include "dialogs/Dialog.h"
#include "dialogs/PageProcess.h"
#include "platform/Translation.h"
#include "render/qt/DpiCache.h"

#include <QPointer>
#include <memory>
#include <string>

class QLabel;
class QMenu;

namespace parcelo {

// The tracking page: shows "연결 중..." at once and then the courier's page at the
// address the caller set. The page itself, with the web engine, runs in parcelo-page
// (CPageProcess), started when the dialog opens and ended, with all of its processes,
// when it closes. On X11 the page's window becomes a child window of the dialog's
// client area; elsewhere it is a window of its own placed over that area. The page
// shows once its first load is over; until then the dialog's own text stands.
//
// The "도구" pop-up (its soft key, F2 or the Menu key, in the dialog or in the page)
// fits the page to the width and sets the text size; OK, Escape and Cancel close the
// page, stopping a load still under way. While a page loads, the loading flag is set
// and a wait cursor shows; the dialog never leaves a wait cursor behind, however it
// is closed. A page process that cannot start, dies, does not answer or says
// something it should not is ended and the user told, and the dialog ends with
// IDCANCEL.
//
// Only http and https addresses are opened. Any other address (file:, data:,
// javascript:, or one that is not an address at all) comes from a mistake in
// parcelo.ini: the dialog then tells the user which courier and which line of
// the file to correct, and ends with IDCANCEL without opening.
class CHtmlDlg : public CDialog {
    Q_OBJECT
public:
    static constexpr std::u16string_view kConnectingText = PARCELO_TR_NOOP("HtmlDlg", "연결 중...");
    static constexpr int kDefaultAnswerMs = 20000;

    explicit CHtmlDlg(QWidget* parent = nullptr);
    ~CHtmlDlg() override;

    void SetAddress(std::u16string address) { m_address = std::move(address); }
    const std::u16string& Address() const { return m_address; }
    // The courier whose address this is: its name and its position in the
    // courier table (0 for ID01), for telling the user what to correct.
    void SetCourier(std::u16string name, int index) {
        m_courierName = std::move(name);
        m_courierIndex = index;
    }
    // How long the page's process may take to say it is ready.
    void SetAnswerTimeout(int ms) { m_answerMs = ms; }

    bool IsLoading() const { return m_loading; }
    bool IsFitToScreen() const { return m_fitToScreen; }
    int ZoomLevel() const { return m_zoomLevel; }
    // Wait cursors this dialog has begun and not yet ended.
    int WaitCursors() const { return m_waitCursors; }
    // The page's process; its messages and its id, for the tests.
    CPageProcess& Page() { return *m_page; }
    // The text that stands until the page shows.
    QLabel* ConnectingLabel() const { return m_connecting; }
    // The page's window inside the dialog, on X11, once the page is ready.
    QWidget* PageContainer() const { return m_container; }
    bool IsPageShown() const { return m_pageShown; }

    int exec() override;
    void OnOK() override;
    void OnCancel() override;

    // Runs the tracking page modally.
    static void RunModal(QWidget* parent, std::u16string address, std::u16string courierName, int courierIndex);

    // Starts a page process ahead of the next tracking page (when the item menu opens),
    // which the next dialog takes over; it ends `kPreparedIdleMs` after
    // DropPreparedPage unless a dialog has taken it by then.
    static void PreparePage();
    static void DropPreparedPage();
    // The process id of the prepared page; 0 when there is none.
    static qint64 PreparedPageId();
    static constexpr int kPreparedIdleMs = 1000;

signals:
    // The page's window has been shown, after its first load.
    void pageShown();

protected:
    void OnInitDialog() override;
    void OnCommand(int command) override;
    void setVisible(bool visible) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    void AttachPage();
    void OnPageMessage(const PageMessage& message);
    void OnPageFailed(CPageProcess::Failure failure, const QString& detail);
    void OnPageReady(int64_t windowId);
    void PlacePage();
    void ShowPage();
    void UpdateToolsMenu(QMenu* popup);
    // Tells the user that the address cannot be opened and what to correct.
    void TellAddressRefused();
    // Stops a page that is still loading and ends every wait cursor of this dialog.
    void StopLoading();
    // Stops loading and ends the page's processes.
    void ClosePage();
    void BeginWaitCursor();
    void EndWaitCursor();

    std::unique_ptr<CPageProcess> m_page;
    QLabel* m_connecting = nullptr;
    QPointer<QWidget> m_container; // holds the page's window, on X11
    bool m_embedded = false;
    bool m_pageShown = false;
    bool m_loading = false;
    std::u16string m_address;
    std::u16string m_courierName;
    int m_courierIndex = -1;
    bool m_fitToScreen = false;
    int m_zoomLevel = 2;
    int m_waitCursors = 0;
    int m_answerMs = kDefaultAnswerMs;
    bool m_refused = false; // the address is not one the dialog opens
    DpiCache m_dpi;
};

} // namespace parcelo
