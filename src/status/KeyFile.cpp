#include "status/KeyFile.h"

#include "platform/CharClass.h"
#include "platform/CodePage.h"
#include "platform/Translation.h"
#include "platform/Utf8.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace parcelo {

namespace {

KeyFile::Result Refuse(const std::string& path, std::u16string problem) {
    KeyFile::Result result;
    result.outcome = KeyFile::Outcome::Refused;
    result.path = path;
    result.problem = std::move(problem);
    return result;
}

std::u16string SystemError(int error) {
    return DecodeUtf8(std::strerror(error));
}

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
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
    const std::string credentials = Environment("CREDENTIALS_DIRECTORY");
    if (!credentials.empty()) {
        // systemd makes the folder this service's alone.
        const std::string path = credentials + (credentials.ends_with('/') ? "" : "/") + kCredentialName;
        struct stat info {};
        if (::stat(path.c_str(), &info) == 0 || errno != ENOENT) {
            return ReadFile(path, false);
        }
    }
    const std::string named = Environment("PARCELO_KEY_FILE");
    if (!named.empty()) {
        return ReadFile(named, true);
    }
    return {};
}

KeyFile::Result KeyFile::ReadFile(const std::string& path, bool ownerOnly) {
    const std::u16string shown = DecodeUtf8(path);
    // Non-blocking, so that a FIFO in its place cannot hold the program.
    const Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (file.Get() < 0) {
        return Refuse(path, FormatText(PARCELO_TR("KeyFile", "키 파일을 읽을 수 없습니다: %1 (%2)"),
                                       {shown, SystemError(errno)}));
    }
    struct stat info {};
    if (::fstat(file.Get(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > kMaxBytes) {
        return Refuse(path, FormatText(PARCELO_TR("KeyFile", "키 파일이 %1바이트 이하의 일반 파일이 아닙니다: %2"),
                                       {DecodeUtf8(std::to_string(kMaxBytes)), shown}));
    }
    if (ownerOnly && info.st_uid != ::geteuid()) {
        return Refuse(
            path,
            FormatText(PARCELO_TR("KeyFile", "키 파일의 소유자가 이 사용자가 아니어서 쓰지 않았습니다: %1"), {shown}));
    }
    if (ownerOnly && (info.st_mode & (S_IRWXG | S_IRWXO)) != 0) {
        return Refuse(path,
                      FormatText(PARCELO_TR("KeyFile", "키 파일을 다른 사용자도 읽거나 쓸 수 있어 쓰지 않았습니다: %1\n"
                                                       "소유자만 읽을 수 있게 하십시오 (chmod 600 %1)."),
                                 {shown}));
    }
    std::string bytes(static_cast<size_t>(kMaxBytes) + 1, '\0');
    size_t length = 0;
    while (length < bytes.size()) {
        const ssize_t got = ::read(file.Get(), bytes.data() + length, bytes.size() - length);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            return Refuse(path, FormatText(PARCELO_TR("KeyFile", "키 파일을 읽을 수 없습니다: %1 (%2)"),
                                           {shown, SystemError(errno)}));
        }
        if (got == 0) {
            break;
        }
        length += static_cast<size_t>(got);
    }
    bytes.resize(length);
    std::string_view text = bytes;
    if (text.starts_with("\xEF\xBB\xBF")) {
        text.remove_prefix(3);
    }
    const std::u16string line = DecodeUtf8(text.substr(0, text.find('\n')));
    const std::u16string_view trimmed = TrimSpaces(line);
    const size_t colon = trimmed.find(u':');
    Result result;
    result.path = path;
    if (colon != std::u16string_view::npos) {
        result.clientId = Utf16ToUtf8(TrimSpaces(trimmed.substr(0, colon)));
        result.clientSecret = Utf16ToUtf8(TrimSpaces(trimmed.substr(colon + 1)));
    }
    if (result.clientId.empty() || result.clientSecret.empty()) {
        return Refuse(path, FormatText(PARCELO_TR("KeyFile", "키 파일의 형식이 맞지 않습니다: %1\n"
                                                             "한 줄에 \"클라이언트 ID:비밀 키\"를 적으십시오."),
                                       {shown}));
    }
    result.outcome = Outcome::Ok;
    return result;
}

} // namespace parcelo
