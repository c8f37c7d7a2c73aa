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

TEST(SetupPages, PagesInTabOrderWithTheirCaptions) {
    const char* expected[][2] = {{"WelcomeSheet", "Welcome"},  {"DelphiSheet", "Delphi"},
                                 {"InstallSheet", "Install"},  {"UpdateSheet", "Update"},
                                 {"UninstallSheet", "Uninstall"}, {"BusySheet", "Installing..."},
                                 {"FinishedSheet", "Finished"}};
    ASSERT_EQ(kPageCount, 7u);
    for (size_t i = 0; i < kPageCount; ++i) {
        EXPECT_STREQ(kPages[i].name, expected[i][0]);
        EXPECT_STREQ(kPages[i].caption, expected[i][1]);
        EXPECT_EQ(kPages[i].font, i == 6 ? FontKind::LargeBold : FontKind::Window);
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
    struct Expect {
        int handler;
        Kind kind;
        std::vector<const char*> raisedBy;
    } expectations[] = {
        {kCheckDelphi10Click, Kind::CheckBox, {"CheckDelphi10"}},
        {kCheckDelphi20Click, Kind::CheckBox, {"CheckDelphi20"}},
        {kEditInstallDirChange, Kind::Edit, {"EditInstallDir"}},
        {kListInstallDirChange, Kind::DirList, {"ListInstallDir"}},
        {kComboInstallDriveChange, Kind::DriveCombo, {"ComboInstallDrive"}},
        {kQuitBtnClick, Kind::BitBtn, {"CancelBtn3", "CancelBtn2", "CancelBtn4", "QuitBtn"}},
        {kNowBtnClick, Kind::BitBtn, {"NowBtn2"}},
        {kUpdateBtnClick, Kind::BitBtn, {"UpdateBtn"}},
        {kRunBtnClick, Kind::BitBtn, {"RunBtn"}},
        {kHelpBtnClick, Kind::BitBtn, {"HelpBtn"}},
        {kUninstallBtnClick, Kind::BitBtn, {"UninstallBtn"}},
    };
    ASSERT_EQ(std::size(expectations), size_t(kHandlerCount - 1));
    for (const Expect& e : expectations) {
        std::set<std::string> got, want(e.raisedBy.begin(), e.raisedBy.end());
        for (const ControlDef* r : AllRows())
            if (r->handler == e.handler) {
                got.insert(r->name);
                EXPECT_EQ(r->kind, e.kind) << r->name;
            }
        EXPECT_EQ(got, want) << "handler " << e.handler;
    }
    for (const ControlDef* r : AllRows()) {
        EXPECT_TRUE(r->handler >= 0 && r->handler < kHandlerCount) << r->name;
        if (r->handler != kNoHandler) {
            EXPECT_TRUE(HasEvent(r->kind)) << r->name;
        }
    }
}

TEST(SetupPages, EveryMemberOfTheWindowHasItsRow) {
    // The controls TSetupForm declares, with their kinds; the layout binds each by this name.
    struct Member {
        const char* name;
        Kind kind;
    } members[] = {
        {"Label1", Kind::Label}, {"Label2", Kind::Label}, {"Label3", Kind::Label}, {"Label4", Kind::Label},
        {"Label20", Kind::Label}, {"Label21", Kind::Label}, {"Label28", Kind::Label}, {"Label9", Kind::Label},
        {"Label6", Kind::Label}, {"Label5", Kind::Label}, {"Label7", Kind::Label}, {"Label10", Kind::Label},
        {"Label8", Kind::Label}, {"LabelDelphi10", Kind::Label}, {"LabelDelphi20", Kind::Label},
        {"CheckDelphi10", Kind::CheckBox}, {"CheckDelphi20", Kind::CheckBox}, {"EditDelphi10", Kind::Edit},
        {"EditDelphi20", Kind::Edit}, {"Label11", Kind::Label}, {"Label12", Kind::Label},
        {"Label22", Kind::Label}, {"Label23", Kind::Label}, {"LabelSpaceNeeded", Kind::Label},
        {"LabelSpaceFree", Kind::Label}, {"Label13", Kind::Label}, {"LabelVersion", Kind::Label},
        {"EditInstallDir", Kind::Edit}, {"ListInstallDir", Kind::DirList},
        {"ComboInstallDrive", Kind::DriveCombo}, {"CheckDesktop", Kind::CheckBox},
        {"CheckStartMenu", Kind::CheckBox}, {"CheckPrograms", Kind::CheckBox}, {"NowBtn2", Kind::BitBtn},
        {"CancelBtn3", Kind::BitBtn}, {"Label24", Kind::Label}, {"Label25", Kind::Label},
        {"Label26", Kind::Label}, {"Label27", Kind::Label}, {"LabelOldVersion", Kind::Label},
        {"LabelInstallVersion", Kind::Label}, {"UpdateBtn", Kind::BitBtn}, {"CancelBtn2", Kind::BitBtn},
        {"Label16", Kind::Label}, {"Label17", Kind::Label}, {"LabelBusy2", Kind::Label},
        {"UninstallBtn", Kind::BitBtn}, {"CancelBtn4", Kind::BitBtn}, {"LabelInstalling", Kind::Label},
        {"LabelBusy", Kind::Label}, {"Label15", Kind::Label}, {"Gauge", Kind::Gauge}, {"Label14", Kind::Label},
        {"RunBtn", Kind::BitBtn}, {"HelpBtn", Kind::BitBtn}, {"QuitBtn", Kind::BitBtn},
    };
    for (const Member& m : members) {
        const ControlDef* r = Find(m.name);
        ASSERT_NE(r, nullptr) << m.name;
        EXPECT_EQ(r->kind, m.kind) << m.name;
    }
    // Every windowed row is one of those members; only pictures, shapes and bevels are not.
    size_t windowed = 0;
    for (const ControlDef* r : AllRows()) windowed += !IsGraphic(r->kind);
    EXPECT_EQ(windowed, std::size(members));
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
