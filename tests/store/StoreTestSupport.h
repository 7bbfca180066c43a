#pragma once

#include "config/TempFolder.h"
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

// Sets an environment variable (TZ among them) for one scope.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : m_name(name) {
        if (const char* old = std::getenv(name)) {
            m_old = old;
        }
        Set(value);
    }
    ~ScopedEnv() { Set(m_old ? m_old->c_str() : nullptr); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    void Set(const char* value) {
        value != nullptr ? setenv(m_name.c_str(), value, 1) : unsetenv(m_name.c_str());
        tzset();
    }

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
    return {3, invoice, u"물품 " + invoice, entry, order, status};
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
