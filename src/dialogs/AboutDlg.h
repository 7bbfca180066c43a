#pragma once

#include "dialogs/Dialog.h"
#include "render/qt/DpiCache.h"

#include <QLine>
#include <QPoint>

namespace parcelo {

// The about box: the application icon and version, a grey rule and the logo.
// It takes the portrait template when it is taller than wide and the
// landscape one otherwise, switching whenever its size changes.
class CAboutDlg : public CDialog {
    Q_OBJECT
public:
    // Where the rule and the logo go in a dialog `width` pixels wide, in logical
    // pixels, with the logo `logoWidth` logical pixels wide.
    struct Decoration {
        QLine rule;
        int logoId = 0;
        QPoint logoTopLeft;
    };
    static Decoration LayOutDecoration(int width, const ScreenDpi& dpi, int logoWidth);

    explicit CAboutDlg(QWidget* parent = nullptr);

    // IDD_ABOUTBOX or IDD_ABOUTBOX_WIDE, whichever the current size chose.
    int CurrentTemplate() const { return m_template; }

protected:
    void OnInitDialog() override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void ChooseTemplate();

    int m_template;
};

} // namespace parcelo
