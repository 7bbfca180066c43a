// The list view as the main window holds it, over a prepared volume of shipments, for
// the benchmarks that measure the list.
#pragma once

#include "listui/ShipmentListView.h"
#include "platform/Clock.h"
#include "platform/resource.h"
#include "store/ShipmentDatabase.h"
#include "store/StoreTestSupport.h"

#include <QApplication>
#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Transaction.h>
#include <string>
#include <vector>

namespace parcelo::bench {

constexpr Instant kStart = 1'609'459'200; // 2021-01-01

inline std::vector<Courier> Couriers() {
    std::vector<Courier> couriers(kCourierLogoCount);
    for (Courier& courier : couriers) {
        std::u16string_view name = u"한진택배";
        std::copy(name.begin(), name.end(), courier.name);
    }
    return couriers;
}

// A volume of `count` shipments of every status, written in one transaction.
class Volume {
public:
    explicit Volume(int count) {
        {
            CShipmentDatabase store;
            store.MountVolume(File());
            store.Open(u"TRACKDB");
        }
        SQLite::Database raw(m_folder.Path() / "VELDAN.EDB", SQLite::OPEN_READWRITE);
        SQLite::Transaction transaction(raw);
        SQLite::Statement insert(raw, "INSERT INTO TRACKDB (courier, invoice_number, item_name, entry_date, "
                                      "order_date, status) VALUES (?, ?, ?, ?, ?, ?)");
        for (int i = 0; i < count; ++i) {
            const std::string invoice = std::to_string(601234500000LL + i * 7919LL);
            const Instant entry = kStart + i * 947LL;
            insert.bind(1, i % kCourierLogoCount);
            insert.bind(2, invoice);
            insert.bind(3, "무선 이어폰 " + invoice.substr(8));
            insert.bind(4, static_cast<int64_t>(entry));
            insert.bind(5, static_cast<int64_t>(entry - (i % 40) * 3600LL));
            insert.bind(6, i % 3);
            insert.exec();
            insert.reset();
        }
        transaction.commit();
    }
    std::u16string File() const { return m_folder.File("VELDAN.EDB"); }

private:
    test::TempFolder m_folder;
};

// The list view as the main window holds it, 480 x 640 at 96 dots per inch.
struct Fixture {
    explicit Fixture(int count) : volume(count) {
        store.MountVolume(volume.File());
        store.Open(u"TRACKDB");
        view.resize(480, 640);
        view.show();
        QApplication::processEvents();
        view.OnInitialUpdate();
    }
    Volume volume;
    std::vector<Courier> couriers = Couriers();
    CShipmentDatabase store;
    Clock clock;
    CShipmentListView view{couriers, store, clock};
};

} // namespace parcelo::bench
