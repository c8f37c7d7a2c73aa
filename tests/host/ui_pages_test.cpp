#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "setup/SetupPages.h"

using namespace qs::form;
using namespace qs::setup_pages;

namespace {

std::vector<const ControlDef*> AllRows() {
    std::vector<const ControlDef*> rows;
    for (const PageDef& p : kPages)
        for (size_t i = 0; i < p.count; ++i) rows.push_back(&p.controls[i]);
    return rows;
}

const ControlDef* Find(const char* name) {
    for (const ControlDef* r : AllRows())
        if (std::strcmp(r->name, name) == 0) return r;
    return nullptr;
}

void CheckInside(const PageDef& page, int width, int height) {
    for (size_t i = 0; i < page.count; ++i) {
        const ControlDef& c = page.controls[i];
        EXPECT_GT(c.rect.width, 0) << c.name;
        EXPECT_GT(c.rect.height, 0) << c.name;
        EXPECT_GE(c.rect.left, 0) << c.name;
        EXPECT_GE(c.rect.top, 0) << c.name;
        EXPECT_LE(c.rect.Right(), width) << c.name << " of " << page.name;
        EXPECT_LE(c.rect.Bottom(), height) << c.name << " of " << page.name;
    }
}

}  // namespace

TEST(SetupPages, EveryPageHasACaptionAndRows) {
    for (const PageDef& p : kPages) {
        EXPECT_NE(std::string(p.caption), "") << p.name;
        EXPECT_GT(p.count, 0u) << p.name;
    }
}

TEST(SetupPages, NamesAreUniqueAcrossTheWindow) {
    std::set<std::string> seen;
    for (const PageDef& p : kPages) EXPECT_TRUE(seen.insert(p.name).second) << p.name;
    for (const ControlDef* r : AllRows()) {
        ASSERT_NE(r->name, nullptr);
        EXPECT_NE(std::string(r->name), "");
        EXPECT_TRUE(seen.insert(r->name).second) << "duplicate " << r->name;
    }
}

TEST(SetupPages, EveryControlLiesInsideThePageArea) {
    for (const PageDef& p : kPages) CheckInside(p, kPageWidth, kPageHeight);
    // The page area itself fits in the client area below the tabs.
    EXPECT_LE(kPageWidth, kClientWidth);
    EXPECT_LE(kPageHeight + 20, kClientHeight);
}

TEST(SetupPages, TabOrderIsAPermutationOfTheFocusableControls) {
    for (const PageDef& p : kPages) {
        std::vector<int> orders;
        for (size_t i = 0; i < p.count; ++i) {
            const ControlDef& c = p.controls[i];
            if (TakesFocus(c.kind))
                orders.push_back(c.tabOrder);
            else
                EXPECT_EQ(c.tabOrder, -1) << c.name << " takes no focus but has a tab order";
        }
        std::sort(orders.begin(), orders.end());
        for (size_t i = 0; i < orders.size(); ++i) EXPECT_EQ(orders[i], int(i)) << "tab order gap on " << p.name;
    }
}

TEST(SetupPages, HandlersSitOnControlsOfTheRightKind) {
    // Every handler is raised by some control; which one is checked by driving the real window.
    std::set<int> raised;
    for (const ControlDef* r : AllRows()) raised.insert(r->handler);
    for (int h = kNoHandler + 1; h < kHandlerCount; ++h) EXPECT_EQ(raised.count(h), 1u) << "handler " << h;
    for (const ControlDef* r : AllRows()) {
        EXPECT_TRUE(r->handler >= 0 && r->handler < kHandlerCount) << r->name;
        if (r->handler != kNoHandler) {
            EXPECT_TRUE(HasEvent(r->kind)) << r->name;
        }
    }
}

TEST(SetupPages, InitialStatesAndAppearance) {
    EXPECT_TRUE(Find("CheckDesktop")->style & Checked);
    EXPECT_TRUE(Find("CheckPrograms")->style & Checked);
    EXPECT_FALSE(Find("CheckStartMenu")->style & Checked);
    EXPECT_FALSE(Find("CheckDelphi10")->style & Checked);
    EXPECT_TRUE(Find("EditDelphi10")->style & Disabled);
    EXPECT_TRUE(Find("EditDelphi20")->style & Disabled);
    EXPECT_TRUE(Find("LabelDelphi10")->style & Hidden);
    EXPECT_TRUE(Find("LabelDelphi20")->style & Hidden);
    EXPECT_EQ(Find("Label16")->textColor, kRed);
    EXPECT_EQ(Find("LabelBusy")->textColor, kNavy);
    EXPECT_EQ(Find("LabelBusy2")->textColor, kNavy);
    EXPECT_TRUE(Find("Label14")->style & Transparent);
    EXPECT_TRUE(Find("LabelSpaceFree")->style & Right);
    for (const char* bold : {"Label1", "Label9", "Label11", "LabelInstalling"})
        EXPECT_TRUE(Find(bold)->style & Bold) << bold;
    const ControlDef* gauge = Find("Gauge");
    EXPECT_EQ(gauge->fillColor, kNavy);
    EXPECT_EQ(gauge->lineColor, kAqua);
    const ControlDef* shape4 = Find("Shape4");
    EXPECT_TRUE(shape4->style & RoundRect);
    EXPECT_EQ(shape4->fillColor, kAqua);
    EXPECT_EQ(shape4->lineColor, kNavy);
    EXPECT_EQ(shape4->lineWidth, 3);
    for (const char* name : {"RunBtn", "HelpBtn", "QuitBtn"}) EXPECT_EQ(Find(name)->spacing, 12) << name;
    for (const char* name : {"NowBtn2", "CancelBtn3", "UpdateBtn", "CancelBtn2", "UninstallBtn", "CancelBtn4"})
        EXPECT_EQ(Find(name)->spacing, 4) << name;
}

// The version may grow up to "Disk space available:" less the gap the page leaves before the free-space figure;
// that figure up to the page's edge, room for its widest text (">9999999999 kB", 82 pixels in the window font).
TEST(SetupPages, RoomOfGrowingLabels_StopsAtNextControlOrPageEdge) {
    const ControlDef* version = Find("LabelVersion");
    const ControlDef* available = Find("Label23");
    const ControlDef* free = Find("LabelSpaceFree");
    EXPECT_EQ(kVersionRoom, available->rect.left - kLabelGap - version->rect.left);
    EXPECT_EQ(free->rect.left - available->rect.Right(), kLabelGap);
    EXPECT_EQ(kSpaceFreeRoom, kPageWidth - free->rect.left);
    EXPECT_GE(kSpaceFreeRoom, 82);
    EXPECT_EQ(kSpaceFreeMinWidth, free->rect.width);
    EXPECT_EQ(RoomRightOf(kPages[2], "NoSuchControl", kPageWidth, kLabelGap), 0);
}

TEST(SetupPages, PicturesOfButtonsAndImages) {
    for (const ControlDef* r : AllRows())
        if (r->kind == Kind::BitBtn || r->kind == Kind::Image) {
            EXPECT_NE(r->picture, Picture::None) << r->name;
        }
    EXPECT_EQ(Find("NowBtn2")->picture, Picture::CheckMark);
    EXPECT_EQ(Find("CancelBtn4")->picture, Picture::Cross);
    EXPECT_EQ(Find("HelpBtn")->picture, Picture::Question);
    EXPECT_EQ(Find("QuitBtn")->picture, Picture::Door);
    EXPECT_EQ(Find("RunBtn")->picture, Picture::RunGlyph);
    EXPECT_EQ(Find("Image1")->picture, Picture::AppIcon);
}

TEST(SetupPages, FinishedPageDrawsItsShapesBehindTheLabelAndButtons) {
    const PageDef& fin = kPages[6];
    size_t lastShape = 0, firstWindow = fin.count;
    for (size_t i = 0; i < fin.count; ++i) {
        if (fin.controls[i].kind == Kind::Shape) lastShape = i;
        else if (firstWindow == fin.count) firstWindow = i;
    }
    EXPECT_LT(lastShape, firstWindow);
    // Label14 lies on Shape4, inside its 3-pixel outline.
    const Rect s = Find("Shape4")->rect, l = Find("Label14")->rect;
    EXPECT_GE(l.left, s.left + 3);
    EXPECT_LE(l.Right(), s.Right() - 3);
    EXPECT_GE(l.top, s.top + 3);
    EXPECT_LE(l.Bottom(), s.Bottom() - 3);
}

TEST(SplashPage, ControlsInsideTheWindowAndUniquelyNamed) {
    CheckInside(kSplashPage, kSplashWidth, kSplashHeight);
    std::set<std::string> seen;
    for (const ControlDef& c : kSplash) EXPECT_TRUE(seen.insert(c.name).second) << c.name;
    EXPECT_EQ(kSplash[0].kind, Kind::Panel);
    EXPECT_STREQ(kSplash[3].text, "Loading Quillostrand Setup...");
    EXPECT_TRUE(kSplash[3].style & Centre);
    EXPECT_TRUE(kSplash[3].style & Bold);
}
