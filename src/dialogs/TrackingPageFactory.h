#pragma once

#include <QString>
#include <QtPlugin>
#include <memory>
#include <string>

class QWidget;

namespace parcelo {

class CDialog;

// Makes the tracking page. The page and the web engine it needs live in a plugin
// of their own, loaded the first time a page opens, so that a start that never
// tracks never loads the web engine.
class TrackingPageFactory {
public:
    virtual ~TrackingPageFactory() = default;

    // The tracking page at `address`, of the courier `courierName` at `courierIndex` in
    // the courier table (-1 and an empty name when the courier is not known).
    virtual std::unique_ptr<CDialog> Create(QWidget* parent, std::u16string address, std::u16string courierName,
                                            int courierIndex) = 0;

    // The plugin's factory, loaded on the first call (see ProgramPlugin); nullptr when
    // the plugin cannot be loaded, with the reason in `error`.
    static TrackingPageFactory* Load(QString* error = nullptr);
    // Runs the tracking page modally; tells the user when the plugin is missing.
    static void RunModal(QWidget* parent, std::u16string address, std::u16string courierName, int courierIndex);
};

} // namespace parcelo

#define PARCELO_TRACKING_PAGE_FACTORY_IID "com.veldan.Parcelo.TrackingPageFactory/1"
Q_DECLARE_INTERFACE(parcelo::TrackingPageFactory, PARCELO_TRACKING_PAGE_FACTORY_IID)
