#pragma once

#include "dialogs/Dialog.h"
#include "dialogs/HtmlViewCtrl.h"
#include "platform/Translation.h"

#include <string>

class QMenu;

namespace parcelo {

// The tracking page: shows "연결 중..." and then the courier's page at the
// address the caller set, in a web view made only when the dialog opens. The
// "도구" pop-up (its soft key, F2 or the Menu key) fits the page to the width
// and sets the text size; OK, Escape and Cancel close the page, stopping a load
// still under way. While a page loads, the loading flag is set and a wait
// cursor shows; the dialog never leaves a wait cursor behind, however it is
// closed.
//
// Only http and https addresses are opened. Any other address (file:, data:,
// javascript:, or one that is not an address at all) comes from a mistake in
// parcelo.ini: the dialog then tells the user which courier and which line of
// the file to correct, and ends with IDCANCEL without opening.
class CHtmlDlg : public CDialog {
    Q_OBJECT
public:
    static constexpr std::u16string_view kConnectingPage =
        PARCELO_TR_NOOP("HtmlDlg", "<html><body>연결 중...</body></html>");

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

    bool IsLoading() const { return m_loading; }
    bool IsFitToScreen() const { return m_fitToScreen; }
    int ZoomLevel() const { return m_zoomLevel; }
    // Wait cursors this dialog has begun and not yet ended.
    int WaitCursors() const { return m_waitCursors; }
    CHtmlViewCtrl& View() { return m_view; }

    int exec() override;
    void OnOK() override;
    void OnCancel() override;

protected:
    void OnInitDialog() override;
    void OnCommand(int command) override;
    void setVisible(bool visible) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void OnViewNotify(int code);
    void UpdateToolsMenu(QMenu* popup);
    // Tells the user that the address cannot be opened and what to correct.
    void TellAddressRefused();
    // Stops a page that is still loading and ends every wait cursor of this dialog.
    void StopLoading();
    void BeginWaitCursor();
    void EndWaitCursor();

    CHtmlViewCtrl m_view;
    bool m_loading = false;
    std::u16string m_address;
    std::u16string m_courierName;
    int m_courierIndex = -1;
    bool m_fitToScreen = false;
    int m_zoomLevel = 2;
    int m_waitCursors = 0;
    bool m_refused = false; // the address is not one the dialog opens
};

} // namespace parcelo
