// The detection keys of the sample courier file against numbers of each courier's shape.
#include "config/IniReader.h"
#include "couriers/Courier.h"
#include "couriers/CourierDetector.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace parcelo {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

// Positions in the sample file.
enum SampleCourier { CJ = 0, EPOST = 1, HANJIN = 2, LOTTE = 3, LOGEN = 4, EMS = 14 };

// 한진택배 uses mod 7, 우체국EMS the S10 check; the others are lengths alone.
class SampleCourierRulesTest : public ::testing::Test {
protected:
    void SetUp() override {
        CIniReader reader;
        ASSERT_TRUE(reader.Load(u"" PARCELO_SOURCE_DIR "/res/parcelo.ini"));
        BuildCourierTable(reader, m_couriers);
        ASSERT_EQ(m_couriers.size(), 15u);
        m_detector = std::make_unique<CourierDetector>(CourierDetector::ReadRules(reader, m_couriers.size()),
                                                       [this](std::string_view line) { m_log.emplace_back(line); });
    }

    std::vector<Courier> m_couriers;
    std::unique_ptr<CourierDetector> m_detector;
    std::vector<std::string> m_log;
};

TEST_F(SampleCourierRulesTest, EveryKeyCompiles) {
    EXPECT_THAT(m_log, ElementsAre());
}

TEST_F(SampleCourierRulesTest, SuggestsTheCouriersWhoseNumbersHaveThatShape) {
    struct Case {
        std::u16string number;
        std::vector<int> couriers;
    };
    const Case cases[] = {
        {u"684512930570", {HANJIN, CJ, LOTTE}}, // 68451293057 mod 7 = 0
        {u"601234567890", {CJ, LOTTE}},         // mod 7 gives 4, not 0
        {u"5078123456", {CJ}},                  // mod 7 gives 5, not 6
        {u"1234567891", {HANJIN, CJ}},
        {u"97531086420", {LOGEN}},
        {u"6069912345671", {EPOST}},
        {u"EE123456785KR", {EMS}},
        {u"EE123456789KR", {}}, // the check digit is wrong
        {u"RR123456785KR", {}}, // registered mail, not EMS
    };
    for (const Case& c : cases) {
        EXPECT_THAT(m_detector->Detect(c.number), ElementsAreArray(c.couriers))
            << std::string(c.number.begin(), c.number.end());
    }
    // A confirming check picks its courier over length rules; length rules alone pick nothing.
    EXPECT_EQ(m_detector->Pick(m_detector->Detect(u"6845-1293-0570")), HANJIN);
    EXPECT_EQ(m_detector->Pick(m_detector->Detect(u"601234567890")), -1);
}

} // namespace
} // namespace parcelo
