#include "pageprotocol/PageProtocol.h"

#include <array>
#include <charconv>

namespace parcelo {
namespace {

enum class Argument { Number, Text, KeyName };

struct VerbRule {
    PageVerb verb;
    std::string_view name;
    PageSender sender;
    std::vector<Argument> arguments;
    int64_t low = 0; // bounds of every number argument
    int64_t high = 0;
};

constexpr int64_t kCoordinate = 1 << 20;

const std::vector<VerbRule>& Rules() {
    using enum PageVerb;
    static const std::vector<VerbRule> rules = {
        {Scale, "scale", PageSender::Program, {Argument::Number}, 100, 10000},
        {Zoom, "zoom", PageSender::Program, {Argument::Number}, 0, 4},
        {Shrink, "shrink", PageSender::Program, {Argument::Number}, 0, 1},
        {Open, "open", PageSender::Program, {Argument::Text}},
        {Stop, "stop", PageSender::Program, {}},
        {Place,
         "place",
         PageSender::Program,
         {Argument::Number, Argument::Number, Argument::Number, Argument::Number},
         -kCoordinate,
         kCoordinate},
        {Show, "show", PageSender::Program, {}},
        {Quit, "quit", PageSender::Program, {}},
        {Eval, "eval", PageSender::Program, {Argument::Text}},
        {Press, "press", PageSender::Program, {Argument::KeyName}},
        {Ready, "ready", PageSender::Page, {Argument::Number}, 0, int64_t{0xffffffff}},
        {Loading, "loading", PageSender::Page, {}},
        {Loaded, "loaded", PageSender::Page, {}},
        {Key, "key", PageSender::Page, {Argument::KeyName}},
        {Result, "result", PageSender::Page, {Argument::Text}},
    };
    return rules;
}

constexpr std::array<std::string_view, 2> kKeyNames = {"tools", "close"};

bool IsKeyName(std::string_view word) {
    for (const std::string_view name : kKeyNames) {
        if (word == name) {
            return true;
        }
    }
    return false;
}

const VerbRule* FindRule(PageVerb verb) {
    for (const VerbRule& rule : Rules()) {
        if (rule.verb == verb) {
            return &rule;
        }
    }
    return nullptr;
}

bool IsUnreserved(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
           c == '_' || c == '~';
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1; // upper case only, so that every text has one spelling
}

std::optional<int64_t> ParseNumber(std::string_view word, int64_t low, int64_t high) {
    // No sign but "-", no leading zeros, no more digits than a bound can need.
    const std::size_t digitsFrom = !word.empty() && word[0] == '-' ? 1 : 0;
    if (word.size() <= digitsFrom || word.size() > 11 || (word[digitsFrom] == '0' && word.size() > digitsFrom + 1) ||
        word == "-0") {
        return std::nullopt;
    }
    int64_t value = 0;
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (error != std::errc() || end != word.data() + word.size() || value < low || value > high) {
        return std::nullopt;
    }
    return value;
}

bool IsPrintable(char c) {
    return c >= 0x20 && c <= 0x7e;
}

} // namespace

std::string PercentEncode(std::string_view bytes) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    encoded.reserve(bytes.size());
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (IsUnreserved(byte)) {
            encoded.push_back(c);
        } else {
            encoded.push_back('%');
            encoded.push_back(kHex[byte >> 4]);
            encoded.push_back(kHex[byte & 0xf]);
        }
    }
    return encoded;
}

std::optional<std::string> PercentDecode(std::string_view encoded) {
    std::string decoded;
    decoded.reserve(encoded.size());
    for (std::size_t i = 0; i < encoded.size(); ++i) {
        const auto c = static_cast<unsigned char>(encoded[i]);
        if (c == '%') {
            if (i + 2 >= encoded.size()) {
                return std::nullopt;
            }
            const int high = HexValue(encoded[i + 1]);
            const int low = HexValue(encoded[i + 2]);
            if (high < 0 || low < 0 || IsUnreserved(static_cast<unsigned char>(high << 4 | low))) {
                return std::nullopt; // a byte that stands for itself is never escaped
            }
            decoded.push_back(static_cast<char>(high << 4 | low));
            i += 2;
        } else if (IsUnreserved(c)) {
            decoded.push_back(static_cast<char>(c));
        } else {
            return std::nullopt;
        }
    }
    return decoded;
}

std::string FormatPageLine(const PageMessage& message) {
    const VerbRule* rule = FindRule(message.verb);
    if (rule == nullptr) {
        return {};
    }
    std::string line(rule->name);
    std::size_t number = 0;
    for (const Argument argument : rule->arguments) {
        line.push_back(' ');
        switch (argument) {
        case Argument::Number:
            if (number >= message.numbers.size() || message.numbers[number] < rule->low ||
                message.numbers[number] > rule->high) {
                return {};
            }
            line += std::to_string(message.numbers[number++]);
            break;
        case Argument::Text:
            line += PercentEncode(message.text);
            break;
        case Argument::KeyName:
            if (!IsKeyName(message.text)) {
                return {};
            }
            line += message.text;
            break;
        }
    }
    if (number != message.numbers.size() || line.size() + 1 > kPageLineLimit) {
        return {};
    }
    line.push_back('\n');
    return line;
}

std::optional<PageMessage> ParsePageLine(std::string_view line, PageSender sender) {
    if (line.size() + 1 > kPageLineLimit) {
        return std::nullopt;
    }
    for (const char c : line) {
        if (!IsPrintable(c)) {
            return std::nullopt;
        }
    }
    std::vector<std::string_view> words;
    for (std::size_t from = 0;;) {
        const std::size_t space = line.find(' ', from);
        words.push_back(line.substr(from, space == std::string_view::npos ? std::string_view::npos : space - from));
        if (space == std::string_view::npos) {
            break;
        }
        from = space + 1;
    }
    for (const VerbRule& rule : Rules()) {
        if (rule.name != words[0]) {
            continue;
        }
        if (rule.sender != sender || words.size() != rule.arguments.size() + 1) {
            return std::nullopt;
        }
        PageMessage message;
        message.verb = rule.verb;
        for (std::size_t i = 0; i < rule.arguments.size(); ++i) {
            const std::string_view word = words[i + 1];
            switch (rule.arguments[i]) {
            case Argument::Number: {
                const std::optional<int64_t> value = ParseNumber(word, rule.low, rule.high);
                if (!value) {
                    return std::nullopt;
                }
                message.numbers.push_back(*value);
                break;
            }
            case Argument::Text: {
                std::optional<std::string> text = PercentDecode(word);
                if (!text) {
                    return std::nullopt;
                }
                message.text = std::move(*text);
                break;
            }
            case Argument::KeyName:
                if (!IsKeyName(word)) {
                    return std::nullopt;
                }
                message.text = word;
                break;
            }
        }
        return message;
    }
    return std::nullopt;
}

bool PageLineReader::Feed(std::string_view bytes) {
    if (m_broken) {
        return false;
    }
    m_pending.append(bytes);
    std::size_t start = 0;
    for (; m_scanned < m_pending.size(); ++m_scanned) {
        const char c = m_pending[m_scanned];
        if (c == '\n') {
            m_lines.emplace_back(m_pending, start, m_scanned - start);
            start = m_scanned + 1;
        } else if (!IsPrintable(c) || m_scanned - start + 1 >= kPageLineLimit) {
            m_broken = true;
            m_pending.clear();
            m_scanned = 0;
            return false;
        }
    }
    m_pending.erase(0, start);
    m_scanned -= start;
    return true;
}

std::optional<std::string> PageLineReader::TakeLine() {
    if (m_next >= m_lines.size()) {
        m_lines.clear();
        m_next = 0;
        return std::nullopt;
    }
    return std::move(m_lines[m_next++]);
}

} // namespace parcelo
