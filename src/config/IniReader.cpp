#include "config/IniReader.h"

#include "platform/CharClass.h"
#include "platform/CodePage.h"
#include "platform/Utf8.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace parcelo {

namespace {

// Paths of this length or more are refused, as on the system the files come from.
constexpr size_t kMaxPathUnits = 260;

// Owns one open file descriptor.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    bool IsOpen() const { return m_fd >= 0; }
    int Get() const { return m_fd; }

private:
    int m_fd;
};

// Reads at most `limit` bytes and one more, so that a file that grew past the
// limit after it was checked is still noticed.
std::string ReadAtMost(const FileDescriptor& file, size_t limit) {
    std::string bytes;
    std::array<char, std::size_t{64} * 1024> chunk;
    while (bytes.size() <= limit) {
        const size_t wanted = std::min(chunk.size(), limit + 1 - bytes.size());
        const ssize_t count = ::read(file.Get(), chunk.data(), wanted);
        if (count == 0) {
            break;
        }
        if (count < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw std::system_error(errno, std::generic_category(), "reading the configuration file");
        }
        bytes.append(chunk.data(), static_cast<size_t>(count));
    }
    return bytes;
}

IniFileStatus CheckFile(const struct stat& info) {
    if (!S_ISREG(info.st_mode)) {
        return IniFileStatus::NotRegularFile;
    }
    if (static_cast<uintmax_t>(info.st_size) > IniMaxFileBytes) {
        return IniFileStatus::TooLarge;
    }
    return IniFileStatus::Loaded;
}

std::u16string_view TrimEnd(std::u16string_view text) {
    while (!text.empty() && IsPlatformSpace(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

std::u16string_view TrimStart(std::u16string_view text) {
    while (!text.empty() && IsPlatformSpace(text.front())) {
        text.remove_prefix(1);
    }
    return text;
}

} // namespace

CIniReader::CIniReader() = default;

CIniReader::~CIniReader() = default;

IniFileStatus CIniReader::LoadFile(const std::u16string& path) {
    if (path.size() >= kMaxPathUnits) {
        return IniFileStatus::PathTooLong;
    }
    if (path.find(u'\0') != std::u16string::npos) {
        return IniFileStatus::NotFound;
    }
    // Looked at before it is opened, so that a device or a FIFO is never opened at
    // all; looked at again once open, in case the path was swapped in between.
    const std::string name = Utf16ToUtf8(path);
    struct stat info {};
    if (::stat(name.c_str(), &info) != 0) {
        return IniFileStatus::NotFound;
    }
    if (const IniFileStatus status = CheckFile(info); status != IniFileStatus::Loaded) {
        return status;
    }
    const FileDescriptor file(::open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (!file.IsOpen()) {
        return IniFileStatus::NotFound;
    }
    if (::fstat(file.Get(), &info) != 0) {
        throw std::system_error(errno, std::generic_category(), "reading the configuration file");
    }
    if (const IniFileStatus status = CheckFile(info); status != IniFileStatus::Loaded) {
        return status;
    }
    const std::string bytes = ReadAtMost(file, IniMaxFileBytes);
    if (bytes.size() > IniMaxFileBytes) {
        return IniFileStatus::TooLarge;
    }
    LoadText(bytes);
    return IniFileStatus::Loaded;
}

bool CIniReader::Load(const std::u16string& path) {
    return LoadFile(path) == IniFileStatus::Loaded;
}

void CIniReader::LoadText(std::string_view bytes) {
    const std::u16string text = DecodeConfigText(bytes);
    // The text ends at its first NUL; a UTF-16 file has zero bytes all through
    // it, so this is decided on the decoded text, not on the bytes.
    const std::u16string_view rest = std::u16string_view(text).substr(0, text.find(u'\0'));

    constexpr std::u16string_view kLineBreaks = u"\r\n";
    size_t start = rest.find_first_not_of(kLineBreaks);
    while (start != std::u16string_view::npos) {
        const size_t end = rest.find_first_of(kLineBreaks, start);
        ParseLine(rest.substr(start, end == std::u16string_view::npos ? end : end - start));
        start = rest.find_first_not_of(kLineBreaks, end);
    }
}

void CIniReader::ParseLine(std::u16string_view line) {
    const size_t equals = line.find(u'=');
    if (equals == 0 || equals == std::u16string_view::npos) {
        return;
    }
    const std::u16string_view key = TrimEnd(line.substr(0, equals));
    const std::u16string_view value = TrimStart(line.substr(equals + 1));
    m_table.insert_or_assign(std::u16string(key), std::u16string(value));
}

std::u16string CIniReader::GetValue(const std::u16string& key) const {
    const auto found = m_table.find(key);
    return found == m_table.end() ? std::u16string() : found->second;
}

} // namespace parcelo
