// The detection keys of the sample courier file, checked against numbers of the
// shape each courier issues.
#include "config/IniReader.h"
#include "couriers/Courier.h"
#include "couriers/CourierDetector.h"
#include "tracking/CarrierIds.h"

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

// The rules behind the sample keys:
// - CJ대한통운: invoice numbers of 10 or 12 digits, no public check digit.
// - 우체국택배: domestic parcel registration numbers of 13 digits, no public check digit.
// - 한진택배: 10 or 12 digits; the last digit is the number formed by the others modulo 7.
// - 롯데택배: 12 digits, no public check digit.
// - 로젠택배: 11 digits, no public check digit.
// - 우체국EMS: a UPU S10 item identifier (standard S10 of the Universal Postal Union):
//   service indicator EA to EZ for EMS, 8 serial digits, a check digit from the
//   weights 8 6 4 2 3 5 9 7, and the country code.
// The other couriers of the sample have no detection keys: their number formats are
// not published in a form that can be relied on.
class SampleCourierRulesTest : public ::testing::Test {
protected:
    void SetUp() override {
        CIniReader reader;
        ASSERT_TRUE(reader.Load(u"" PARCELO_SOURCE_DIR "/res/parcelo.ini"));
        BuildCourierTable(reader, m_couriers);
        ASSERT_EQ(m_couriers.size(), 15u);
        m_detector = std::make_unique<CourierDetector>(CourierDetector::ReadRules(reader, m_couriers.size()),
                                                       [this](std::string_view line) { m_log.emplace_back(line); });
        m_carrierIds = ReadCarrierIds(reader, m_couriers.size());
    }

    std::vector<Courier> m_couriers;
    std::unique_ptr<CourierDetector> m_detector;
    std::vector<std::string> m_log;
    std::vector<std::string> m_carrierIds;
};

// Every carrier id of the sample is read, and only couriers the service knows have one.
TEST_F(SampleCourierRulesTest, CarrierIdsOfTheCouriersTheServiceKnows) {
    EXPECT_THAT(m_carrierIds, ElementsAre("kr.cjlogistics", "kr.epost", "kr.hanjin", "kr.lotte", "kr.logen", "kr.kdexp",
                                          "", "", "", "", "", "kr.cupost", "", "", ""));
}

TEST_F(SampleCourierRulesTest, EveryKeyCompiles) {
    EXPECT_THAT(m_log, ElementsAre());
    for (const int index : {CJ, EPOST, HANJIN, LOTTE, LOGEN, EMS}) {
        EXPECT_TRUE(m_detector->HasRule(index)) << index;
    }
    for (int index = LOGEN + 1; index < EMS; ++index) {
        EXPECT_FALSE(m_detector->HasRule(index)) << index;
    }
}

TEST_F(SampleCourierRulesTest, SuggestsTheCouriersWhoseNumbersHaveThatShape) {
    struct Case {
        std::u16string number;
        std::vector<int> couriers;
    };
    const Case cases[] = {
        {u"684512930570", {HANJIN, CJ, LOTTE}},   // 68451293057 mod 7 = 0
        {u"6845-1293-0570", {HANJIN, CJ, LOTTE}}, // as shop pages write it
        {u"601234567890", {CJ, LOTTE}},           // mod 7 gives 4, not 0
        {u"5078123456", {CJ}},                    // mod 7 gives 5, not 6
        {u"1234567891", {HANJIN, CJ}},
        {u"97531086420", {LOGEN}},
        {u"6069912345671", {EPOST}},
        {u"EE123456785KR", {EMS}},
        {u"ee 123 456 785 kr", {EMS}},
        {u"EE123456789KR", {}}, // the check digit is wrong
        {u"RR123456785KR", {}}, // registered mail, not EMS
        {u"123456789", {}},
        {u"12345678901234", {}},
    };
    for (const Case& c : cases) {
        EXPECT_THAT(m_detector->Detect(c.number), ElementsAreArray(c.couriers))
            << std::string(c.number.begin(), c.number.end());
    }
    // A number 한진택배's check digit confirms is that courier's, although the length
    // rules of CJ대한통운 and 롯데택배 match it too; without a confirming check the
    // length rules alone leave the choice open.
    EXPECT_EQ(m_detector->Pick(m_detector->Detect(u"6845-1293-0570")), HANJIN);
    EXPECT_EQ(m_detector->Pick(m_detector->Detect(u"601234567890")), -1);
    EXPECT_EQ(m_detector->Pick(m_detector->Detect(u"EE123456785KR")), EMS);
}

} // namespace
} // namespace parcelo
