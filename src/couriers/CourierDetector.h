#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace parcelo {

class CIniReader;

// Tells which couriers an invoice number can belong to. Each courier may have a
// pattern (key NUMBERnn of parcelo.ini, an RE2 regular expression that the whole
// normalised number must match; letters match either case) and a check rule (key
// CHECKnn: none, mod7, s10 or ups, see CheckRules.h). A courier is detected only when
// it has a pattern; a check rule without a pattern is still used by Accepts.
//
// The rules are compiled once. A pattern that does not compile or an unknown rule
// name leaves that courier without detection and writes one line naming the key to
// the log; the other couriers are not affected. Nothing here throws on bad rules.
class CourierDetector {
public:
    struct Rule {
        int courierIndex = 0;   // position in the courier table; ID01 is 0
        std::u16string pattern; // empty: the courier is not detected
        std::u16string check;   // empty: no check rule
    };

    // Receives each log line, without a line end. The default writes to stderr.
    using LogSink = std::function<void(std::string_view line)>;

    enum class Verdict {
        NoRule,   // the courier has no usable rule: nothing can be said
        Accepted, // the number matches the pattern and passes the check
        Rejected, // the courier has a rule and the number fails it
    };

    // Longer normalised numbers match nothing.
    static constexpr size_t kMaxNumberLength = 64;

    // An empty `log` writes to stderr. A later rule for the same courier replaces
    // an earlier one; rules with a negative index are ignored.
    explicit CourierDetector(const std::vector<Rule>& rules, LogSink log = {});
    ~CourierDetector();
    CourierDetector(CourierDetector&&) noexcept;
    CourierDetector& operator=(CourierDetector&&) noexcept;
    CourierDetector(const CourierDetector&) = delete;
    CourierDetector& operator=(const CourierDetector&) = delete;

    // The couriers whose pattern and check accept the number (compared in its
    // normalised form), best first: couriers whose check rule passed come before
    // couriers that have only a pattern, and within each group the lower index
    // comes first.
    std::vector<int> Detect(std::u16string_view number) const;

    // Whether the courier's pattern and check accept the number; NoRule when the
    // courier has neither (or its rules were faulty), so that no warning is due.
    Verdict Accepts(int courierIndex, std::u16string_view number) const;

    // True when Accepts can say more than NoRule for this courier.
    bool HasRule(int courierIndex) const;
    // True when the courier's numbers carry a check digit the detector verifies (mod7,
    // s10), so that a match is stronger evidence than a pattern alone.
    bool HasCheck(int courierIndex) const;

    // The one courier that candidates from Detect point to, or -1: the only candidate.
    // A check digit that one courier verifies proves nothing about another courier whose
    // numbers may carry the same kind of check or none, so several candidates name none.
    int Pick(const std::vector<int>& candidates) const;

    // (courier index, normalised invoice number) of shipments the user already has.
    using StoredNumbers = std::set<std::pair<int, std::u16string>>;

    // Orders candidates from Detect for `number` by how many stored numbers of each
    // courier have the same length and the same first two characters, most first. Only
    // a hint for the list the user chooses from: couriers whose check confirmed the
    // number stay ahead of the others, and ties keep their order.
    void OrderByStore(std::vector<int>& candidates, std::u16string_view number, const StoredNumbers& stored) const;

    // The rules of keys NUMBER01/CHECK01 up to those of the courier `courierCount`
    // (at most 99): one rule for each courier that has either key.
    static std::vector<Rule> ReadRules(const CIniReader& reader, size_t courierCount);

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace parcelo
