#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QString>
#include <functional>
#include <memory>

class QWidget;

// Keeps one running program per user and per set of user folders. The first
// start takes a lock file and listens on a local socket next to it; a later
// start finds the lock taken and asks the running program, over the socket, to
// bring its window to the front, then ends. The lock records its owner's
// process id, so a lock left behind by a crash is taken over at the next start.
namespace parcelo {

class SingleInstance {
public:
    // `key` names the program. The user id and a digest of the user's
    // configuration and data folders are added, so that another account or
    // another XDG home (a test, a second profile) runs its own instance.
    explicit SingleInstance(const QString& key);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // True when another instance is running and has acknowledged the request to
    // come to the front: this process should then end with code 0. False when
    // this process is the first (it now holds the lock) or when the running one
    // does not answer within `timeoutMs`; a start is never refused.
    bool HandOverToRunning(int timeoutMs = 3000);

    // Answers later starts from now on; `onActivateRequest` runs on this
    // thread's event loop for each of them. False when this process does not
    // hold the lock (call HandOverToRunning first) or the socket cannot be opened.
    bool Listen(std::function<void()> onActivateRequest);

    bool IsListening() const;
    // Full paths of the socket and of the lock file.
    QString ServerName() const { return m_serverName; }
    QString LockFileName() const { return m_lockFileName; }

    // Raises and activates `window`, unminimised, when it is shown; a window not
    // shown yet (the program is still starting) stays hidden. An open modal
    // dialog, such as a start-up message, is raised above it, since that is
    // where the user has to continue.
    static void BringToFront(QWidget* window);

private:
    bool TakeLock();
    bool AskRunningToActivate(int timeoutMs) const;
    void AcceptConnections();

    QString m_serverName;
    QString m_lockFileName;
    std::function<void()> m_onActivateRequest;
    // Declared before the server so that the socket closes before the lock goes.
    std::unique_ptr<QLockFile> m_lock;
    std::unique_ptr<QLocalServer> m_server;
};

} // namespace parcelo
