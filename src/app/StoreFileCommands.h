#pragma once

#include "couriers/Courier.h"

#include <QString>
#include <vector>

class QWidget;

namespace parcelo {

class CShipmentDatabase;
class CShipmentListView;
class CourierDetector;
class FileChooser;

// The main menu's commands on files: export and import of shipments (CSV or JSON) and
// backup and restore of the whole store. Every failure is told in a message box; nothing
// is written to the store before the user has confirmed.
class CStoreFileCommands {
public:
    // Everything given outlives this object. The chooser may be replaced (tests).
    CStoreFileCommands(CShipmentListView& view, CShipmentDatabase& store, const std::vector<Courier>& couriers,
                       const CourierDetector& detector, FileChooser& chooser, QWidget* parent);

    void SetFileChooser(FileChooser& chooser) { m_chooser = &chooser; }

    // Runs ID_EXPORT, ID_IMPORT, ID_BACKUP or ID_RESTORE; false for any other command.
    bool OnCommand(int command);

    void Export();
    void Import();
    // Imports `file` as Import does once the user has chosen it (a file dropped on the list).
    void ImportFile(const QString& file);
    void BackUp();
    void Restore();

private:
    void Tell(const QString& text, unsigned icon) const;

    CShipmentListView& m_view;
    CShipmentDatabase& m_store;
    const std::vector<Courier>& m_couriers;
    const CourierDetector& m_detector;
    FileChooser* m_chooser;
    QWidget* m_parent;
};

} // namespace parcelo
