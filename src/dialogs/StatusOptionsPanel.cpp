#include "dialogs/StatusOptionsPanel.h"

#include "status/TrackingClient.h"
#include "status/services/ServiceUrl.h"
#include "status/services/StatusServicesLoader.h"
#include "tracking/ConnectionCheck.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QUrl>
#include <QVBoxLayout>

namespace parcelo {

namespace {

QLabel* PlainLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    return label;
}

} // namespace

CStatusOptionsPanel::CStatusOptionsPanel(QWidget* parent)
    : QWidget(parent),
      m_enabled(new QCheckBox(QCoreApplication::translate("StatusOptionsPanel", "배송 상태 자동 확인"), this)),
      m_endpoint(new QLineEdit(this)), m_clientId(new QLineEdit(this)), m_secret(new QLineEdit(this)),
      m_interval(new QSpinBox(this)),
      m_autoDone(
          new QCheckBox(QCoreApplication::translate("StatusOptionsPanel", "배송완료 시 자동으로 완료 처리"), this)),
      m_notify(new QCheckBox(QCoreApplication::translate("StatusOptionsPanel", "상태가 바뀌면 알림 표시"), this)),
      m_keyNote(PlainLabel({}, this)), m_auth(new QComboBox(this)), m_tokenUrl(new QLineEdit(this)),
      m_check(new QPushButton(QCoreApplication::translate("StatusOptionsPanel", "연결 확인"), this)),
      m_checkResult(PlainLabel({}, this)), m_problem(PlainLabel({}, this)) {
    setObjectName(QStringLiteral("StatusOptions"));
    m_problem->setObjectName(QStringLiteral("StatusProblem"));
    m_problem->setAccessibleName(QCoreApplication::translate("StatusOptionsPanel", "배송 상태 확인 문제"));
    m_problem->hide();
    m_endpoint->setPlaceholderText(QString::fromLatin1(TrackingClient::kDefaultEndpoint));
    m_auth->addItem(QCoreApplication::translate("StatusOptionsPanel", "API 키"),
                    static_cast<int>(TrackingClient::Auth::ApiKey));
    m_auth->addItem(QCoreApplication::translate("StatusOptionsPanel", "OAuth2 토큰"),
                    static_cast<int>(TrackingClient::Auth::OAuth2));
    m_auth->setAccessibleName(QCoreApplication::translate("StatusOptionsPanel", "인증 방식"));
    m_tokenUrl->setPlaceholderText(QString::fromLatin1(TrackingClient::kDefaultTokenUrl));
    m_tokenUrl->setAccessibleName(QCoreApplication::translate("StatusOptionsPanel", "토큰 주소"));
    m_check->setAccessibleName(QCoreApplication::translate("StatusOptionsPanel", "연결 확인"));
    m_checkResult->setAccessibleName(QCoreApplication::translate("StatusOptionsPanel", "연결 확인 결과"));
    m_checkResult->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_secret->setEchoMode(QLineEdit::Password);
    m_interval->setRange(StatusSettings::kMinIntervalMinutes, StatusSettings::kMaxIntervalMinutes);
    m_interval->setSuffix(QCoreApplication::translate("StatusOptionsPanel", "분"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(PlainLabel(QCoreApplication::translate("StatusOptionsPanel", "배송 상태"), this));
    layout->addWidget(m_problem);
    layout->addWidget(m_enabled);
    auto* form = new QFormLayout;
    form->setRowWrapPolicy(QFormLayout::WrapLongRows);
    // Each field is named by its label, which is also its buddy, for screen readers.
    const auto addRow = [this, form](const QString& caption, QWidget* field) {
        QLabel* label = PlainLabel(caption, this);
        label->setBuddy(field);
        if (field->accessibleName().isEmpty()) {
            field->setAccessibleName(caption);
        }
        form->addRow(label, field);
    };
    addRow(QCoreApplication::translate("StatusOptionsPanel", "주소"), m_endpoint);
    addRow(QCoreApplication::translate("StatusOptionsPanel", "인증"), m_auth);
    addRow(QCoreApplication::translate("StatusOptionsPanel", "토큰 주소"), m_tokenUrl);
    addRow(QCoreApplication::translate("StatusOptionsPanel", "클라이언트 ID"), m_clientId);
    addRow(QCoreApplication::translate("StatusOptionsPanel", "비밀 키"), m_secret);
    addRow(QCoreApplication::translate("StatusOptionsPanel", "확인 간격"), m_interval);
    layout->addLayout(form);
    auto* check = new QHBoxLayout;
    check->addWidget(m_check);
    check->addWidget(m_checkResult, 1);
    layout->addLayout(check);
    layout->addWidget(m_keyNote);
    layout->addWidget(m_autoDone);
    layout->addWidget(m_notify);
    layout->addWidget(
        PlainLabel(QCoreApplication::translate("StatusOptionsPanel",
                                               "켜면 배송중인 각 배송정보의 택배 회사와 송장번호가 위 주소로 "
                                               "전송됩니다. 끄면 아무것도 전송하지 않습니다."),
                   this));
    layout->addStretch(1);
    connect(m_enabled, &QCheckBox::toggled, this, [this] { UpdateEnabled(); });
    connect(m_auth, &QComboBox::currentIndexChanged, this, [this] { UpdateEnabled(); });
    connect(m_check, &QPushButton::clicked, this, [this] { CheckConnection(); });
    Load(StatusSettings{}, {}, false, false);
}

void CStatusOptionsPanel::Load(const StatusSettings& settings, const QString& clientId, bool hasSecret,
                               bool memoryOnly) {
    m_enabled->setChecked(settings.enabled);
    m_endpoint->setText(QString::fromStdString(settings.endpoint));
    m_interval->setValue(settings.intervalMinutes);
    m_autoDone->setChecked(settings.autoDone);
    m_notify->setChecked(settings.notify);
    m_auth->setCurrentIndex(m_auth->findData(static_cast<int>(settings.auth)));
    m_tokenUrl->setText(QString::fromStdString(settings.tokenUrl));
    m_checkResult->clear();
    m_loadedClientId = clientId;
    m_clientId->setText(clientId);
    m_secret->clear();
    m_secret->setPlaceholderText(hasSecret ? QCoreApplication::translate("StatusOptionsPanel", "(저장됨)") : QString());
    m_keyNote->setText(memoryOnly
                           ? QCoreApplication::translate("StatusOptionsPanel",
                                                         "비밀 저장소를 쓸 수 없어 비밀 키는 프로그램을 닫을 때까지만 "
                                                         "기억합니다. 설정 파일에는 클라이언트 ID만 저장합니다.")
                           : QString());
    m_keyNote->setVisible(memoryOnly);
    UpdateEnabled();
}

StatusSettings CStatusOptionsPanel::Settings() const {
    StatusSettings settings;
    settings.enabled = m_enabled->isChecked();
    settings.endpoint = m_endpoint->text().trimmed().toStdString();
    settings.intervalMinutes = m_interval->value();
    settings.autoDone = m_autoDone->isChecked();
    settings.notify = m_notify->isChecked();
    settings.auth = static_cast<TrackingClient::Auth>(m_auth->currentData().toInt());
    settings.tokenUrl = m_tokenUrl->text().trimmed().toStdString();
    settings.clientId = ClientId().toStdString();
    return settings;
}

void CStatusOptionsPanel::ShowProblem(const QString& text) {
    m_problem->setText(text);
    m_problem->setVisible(!text.isEmpty());
}

bool CStatusOptionsPanel::KeyEdited() const {
    return !m_secret->text().isEmpty() || ClientId() != m_loadedClientId.trimmed();
}

QString CStatusOptionsPanel::ClientId() const {
    return m_clientId->text().trimmed();
}

QString CStatusOptionsPanel::ClientSecret() const {
    return m_secret->text().trimmed();
}

void CStatusOptionsPanel::UpdateEnabled() {
    const bool on = m_enabled->isChecked();
    for (QWidget* control :
         std::initializer_list<QWidget*>{m_endpoint, m_auth, m_clientId, m_secret, m_interval, m_autoDone, m_notify}) {
        control->setEnabled(on);
    }
    m_tokenUrl->setEnabled(on && Settings().auth == TrackingClient::Auth::OAuth2);
    m_check->setEnabled(on && !m_checkClient);
}

void CStatusOptionsPanel::CheckConnection() {
    const StatusSettings settings = Settings();
    const QString secret = ClientSecret().isEmpty() ? m_knownSecret : ClientSecret();
    const auto tell = [this](TrackingOutcome outcome) {
        m_checkResult->setText(QString::fromStdU16String(ConnectionCheckText(outcome)));
    };
    if (!settings.endpoint.empty() &&
        !IsAllowedServiceUrl(QUrl(QString::fromStdString(settings.endpoint), QUrl::StrictMode))) {
        tell(TrackingOutcome::Invalid);
        return;
    }
    if (settings.NeedsKey() && secret.isEmpty()) {
        m_checkResult->setText(QCoreApplication::translate(
            "StatusOptionsPanel", "이 서비스에는 키가 필요합니다: 클라이언트 ID와 비밀 키를 입력하십시오"));
        return;
    }
    std::unique_ptr<TrackingClient> client;
    if (m_clientFactory) {
        client = m_clientFactory(m_clock);
    } else if (std::string error; StatusServices* services = LoadStatusServices(&error)) {
        client = services->CreateClient(m_clock);
    } else {
        m_checkResult->setText(QString::fromStdU16String(ServicesUnavailableText(error)));
        return;
    }
    TrackingClient::Settings clientSettings = client->CurrentSettings();
    clientSettings.endpoint = settings.EffectiveEndpoint();
    clientSettings.auth = settings.auth;
    clientSettings.tokenUrl = settings.EffectiveTokenUrl();
    clientSettings.clientId = settings.clientId;
    clientSettings.clientSecret = secret.toStdString();
    client->SetSettings(clientSettings);
    m_checkClient = std::move(client);
    m_check->setEnabled(false);
    m_checkResult->setText(QCoreApplication::translate("StatusOptionsPanel", "확인하는 중…"));
    m_checkClient->CheckConnection([this, tell](const TrackingReply& reply) {
        tell(reply.outcome);
        // The client is done with: it goes once this call has returned.
        QMetaObject::invokeMethod(
            this,
            [this] {
                m_checkClient.reset();
                UpdateEnabled();
            },
            Qt::QueuedConnection);
    });
}

} // namespace parcelo
