#include "config/IniReader.h"

#include "platform/CharClass.h"
#include "platform/CodePage.h"

#include <array>
#include <cerrno>
#include <fcntl.h>
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

std::string ReadToEnd(const FileDescriptor& file) {
    std::string bytes;
    std::array<char, std::size_t{64} * 1024> chunk;
    for (;;) {
        const ssize_t count = ::read(file.Get(), chunk.data(), chunk.size());
        if (count == 0) {
            return bytes;
        }
        if (count < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw std::system_error(errno, std::generic_category(), "reading the configuration file");
        }
        bytes.append(chunk.data(), static_cast<size_t>(count));
    }
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

bool CIniReader::Load(const std::u16string& path) {
    if (path.size() >= kMaxPathUnits || path.find(u'\0') != std::u16string::npos) {
        return false;
    }
    const FileDescriptor file(::open(Utf16ToUtf8(path).c_str(), O_RDONLY | O_CLOEXEC));
    if (!file.IsOpen()) {
        return false;
    }
    LoadText(ReadToEnd(file));
    return true;
}

void CIniReader::LoadText(std::string_view bytes) {
    bytes = bytes.substr(0, bytes.find('\0'));
    const std::u16string text = DecodeConfigText(bytes);
    const std::u16string_view rest(text);

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
