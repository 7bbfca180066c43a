#pragma once

#include "store/ShipmentDatabase.h"

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace parcelo::test {

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempFolder {
public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "parcelo-store-XXXXXX").string();
        m_path = mkdtemp(pattern.data());
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    const std::filesystem::path& Path() const { return m_path; }
    std::u16string File(const std::string& name) const {
        const std::string path = (m_path / name).string();
        return std::u16string(path.begin(), path.end()); // temporary paths are ASCII
    }

private:
    std::filesystem::path m_path;
};

// Sets an environment variable (TZ among them) for one scope.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : m_name(name) {
        if (const char* old = std::getenv(name)) {
            m_old = old;
        }
        setenv(name, value, 1);
        tzset();
    }
    ~ScopedEnv() {
        if (m_old) {
            setenv(m_name.c_str(), m_old->c_str(), 1);
        } else {
            unsetenv(m_name.c_str());
        }
        tzset();
    }

private:
    std::string m_name;
    std::optional<std::string> m_old;
};

// Central European time with daylight saving from the last Sunday of March to the last of October.
inline constexpr const char* kBerlinRule = "CET-1CEST,M3.5.0,M10.5.0/3";

inline std::string FileBytes(const std::filesystem::path& path) {
    if (!std::filesystem::is_regular_file(path)) {
        return "(not a file)";
    }
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline Shipment MakeShipment(const std::u16string& invoice, Instant entry, Instant order, int status = InDelivery) {
    Shipment shipment;
    shipment.courierIndex = 3;
    shipment.invoiceNumber = invoice;
    shipment.itemName = u"물품 " + invoice;
    shipment.entryDate = entry;
    shipment.orderDate = order;
    shipment.status = status;
    return shipment;
}

inline std::vector<std::u16string> Invoices(CShipmentDatabase& store) {
    std::vector<Shipment> all;
    store.ReadAll(all);
    std::vector<std::u16string> invoices;
    for (const Shipment& shipment : all) {
        invoices.push_back(shipment.invoiceNumber);
    }
    return invoices;
}

} // namespace parcelo::test
