#include "platform/KeyFile.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace parcelo {

namespace {

KeyFile::Result Refuse(const QString& path, const QString& problem) {
    KeyFile::Result result;
    result.outcome = KeyFile::Outcome::Refused;
    result.path = path;
    result.problem = problem;
    return result;
}

QString SystemError(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

// Closes the descriptor however the read ends.
class Descriptor {
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const { return m_fd; }

private:
    int m_fd;
};

} // namespace

KeyFile::Result KeyFile::Read() {
    const QString credentials = qEnvironmentVariable("CREDENTIALS_DIRECTORY");
    if (!credentials.isEmpty()) {
        // systemd makes the folder this service's alone.
        const QString path = QDir(credentials).filePath(QString::fromLatin1(kCredentialName));
        struct stat info {};
        if (::stat(QFile::encodeName(path).constData(), &info) == 0 || errno != ENOENT) {
            return ReadFile(path, false);
        }
    }
    const QString named = qEnvironmentVariable("PARCELO_KEY_FILE");
    if (!named.isEmpty()) {
        return ReadFile(named, true);
    }
    return {};
}

KeyFile::Result KeyFile::ReadFile(const QString& path, bool ownerOnly) {
    // Non-blocking, so that a FIFO in its place cannot hold the program.
    const Descriptor file(::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (file.Get() < 0) {
        return Refuse(path, QCoreApplication::translate("KeyFile", "키 파일을 읽을 수 없습니다: %1 (%2)")
                                .arg(path, SystemError(errno)));
    }
    struct stat info {};
    if (::fstat(file.Get(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > kMaxBytes) {
        return Refuse(path, QCoreApplication::translate("KeyFile", "키 파일이 %1바이트 이하의 일반 파일이 아닙니다: %2")
                                .arg(kMaxBytes)
                                .arg(path));
    }
    if (ownerOnly && info.st_uid != ::geteuid()) {
        return Refuse(
            path, QCoreApplication::translate("KeyFile", "키 파일의 소유자가 이 사용자가 아니어서 쓰지 않았습니다: %1")
                      .arg(path));
    }
    if (ownerOnly && (info.st_mode & (S_IRWXG | S_IRWXO)) != 0) {
        return Refuse(path, QCoreApplication::translate(
                                "KeyFile", "키 파일을 다른 사용자도 읽거나 쓸 수 있어 쓰지 않았습니다: %1\n"
                                           "소유자만 읽을 수 있게 하십시오 (chmod 600 %1).")
                                .arg(path));
    }
    QByteArray bytes(static_cast<qsizetype>(kMaxBytes) + 1, '\0');
    qsizetype length = 0;
    while (length < bytes.size()) {
        const ssize_t got = ::read(file.Get(), bytes.data() + length, static_cast<size_t>(bytes.size() - length));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            return Refuse(path, QCoreApplication::translate("KeyFile", "키 파일을 읽을 수 없습니다: %1 (%2)")
                                    .arg(path, SystemError(errno)));
        }
        if (got == 0) {
            break;
        }
        length += got;
    }
    bytes.truncate(length);
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        bytes.remove(0, 3);
    }
    const qsizetype lineEnd = bytes.indexOf('\n');
    const QString line = QString::fromUtf8(lineEnd < 0 ? bytes : bytes.left(lineEnd)).trimmed();
    const qsizetype colon = line.indexOf(u':');
    Result result;
    result.path = path;
    result.clientId = colon < 0 ? QString() : line.left(colon).trimmed();
    result.clientSecret = colon < 0 ? QString() : line.mid(colon + 1).trimmed();
    if (result.clientId.isEmpty() || result.clientSecret.isEmpty()) {
        return Refuse(path, QCoreApplication::translate("KeyFile", "키 파일의 형식이 맞지 않습니다: %1\n"
                                                                   "한 줄에 \"클라이언트 ID:비밀 키\"를 적으십시오.")
                                .arg(path));
    }
    result.outcome = Outcome::Ok;
    return result;
}

} // namespace parcelo
