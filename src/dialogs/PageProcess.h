#pragma once

#include "pageprotocol/PageProtocol.h"

#include <QObject>
#include <QProcess>
#include <QString>
#include <QTimer>

namespace parcelo {

// parcelo-page, the tracking page's process, as the program runs it: started on
// demand in a process group of its own, spoken to over its standard input and output
// (PageProtocol), and ended with every process of its group (the web engine's helpers
// too), so that all of their memory goes with the page. A page that does not start,
// dies, says it is ready too late or sends anything but a well-formed line of its own
// is ended and reported through `failed`, once.
class CPageProcess : public QObject {
    Q_OBJECT
public:
    enum class Failure { NotStarted, Died, NoAnswer, Refused };

    explicit CPageProcess(QObject* parent = nullptr);
    ~CPageProcess() override;

    // The program: PARCELO_PAGE_PROGRAM when set, else parcelo-page beside this program,
    // else the one the build made.
    static QString ProgramPath();

    // Starts the page; it must say it is ready within `answerMs`.
    void Start(int answerMs);
    // Sends `message`, when the page runs; commands wait in the pipe until it reads them.
    void Send(const PageMessage& message);
    // Ends the page's whole process group and waits for the page to end. Reports nothing.
    void Close();
    bool IsRunning() const { return m_process.state() != QProcess::NotRunning; }
    bool IsReady() const { return m_ready; }
    // The page's window, once it is ready.
    int64_t WindowId() const { return m_windowId; }
    qint64 ProcessId() const { return m_process.processId(); }

    // Korean words for a failure, for the message box.
    static QString FailureText(Failure failure, const QString& detail, int answerMs);

signals:
    void received(const parcelo::PageMessage& message);
    void failed(parcelo::CPageProcess::Failure failure, const QString& detail);

private:
    void OnOutput();
    void Fail(Failure failure, const QString& detail);

    QProcess m_process;
    PageLineReader m_reader;
    QTimer m_answerTimer;
    qint64 m_group = 0;
    bool m_ready = false;
    int64_t m_windowId = 0;
    bool m_closing = false;
    bool m_failed = false;
};

} // namespace parcelo
