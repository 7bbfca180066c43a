#include "dialogs/PageProcess.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <csignal>
#include <sys/prctl.h>
#include <unistd.h>

namespace parcelo {
namespace {

constexpr int kEndWaitMs = 3000;

// The variables the program sets for its own drawing; the page keeps Qt's own high-DPI
// scaling and is told the program's scale instead.
constexpr const char* kProgramOnlyVariables[] = {"QT_ENABLE_HIGHDPI_SCALING", "QT_FONT_DPI"};

} // namespace

CPageProcess::CPageProcess(QObject* parent) : QObject(parent) {
    m_answerTimer.setSingleShot(true);
    connect(&m_answerTimer, &QTimer::timeout, this, [this] { Fail(Failure::NoAnswer, {}); });
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.setChildProcessModifier([] {
        ::setpgid(0, 0);                    // a group of its own, which the web engine's helpers join
        ::prctl(PR_SET_PDEATHSIG, SIGTERM); // and it ends should the program end first
    });
    connect(&m_process, &QProcess::readyReadStandardOutput, this, &CPageProcess::OnOutput);
    connect(&m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            Fail(Failure::NotStarted, m_process.errorString());
        }
    });
    connect(&m_process, &QProcess::finished, this, [this](int code, QProcess::ExitStatus status) {
        if (!m_closing) {
            Fail(Failure::Died, status == QProcess::CrashExit
                                    ? QCoreApplication::translate("PageProcess", "비정상 종료")
                                    : QCoreApplication::translate("PageProcess", "종료 코드 %1").arg(code));
        }
    });
}

CPageProcess::~CPageProcess() {
    Close();
}

QString CPageProcess::ProgramPath() {
    const QString chosen = qEnvironmentVariable("PARCELO_PAGE_PROGRAM");
    if (!chosen.isEmpty()) {
        return chosen;
    }
    const QString beside = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("parcelo-page"));
    if (QFileInfo(beside).isExecutable()) {
        return beside;
    }
    return QStringLiteral(PARCELO_PAGE_BUILD_PATH);
}

void CPageProcess::Start(int answerMs) {
    if (IsRunning()) {
        return;
    }
    m_ready = false;
    m_closing = false;
    m_failed = false;
    m_reader = PageLineReader();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : kProgramOnlyVariables) {
        environment.remove(QString::fromLatin1(name));
    }
    m_process.setProcessEnvironment(environment);
    m_process.start(ProgramPath(), {});
    if (m_process.state() == QProcess::NotRunning) {
        return; // errorOccurred has told
    }
    m_group = m_process.processId();
    m_answerTimer.start(answerMs);
}

void CPageProcess::Send(const PageMessage& message) {
    const std::string line = FormatPageLine(message);
    if (!line.empty() && m_process.state() != QProcess::NotRunning && !m_closing) {
        m_process.write(line.data(), static_cast<qint64>(line.size()));
    }
}

void CPageProcess::OnOutput() {
    const QByteArray bytes = m_process.readAllStandardOutput();
    if (m_closing || m_failed) {
        return;
    }
    if (!m_reader.Feed(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())))) {
        Fail(Failure::Refused, QStringLiteral("a line that is not printable ASCII or too long"));
        return;
    }
    while (const std::optional<std::string> line = m_reader.TakeLine()) {
        const std::optional<PageMessage> message = ParsePageLine(*line, PageSender::Page);
        if (!message || (message->verb == PageVerb::Ready) == m_ready) {
            // Ready comes first and once.
            Fail(Failure::Refused, QString::fromLatin1(line->substr(0, 80)));
            return;
        }
        if (message->verb == PageVerb::Ready) {
            m_ready = true;
            m_windowId = message->numbers[0];
            m_answerTimer.stop();
        }
        emit received(*message);
        if (m_closing || m_failed) {
            return; // the receiver has closed the page
        }
    }
}

void CPageProcess::Fail(Failure failure, const QString& detail) {
    if (m_failed || m_closing) {
        return;
    }
    m_failed = true;
    Close();
    emit failed(failure, detail);
}

void CPageProcess::Close() {
    m_answerTimer.stop();
    if (m_closing) {
        return;
    }
    m_closing = true;
    if (m_group > 0) {
        ::kill(static_cast<pid_t>(-m_group), SIGTERM);
    }
    if (m_process.state() != QProcess::NotRunning && !m_process.waitForFinished(kEndWaitMs)) {
        m_process.kill();
        m_process.waitForFinished(kEndWaitMs);
    }
    if (m_group > 0) {
        // Helpers that outlive the page are in its group still.
        ::kill(static_cast<pid_t>(-m_group), SIGKILL);
        m_group = 0;
    }
}

QString CPageProcess::FailureText(Failure failure, const QString& detail, int answerMs) {
    switch (failure) {
    case Failure::NotStarted:
        return QCoreApplication::translate(
                   "PageProcess", "배송 조회 페이지를 열 수 없습니다: 조회 화면 프로그램(%1)을 시작하지 못했습니다.\n\n"
                                  "Parcelo를 다시 설치하십시오.\n\n(%2)")
            .arg(ProgramPath(), detail);
    case Failure::Died:
        return QCoreApplication::translate(
                   "PageProcess", "배송 조회 페이지가 예기치 않게 닫혔습니다: 조회 화면 프로그램이 끝났습니다(%1).\n\n"
                                  "다시 열어 보십시오.")
            .arg(detail);
    case Failure::NoAnswer:
        return QCoreApplication::translate(
                   "PageProcess", "배송 조회 페이지를 열 수 없습니다: 조회 화면 프로그램이 %1초 동안 응답하지 않아 "
                                  "닫았습니다.\n\n잠시 후 다시 열어 보십시오.")
            .arg((answerMs + 999) / 1000);
    case Failure::Refused:
        return QCoreApplication::translate(
            "PageProcess", "배송 조회 페이지를 닫았습니다: 조회 화면 프로그램이 알 수 없는 응답을 보냈습니다.\n\n"
                           "Parcelo를 다시 설치하십시오.");
    }
    return {};
}

} // namespace parcelo
