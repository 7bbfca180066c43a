#pragma once

#include "ui/MenuResource.h"

#include <QMenu>
#include <QWidget>
#include <array>
#include <cstdint>

class QPushButton;

namespace parcelo {

// The soft-key bar at the bottom of the main window and of every dialog. It is
// built from a menu resource of one or two items: the first becomes the left
// key, the second the right key. A key that carries a command emits
// commandChosen when pressed; a key that carries a pop-up opens it above the
// bar, and a command picked there is emitted the same way.
//
// Just before a pop-up opens, popupAboutToShow hands it to the owner, which can
// grey items or set check marks by command id (QtMenuBuilder::EnableCommand,
// CheckCommand, or this bar's EnableCommand and CheckCommand).
class CCommandBar : public QWidget {
    Q_OBJECT
public:
    enum class Key { Left = 0, Right = 1 };

    explicit CCommandBar(QWidget* parent = nullptr);

    // Builds the keys from menu resource `menuId`; false when the resource has no items.
    bool InsertMenuBar(int menuId);
    // Builds the keys from `items`; false when there are none. Items beyond the second are left out.
    bool InsertMenuBar(MenuItems items);

    QPushButton* KeyButton(Key key) const { return m_keys[Index(key)].button; }
    // The key's pop-up, nullptr for a command key or a missing key.
    QMenu* KeyMenu(Key key) const { return m_keys[Index(key)].popup; }
    // The key's command id, 0 for a pop-up key or a missing key.
    int KeyCommand(Key key) const { return m_keys[Index(key)].command; }

    // Acts as if the key were pressed: emits its command or opens its pop-up.
    void PressKey(Key key);

    // Greys or enables `command` on the keys and in every pop-up.
    void EnableCommand(int command, bool enabled);
    // Sets or clears the check mark of `command` in every pop-up.
    void CheckCommand(int command, bool checked);

signals:
    void commandChosen(uint32_t id);
    void popupAboutToShow(QMenu* popup);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct SoftKey {
        QPushButton* button = nullptr;
        QMenu* popup = nullptr;
        int command = 0;
    };

    static std::size_t Index(Key key) { return static_cast<std::size_t>(key); }
    void ClearKeys();
    void BuildKey(Key key, const MenuItem& item);
    void OpenPopup(const SoftKey& key);

    std::array<SoftKey, 2> m_keys;
};

} // namespace parcelo
