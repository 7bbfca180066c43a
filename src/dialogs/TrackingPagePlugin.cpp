#include "dialogs/TrackingPagePlugin.h"

#include "dialogs/HtmlDlg.h"

namespace parcelo {

std::unique_ptr<CDialog> TrackingPagePlugin::Create(QWidget* parent, std::u16string address, std::u16string courierName,
                                                    int courierIndex) {
    auto dialog = std::make_unique<CHtmlDlg>(parent);
    dialog->SetAddress(std::move(address));
    if (courierIndex >= 0) {
        dialog->SetCourier(std::move(courierName), courierIndex);
    }
    return dialog;
}

} // namespace parcelo
