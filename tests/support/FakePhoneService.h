#pragma once

#include "ui/PhoneService.h"

#include <QString>
#include <vector>

namespace parcelo {

// Stands in for the telephone while it lives: records the numbers asked for
// and reports `Succeeds()` without asking anybody.
class FakePhoneService final : public PhoneService {
public:
    FakePhoneService();
    ~FakePhoneService() override;
    FakePhoneService(const FakePhoneService&) = delete;
    FakePhoneService& operator=(const FakePhoneService&) = delete;

    bool MakeCall(QWidget* parent, const QString& number) override;

    const std::vector<QString>& Numbers() const { return m_numbers; }
    void SetSucceeds(bool succeeds) { m_succeeds = succeeds; }
    void Clear() { m_numbers.clear(); }

private:
    PhoneService* m_previous = nullptr;
    std::vector<QString> m_numbers;
    bool m_succeeds = true;
};

} // namespace parcelo
