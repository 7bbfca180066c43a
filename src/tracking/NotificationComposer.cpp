#include "tracking/NotificationComposer.h"

#include "platform/CodePage.h"
#include "platform/Translation.h"
#include "tracking/RefreshRun.h"
#include "tracking/StatusNames.h"

#include <cstdio>

namespace parcelo {

namespace {

constexpr size_t kLinesInGroup = 4;
constexpr size_t kMaxNameLength = 40;

std::u16string FromUtf8(const std::string& text) {
    return DecodeStrictUtf8(text).value_or(std::u16string());
}

// The item's name on one line, cut to a readable length.
std::u16string ItemName(const StatusChange& change) {
    std::u16string name;
    for (char16_t c : change.itemName) {
        name += (c < 0x20 || c == 0x7F) ? u' ' : c;
    }
    if (name.size() > kMaxNameLength) {
        name.resize(kMaxNameLength);
        if (name.back() >= 0xD800 && name.back() <= 0xDBFF) {
            name.pop_back();
        }
        name += u"…";
    }
    return name.empty() ? PARCELO_TR("NotificationComposer", "이름 없는 물품") : name;
}

// "배송출발 · 서울강남" or "배송출발".
std::u16string StatusAndPlace(const TrackingEvent& event) {
    std::u16string text(ShortStatusName(event.statusCode));
    const std::u16string place = FromUtf8(event.location);
    if (!place.empty()) {
        text += u" · " + place;
    }
    return text;
}

} // namespace

std::vector<NotificationItem> ComposeNotifications(std::span<const StatusChange> changes, size_t groupFrom) {
    std::vector<NotificationItem> items;
    if (changes.empty()) {
        return items;
    }
    if (changes.size() < std::max<size_t>(groupFrom, 2)) {
        for (const StatusChange& change : changes) {
            items.push_back({ItemName(change), StatusAndPlace(change.latest), change.shipmentId, {change.shipmentId}});
        }
        return items;
    }
    NotificationItem group;
    const std::string count = std::to_string(changes.size());
    group.summary = FormatText(PARCELO_TR("NotificationComposer", "배송 상태 변경 %1건"), {FromUtf8(count)});
    for (size_t i = 0; i < changes.size(); ++i) {
        group.shipmentIds.push_back(changes[i].shipmentId);
        if (i < kLinesInGroup) {
            group.body += (i == 0 ? u"" : u"\n") + ItemName(changes[i]) + u": " + StatusAndPlace(changes[i].latest);
        }
    }
    if (changes.size() > kLinesInGroup) {
        const std::string rest = std::to_string(changes.size() - kLinesInGroup);
        group.body += u'\n' + FormatText(PARCELO_TR("NotificationComposer", "외 %1건"), {FromUtf8(rest)});
    }
    items.push_back(std::move(group));
    return items;
}

std::vector<std::u16string> RefreshSetupProblems(const RefreshSummary& summary,
                                                 std::span<const std::string> carrierIds) {
    std::vector<std::u16string> problems;
    if (summary.keyRefused) {
        problems.push_back(PARCELO_TR("NotificationComposer",
                                      "배송 조회 서비스가 키를 거부했습니다. 메뉴 > 옵션의 배송 상태에서 "
                                      "클라이언트 ID와 비밀 키를 확인하십시오."));
    }
    // "CARRIER01=kr.hanjinn, CARRIER03=kr.epost"
    const auto lines = [&](const std::vector<int32_t>& couriers) {
        std::u16string text;
        for (const int32_t index : couriers) {
            char key[32];
            std::snprintf(key, sizeof key, "CARRIER%02d", static_cast<int>(index) + 1);
            std::string line = key;
            if (index >= 0 && static_cast<size_t>(index) < carrierIds.size()) {
                line += "=" + carrierIds[static_cast<size_t>(index)];
            }
            text += (text.empty() ? u"" : u", ") + FromUtf8(line);
        }
        return text;
    };
    if (!summary.unknownCarriers.empty()) {
        problems.push_back(
            FormatText(PARCELO_TR("NotificationComposer",
                                  "배송 조회 서비스가 모르는 택배사 코드입니다: parcelo.ini의 %1 줄을 고치십시오."),
                       {lines(summary.unknownCarriers)}));
    }
    if (!summary.refusedCouriers.empty()) {
        problems.push_back(FormatText(PARCELO_TR("NotificationComposer",
                                                 "배송 조회 서비스가 %1 택배사의 송장번호를 모두 거절했습니다. "
                                                 "parcelo.ini의 그 줄과 송장번호를 확인하십시오."),
                                      {lines(summary.refusedCouriers)}));
    }
    return problems;
}

std::u16string RefreshStatusLine(const RefreshSummary& summary, std::span<const std::string> carrierIds) {
    if (summary.storeFailed) {
        return PARCELO_TR("NotificationComposer", "배송 상태를 확인하지 못했습니다: 저장된 물품을 읽을 수 없습니다");
    }
    if (summary.offline > 0) {
        return PARCELO_TR("NotificationComposer", "오프라인: 배송 상태를 확인하지 못했습니다");
    }
    const std::vector<std::u16string> problems = RefreshSetupProblems(summary, carrierIds);
    if (summary.keyRefused) {
        return problems.front(); // nothing else was asked
    }
    const auto number = [](size_t n) {
        const std::string digits = std::to_string(n);
        return std::u16string(digits.begin(), digits.end());
    };
    std::u16string line;
    for (const std::u16string& problem : problems) {
        line += problem + u" ";
    }
    line += FormatText(PARCELO_TR("NotificationComposer", "배송 조회 %1건"), {number(summary.checked)});
    if (summary.changed > 0) {
        line += FormatText(PARCELO_TR("NotificationComposer", ", 변경 %1건"), {number(summary.changed)});
    }
    if (summary.failed > 0) {
        line += FormatText(PARCELO_TR("NotificationComposer", ", 실패 %1건"), {number(summary.failed)});
    }
    if (summary.deferred > 0) {
        line += FormatText(PARCELO_TR("NotificationComposer", ", 나중에 %1건"), {number(summary.deferred)});
    }
    return line;
}

} // namespace parcelo
