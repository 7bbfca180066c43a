#include "tracking/StatusNames.h"
#include "tracking/TrackingRequest.h"
#include "tracking/TrackingResponseParser.h"
#include "tracking/TrackingSamples.h"
#include "tracking/TrackingService.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace parcelo {
namespace {

constexpr Instant kMarch5 = 1'709'615'220; // 2024-03-05 05:07:00 UTC

std::optional<TrackingResponse> Parse(const std::string& body) {
    return ParseTrackingResponse(body.data(), body.size());
}

TEST(TrackingRequestTest, SendsTheNumberAndCursorAsVariablesNotAsQueryText) {
    const std::string body = BuildTrackingRequest("kr.cjlogistics", "123\"}) { x } #\n\xff");
    const nlohmann::json parsed = nlohmann::json::parse(body);
    EXPECT_EQ(parsed["variables"]["carrierId"], "kr.cjlogistics");
    EXPECT_EQ(parsed["variables"]["trackingNumber"], "123\"}) { x } #\n\xEF\xBF\xBD");
    EXPECT_TRUE(parsed["variables"]["before"].is_null()) << "the newest page";
    const std::string query = parsed["query"];
    EXPECT_EQ(query.find("123"), std::string::npos);
    EXPECT_NE(query.find("trackingNumber: $trackingNumber"), std::string::npos);
    // The service cuts a page to 20 events: asking for more would only hide that.
    EXPECT_NE(query.find("events(last: " + std::to_string(kEventsPerPage) + ", before: $before)"), std::string::npos);
    EXPECT_EQ(nlohmann::json::parse(BuildTrackingRequest("a", "1", "eyJpbmRleCI6MjB9"))["variables"]["before"],
              "eyJpbmRleCI6MjB9");
}

TEST(TrackingResponseParserTest, ReadsEventsOldestFirstWithTheLatestOnce) {
    const auto response = Parse(test::TrackAnswer({
        test::EventNode("2024-03-05T14:07:00+09:00", "OUT_FOR_DELIVERY", "서울강남", "배송출발"),
        test::EventNode("2024-03-04T09:00:00+09:00", "AT_PICKUP", ""),
        test::EventNode("2024-03-05T18:30:00+09:00", "DELIVERED", "서울강남"),
    }));
    ASSERT_TRUE(response.has_value());
    EXPECT_TRUE(response->errorCode.empty());
    ASSERT_EQ(response->events.size(), 3u) << "the last event is not repeated";
    EXPECT_EQ(response->events[0].statusCode, "AT_PICKUP");
    EXPECT_EQ(response->events[0].location, "");
    EXPECT_EQ(response->events[1], (TrackingEvent{kMarch5, "OUT_FOR_DELIVERY", "이동중", "서울강남", "배송출발"}));
    EXPECT_EQ(response->events[2].statusCode, "DELIVERED");

    EXPECT_EQ(response->lastEvent, response->events[2]);
    EXPECT_FALSE(response->hasPreviousPage);

    // A parcel known but without events yet, and one whose history is only its last event.
    EXPECT_TRUE(Parse(R"({"data":{"track":{"lastEvent":null,"events":{"edges":[]}}}})")->events.empty());
    const auto onlyLast = Parse(R"({"data":{"track":{"lastEvent":{"time":"2024-03-05T05:07:00Z",)"
                                R"("status":{"code":"IN_TRANSIT","name":null},"description":null,"location":null}}}})");
    ASSERT_TRUE(onlyLast.has_value());
    ASSERT_EQ(onlyLast->events.size(), 1u);
    EXPECT_EQ(onlyLast->events[0].time, kMarch5);
}

// What the schema lets be null is kept as far as it goes; the answer is never lost for it.
TEST(TrackingResponseParserTest, KeepsEventsWithNullFieldsAndReadsThePage) {
    const auto response = Parse(
        R"({"data":{"track":{"lastEvent":{"time":"2024-03-05T05:07:00Z","status":{"code":"DELIVERED","name":null}},)"
        R"("events":{"edges":[null,{"node":null},)"
        R"({"node":{"time":null,"status":{"code":"AT_PICKUP"},"location":null,"description":null}},)"
        R"({"node":{"time":"2024-03-05T14:07:00","status":null,"location":{"name":null}}},)"
        R"({"node":{"time":"2024-03-04T05:07:00Z","status":{"code":"IN_TRANSIT"},"description":"이동"}}],)"
        R"("pageInfo":{"hasPreviousPage":true,"startCursor":"eyJpbmRleCI6MjB9"}}}}})");
    ASSERT_TRUE(response.has_value());
    ASSERT_EQ(response->events.size(), 4u);
    // The untimed ones first, in the service's order; the unreadable time (no offset) is none.
    EXPECT_EQ(response->events[0], (TrackingEvent{std::nullopt, "AT_PICKUP", "", "", ""}));
    EXPECT_EQ(response->events[1], (TrackingEvent{std::nullopt, "UNKNOWN", "", "", ""}));
    EXPECT_EQ(response->events[2].description, "이동");
    EXPECT_EQ(response->events[3], (TrackingEvent{kMarch5, "DELIVERED", "", "", ""}));
    EXPECT_EQ(response->lastEvent, response->events[3]);
    EXPECT_TRUE(response->hasPreviousPage);
    EXPECT_EQ(response->startCursor, "eyJpbmRleCI6MjB9");

    // An older page goes before, once.
    std::vector<TrackingEvent> events = response->events;
    PrependOlderEvents(events, {TrackingEvent{kMarch5 - 999, "AT_PICKUP", "", "", ""}, response->events[2]});
    ASSERT_EQ(events.size(), 5u);
    EXPECT_EQ(events[3].time, kMarch5 - 999);
}

TEST(TrackingResponseParserTest, RefusesWhatIsNotTheExpectedShape) {
    const char* const kBadUtf8 = R"({"data":{"track":{"lastEvent":{"time":"2024-03-05T05:07:00Z","status":{"code":")"
                                 "\xC0\xAF"
                                 R"("}}}}})";
    const std::string good = test::TrackAnswer({test::EventNode("2024-03-05T14:07:00+09:00", "IN_TRANSIT", "x")});
    ASSERT_TRUE(Parse(good).has_value());
    for (
        const char* bad : {
            "",
            "{",
            "[]",
            R"({"data":{}})",
            R"({"data":{"track":1}})",
            R"({"errors":[1]})",
            R"({"data":{"track":{"events":{"edges":[{"node":{"time":null,"status":"DELIVERED"}}]}}}})",
            R"({"data":{"track":{"events":{"edges":[{"node":{"time":"2024-03-05T05:07:00Z","status":{"code":7}}}]}}}})",
            R"({"data":{"track":{"events":{"edges":[{"node":{"time":"2024-03-05T05:07:00Z","status":{"code":"X"},"location":"here"}}]}}}})",
            R"({"data":{"track":{"events":{"edges":{}}}}})",
            kBadUtf8,
        }) {
        EXPECT_FALSE(Parse(bad).has_value()) << bad;
    }
    // Over 1 MB is refused however well formed.
    std::string large = good;
    large.insert(1, std::string(kMaxTrackingResponseBytes, ' '));
    EXPECT_FALSE(Parse(large).has_value());
    EXPECT_FALSE(ParseTrackingResponse(nullptr, 0).has_value());
}

TEST(TrackingAnswerTest, MapsStatusAndErrorsToOutcomes) {
    const std::string events = test::TrackAnswer({test::EventNode("2024-03-05T14:07:00+09:00", "DELIVERED", "x")});
    const auto interpret = [](int status, const std::string& body) {
        return InterpretTrackingAnswer(status, body.data(), body.size());
    };
    EXPECT_EQ(interpret(200, events).events.size(), 1u);
    EXPECT_EQ(interpret(200, test::ErrorAnswer("NOT_FOUND")).outcome, TrackingOutcome::NotFound);
    EXPECT_EQ(interpret(200, R"({"errors":[{"message":"x"}]})").errorCode, "INTERNAL") << "an error without a code";
    EXPECT_EQ(interpret(400, R"({"errors":[{"extensions":{"code":"BAD_REQUEST"}}],"data":{"track":null}})").outcome,
              TrackingOutcome::Rejected);
    EXPECT_EQ(interpret(200, test::ErrorAnswer("NOT_FOUND", "운송장이 등록되지 않았습니다")).outcome,
              TrackingOutcome::NotFound);
    EXPECT_EQ(interpret(200, test::ErrorAnswer("NOT_FOUND", "Carrier not found")).outcome,
              TrackingOutcome::CarrierUnknown);
    EXPECT_EQ(interpret(200, test::ErrorAnswer("UNAUTHENTICATED")).outcome, TrackingOutcome::KeyRefused);
    EXPECT_EQ(interpret(403, test::ErrorAnswer("FORBIDDEN")).outcome, TrackingOutcome::KeyRefused);
    EXPECT_EQ(interpret(401, "Unauthorized").outcome, TrackingOutcome::KeyRefused);
    EXPECT_EQ(interpret(200, test::ErrorAnswer("INTERNAL")).outcome, TrackingOutcome::ServiceError);
    EXPECT_EQ(interpret(429, "").outcome, TrackingOutcome::RateLimited);
    EXPECT_EQ(interpret(503, events).outcome, TrackingOutcome::ServerError);
    EXPECT_EQ(interpret(200, "<html>").outcome, TrackingOutcome::Invalid);
    EXPECT_EQ(interpret(404, events).outcome, TrackingOutcome::Invalid)
        << "events with an error status are not trusted";

    EXPECT_EQ(ShortStatusName("SOMETHING_NEW"), ShortStatusName("UNKNOWN")) << "a code added later";

    EXPECT_EQ(ParseRetryAfter(" 120 "), 120);
    EXPECT_EQ(ParseRetryAfter("99999999999999999999"), 999'999'999);
    EXPECT_FALSE(ParseRetryAfter("Wed, 21 Oct 2015 07:28:00 GMT").has_value());
    EXPECT_FALSE(ParseRetryAfter("-5").has_value());
}

} // namespace
} // namespace parcelo
