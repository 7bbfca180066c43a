#pragma once

#include "dialogs/TrackingPageFactory.h"

#include <QObject>

namespace parcelo {

// The tracking-page plugin's entry: makes CHtmlDlg pages.
class TrackingPagePlugin : public QObject, public TrackingPageFactory {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID PARCELO_TRACKING_PAGE_FACTORY_IID)
    Q_INTERFACES(parcelo::TrackingPageFactory)

public:
    std::unique_ptr<CDialog> Create(QWidget* parent, std::u16string address, std::u16string courierName,
                                    int courierIndex) override;
};

} // namespace parcelo
