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

    FakeMessageBoxService();
    ~FakeMessageBoxService() override;
    FakeMessageBoxService(const FakeMessageBoxService&) = delete;
    FakeMessageBoxService& operator=(const FakeMessageBoxService&) = delete;

    int ShowMessage(QWidget* parent, const QString& text, unsigned style) override;

    void QueueAnswer(int result) { m_answers.push_back(result); }
    const std::vector<Call>& Calls() const { return m_calls; }
    void Clear() {
        m_calls.clear();
        m_answers.clear();
    }

private:
    MessageBoxService* m_previous = nullptr;
    std::deque<int> m_answers;
    std::vector<Call> m_calls;
};

} // namespace parcelo
