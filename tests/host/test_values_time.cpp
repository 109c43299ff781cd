// MTime: unit rates, exact conversions, the scene's UI unit, comparisons and
// arithmetic across units.

#include <gtest/gtest.h>
#include <maya/MTime.h>

#include <sstream>
#include <string>

#include "host/src/base/timeUnits.h"

using zt::host::timeUnitFromName;
using zt::host::timeUnitName;

namespace {

// The UI unit is process-wide: every test that changes it puts it back.
class MTimeTest : public ::testing::Test {
protected:
    void SetUp() override { saved_ = MTime::uiUnit(); }
    void TearDown() override { MTime::setUIUnit(saved_); }

private:
    MTime::Unit saved_ = MTime::kFilm;
};

struct Rate {
    MTime::Unit unit;
    double perSecond;
};

// clang-format off
const Rate kRates[] = {
    {MTime::kGames, 15}, {MTime::kFilm, 24}, {MTime::kPALFrame, 25}, {MTime::kNTSCFrame, 30},
    {MTime::kShowScan, 48}, {MTime::kPALField, 50}, {MTime::kNTSCField, 60},
    {MTime::k2FPS, 2}, {MTime::k3FPS, 3}, {MTime::k4FPS, 4}, {MTime::k5FPS, 5},
    {MTime::k6FPS, 6}, {MTime::k8FPS, 8}, {MTime::k10FPS, 10}, {MTime::k12FPS, 12},
    {MTime::k16FPS, 16}, {MTime::k20FPS, 20}, {MTime::k40FPS, 40}, {MTime::k75FPS, 75},
    {MTime::k80FPS, 80}, {MTime::k100FPS, 100}, {MTime::k120FPS, 120},
    {MTime::k125FPS, 125}, {MTime::k150FPS, 150}, {MTime::k200FPS, 200},
    {MTime::k240FPS, 240}, {MTime::k250FPS, 250}, {MTime::k300FPS, 300},
    {MTime::k375FPS, 375}, {MTime::k400FPS, 400}, {MTime::k500FPS, 500},
    {MTime::k600FPS, 600}, {MTime::k750FPS, 750}, {MTime::k1200FPS, 1200},
    {MTime::k1500FPS, 1500}, {MTime::k2000FPS, 2000}, {MTime::k3000FPS, 3000},
    {MTime::k6000FPS, 6000},
    {MTime::kMilliseconds, 1000}, {MTime::kSeconds, 1}, {MTime::kMinutes, 1.0 / 60},
    {MTime::kHours, 1.0 / 3600},
};
// clang-format on

std::string printed(const MTime& t) {
    std::ostringstream os;
    os << t;
    return os.str();
}

}  // namespace

TEST_F(MTimeTest, EveryUnitHasItsRateAndWholeFramesConvertExactly) {
    for (const Rate& rate : kRates) {
        EXPECT_DOUBLE_EQ(MTime(1.0, MTime::kSeconds).as(rate.unit), rate.perSecond)
            << timeUnitName(rate.unit);
        EXPECT_DOUBLE_EQ(MTime(rate.perSecond, rate.unit).as(MTime::kSeconds), 1.0)
            << timeUnitName(rate.unit);
    }

    EXPECT_EQ(MTime(24.0, MTime::kFilm).as(MTime::kSeconds), 1.0);
    EXPECT_EQ(MTime(1.0, MTime::kSeconds).as(MTime::kNTSCFrame), 30.0);
    EXPECT_EQ(MTime(48.0, MTime::kFilm).as(MTime::kNTSCFrame), 60.0);
    EXPECT_EQ(MTime(1.0, MTime::kHours).as(MTime::kFilm), 86400.0);
    EXPECT_EQ(MTime(1.0, MTime::kFilm).as(MTime::kMilliseconds), 1000.0 / 24.0);
    EXPECT_EQ(MTime(10.0, MTime::kNTSCFrame).as(MTime::kFilm), 8.0);
    EXPECT_EQ(MTime(2.5, MTime::kMinutes).asUnits(MTime::kSeconds), 150.0);
    for (int frame = -500; frame <= 500; ++frame) {
        const MTime t(frame, MTime::kPALFrame);
        ASSERT_EQ(t.as(MTime::kPALField), 2.0 * frame);
        ASSERT_EQ(MTime(t.as(MTime::k6000FPS), MTime::k6000FPS).as(MTime::kPALFrame), frame);
    }
}

TEST_F(MTimeTest, DefaultUnitsAndTheUiUnitAsTheScenesFrameUnit) {
    EXPECT_EQ(MTime(5.0).unit(), MTime::kFilm);
    EXPECT_EQ(MTime::uiUnit(), MTime::kFilm);
    EXPECT_EQ(MTime().value(), 0.0);
    EXPECT_EQ(MTime().unit(), MTime::kFilm);

    EXPECT_EQ(MTime::setUIUnit(MTime::kNTSCFrame), MS::kSuccess);
    EXPECT_EQ(MTime::uiUnit(), MTime::kNTSCFrame);
    EXPECT_EQ(MTime(48.0, MTime::kFilm).as(MTime::uiUnit()), 60.0);
    EXPECT_EQ(MTime().unit(), MTime::kNTSCFrame);
    // MTime(double) stays in film whatever the scene's unit.
    EXPECT_EQ(MTime(12.0).unit(), MTime::kFilm);

    EXPECT_EQ(MTime::setUIUnit(MTime::kInvalid), MS::kInvalidParameter);
    EXPECT_EQ(MTime::setUIUnit(MTime::kUserDef), MS::kInvalidParameter);
    EXPECT_EQ(MTime::setUIUnit(MTime::kLast), MS::kInvalidParameter);
    EXPECT_EQ(MTime::uiUnit(), MTime::kNTSCFrame);
}

TEST_F(MTimeTest, ComparisonsConvertArithmeticKeepsTheLeftUnitSetUnitReinterprets) {
    EXPECT_TRUE(MTime(24.0, MTime::kFilm) == MTime(1.0, MTime::kSeconds));
    EXPECT_TRUE(MTime(25.0, MTime::kFilm) > MTime(30.0, MTime::kNTSCFrame));
    EXPECT_TRUE(MTime(29.0, MTime::kNTSCFrame) < MTime(24.0, MTime::kFilm));
    EXPECT_TRUE(MTime(1.0, MTime::kMinutes) >= MTime(60.0, MTime::kSeconds));
    EXPECT_TRUE(MTime(1.0, MTime::kMinutes) <= MTime(1440.0, MTime::kFilm));
    EXPECT_TRUE(MTime(1.0, MTime::kFilm) != MTime(1.0, MTime::kNTSCFrame));
    EXPECT_TRUE(MTime(0.0, MTime::kHours) <= 0.0);
    EXPECT_FALSE(MTime(0.5, MTime::kMilliseconds) <= 0.0);

    // Arithmetic keeps the left unit.
    const MTime sum = MTime(1.0, MTime::kSeconds) + MTime(12.0, MTime::kFilm);
    EXPECT_EQ(sum.unit(), MTime::kSeconds);
    EXPECT_EQ(sum.value(), 1.5);
    const MTime difference = MTime(10.0, MTime::kFilm) - MTime(0.25, MTime::kSeconds);
    EXPECT_EQ(difference.unit(), MTime::kFilm);
    EXPECT_EQ(difference.value(), 4.0);
    EXPECT_EQ((MTime(10.0, MTime::kFilm) - 2.0).value(), 8.0);
    EXPECT_EQ((MTime(10.0, MTime::kFilm) + 2.0).value(), 12.0);
    EXPECT_EQ((MTime(10.0, MTime::kNTSCFrame) * 1.5).value(), 15.0);
    EXPECT_EQ((MTime(10.0, MTime::kNTSCFrame) / 4.0).as(MTime::kSeconds), 2.5 / 30.0);

    // setUnit reinterprets the value.
    MTime t(24.0, MTime::kFilm);
    EXPECT_EQ(t.setUnit(MTime::kNTSCFrame), MS::kSuccess);
    EXPECT_EQ(t.value(), 24.0);
    EXPECT_EQ(t.as(MTime::kSeconds), 0.8);
    EXPECT_EQ(t.setUnit(MTime::kInvalid), MS::kInvalidParameter);
    EXPECT_EQ(t.unit(), MTime::kNTSCFrame);
    t.setValue(3.0);
    EXPECT_EQ(t.as(MTime::kNTSCField), 6.0);
}

TEST_F(MTimeTest, InvalidUnitsConvertToZeroAndUnitNamesPrintAndRoundTrip) {
    const MTime invalid(5.0, MTime::kUserDef);
    EXPECT_EQ(invalid.unit(), MTime::kInvalid);
    EXPECT_EQ(invalid.as(MTime::kFilm), 0.0);
    EXPECT_EQ(MTime(5.0, MTime::kFilm).as(MTime::kInvalid), 0.0);
    EXPECT_EQ(printed(invalid), "5 invalid");

    EXPECT_EQ(printed(MTime(12.0)), "12 film");
    EXPECT_EQ(printed(MTime(1.5, MTime::kSeconds)), "1.5 sec");
    EXPECT_EQ(printed(MTime(-2.0, MTime::k250FPS)), "-2 250fps");

    for (const Rate& rate : kRates)
        EXPECT_EQ(timeUnitFromName(timeUnitName(rate.unit)), rate.unit) << timeUnitName(rate.unit);
    EXPECT_EQ(timeUnitFromName("ntsc"), MTime::kNTSCFrame);
    EXPECT_EQ(timeUnitFromName("30fps"), MTime::kNTSCFrame);
    EXPECT_EQ(timeUnitFromName("24fps"), MTime::kFilm);
    EXPECT_EQ(timeUnitFromName("7fps"), MTime::kInvalid);
    EXPECT_EQ(timeUnitFromName(""), MTime::kInvalid);
    EXPECT_STREQ(timeUnitName(MTime::kInvalid), "");
}
