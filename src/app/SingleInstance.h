#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <memory>

class QWidget;

// Keeps one running program per data folder, however the folder is reached (a
// symbolic link, another XDG_RUNTIME_DIR). The first start takes an exclusive
// lock on a lock file in the data folder, listens on a local socket in its own
// runtime folder and writes the socket's path into the lock file. A later start
// for the same folder finds the lock taken, reads that path and asks the running
// program, over the socket, to bring its window to the front, then ends. The lock
// goes with the process that holds it, so a crash leaves nothing that blocks a start.
namespace parcelo {

class SingleInstance {
public:
    // Runs for each later start with the activation token its launcher gave it
    // (XDG_ACTIVATION_TOKEN on Wayland, DESKTOP_STARTUP_ID on X11), empty for none.
    using ActivateHandler = std::function<void(const QByteArray& activationToken)>;

    // `key` names the program; `dataFolder` holds the data that one running
    // program at a time may use (created when missing).
    SingleInstance(const QString& key, const QString& dataFolder);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // True when another instance is running and has acknowledged the request to
    // come to the front: this process should then end with code 0. False when
    // this process is the first (it now holds the lock), when the lock file
    // cannot be made, or when the running one does not answer within
    // `timeoutMs`; a start is never refused.
    bool HandOverToRunning(int timeoutMs = 3000);

    // Answers later starts from now on; `onActivateRequest` runs on this
    // thread's event loop for each of them. False when this process does not
    // hold the lock (call HandOverToRunning first) or the socket cannot be opened,
    // which includes a socket path too long for the system's socket addresses.
    bool Listen(ActivateHandler onActivateRequest);

    bool IsListening() const;
    // Full paths of the socket this process listens on as the first, and of the lock file.
    QString ServerName() const { return m_serverName; }
    QString LockFileName() const { return m_lockFileName; }

    // Raises and activates `window`, unminimised, when it is shown; a window not
    // shown yet (the program is still starting) stays hidden. An open modal
    // dialog, such as a start-up message, is raised above it, since that is
    // where the user has to continue.
    // `activationToken`, from a later start, is handed to the window system first
    // (HandTokenToPlatform), which then lets the window come forward. On X11, where
    // Qt ends a launch only when it maps a window, the token of a window shown
    // already is put on that window and its launch ended here, so that the
    // launcher's busy cursor stops.
    static void BringToFront(QWidget* window, const QByteArray& activationToken = {});
    // On Wayland the token goes where Qt's platform takes it for the next
    // activation; on X11 it becomes the startup id of Qt's X11 platform (Qt's
    // "setstartupid" hook). False for an empty token or another platform.
    static bool HandTokenToPlatform(const QByteArray& token);
    // The startup-notification message that ends the launch `startupId`.
    static QByteArray StartupRemoveMessage(const QByteArray& startupId);

private:
    enum class LockState { Taken, HeldByAnother, Unavailable };
    class Server;

    LockState TakeLock();
    QString RunningServerName() const;
    bool AskRunningToActivate(int timeoutMs, const QByteArray& token) const;
    void PublishServerName(const QString& name) const;

    QString m_serverName;
    QString m_lockFileName;
    ActivateHandler m_onActivateRequest;
    int m_lockFd = -1;
    bool m_locked = false;
    // Closed before the lock goes, so that nobody is sent to a socket of a program that has ended.
    std::unique_ptr<Server> m_server;
};

} // namespace parcelo
