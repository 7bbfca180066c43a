#pragma once

#include <QPixmap>
#include <QPoint>
#include <QString>
#include <QWidget>
#include <cstdint>

class QMenu;

namespace parcelo {

struct ScreenDpi;

// A caption with a small downward arrow that shows the current item of one
// pop-up sub-menu and opens that sub-menu when clicked. Picking an item makes it
// the caption and tells the main window at once (notifyMainWindow, meant for a
// direct connection), even when the item was already the current one.
class CDropDownButton : public QWidget {
    Q_OBJECT

public:
    // `iconAfterText`: caption left-aligned with the arrow right after it and the
    // menu opening left-aligned; otherwise caption right-aligned with the arrow at
    // the right edge and the menu opening right-aligned.
    CDropDownButton(int menuId, int subMenuIndex, bool iconAfterText, QWidget* parent);

    int SubMenuIndex() const { return m_subMenuIndex; }
    int Selection() const { return m_selection; }
    // The text of the current item.
    QString Caption() const;
    QMenu* Menu() const { return m_menu; }
    const QPixmap& ArrowIcon() const { return m_arrowIcon; }
    // The arrow's width in logical pixels.
    int ArrowWidth() const;
    // The arrow at a screen's resolution, one picture pixel to a device pixel.
    static QPixmap ArrowPicture(const ScreenDpi& dpi);
    // The width that shows every entry of the menu whole as the caption, with its arrow.
    int WidthForEveryCaption() const;

    // Where the menu's top-left corner goes, in screen coordinates.
    QPoint PopupPosition() const;
    // Opens the menu without waiting for it.
    void OpenMenu();
    // A filter (32900..32903) or sort (32800..32803) command picked from the menu.
    void OnChoice(int command);

signals:
    // WM_FILTER_CHANGED or WM_SORT_CHANGED with the picked command.
    void notifyMainWindow(unsigned message, uint32_t command);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    // Space, Down, Alt+Down and Return open the menu when Tab has brought the focus here.
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    QMenu* m_menu = nullptr; // child of this button
    int m_subMenuIndex = 0;
    bool m_iconAfterText = false;
    int m_selection = 0;
    QPixmap m_arrowIcon;
};

} // namespace parcelo
