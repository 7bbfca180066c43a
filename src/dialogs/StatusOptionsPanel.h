#pragma once

#include "platform/StatusSettings.h"

#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QSpinBox;

namespace parcelo {

// The options of the automatic delivery status: on or off, the service's address and
// key, the interval, the automatic done and the notifications. The key is only shown
// and taken here; where it is kept is the caller's business.
class CStatusOptionsPanel : public QWidget {
    Q_OBJECT

public:
    explicit CStatusOptionsPanel(QWidget* parent = nullptr);

    // `hasSecret`: a secret is known (it is never shown); `memoryOnly`: there is no
    // secret store, so a key entered here lasts until the program ends.
    void Load(const StatusSettings& settings, const QString& clientId, bool hasSecret, bool memoryOnly);
    StatusSettings Settings() const;

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
    QLabel* m_problem;
    QString m_loadedClientId;
};

} // namespace parcelo
