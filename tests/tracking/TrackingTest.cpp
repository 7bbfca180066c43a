#include "config/IniReader.h"
#include "support/FakeClock.h"
#include "tracking/AccessTokenAnswer.h"
#include "tracking/CarrierIds.h"
#include "tracking/ConnectionCheck.h"
#include "tracking/EndpointBackOff.h"
#include "tracking/NotificationComposer.h"
#include "tracking/RefreshRun.h"
#include "tracking/StatusNames.h"
#include "tracking/TrackingRequest.h"
#include "tracking/TrackingResponseParser.h"
#include "tracking/TrackingRules.h"
#include "tracking/TrackingSamples.h"
#include "tracking/TrackingSchedule.h"
#include "tracking/TrackingService.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace parcelo {
namespace {

constexpr int64_t kHour = 3600;

Shipment Parcel(int64_t id, int courier, const std::u16string& invoice, int status = InDelivery) {
    return {courier, invoice, u"물품", 0, 0, status, id};
}

std::vector<int64_t> Ids(const std::vector<TrackingQuery>& queries) {
    std::vector<int64_t> ids;
    for (const TrackingQuery& query : queries) {
        ids.push_back(query.shipmentId);
    }
    return ids;
}

// The carrier ids read by courier, unsafe values skipped; the shipments due among those
// in delivery with a carrier id.
TEST(TrackingScheduleTest, ReadsCarrierIdsAndPicksShipmentsNotCheckedWithinTheInterval) {
    CIniReader reader;
    reader.LoadText("ID01=CJ대한통운;1;;;\nCARRIER01= kr.cjlogistics \nCARRIER03=kr.epost\nCARRIER04=a b\n"
                    "CARRIER05=kr.x\"}\nCARRIER99=last\n");
    const std::vector<std::string> carriers = ReadCarrierIds(reader, 5);
    EXPECT_EQ(carriers, (std::vector<std::string>{"kr.cjlogistics", "", "kr.epost", "", ""}));
    EXPECT_EQ(ReadCarrierIds(reader, 120).at(98), "last");
    FakeClock clock{1'709'615'220};
    const Instant now = clock.Now();
    const std::vector<Shipment> shipments{
        Parcel(1, 0, u"6012-3456-7890"), // checked long ago
        Parcel(2, 0, u"111", Done),      // done
        Parcel(3, 1, u"222"),            // courier without a carrier id
        Parcel(4, 2, u"333"),            // never checked
        Parcel(5, 2, u"444"),            // checked recently
        Parcel(6, 7, u"555"),            // courier beyond the table
        Parcel(7, 0, u" - "),            // no number
        Parcel(8, 0, u"888", Cancelled), // cancelled
        Parcel(9, 0, u"999"),            // checked "in the future": the clock went back
        Parcel(10, 0, u"１２３"),        // full-width digits
    };
    const std::map<int64_t, Instant> lastChecks{{1, now - 5 * kHour}, {5, now - kHour / 2}, {9, now + kHour}};
    const TrackingSchedule schedule(clock, kHour);

    const std::vector<TrackingQuery> due = schedule.Due(shipments, carriers, lastChecks);
    EXPECT_EQ(Ids(due), (std::vector<int64_t>{4, 10, 1, 9})) << "never checked first, then the oldest check";
    EXPECT_EQ(std::tie(due[2].trackingNumber, due[2].carrierId, due[1].trackingNumber),
              std::tie("601234567890", "kr.cjlogistics", "123"));

    EXPECT_EQ(Ids(schedule.Due(shipments, carriers, lastChecks, true)), (std::vector<int64_t>{4, 10, 1, 5, 9}));
    clock.Advance(kHour);
    EXPECT_EQ(Ids(schedule.Due(shipments, carriers, lastChecks)), (std::vector<int64_t>{4, 10, 1, 5}));
}

TEST(EndpointBackOffTest, DoublesUpToTheCapHonoursRetryAfterAndEndsOnSuccess) {
    EndpointBackOff backOff({10, 60, 600});
    const std::string a = "https://a/graphql";
    EXPECT_TRUE(backOff.Ready(a, 0));
    std::vector<Instant> delays;
    for (int i = 0; i < 200; ++i) {
        backOff.Failed(a, 1000);
        delays.push_back(backOff.ReadyAt(a) - 1000);
    }
    EXPECT_EQ(std::vector(delays.begin(), delays.begin() + 5), (std::vector<Instant>{10, 20, 40, 60, 60}));
    EXPECT_EQ(delays.back(), 60) << "no overflow after many failures";
    EXPECT_FALSE(backOff.Ready(a, 1059));
    EXPECT_TRUE(backOff.Ready(a, 1060));
    EXPECT_TRUE(backOff.Ready("https://b/graphql", 1000)) << "per endpoint";

    backOff.Failed(a, 2000, 300);
    EXPECT_EQ(backOff.ReadyAt(a), 2300);
    backOff.Failed(a, 2000, 999'999'999);
    EXPECT_EQ(backOff.ReadyAt(a), 2600) << "capped";
    backOff.Succeeded(a, 2599);
    EXPECT_EQ(backOff.ReadyAt(a), 2600) << "an answer to a request sent before the failure";
    backOff.Succeeded(a, 2600);
    EXPECT_TRUE(backOff.Ready(a, 0));
    backOff.Failed(a, 3000);
    EXPECT_EQ(backOff.ReadyAt(a), 3010) << "starts over after a success";
}

// Queries of shipments 1, 2, … of these couriers, whose carrier ids are kr.c0, kr.c1, …
std::vector<TrackingQuery> Queries(const std::vector<int32_t>& couriers) {
    std::vector<TrackingQuery> queries;
    for (const int32_t courier : couriers) {
        const auto id = static_cast<int64_t>(queries.size() + 1);
        queries.push_back(test::Query(id, std::to_string(id), "kr.c" + std::to_string(courier), courier));
    }
    return queries;
}

// At most four in flight, each answer counted once; a back-off, offline or a refused key
// stop the sending and defer the rest; a carrier id the service does not know fails its
// other shipments unsent; a courier all of whose shipments are refused as bad requests
// is named, one with a good one not.
TEST(RefreshRunTest, KeepsFourInFlightStopsAfterBackOffAndNamesTheCarrierLinesNotTaken) {
    using enum TrackingOutcome;
    RefreshRun run(Queries({0, 1, 0, 2, 1, 2, 0}));
    std::vector<int64_t> sent;
    while (auto query = run.Next()) {
        sent.push_back(query->shipmentId);
    }
    EXPECT_EQ(sent, (std::vector<int64_t>{1, 2, 3, 4}));
    run.Finished(2, Ok);
    run.Finished(2, Ok); // twice: counted once
    run.Finished(99, Ok);
    ASSERT_EQ(run.Next()->shipmentId, 5);
    EXPECT_FALSE(run.Next().has_value());
    for (const auto& [id, outcome] :
         std::map<int64_t, TrackingOutcome>{{1, NotFound}, {3, Rejected}, {4, TimedOut}, {5, Invalid}}) {
        run.Finished(id, outcome);
    }
    while (auto query = run.Next()) {
        run.Finished(query->shipmentId, Ok);
    }
    EXPECT_TRUE(run.Done());
    RefreshSummary summary = run.Summary();
    EXPECT_EQ(std::tie(summary.due, summary.checked, summary.failed, summary.deferred),
              std::make_tuple(size_t{7}, size_t{4}, size_t{3}, size_t{0}));
    EXPECT_TRUE(summary.refusedCouriers.empty()) << "a refused one among good ones is that shipment's fault";

    for (const TrackingOutcome outcome : {RateLimited, ServerError, Offline, KeyRefused}) {
        RefreshRun stopped(Queries(std::vector<int32_t>(10, 0)));
        while (stopped.Next()) {
        }
        stopped.Finished(1, outcome);
        EXPECT_FALSE(stopped.Next().has_value());
        EXPECT_FALSE(stopped.Done()) << "three still in flight";
        stopped.Finished(2, Ok);
        stopped.Finished(3, BackingOff);
        stopped.Finished(4, Offline);
        EXPECT_TRUE(stopped.Done());
        const RefreshSummary deferred = stopped.Summary();
        EXPECT_EQ(std::tie(deferred.checked, deferred.deferred), std::make_tuple(size_t{1}, size_t{7}))
            << "six not sent and one backing off";
        EXPECT_TRUE(stopped.Offline()) << "the last answer was offline";
        EXPECT_EQ(deferred.keyRefused, outcome == KeyRefused);
    }

    RefreshRun carriers(Queries({0, 1, 0, 2, 1, 2, 0}), 1);
    const std::map<int64_t, TrackingOutcome> answers{
        {1, CarrierUnknown}, {2, Rejected}, {4, Rejected}, {5, Rejected}, {6, Ok}};
    sent.clear();
    while (auto query = carriers.Next()) {
        sent.push_back(query->shipmentId);
        carriers.Finished(query->shipmentId, answers.at(query->shipmentId));
    }
    EXPECT_EQ(sent, (std::vector<int64_t>{1, 2, 4, 5, 6}));
    EXPECT_TRUE(carriers.Done());
    EXPECT_EQ(carriers.Answered(), 7u);
    summary = carriers.Summary();
    EXPECT_EQ(std::tie(summary.checked, summary.failed), std::make_tuple(size_t{1}, size_t{6}));
    EXPECT_EQ(summary.unknownCarriers, std::vector<int32_t>{0});
    EXPECT_EQ(summary.refusedCouriers, std::vector<int32_t>{1});
    const std::vector<std::string> ids{"kr.c0", "kr.c1", "kr.c2"};
    const std::u16string line = RefreshStatusLine(summary, ids);
    EXPECT_NE(line.find(u"CARRIER01=kr.c0"), std::u16string::npos);
    EXPECT_NE(line.find(u"CARRIER02=kr.c1"), std::u16string::npos);
    EXPECT_EQ(line.find(u"CARRIER03"), std::u16string::npos);
    EXPECT_EQ(RefreshSetupProblems(summary, ids).size(), 2u);
}

std::optional<TrackingEvent> Event(Instant time, const std::string& code, const std::string& place = "") {
    return TrackingEvent{time, code, "", place, ""};
}

// Done once, respecting the user until a newer event; notified of another current event
// after the first check; the current status is the service's lastEvent unless it has no
// time or belongs to an earlier parcel under the same number, then the newest event that
// is neither. The plain cases (done when delivered unless the option is off, not done
// otherwise, nothing on a first check, notified of a new event, not of the same one) are
// TrackingRefresherTest's.
TEST(TrackingRulesTest, DoneNotifiedAndCurrentEvents) {
    EXPECT_FALSE(ShouldMarkDone(true, Cancelled, Event(100, "DELIVERED"), std::nullopt));
    EXPECT_FALSE(ShouldMarkDone(true, InDelivery, std::nullopt, std::nullopt));
    // Set done by the event of time 100, put back in delivery by the user.
    EXPECT_FALSE(ShouldMarkDone(true, InDelivery, Event(100, "DELIVERED"), 100));
    EXPECT_TRUE(ShouldMarkDone(true, InDelivery, Event(200, "DELIVERED"), 100));

    EXPECT_TRUE(ShouldNotify(false, Event(100, "IN_TRANSIT", "a"), Event(100, "IN_TRANSIT", "b")));
    EXPECT_TRUE(ShouldNotify(false, Event(200, "OUT_FOR_DELIVERY"), Event(100, "DELIVERED")))
        << "the service prefers a DELIVERED event to later ones";
    EXPECT_FALSE(ShouldNotify(false, Event(100, "IN_TRANSIT"), std::nullopt));

    constexpr Instant kOrder = 1'000'000;
    constexpr Instant kDay = 86400;
    const TrackingEvent untimed{std::nullopt, "DELIVERED", "", "", ""};
    const std::vector<TrackingEvent> events{untimed, *Event(kOrder - 3 * kDay, "DELIVERED"),
                                            *Event(kOrder - kDay, "AT_PICKUP"), *Event(kOrder + 5, "IN_TRANSIT"),
                                            *Event(kOrder + 9, "OUT_FOR_DELIVERY")};
    EXPECT_EQ(CurrentEvent(events[3], events, kOrder), events[3]) << "the service's pick, though not the newest";
    EXPECT_EQ(CurrentEvent(events[1], events, kOrder), events[4]) << "the old parcel's delivery";
    EXPECT_EQ(CurrentEvent(untimed, events, kOrder), events[4]);
    EXPECT_EQ(CurrentEvent(std::nullopt, std::span(events).first(3), kOrder), events[2]) << "a day is allowed";
    EXPECT_EQ(CurrentEvent(events[1], std::span(events).first(2), kOrder), std::nullopt);
    EXPECT_EQ(CurrentEvent(events[1], events, 0), events[1]) << "no order date";
    EXPECT_TRUE(PredatesOrder(*Event(kOrder - kDay - 1, "DELIVERED"), kOrder));
    EXPECT_FALSE(PredatesOrder(untimed, kOrder));
    EXPECT_FALSE(ShouldMarkDone(true, InDelivery, untimed, std::nullopt)) << "an untimed event completes nothing";
}

TEST(NotificationComposerTest, OneEachForAFewOneGroupForManyAndOneStatusLine) {
    std::vector<StatusChange> changes{{11, u"무선 이어폰", *Event(1, "OUT_FOR_DELIVERY", "서울강남")},
                                      {12, u"", *Event(1, "DELIVERED")}};
    const std::vector<NotificationItem> single = ComposeNotifications(changes);
    ASSERT_EQ(single.size(), 2u);
    EXPECT_EQ(single[0].body, u"배송출발 · 서울강남");
    EXPECT_EQ(single[0].shipmentId, 11);
    EXPECT_FALSE(single[1].summary.empty()) << "a name for an unnamed item";

    for (int i = 0; i < 4; ++i) {
        changes.push_back({20 + i, u"줄\n바꿈 " + std::u16string(60, u'가'), *Event(1, "IN_TRANSIT", "대전")});
    }
    const std::vector<NotificationItem> group = ComposeNotifications(changes);
    ASSERT_EQ(group.size(), 1u);
    EXPECT_EQ(group[0].shipmentId, 0);
    EXPECT_EQ(group[0].shipmentIds.size(), 6u);
    EXPECT_TRUE(group[0].body.starts_with(u"무선 이어폰: 배송출발 · 서울강남\n"));
    EXPECT_NE(group[0].body.find(u"줄 바꿈 "), std::u16string::npos) << "one line per item";
    EXPECT_NE(group[0].body.find(u'…'), std::u16string::npos) << "long names cut";
    EXPECT_TRUE(group[0].body.ends_with(u"\n외 2건"));

    // The status line is one quiet line when offline.
    RefreshSummary summary;
    std::tie(summary.checked, summary.changed, summary.failed) = std::make_tuple(12, 3, 1);
    EXPECT_EQ(RefreshStatusLine(summary), u"배송 조회 12건, 변경 3건, 실패 1건");
    summary.keyRefused = true;
    EXPECT_EQ(RefreshStatusLine(summary), RefreshSetupProblems(summary).front()) << "nothing else was asked";
    EXPECT_NE(RefreshStatusLine(summary).find(u"옵션"), std::u16string::npos) << "where to change it";
    summary.offline = 4;
    EXPECT_EQ(RefreshStatusLine(summary), u"오프라인: 배송 상태를 확인하지 못했습니다");
}

constexpr Instant kMarch5 = 1'709'615'220; // 2024-03-05 05:07:00 UTC

std::optional<TrackingResponse> Parse(const std::string& body) {
    return ParseTrackingResponse(body.data(), body.size());
}

// Events oldest first with the latest once, null fields kept as far as they go, pages
// joined; what is not the expected shape refused.
TEST(TrackingResponseParserTest, ReadsEventsOldestFirstAndRefusesOtherShapes) {
    const auto response = Parse(test::TrackAnswer({
        test::EventNode("2024-03-05T14:07:00+09:00", "OUT_FOR_DELIVERY", "서울강남", "배송출발"),
        test::EventNode("2024-03-04T09:00:00+09:00", "AT_PICKUP", ""),
        test::EventNode("2024-03-05T18:30:00+09:00", "DELIVERED", "서울강남"),
    }));
    ASSERT_TRUE(response.has_value());
    ASSERT_EQ(response->events.size(), 3u) << "the last event is not repeated";
    EXPECT_EQ(std::tie(response->events[0].statusCode, response->events[0].location), std::tie("AT_PICKUP", ""));
    EXPECT_EQ(response->events[1], (TrackingEvent{kMarch5, "OUT_FOR_DELIVERY", "이동중", "서울강남", "배송출발"}));

    EXPECT_EQ(response->lastEvent, response->events[2]);
    EXPECT_FALSE(response->hasPreviousPage);

    // A parcel known but without events yet, and one whose history is only its last event.
    EXPECT_TRUE(Parse(R"({"data":{"track":{"lastEvent":null,"events":{"edges":[]}}}})")->events.empty());
    const auto onlyLast = Parse(R"({"data":{"track":{"lastEvent":{"time":"2024-03-05T05:07:00Z",)"
                                R"("status":{"code":"IN_TRANSIT","name":null},"description":null,"location":null}}}})");
    ASSERT_TRUE(onlyLast.has_value() && onlyLast->events.size() == 1);
    EXPECT_EQ(onlyLast->events[0].time, kMarch5);

    // What the schema lets be null is kept as far as it goes; the answer is never lost for it.
    const auto nulls = Parse(
        R"({"data":{"track":{"lastEvent":{"time":"2024-03-05T05:07:00Z","status":{"code":"DELIVERED","name":null}},)"
        R"("events":{"edges":[null,{"node":null},)"
        R"({"node":{"time":null,"status":{"code":"AT_PICKUP"},"location":null,"description":null}},)"
        R"({"node":{"time":"2024-03-05T14:07:00","status":null,"location":{"name":null}}},)"
        R"({"node":{"time":"2024-03-04T05:07:00Z","status":{"code":"IN_TRANSIT"},"description":"이동"}}],)"
        R"("pageInfo":{"hasPreviousPage":true,"startCursor":"eyJpbmRleCI6MjB9"}}}}})");
    ASSERT_TRUE(nulls.has_value() && nulls->events.size() == 4);
    // The untimed ones first, in the service's order; the unreadable time (no offset) is none.
    EXPECT_EQ(nulls->events[0], (TrackingEvent{std::nullopt, "AT_PICKUP", "", "", ""}));
    EXPECT_EQ(nulls->events[1], (TrackingEvent{std::nullopt, "UNKNOWN", "", "", ""}));
    EXPECT_EQ(nulls->events[2].description, "이동");
    EXPECT_EQ(nulls->events[3], (TrackingEvent{kMarch5, "DELIVERED", "", "", ""}));
    EXPECT_EQ(nulls->lastEvent, nulls->events[3]);
    EXPECT_EQ(std::tie(nulls->hasPreviousPage, nulls->startCursor), std::make_tuple(true, "eyJpbmRleCI6MjB9"));

    // An older page goes before, once.
    std::vector<TrackingEvent> events = nulls->events;
    PrependOlderEvents(events, {TrackingEvent{kMarch5 - 999, "AT_PICKUP", "", "", ""}, nulls->events[2]});
    ASSERT_EQ(events.size(), 5u);
    EXPECT_EQ(events[3].time, kMarch5 - 999);

    // What is not the expected shape is refused, and over 1 MB however well formed.
    const std::string good = test::TrackAnswer({test::EventNode("2024-03-05T14:07:00+09:00", "IN_TRANSIT", "x")});
    ASSERT_TRUE(Parse(good).has_value());
    const std::string event = R"({"data":{"track":{"events":{"edges":[{"node":{"time":"2024-03-05T05:07:00Z",)";
    for (const std::string& bad : std::vector<std::string>{
             "", "{", "[]", R"({"data":{}})", R"({"data":{"track":1}})", R"({"errors":[1]})",
             R"({"data":{"track":{"events":{"edges":{}}}}})",
             R"({"data":{"track":{"events":{"edges":[{"node":{"time":null,"status":"DELIVERED"}}]}}}})",
             event + R"("status":{"code":7}}}]}}}})", event + R"("status":{"code":"X"},"location":"here"}}]}}}})",
             event + "\"status\":{\"code\":\"\xC0\xAF\"}}}]}}}}", // not UTF-8
         }) {
        EXPECT_FALSE(Parse(bad).has_value()) << bad;
    }
    std::string large = good;
    large.insert(1, std::string(kMaxTrackingResponseBytes, ' '));
    EXPECT_FALSE(Parse(large).has_value());
    EXPECT_FALSE(ParseTrackingResponse(nullptr, 0).has_value());
}

// The request sends the number and cursor as variables, not as query text; the answers
// map to outcomes by status and error code, and the token issuer's are read.
TEST(TrackingAnswerTest, SendsVariablesMapsAnswersToOutcomesAndReadsTokens) {
    using enum TrackingOutcome;
    const std::string body = BuildTrackingRequest("kr.cjlogistics", "123\"}) { x } #\n\xff");
    const nlohmann::json parsed = nlohmann::json::parse(body);
    EXPECT_EQ(parsed["variables"]["carrierId"], "kr.cjlogistics");
    EXPECT_EQ(parsed["variables"]["trackingNumber"], "123\"}) { x } #\n\xEF\xBF\xBD");
    EXPECT_TRUE(parsed["variables"]["before"].is_null()) << "the newest page";
    EXPECT_EQ(parsed["query"].get<std::string>().find("123"), std::string::npos);
    EXPECT_EQ(nlohmann::json::parse(BuildTrackingRequest("a", "1", "eyJpbmRleCI6MjB9"))["variables"]["before"],
              "eyJpbmRleCI6MjB9");

    const std::string events = test::TrackAnswer({test::EventNode("2024-03-05T14:07:00+09:00", "DELIVERED", "x")});
    const auto interpret = [](int status, const std::string& body) {
        return InterpretTrackingAnswer(status, body.data(), body.size());
    };
    EXPECT_EQ(interpret(200, R"({"errors":[{"message":"x"}]})").errorCode, "INTERNAL") << "an error without a code";
    // Each answer as a tracking query's and as the connection check's.
    const std::vector<std::tuple<int, std::string, TrackingOutcome, TrackingOutcome>> answers = {
        {200, events, Ok, Invalid},
        {200, R"({"data":{"carriers":{"edges":[]}}})", Invalid, Ok},
        {200, R"({"data":{"track":null}})", Ok, Invalid},
        {200, test::ErrorAnswer("NOT_FOUND"), NotFound, ServiceError},
        {200, test::ErrorAnswer("NOT_FOUND", "운송장이 등록되지 않았습니다"), NotFound, ServiceError},
        {200, test::ErrorAnswer("NOT_FOUND", "Carrier not found"), CarrierUnknown, ServiceError},
        {400, R"({"errors":[{"extensions":{"code":"BAD_REQUEST"}}],"data":{"track":null}})", Rejected, ServiceError},
        {200, test::ErrorAnswer("UNAUTHENTICATED"), KeyRefused, KeyRefused},
        {403, test::ErrorAnswer("FORBIDDEN"), KeyRefused, KeyRefused},
        {401, "Unauthorized", KeyRefused, KeyRefused},
        {200, test::ErrorAnswer("INTERNAL"), ServiceError, ServiceError},
        {429, "", RateLimited, RateLimited},
        {503, events, ServerError, ServerError},
        {503, "", ServerError, ServerError},
        {200, "<html>", Invalid, Invalid},
        {404, "<html>Not Found</html>", Invalid, Invalid},
        {404, events, Invalid, Invalid}, // events with an error status are not trusted
        {404, R"({"data":{"carriers":{"edges":[]}}})", Invalid, Invalid},
    };
    for (const auto& [status, body, track, check] : answers) {
        EXPECT_EQ(interpret(status, body).outcome, track) << status << body;
        EXPECT_EQ(InterpretConnectionCheckAnswer(status, body.data(), body.size()), check) << status << body;
    }

    EXPECT_EQ(ShortStatusName("SOMETHING_NEW"), ShortStatusName("UNKNOWN")) << "a code added later";

    EXPECT_EQ(ParseRetryAfter(" 120 "), 120);
    EXPECT_EQ(ParseRetryAfter("99999999999999999999"), 999'999'999);
    EXPECT_FALSE(ParseRetryAfter("Wed, 21 Oct 2015 07:28:00 GMT").has_value());
    EXPECT_FALSE(ParseRetryAfter("-5").has_value());

    // The token issuer's answers (RFC 6749 5.1 and 5.2).
    EXPECT_EQ(BuildAccessTokenRequest("id 1", "s&c=r+t/é"),
              "grant_type=client_credentials&client_id=id+1&client_secret=s%26c%3Dr%2Bt%2F%C3%A9");
    const auto token = [](int status, const std::string& body) {
        return InterpretAccessTokenAnswer(status, body.data(), body.size());
    };
    const AccessTokenAnswer good = token(200, R"({"access_token":"abc","token_type":"Bearer","expires_in":86400})");
    EXPECT_EQ(std::tie(good.outcome, good.accessToken, good.expiresIn), std::make_tuple(Ok, "abc", 86400));
    EXPECT_EQ(token(200, R"({"access_token":"abc","token_type":"bearer"})").expiresIn, kDefaultAccessTokenSeconds);
    const std::vector<std::tuple<int, std::string, TrackingOutcome>> cases = {
        {400, R"({"error":"invalid_client"})", KeyRefused},
        {401, "", KeyRefused},
        {400, R"({"error":"unauthorized_client"})", KeyRefused},
        {400, R"({"error":"invalid_request"})", Invalid},
        {200, R"({"access_token":"abc","token_type":"mac"})", Invalid},
        {200, R"({"access_token":"a\r\nX: 1","token_type":"bearer"})", Invalid},
        {200, R"({"access_token":"abc","token_type":"bearer","expires_in":0})", Invalid},
        {200, R"({"access_token":"","token_type":"bearer"})", Invalid},
        {200, "<html>", Invalid},
        {429, "", RateLimited},
        {502, "", ServerError},
    };
    for (const auto& [status, body, outcome] : cases) {
        const AccessTokenAnswer answer = token(status, body);
        EXPECT_TRUE(answer.outcome == outcome && answer.accessToken.empty()) << status << " " << body;
    }
}

} // namespace
} // namespace parcelo
