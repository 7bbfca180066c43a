#include "support/FakeMessageBoxService.h"

namespace parcelo {

FakeMessageBoxService::FakeMessageBoxService() : m_previous(MessageBoxService::Install(this)) {}

FakeMessageBoxService::~FakeMessageBoxService() {
    MessageBoxService::Install(m_previous);
}

int FakeMessageBoxService::ShowMessage(QWidget* parent, const QString& text, unsigned style) {
    m_calls.push_back({parent, text, style});
    if (!m_answers.empty()) {
        const int answer = m_answers.front();
        m_answers.pop_front();
        return answer;
    }
    return MessageBoxLayoutFor(style).buttons.front().result;
}

} // namespace parcelo
