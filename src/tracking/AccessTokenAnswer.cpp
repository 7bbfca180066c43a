#include "tracking/AccessTokenAnswer.h"

#include <algorithm>
#include <nlohmann/json.hpp>

namespace parcelo {

namespace {

using nlohmann::json;

// application/x-www-form-urlencoded: unreserved characters as they are, a blank as
// '+', every other byte as %XX.
void AppendFormEncoded(std::string& out, std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        const bool unreserved = (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
                                (byte >= '0' && byte <= '9') || byte == '-' || byte == '.' || byte == '_' ||
                                byte == '~';
        if (unreserved) {
            out += c;
        } else if (byte == ' ') {
            out += '+';
        } else {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 0x0F];
        }
    }
}

bool IsBearer(const std::string& type) {
    constexpr std::string_view kBearer = "bearer";
    if (type.size() != kBearer.size()) {
        return false;
    }
    for (size_t i = 0; i < type.size(); ++i) {
        const char c = type[i] >= 'A' && type[i] <= 'Z' ? static_cast<char>(type[i] - 'A' + 'a') : type[i];
        if (c != kBearer[i]) {
            return false;
        }
    }
    return true;
}

} // namespace

std::string BuildAccessTokenRequest(std::string_view clientId, std::string_view clientSecret) {
    std::string body = "grant_type=client_credentials&client_id=";
    AppendFormEncoded(body, clientId);
    body += "&client_secret=";
    AppendFormEncoded(body, clientSecret);
    return body;
}

AccessTokenAnswer InterpretAccessTokenAnswer(int status, const char* body, size_t size) {
    AccessTokenAnswer answer;
    if (status == 429) {
        answer.outcome = TrackingOutcome::RateLimited;
        return answer;
    }
    if (status >= 500 && status <= 599) {
        answer.outcome = TrackingOutcome::ServerError;
        return answer;
    }
    json root;
    if (body != nullptr && size <= kMaxAccessTokenAnswerBytes) {
        root = json::parse(body, body + size, nullptr, false);
    }
    const bool object = !root.is_discarded() && root.is_object();
    if (status == 401 || status == 403) {
        answer.outcome = TrackingOutcome::KeyRefused;
        return answer;
    }
    if (object && root.contains("error")) {
        const json& error = root["error"];
        const bool refused = error.is_string() &&
                             (error == "invalid_client" || error == "unauthorized_client" || error == "invalid_grant");
        answer.outcome = refused ? TrackingOutcome::KeyRefused : TrackingOutcome::Invalid;
        return answer;
    }
    if (status < 200 || status >= 300 || !object) {
        return answer;
    }
    const auto token = root.find("access_token");
    const auto type = root.find("token_type");
    if (token == root.end() || !token->is_string() || token->get_ref<const std::string&>().empty() ||
        type == root.end() || !type->is_string() || !IsBearer(type->get<std::string>())) {
        return answer;
    }
    // A token is sent in a header: one with a line break or another control character
    // is not one the issuer meant.
    for (const char c : token->get_ref<const std::string&>()) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            return answer;
        }
    }
    // A token that expires at once (or a lifetime that is no number) would be asked for
    // again and again.
    const auto lifetime = root.find("expires_in");
    if (lifetime != root.end() && !lifetime->is_null()) {
        if (!lifetime->is_number() || !(lifetime->get<double>() >= 1)) {
            return answer;
        }
        answer.expiresIn = static_cast<int64_t>(std::min(lifetime->get<double>(), 365.0 * 24 * 3600));
    }
    answer.accessToken = token->get<std::string>();
    answer.outcome = TrackingOutcome::Ok;
    return answer;
}

} // namespace parcelo
