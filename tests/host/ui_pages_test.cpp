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
    EXPECT_EQ(RoomRightOf(kPages[qs::InstallSheet], "NoSuchControl", kPageWidth, kLabelGap), 0);
}

TEST(SetupPages, EveryButtonAndImageHasAPicture) {
    for (const ControlDef* r : AllRows())
        if (r->kind == Kind::BitBtn || r->kind == Kind::Image) {
            EXPECT_NE(r->picture, Picture::None) << r->name;
        }
}

TEST(SetupPages, FinishedPageDrawsItsShapesBehindTheLabelAndButtons) {
    const PageDef& fin = kPages[qs::FinishedSheet];
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
    EXPECT_EQ(kSplash[0].kind, Kind::Panel);  // first, so that it is painted behind the rest
}

// A screen reader names an input by the label just before it; the layout puts a label there when the label names
// the input. Every input has exactly one, on its own page; no label names anything else.
TEST(SetupPages, EveryInputIsNamedByOneLabelOfItsPage) {
    for (const PageDef& p : kPages) {
        for (size_t i = 0; i < p.count; ++i) {
            const ControlDef& c = p.controls[i];
            int naming = 0;
            for (size_t k = 0; k < p.count; ++k)
                naming += p.controls[k].kind == Kind::Label && p.controls[k].focus &&
                          std::strcmp(p.controls[k].focus, c.name) == 0;
            const bool input = c.kind == Kind::Edit || c.kind == Kind::DirList || c.kind == Kind::DriveCombo;
            EXPECT_EQ(naming, input ? 1 : 0) << c.name << " of " << p.name;
            if (c.focus) {
                EXPECT_EQ(c.kind, Kind::Label) << c.name;
            }
        }
    }
}

// Tools that find the controls from outside (the end-to-end driver) know each by its place: no two windows of a
// page start at the same point, invisible labels included.
TEST(SetupPages, NoTwoWindowsOfAPageStartAtTheSamePlace) {
    for (const PageDef& p : kPages)
        for (size_t i = 0; i < p.count; ++i)
            for (size_t k = i + 1; k < p.count; ++k) {
                const ControlDef &a = p.controls[i], &b = p.controls[k];
                if (IsGraphic(a.kind) || IsGraphic(b.kind)) continue;
                EXPECT_FALSE(a.rect.left == b.rect.left && a.rect.top == b.rect.top) << a.name << " and " << b.name;
            }
}

// The tables' pixels at other DPIs: unchanged at 96, rounded to the nearest, edges that meet still meeting; the
// fonts at their point sizes (8 and 10 points, -11 and -13 at 96 DPI).
TEST(DpiScale, LengthsRectanglesAndFontHeights) {
    for (int px : {0, 1, 7, 13, 289, 468}) EXPECT_EQ(Scale(px, kBaseDpi), px);
    EXPECT_EQ(Scale(13, 120), 16);   // 16.25
    EXPECT_EQ(Scale(11, 144), 17);   // 16.5, half up
    EXPECT_EQ(Scale(-11, 144), -17);
    EXPECT_EQ(Scale(289, 192), 578);
    const Rect a{14, 91, 253, 71}, b{267, 91, 10, 71};  // b starts where a ends
    for (int dpi : {96, 120, 144, 168, 192}) {
        EXPECT_EQ(Scale(a, dpi).Right(), Scale(b, dpi).left) << dpi;
        EXPECT_EQ(Scale(a, dpi).Bottom(), Scale(b, dpi).Bottom()) << dpi;
    }
    EXPECT_EQ(FontHeight(FontKind::Window, 96), -11);
    EXPECT_EQ(FontHeight(FontKind::WindowBold, 96), -11);
    EXPECT_EQ(FontHeight(FontKind::LargeBold, 96), -13);
    EXPECT_EQ(FontHeight(FontKind::Window, 120), -13);
    EXPECT_EQ(FontHeight(FontKind::Window, 144), -16);
    EXPECT_EQ(FontHeight(FontKind::LargeBold, 144), -20);
    EXPECT_EQ(FontHeight(FontKind::Window, 192), -21);
}
