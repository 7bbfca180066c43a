#pragma once

#include "ui/MessageBoxService.h"

#include <QString>
#include <deque>
#include <vector>

namespace parcelo {

// Stands in for the real message boxes while it lives: records every box and
// answers at once, with the queued answers first and then the first button of
// the box's style (IDOK or IDYES), as if the user pressed Enter.
class FakeMessageBoxService final : public MessageBoxService {
public:
    struct Call {
        QWidget* parent = nullptr;
        QString text;
        unsigned style = 0;
    };

    FakeMessageBoxService() : m_previous(MessageBoxService::Install(this)) {}
    ~FakeMessageBoxService() override { MessageBoxService::Install(m_previous); }
    FakeMessageBoxService(const FakeMessageBoxService&) = delete;
    FakeMessageBoxService& operator=(const FakeMessageBoxService&) = delete;

    int ShowMessage(QWidget* parent, const QString& text, unsigned style) override {
        m_calls.push_back({parent, text, style});
        const int answer = m_answers.empty() ? MessageBoxLayoutFor(style).buttons.front().result : m_answers.front();
        m_answers.erase(m_answers.begin(), m_answers.begin() + (m_answers.empty() ? 0 : 1));
        return answer;
    }

    void QueueAnswer(int result) { m_answers.push_back(result); }
    const std::vector<Call>& Calls() const { return m_calls; }
    void Clear() {
        m_calls.clear();
        m_answers.clear();
    }
    // The text of the one box shown since the last Clear() or Take() ("" when none or
    // several were), and a fresh start.
    QString Take() {
        const QString text = m_calls.size() == 1 ? m_calls[0].text : QString();
        Clear();
        return text;
    }

private:
    MessageBoxService* m_previous = nullptr;
    std::deque<int> m_answers;
    std::vector<Call> m_calls;
};

} // namespace parcelo
