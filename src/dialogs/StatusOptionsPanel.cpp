#include "dialogs/StatusOptionsPanel.h"

#include "platform/TrackingClient.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
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
    : QWidget(parent), m_enabled(new QCheckBox(QStringLiteral("배송 상태 자동 확인"), this)),
      m_endpoint(new QLineEdit(this)), m_clientId(new QLineEdit(this)), m_secret(new QLineEdit(this)),
      m_interval(new QSpinBox(this)), m_autoDone(new QCheckBox(QStringLiteral("배송완료 시 자동으로 완료 처리"), this)),
      m_notify(new QCheckBox(QStringLiteral("상태가 바뀌면 알림 표시"), this)), m_keyNote(PlainLabel({}, this)),
      m_problem(PlainLabel({}, this)) {
    setObjectName(QStringLiteral("StatusOptions"));
    m_problem->setObjectName(QStringLiteral("StatusProblem"));
    m_problem->setAccessibleName(QStringLiteral("배송 상태 확인 문제"));
    m_problem->hide();
    m_endpoint->setPlaceholderText(QString::fromLatin1(TrackingClient::kDefaultEndpoint));
    m_secret->setEchoMode(QLineEdit::Password);
    m_interval->setRange(StatusSettings::kMinIntervalMinutes, StatusSettings::kMaxIntervalMinutes);
    m_interval->setSuffix(QStringLiteral("분"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(PlainLabel(QStringLiteral("배송 상태"), this));
    layout->addWidget(m_problem);
    layout->addWidget(m_enabled);
    auto* form = new QFormLayout;
    form->setRowWrapPolicy(QFormLayout::WrapLongRows);
    form->addRow(PlainLabel(QStringLiteral("주소"), this), m_endpoint);
    form->addRow(PlainLabel(QStringLiteral("클라이언트 ID"), this), m_clientId);
    form->addRow(PlainLabel(QStringLiteral("비밀 키"), this), m_secret);
    form->addRow(PlainLabel(QStringLiteral("확인 간격"), this), m_interval);
    layout->addLayout(form);
    layout->addWidget(m_keyNote);
    layout->addWidget(m_autoDone);
    layout->addWidget(m_notify);
    layout->addWidget(PlainLabel(QStringLiteral("켜면 배송중인 각 배송정보의 택배 회사와 송장번호가 위 주소로 "
                                                "전송됩니다. 끄면 아무것도 전송하지 않습니다."),
                                 this));
    layout->addStretch(1);
    connect(m_enabled, &QCheckBox::toggled, this, [this] { UpdateEnabled(); });
    Load(StatusSettings{}, {}, false, false);
}

void CStatusOptionsPanel::Load(const StatusSettings& settings, const QString& clientId, bool hasSecret,
                               bool memoryOnly) {
    m_enabled->setChecked(settings.enabled);
    m_endpoint->setText(settings.endpoint);
    m_interval->setValue(settings.intervalMinutes);
    m_autoDone->setChecked(settings.autoDone);
    m_notify->setChecked(settings.notify);
    m_loadedClientId = clientId;
    m_clientId->setText(clientId);
    m_secret->clear();
    m_secret->setPlaceholderText(hasSecret ? QStringLiteral("(저장됨)") : QString());
    m_keyNote->setText(memoryOnly ? QStringLiteral("비밀 저장소를 쓸 수 없어 키는 프로그램을 닫을 때까지만 "
                                                   "기억합니다. 설정 파일에는 저장하지 않습니다.")
                                  : QString());
    m_keyNote->setVisible(memoryOnly);
    UpdateEnabled();
}

StatusSettings CStatusOptionsPanel::Settings() const {
    StatusSettings settings;
    settings.enabled = m_enabled->isChecked();
    settings.endpoint = m_endpoint->text().trimmed();
    settings.intervalMinutes = m_interval->value();
    settings.autoDone = m_autoDone->isChecked();
    settings.notify = m_notify->isChecked();
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
         std::initializer_list<QWidget*>{m_endpoint, m_clientId, m_secret, m_interval, m_autoDone, m_notify}) {
        control->setEnabled(on);
    }
}

} // namespace parcelo
