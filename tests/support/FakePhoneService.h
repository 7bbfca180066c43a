#pragma once

#include "ui/PhoneService.h"

#include <QString>
#include <vector>

namespace parcelo {

// Stands in for the telephone while it lives: records the numbers asked for and
// reports success without asking anybody.
class FakePhoneService final : public PhoneService {
public:
    FakePhoneService() : m_previous(PhoneService::Install(this)) {}
    ~FakePhoneService() override { PhoneService::Install(m_previous); }
    FakePhoneService(const FakePhoneService&) = delete;
    FakePhoneService& operator=(const FakePhoneService&) = delete;

    bool MakeCall(QWidget* /*parent*/, const QString& number) override {
        m_numbers.push_back(number);
        return true;
    }

    const std::vector<QString>& Numbers() const { return m_numbers; }

private:
    PhoneService* m_previous = nullptr;
    std::vector<QString> m_numbers;
};

} // namespace parcelo
