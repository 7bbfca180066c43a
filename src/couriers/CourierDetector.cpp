#include "couriers/CourierDetector.h"

#include "config/IniReader.h"
#include "couriers/CheckRules.h"
#include "platform/NumberNormaliser.h"
#include "platform/Utf8.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <map>
#include <optional>
#include <re2/re2.h>
#include <re2/set.h>

namespace parcelo {

namespace {

constexpr int kMaxCouriers = 99;
// Memory for one compiled pattern, and for all of them together in the set that
// Detect runs. A pattern that needs more does not compile and is reported.
constexpr int64_t kPatternMemory = int64_t{1} << 20;
constexpr int64_t kSetMemory = int64_t{16} << 20;
// Typed text longer than this is not even normalised: it cannot be a number.
constexpr size_t kMaxTypedLength = 1024;
// How much of a faulty value a log line quotes.
constexpr size_t kMaxQuotedBytes = 80;

std::u16string_view Trim(std::u16string_view text) {
    return TrimWhere(text, IsNumberBlank);
}

std::string KeyName(const char* prefix, int courierIndex) {
    char key[24];
    std::snprintf(key, sizeof key, "%s%02d", prefix, courierIndex + 1);
    return key;
}

// Text from the courier file or from RE2, made safe for one log line: control
// characters (C0, DEL and the C1 range) become '?', and long text is cut at a
// character boundary.
std::string Quote(std::string_view utf8) {
    std::string quoted;
    for (size_t i = 0; i < utf8.size(); ++i) {
        const auto byte = static_cast<unsigned char>(utf8[i]);
        if (quoted.size() >= kMaxQuotedBytes && (byte & 0xC0) != 0x80) {
            quoted += "...";
            break;
        }
        const bool c1 = byte == 0xC2 && i + 1 < utf8.size() && static_cast<unsigned char>(utf8[i + 1]) < 0xA0;
        if (c1) {
            ++i;
        }
        quoted += byte < 0x20 || byte == 0x7F || c1 ? '?' : utf8[i];
    }
    return quoted;
}

RE2::Options PatternOptions(int64_t maxMemory) {
    RE2::Options options;
    options.set_encoding(RE2::Options::EncodingUTF8);
    options.set_log_errors(false);
    options.set_max_mem(maxMemory);
    options.set_case_sensitive(false);
    return options;
}

void WriteToStderr(std::string_view line) {
    std::fprintf(stderr, "%.*s\n", static_cast<int>(line.size()), line.data());
}

} // namespace

struct CourierDetector::Impl {
    struct Entry {
        int courierIndex = 0;
        std::unique_ptr<RE2> pattern; // nullptr: a check rule only, never detected
        CheckRule check = nullptr;    // nullptr: no check rule
    };

    std::vector<Entry> entries; // by rising courier index
    // Every pattern of `entries` in one automaton, so that Detect reads the number
    // once whatever the number of couriers; nullptr when it could not be built.
    std::unique_ptr<RE2::Set> set;
    std::vector<size_t> setEntries; // set pattern id -> position in `entries`

    const Entry* Find(int courierIndex) const {
        const auto it = std::lower_bound(entries.begin(), entries.end(), courierIndex,
                                         [](const Entry& entry, int index) { return entry.courierIndex < index; });
        return it != entries.end() && it->courierIndex == courierIndex ? &*it : nullptr;
    }

    // The positions in `entries` whose pattern matches the whole number, in any order.
    std::vector<size_t> Matching(const std::string& number) const {
        std::vector<size_t> matching;
        if (set) {
            std::vector<int> ids;
            RE2::Set::ErrorInfo error{};
            if (set->Match(re2::StringPiece(number.data(), number.size()), &ids, &error)) {
                for (const int id : ids) {
                    matching.push_back(setEntries[static_cast<size_t>(id)]);
                }
                return matching;
            }
            if (error.kind == RE2::Set::kNoError) {
                return matching;
            }
            // Out of memory for the set's automaton: ask each pattern on its own.
        }
        for (size_t i = 0; i < entries.size(); ++i) {
            if (entries[i].pattern && RE2::FullMatch(number, *entries[i].pattern)) {
                matching.push_back(i);
            }
        }
        return matching;
    }
};

namespace {

// The normalised number as UTF-8, or std::nullopt when it is empty or too long.
std::optional<std::string> MatchForm(std::u16string_view typed) {
    if (typed.size() > kMaxTypedLength) {
        return std::nullopt;
    }
    const std::u16string normalised = NormaliseNumber(typed);
    if (normalised.empty() || normalised.size() > CourierDetector::kMaxNumberLength) {
        return std::nullopt;
    }
    return Utf16ToUtf8(normalised);
}

} // namespace

CourierDetector::CourierDetector(const std::vector<Rule>& rules, LogSink log) : m_impl(std::make_unique<Impl>()) {
    if (!log) {
        log = WriteToStderr;
    }
    std::map<int, const Rule*> latest;
    for (const Rule& rule : rules) {
        if (rule.courierIndex >= 0) {
            latest[rule.courierIndex] = &rule;
        }
    }

    std::vector<std::string> patterns;
    for (const auto& [index, rule] : latest) {
        bool faulty = false;
        CheckRule check = nullptr;
        const std::u16string_view checkName = Trim(rule->check);
        if (!checkName.empty()) {
            check = FindCheckRule(checkName);
            if (check == nullptr) {
                log("parcelo.ini: " + KeyName("CHECK", index) + ": unknown check rule \"" +
                    Quote(Utf16ToUtf8(checkName)) + "\"; this courier is not detected");
                faulty = true;
            } else if (check == &CheckNone) {
                check = nullptr;
            }
        }

        std::unique_ptr<RE2> pattern;
        std::string patternText;
        const std::u16string_view patternValue = Trim(rule->pattern);
        if (!patternValue.empty()) {
            patternText = Utf16ToUtf8(patternValue);
            pattern = std::make_unique<RE2>(patternText, PatternOptions(kPatternMemory));
            if (!pattern->ok()) {
                log("parcelo.ini: " + KeyName("NUMBER", index) + ": invalid pattern (" + Quote(pattern->error()) +
                    "); this courier is not detected");
                faulty = true;
            }
        }

        if (faulty || (!pattern && check == nullptr)) {
            continue;
        }
        if (pattern) {
            patterns.push_back(std::move(patternText));
            m_impl->setEntries.push_back(m_impl->entries.size());
        }
        m_impl->entries.push_back({index, std::move(pattern), check});
    }

    if (patterns.empty()) {
        return;
    }
    auto set = std::make_unique<RE2::Set>(PatternOptions(kSetMemory), RE2::ANCHOR_BOTH);
    for (const std::string& pattern : patterns) {
        if (set->Add(re2::StringPiece(pattern.data(), pattern.size()), nullptr) < 0) {
            return; // Detect then asks each pattern on its own
        }
    }
    if (set->Compile()) {
        m_impl->set = std::move(set);
    }
}

CourierDetector::~CourierDetector() = default;
CourierDetector::CourierDetector(CourierDetector&&) noexcept = default;
CourierDetector& CourierDetector::operator=(CourierDetector&&) noexcept = default;

std::vector<int> CourierDetector::Detect(std::u16string_view number) const {
    std::vector<int> detected;
    const auto form = MatchForm(number);
    if (!form || !m_impl) {
        return detected;
    }
    std::vector<size_t> matching = m_impl->Matching(*form);
    std::sort(matching.begin(), matching.end());
    std::vector<int> patternOnly;
    for (const size_t position : matching) {
        const Impl::Entry& entry = m_impl->entries[position];
        if (entry.check == nullptr) {
            patternOnly.push_back(entry.courierIndex);
        } else if (entry.check(*form)) {
            detected.push_back(entry.courierIndex);
        }
    }
    detected.insert(detected.end(), patternOnly.begin(), patternOnly.end());
    return detected;
}

CourierDetector::Verdict CourierDetector::Accepts(int courierIndex, std::u16string_view number) const {
    const Impl::Entry* entry = m_impl ? m_impl->Find(courierIndex) : nullptr;
    if (entry == nullptr) {
        return Verdict::NoRule;
    }
    const auto form = MatchForm(number);
    if (!form || (entry->pattern && !RE2::FullMatch(*form, *entry->pattern)) ||
        (entry->check != nullptr && !entry->check(*form))) {
        return Verdict::Rejected;
    }
    return Verdict::Accepted;
}

bool CourierDetector::HasRule(int courierIndex) const {
    return m_impl && m_impl->Find(courierIndex) != nullptr;
}

bool CourierDetector::HasCheck(int courierIndex) const {
    const auto* entry = m_impl ? m_impl->Find(courierIndex) : nullptr;
    return entry != nullptr && entry->check != nullptr;
}

int CourierDetector::Pick(const std::vector<int>& candidates) const {
    return candidates.size() == 1 ? candidates.front() : -1;
}

void CourierDetector::OrderByStore(std::vector<int>& candidates, std::u16string_view number,
                                   const StoredNumbers& stored) const {
    constexpr size_t kPrefix = 2;
    const std::u16string normalised = NormaliseNumber(number.substr(0, std::min(number.size(), kMaxTypedLength)));
    if (candidates.size() < 2 || normalised.size() < kPrefix) {
        return;
    }
    const std::u16string_view prefix = std::u16string_view(normalised).substr(0, kPrefix);
    std::map<int, size_t> alike;
    for (const auto& [courier, storedNumber] : stored) {
        if (storedNumber.size() == normalised.size() &&
            std::u16string_view(storedNumber).substr(0, kPrefix) == prefix) {
            ++alike[courier];
        }
    }
    std::stable_sort(candidates.begin(), candidates.end(), [&](int left, int right) {
        if (HasCheck(left) != HasCheck(right)) {
            return HasCheck(left);
        }
        const auto count = [&](int courier) {
            const auto it = alike.find(courier);
            return it != alike.end() ? it->second : size_t{0};
        };
        return count(left) > count(right);
    });
}

std::vector<CourierDetector::Rule> CourierDetector::ReadRules(const CIniReader& reader, size_t courierCount) {
    std::vector<Rule> rules;
    const int count = static_cast<int>(std::min<size_t>(courierCount, kMaxCouriers));
    for (int index = 0; index < count; ++index) {
        const std::string numberKey = KeyName("NUMBER", index);
        const std::string checkKey = KeyName("CHECK", index);
        Rule rule{index, reader.GetValue(std::u16string(numberKey.begin(), numberKey.end())),
                  reader.GetValue(std::u16string(checkKey.begin(), checkKey.end()))};
        if (!rule.pattern.empty() || !rule.check.empty()) {
            rules.push_back(std::move(rule));
        }
    }
    return rules;
}

} // namespace parcelo
