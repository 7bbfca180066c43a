#pragma once

#include <QLineEdit>

namespace parcelo {

// The find field above the shipment list: hidden until the user asks to find, and
// hidden again (and emptied) by Escape. What is typed goes to the list as it is typed.
class CFindBar : public QLineEdit {
    Q_OBJECT

public:
    explicit CFindBar(QWidget* parent = nullptr);

    // Shows the field and gives it the focus, its text selected.
    void Open();
    // Empties and hides the field.
    void Close();

signals:
    void closed();

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

} // namespace parcelo
