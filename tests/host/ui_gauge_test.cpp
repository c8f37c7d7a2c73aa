#include <gtest/gtest.h>

#include <climits>

#include "framework/GaugeMath.h"

using namespace qs::gauge;

TEST(GaugeMath, PercentDone_TruncatesTowardZero) {
    struct Case {
        int32_t min, max, progress;
        int percent;
    } cases[] = {
        {0, 100, 0, 0},         {0, 100, 42, 42},     {0, 100, 100, 100},   {0, 3, 1, 33},
        {0, 3, 2, 66},          {0, 1000, 999, 99},   {0, 1000, 1001, 100}, {10, 20, 15, 50},
        {-50, 50, 0, 50},       {0, 7, 7, 100},       {0, 0, 0, 0},         {5, 5, 5, 0},
        {0, INT32_MAX, INT32_MAX / 2, 49},            {INT32_MIN, INT32_MAX, INT32_MAX, 100},
        {0, 200, -1, 0},  // below the minimum truncates toward zero, not down to -1
    };
    for (const Case& c : cases)
        EXPECT_EQ(PercentDone(c.min, c.max, c.progress), c.percent) << c.min << ".." << c.max << " @" << c.progress;
}

TEST(GaugeMath, FillWidth_WholePercentOfInnerWidthNeverWider) {
    struct Case {
        int inner, percent, width;
    } cases[] = {
        {412, 0, 0}, {412, 100, 412}, {412, 50, 206}, {412, 1, 4}, {100, 29, 28},  // 0.29 * 100 is 28.999...
        {100, 58, 57}, {10, 99, 9},   {0, 50, 0},     {412, 150, 412}, {412, -5, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FillWidth(c.inner, c.percent), c.width) << c.inner << " x " << c.percent << "%";
}

TEST(GaugeMath, SetProgress_RepaintsOnlyWhenTheWholePercentChanges) {
    GaugeState g;
    ASSERT_EQ(g.SetMaxValue(1000), GaugeState::MaxResult::Changed);
    EXPECT_FALSE(g.SetProgress(5));   // 0.5 %: still 0
    EXPECT_EQ(g.progress, 5);         // but stored
    EXPECT_FALSE(g.SetProgress(9));
    EXPECT_TRUE(g.SetProgress(10));   // 1 %
    EXPECT_FALSE(g.SetProgress(10));  // same value: nothing happens
    EXPECT_FALSE(g.SetProgress(19));
    EXPECT_TRUE(g.SetProgress(20));
    EXPECT_TRUE(g.SetProgress(5000)); // clamped to 1000: 100 %
    EXPECT_FALSE(g.SetProgress(6000));
    EXPECT_EQ(g.progress, 1000);
}

TEST(GaugeMath, ZeroRange_ShowsZeroPercentAndNoFill) {
    GaugeState g;
    ASSERT_EQ(g.SetMaxValue(0), GaugeState::MaxResult::Changed);
    EXPECT_EQ(g.Percent(), 0);
    EXPECT_FALSE(g.SetProgress(7));  // clamped to 0, unchanged
    EXPECT_EQ(FillWidth(412, g.Percent()), 0);
}

TEST(GaugeMath, SetMaxValue_SameBelowMinAndPullingProgressDown) {
    GaugeState g;
    g.SetProgress(80);
    EXPECT_EQ(g.SetMaxValue(100), GaugeState::MaxResult::Unchanged);
    EXPECT_EQ(g.SetMaxValue(-1), GaugeState::MaxResult::BelowMin);
    EXPECT_EQ(g.maxValue, 100);
    EXPECT_EQ(g.progress, 80);
    EXPECT_EQ(g.SetMaxValue(50), GaugeState::MaxResult::Changed);
    EXPECT_EQ(g.progress, 50);
    EXPECT_EQ(g.Percent(), 100);
    EXPECT_EQ(g.SetMaxValue(200), GaugeState::MaxResult::Changed);
    EXPECT_EQ(g.progress, 50);
    EXPECT_EQ(g.Percent(), 25);
}
