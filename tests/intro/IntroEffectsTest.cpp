// The effect steps on controls without a window. A caption makes a label
// 120 twips wide per character, like an 8-pixel font.
#include "intro/mod_IntroEffects.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

using namespace qs::intro;

namespace {

struct PlainControl final : IntroControl {
    int top = 0, left = 0, width = 0, height = 0;
    Color color = 0;
    std::string caption, tag;
    bool visible = false;

    int Top() const override { return top; }
    void SetTop(int v) override { top = v; }
    int Left() const override { return left; }
    void SetLeft(int v) override { left = v; }
    int Width() const override { return width; }
    void SetWidth(int v) override { width = v; }
    int Height() const override { return height; }
    void SetHeight(int v) override { height = v; }
    Color ForeColor() const override { return color; }
    void SetForeColor(Color c) override { color = c; }
    std::string Caption() const override { return caption; }
    void SetCaption(const std::string& text) override {
        caption = text;
        width = 120 * static_cast<int>(text.size());
        height = 240;
    }
    std::string Tag() const override { return tag; }
    void SetTag(const std::string& t) override { tag = t; }
    void SetVisible(bool v) override { visible = v; }
    int ContainerWidth() const override { return 6000; }
};

struct PlainControlArray final : IntroControlArray {
    std::vector<std::unique_ptr<PlainControl>> items;
    PlainControlArray() { items.push_back(std::make_unique<PlainControl>()); }
    std::size_t Count() const override { return items.size(); }
    PlainControl& Item(std::size_t i) override { return *items.at(i); }
    IntroControl& Load(std::size_t i) override {
        while (items.size() <= i)
            items.push_back(std::make_unique<PlainControl>());
        return *items[i];
    }
};

} // namespace

TEST(IntroTags, KeysMatchWholeInAnyCaseAndOtherEntriesSurviveAWrite) {
    PlainControl c;
    c.tag = "colindexx=9|Direction=U|colindex=a=b";
    EXPECT_EQ(GetTagValue(c, "DIRECTION"), "u");
    EXPECT_EQ(GetTagValue(c, "COLINDEX"), "a=b");
    EXPECT_EQ(GetTagValue(c, "COLDIR"), "");
    SetTagValue(c, "DIRECTION", "D");
    SetTagValue(c, "ALTIDX", "0");
    // Each write lowers the tag and adds its own key as given.
    EXPECT_EQ(c.tag, "colindexx=9|direction=d|colindex=a=b|ALTIDX=0");
}

TEST(IntroColors, CycleStaysInTheRampAndCaptionsTakeTurnsAtEachRestart) {
    const ColorRamp ramp = BuildColorRamp(0x000000, 0xFFFFFF, 8, 0, 5);
    ASSERT_EQ(ramp.front(), 0u);
    ASSERT_EQ(ramp.back(), 0xFFFFFFu);
    PlainControl label;
    const std::vector<std::string> texts{"one", "two", "three"};
    std::vector<std::string> shown;
    for (int i = 0; i < 4 * 24 + 1; ++i) {
        CycleForeColor(label, ramp);
        EXPECT_NE(std::find(ramp.begin(), ramp.end(), label.color), ramp.end());
        NextAltCaption(label, texts);
        if (shown.empty() || shown.back() != label.caption)
            shown.push_back(label.caption);
    }
    EXPECT_EQ(shown, (std::vector<std::string>{"", "one", "two", "three", "one"}));

    // A tag written by someone else cannot send the index outside the ramp.
    PlainControl odd;
    odd.tag = "colindex=99|coldir=1";
    CycleForeColor(odd, ramp);
    EXPECT_EQ(odd.color, ramp.back());
    odd.tag = "colindex=-7|coldir=-1";
    CycleForeColor(odd, ramp);
    EXPECT_EQ(odd.color, ramp.front());
}

TEST(IntroScroller, LabelsOf255CharactersSideBySideThatWrapAround) {
    PlainControlArray labels;
    PlainControl panel;
    BuildScrollLabels(labels, std::string(600, 'x'), panel);
    ASSERT_EQ(labels.Count(), 3u);
    for (std::size_t i = 1; i < 3; ++i) {
        EXPECT_EQ(labels.Item(i).left, labels.Item(i - 1).left + labels.Item(i - 1).width);
        EXPECT_TRUE(labels.Item(i).visible);
    }
    EXPECT_EQ(labels.Item(0).caption + labels.Item(1).caption + labels.Item(2).caption,
              std::string(600, 'x'));
    EXPECT_GE(panel.width, 600 * 120);
    labels.Item(0).color = 0xABCDEF;
    CopyForeColor(labels);
    EXPECT_EQ(labels.Item(2).color, 0xABCDEFu);

    // Out on the left, the panel re-enters on the right.
    panel.left = -panel.width + 20;
    ScrollPanelLeft(panel, 15);
    EXPECT_LT(panel.left, 0);
    ScrollPanelLeft(panel, 15);
    EXPECT_GE(panel.left, 6000);
}
