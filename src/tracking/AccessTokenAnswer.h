#pragma once

#include "tracking/TrackingService.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace parcelo {

// Larger answers of the token issuer are refused unread.
constexpr size_t kMaxAccessTokenAnswerBytes = size_t{64} * 1024;
// The lifetime taken for a token whose answer gives none.
constexpr int64_t kDefaultAccessTokenSeconds = 3600;

// What the token issuer answered to an OAuth 2.0 client-credentials request.
struct AccessTokenAnswer {
    TrackingOutcome outcome = TrackingOutcome::Invalid; // Ok, KeyRefused, RateLimited, ServerError or Invalid
    std::string accessToken;                            // when Ok
    int64_t expiresIn = kDefaultAccessTokenSeconds;     // seconds, when Ok
};

// The form body of a client-credentials token request: the grant type, the client id
// and the client secret as form fields, each form-encoded.
std::string BuildAccessTokenRequest(std::string_view clientId, std::string_view clientSecret);

// Reads the issuer's answer: a bearer token with its lifetime, or an error. A refused
// client (invalid_client, unauthorized_client, invalid_grant, HTTP 401 or 403) is
// KeyRefused; a token of another type than bearer cannot be used and is Invalid.
AccessTokenAnswer InterpretAccessTokenAnswer(int status, const char* body, size_t size);

} // namespace parcelo
