#pragma once

#include "platform/Clock.h"
#include "status/StatusSettings.h"

#include <QWidget>
#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace parcelo {

// The options of the automatic delivery status: on or off, the service's address and
// key (sent as it is, or exchanged for an OAuth2 token at the issuer's address), the
// interval, the automatic done and the notifications, and "연결 확인", which sends one
// request with what is entered and says what came of it. The secret is only shown and
// taken here; where it is kept is the caller's business.
class CStatusOptionsPanel : public QWidget {
    Q_OBJECT

public:
    explicit CStatusOptionsPanel(QWidget* parent = nullptr);

    // `hasSecret`: a secret is known (it is never shown); `memoryOnly`: there is no
    // secret store, so a key entered here lasts until the program ends.
    void Load(const StatusSettings& settings, const QString& clientId, bool hasSecret, bool memoryOnly);
    StatusSettings Settings() const;
    // The secret known now, used by "연결 확인" while none is typed.
    void SetKnownSecret(const QString& secret) { m_knownSecret = secret; }

    // Where "연결 확인" gets its client; the status-services plugin's unless replaced.
    using ClientFactory = std::function<std::unique_ptr<TrackingClient>(const Clock& clock)>;
    void SetClientFactory(ClientFactory factory) { m_clientFactory = std::move(factory); }
    // Sends the check (also what the button does); the answer shows in CheckResult().
    void CheckConnection();

    // Shows, above everything, what the last refresh found wrong (empty: nothing).
    void ShowProblem(const QString& text);

    // True when the user changed the client id or typed a secret.
    bool KeyEdited() const;
    QString ClientId() const;
    QString ClientSecret() const;

    QCheckBox& EnabledBox() const { return *m_enabled; }
    QLineEdit& EndpointEdit() const { return *m_endpoint; }
    QLineEdit& ClientIdEdit() const { return *m_clientId; }
    QLineEdit& SecretEdit() const { return *m_secret; }
    QSpinBox& IntervalBox() const { return *m_interval; }
    QCheckBox& AutoDoneBox() const { return *m_autoDone; }
    QCheckBox& NotifyBox() const { return *m_notify; }
    QLabel& KeyNote() const { return *m_keyNote; }
    QComboBox& AuthCombo() const { return *m_auth; }
    QLineEdit& TokenUrlEdit() const { return *m_tokenUrl; }
    QPushButton& CheckButton() const { return *m_check; }
    QLabel& CheckResult() const { return *m_checkResult; }
    QLabel& Problem() const { return *m_problem; }

private:
    void UpdateEnabled();

    QCheckBox* m_enabled;
    QLineEdit* m_endpoint;
    QLineEdit* m_clientId;
    QLineEdit* m_secret;
    QSpinBox* m_interval;
    QCheckBox* m_autoDone;
    QCheckBox* m_notify;
    QLabel* m_keyNote;
    QComboBox* m_auth;
    QLineEdit* m_tokenUrl;
    QPushButton* m_check;
    QLabel* m_checkResult;
    QLabel* m_problem;
    QString m_loadedClientId;
    QString m_knownSecret;
    ClientFactory m_clientFactory;
    Clock m_clock;
    std::unique_ptr<TrackingClient> m_checkClient;
};

} // namespace parcelo
