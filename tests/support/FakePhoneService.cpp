#include "support/FakePhoneService.h"

namespace parcelo {

FakePhoneService::FakePhoneService() : m_previous(PhoneService::Install(this)) {}

FakePhoneService::~FakePhoneService() {
    PhoneService::Install(m_previous);
}

bool FakePhoneService::MakeCall(QWidget* /*parent*/, const QString& number) {
    m_numbers.push_back(number);
    return true;
}

} // namespace parcelo
