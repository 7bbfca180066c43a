#pragma once

#include "ui/DropDownButton.h"

#include <QWidget>
#include <cstdint>

namespace parcelo {

// The thin bar at the top of the main window: the status filter on the left
// half, the sort order on the right half, each a drop-down button. The halves
// follow the main window's width whenever the bar is resized.
class CFilterSortBar : public QWidget {
    Q_OBJECT

public:
    explicit CFilterSortBar(QWidget* parent = nullptr);

    // Places and shows both buttons over the two halves of the main window's client
    // width; true when both exist.
    bool CreateDropDowns();

    // The narrowest window whose halves show every caption of both buttons whole.
    int MinimumWindowWidth() const;

    CDropDownButton& FilterButton() { return m_filterButton; }
    CDropDownButton& SortButton() { return m_sortButton; }

signals:
    // A button's choice, passed on unchanged: WM_FILTER_CHANGED or WM_SORT_CHANGED.
    void notifyMainWindow(unsigned message, uint32_t command);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void PlaceButtons();

    CDropDownButton m_filterButton;
    CDropDownButton m_sortButton;
    bool m_created = false;
};

} // namespace parcelo
