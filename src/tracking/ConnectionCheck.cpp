#include "tracking/ConnectionCheck.h"

#include "platform/Translation.h"
#include "tracking/TrackingResponseParser.h"

#include <nlohmann/json.hpp>

namespace parcelo {

namespace {

using nlohmann::json;

constexpr const char* kCheckQuery = "query ConnectionCheck { carriers(first: 1) { edges { node { id } } } }";

// errors[0].extensions.code, "INTERNAL" for an error without one, empty for none.
std::string FirstErrorCode(const json& root) {
    const auto errors = root.find("errors");
    if (errors == root.end() || !errors->is_array() || errors->empty()) {
        return {};
    }
    const json& first = errors->front();
    if (first.is_object()) {
        const auto extensions = first.find("extensions");
        if (extensions != first.end() && extensions->is_object()) {
            const auto code = extensions->find("code");
            if (code != extensions->end() && code->is_string() && !code->get_ref<const std::string&>().empty()) {
                return code->get<std::string>();
            }
        }
    }
    return "INTERNAL";
}

} // namespace

std::string BuildConnectionCheckRequest() {
    return json{{"query", kCheckQuery}}.dump();
}

TrackingOutcome InterpretConnectionCheckAnswer(int status, const char* body, size_t size) {
    if (status == 429) {
        return TrackingOutcome::RateLimited;
    }
    if (status >= 500 && status <= 599) {
        return TrackingOutcome::ServerError;
    }
    json root;
    if (body != nullptr && size <= kMaxTrackingResponseBytes) {
        root = json::parse(body, body + size, nullptr, false);
    }
    const bool object = !root.is_discarded() && root.is_object();
    const std::string code = object ? FirstErrorCode(root) : std::string();
    if (code == "UNAUTHENTICATED" || code == "FORBIDDEN" || (code.empty() && (status == 401 || status == 403))) {
        return TrackingOutcome::KeyRefused;
    }
    if (!code.empty()) {
        return TrackingOutcome::ServiceError;
    }
    if (status < 200 || status >= 300 || !object) {
        return TrackingOutcome::Invalid;
    }
    const auto data = root.find("data");
    if (data == root.end() || !data->is_object()) {
        return TrackingOutcome::Invalid;
    }
    const auto carriers = data->find("carriers");
    return carriers != data->end() && carriers->is_object() ? TrackingOutcome::Ok : TrackingOutcome::Invalid;
}

std::u16string ConnectionCheckText(TrackingOutcome outcome) {
    switch (outcome) {
    case TrackingOutcome::Ok:
        return PARCELO_TR("ConnectionCheck", "연결되었습니다");
    case TrackingOutcome::KeyRefused:
        return PARCELO_TR("ConnectionCheck",
                          "서비스가 키를 거부했습니다: 클라이언트 ID와 비밀 키, 인증 방식을 확인하십시오");
    case TrackingOutcome::Offline:
        return PARCELO_TR("ConnectionCheck", "연결할 수 없습니다: 인터넷 연결과 주소의 서버 이름을 확인하십시오");
    case TrackingOutcome::TimedOut:
        return PARCELO_TR("ConnectionCheck", "서버가 제시간에 답하지 않았습니다: 잠시 후 다시 확인하십시오");
    case TrackingOutcome::RateLimited:
    case TrackingOutcome::ServerError:
    case TrackingOutcome::BackingOff:
        return PARCELO_TR("ConnectionCheck", "서버에 문제가 있어 답하지 못했습니다: 잠시 후 다시 확인하십시오");
    case TrackingOutcome::ServiceError:
        return PARCELO_TR("ConnectionCheck",
                          "서비스가 오류로 답했습니다: 주소가 배송 조회 서비스의 주소인지 확인하십시오");
    case TrackingOutcome::Cancelled:
        return PARCELO_TR("ConnectionCheck", "확인을 취소했습니다");
    default:
        return PARCELO_TR(
            "ConnectionCheck",
            "이 주소는 배송 조회 서비스가 아닙니다: 주소를 확인하십시오 (https://로 시작해야 하며, 이 컴퓨터의 "
            "서버는 http://도 됩니다)");
    }
}

} // namespace parcelo
