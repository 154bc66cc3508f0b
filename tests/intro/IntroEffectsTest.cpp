#include "PlainControls.h"
#include "common/Text.h"
#include "intro/mod_IntroEffects.h"

#include <gtest/gtest.h>

using namespace qs::intro;
using qs::test::PlainControl;
using qs::test::PlainControlArray;

TEST(IntroTags, ReadIgnoresCaseAndWriteLowersTheRest) {
    PlainControl c;
    c.tag = "Direction=U|colindex=3";
    EXPECT_EQ(GetTagValue(c, "DIRECTION"), "u");
    EXPECT_EQ(GetTagValue(c, "COLINDEX"), "3");
    EXPECT_EQ(GetTagValue(c, "COLDIR"), "");

    PlainControl empty;
    SetTagValue(empty, "DIRECTION", "D");
    EXPECT_EQ(empty.tag, "DIRECTION=D");

    PlainControl two;
    two.tag = "direction=d|colindex=3";
    SetTagValue(two, "DIRECTION", "U");
    EXPECT_EQ(two.tag, "DIRECTION=U|colindex=3");
    SetTagValue(two, "ALTIDX", "0");
    EXPECT_EQ(two.tag, "direction=u|colindex=3|ALTIDX=0");

    // A key is matched as a whole word before "=", and the value runs to the end.
    PlainControl tricky;
    tricky.tag = "colindexx=9|colindex=a=b";
    EXPECT_EQ(GetTagValue(tricky, "COLINDEX"), "a=b");
}

TEST(IntroBounce, TurnsAtTheLimitsAndAnswersTheSignedStep) {
    PlainControl bar;
    bar.top = 2150; // starts below the range, as raster bar 0 does
    EXPECT_EQ(BounceVertical(bar, 390, 1000, 20), 20);
    EXPECT_EQ(GetTagValue(bar, "DIRECTION"), "u");
    int lowest = 100000, highest = -100000, turns = 0;
    int previous = 0;
    for (int i = 0; i < 400; ++i) {
        const int step = BounceVertical(bar, 390, 1000, 20);
        EXPECT_EQ(std::abs(step), 20);
        if (previous != 0 && step != previous)
            ++turns;
        previous = step;
        if (i > 100) {
            lowest = std::min(lowest, bar.top);
            highest = std::max(highest, bar.top);
        }
    }
    EXPECT_GE(turns, 10);
    EXPECT_GE(lowest, 390 - 20);
    EXPECT_LE(highest, 1000 + 20);

    PlainControl logo;
    logo.left = 800;
    std::vector<int> lefts;
    for (int i = 0; i < 24; ++i) {
        BounceHorizontal(logo, 800, 950, 15);
        lefts.push_back(logo.left);
    }
    EXPECT_EQ(lefts[0], 815);
    EXPECT_EQ(lefts[9], 950);
    EXPECT_EQ(lefts[10], 965); // passes the limit by one step, then turns
    EXPECT_EQ(lefts[11], 950);
    EXPECT_EQ(lefts[22], 785);
    EXPECT_EQ(lefts[23], 800);
}

TEST(IntroColors, RampsHoldFadeAndHold) {
    EXPECT_EQ(PackColor(0x40, 0x40, 0x54), 0x544040u);
    const RgbParts parts = SplitColor(0xFFA5A5u);
    EXPECT_EQ(parts.red, 0xA5);
    EXPECT_EQ(parts.green, 0xA5);
    EXPECT_EQ(parts.blue, 0xFF);

    const ColorRamp a = BuildColorRamp(0x000000, 0xFFFFFF, 8, 0, 5);
    ASSERT_EQ(a.size(), 13u);
    for (int i = 0; i <= 5; ++i)
        EXPECT_EQ(a[static_cast<std::size_t>(i)], 0u) << i;
    for (int i = 6; i <= 11; ++i) {
        const int grey = 20 * i;
        EXPECT_EQ(a[static_cast<std::size_t>(i)], PackColor(grey, grey, grey)) << i;
    }
    EXPECT_EQ(a[12], 0xFFFFFFu);

    // The window's other ramps: holds at both ends, every component within range.
    const ColorRamp d = BuildColorRamp(0x000000, 0xFFFFFF, 10, 15, 2);
    ASSERT_EQ(d.size(), 27u);
    EXPECT_EQ(d[2], 0u);
    for (std::size_t i = 11; i < 27; ++i)
        EXPECT_EQ(d[i], 0xFFFFFFu) << i;
    const ColorRamp b = BuildColorRamp(0x544040, 0xFFA5A5, 6, 7, 2);
    ASSERT_EQ(b.size(), 15u);
    EXPECT_EQ(b[0], 0x544040u);
    EXPECT_EQ(b[3], PackColor(0x40 + 3 * 13, 0x40 + 3 * 13, 0x54 + 3 * 21));
    EXPECT_EQ(b[7], 0xFFA5A5u);
}

TEST(IntroColors, CycleRunsForthAndBackAndCaptionsChangeAtTheRestart) {
    const ColorRamp ramp = BuildColorRamp(0x000000, 0xFFFFFF, 8, 0, 5);
    PlainControl label;
    label.color = 0x123456;
    const std::vector<std::string> texts{"one", "two", "three"};
    SetTagValue(label, "ALTIDX", "0");
    std::vector<int> visited;
    std::vector<std::string> captions;
    for (int i = 0; i < 50; ++i) {
        visited.push_back(
            qs::ParseInteger(GetTagValue(label, "COLINDEX"), qs::NumberSyntax::Leading));
        CycleForeColor(label, ramp);
        EXPECT_EQ(label.color, ramp[static_cast<std::size_t>(visited.back())]);
        NextAltCaption(label, texts);
        captions.push_back(label.caption);
    }
    const std::vector<int> expectStart{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 11, 10};
    EXPECT_TRUE(std::equal(expectStart.begin(), expectStart.end(), visited.begin()));
    EXPECT_EQ(visited[24], 0);
    EXPECT_EQ(visited[25], 1);
    EXPECT_EQ(visited[36], 12);
    EXPECT_EQ(visited[48], 0);
    // The first caption comes when the cycle returns to 0 (after call 24).
    EXPECT_EQ(captions[22], "");
    EXPECT_EQ(captions[23], "one");
    EXPECT_EQ(captions[46], "one");
    EXPECT_EQ(captions[47], "two");

    // A foreign tag cannot push the index outside the ramp.
    PlainControl odd;
    odd.tag = "colindex=99|coldir=1";
    CycleForeColor(odd, ramp);
    EXPECT_EQ(odd.color, ramp.back());
}

TEST(IntroScroller, LabelsOf255CharactersSideBySideAndWrapAround) {
    PlainControlArray labels;
    PlainControl panel;
    BuildScrollLabels(labels, std::string(600, 'x'), panel);
    ASSERT_EQ(labels.Count(), 3u);
    EXPECT_EQ(labels.at(0).caption.size(), 255u);
    EXPECT_EQ(labels.at(1).caption.size(), 255u);
    EXPECT_EQ(labels.at(2).caption.size(), 90u);
    EXPECT_EQ(labels.at(1).left, labels.at(0).left + labels.at(0).width);
    EXPECT_EQ(labels.at(2).left, labels.at(1).left + labels.at(1).width);
    EXPECT_TRUE(labels.at(2).visible);
    EXPECT_EQ(panel.width, 600 * 120 + 10);
    EXPECT_EQ(panel.height, 240);

    PlainControlArray two;
    BuildScrollLabels(two, std::string(491, 'y'), panel);
    ASSERT_EQ(two.Count(), 2u);
    EXPECT_EQ(two.at(1).caption.size(), 236u);

    labels.at(0).color = 0xABCDEF;
    CopyForeColor(labels);
    EXPECT_EQ(labels.at(2).color, 0xABCDEFu);

    PlainControl moving;
    moving.width = 5000;
    moving.left = -4980;
    moving.containerWidth = 6000;
    ScrollPanelLeft(moving, 15);
    EXPECT_EQ(moving.left, -4995);
    ScrollPanelLeft(moving, 15);
    EXPECT_EQ(moving.left, 6000 + 45);
}
