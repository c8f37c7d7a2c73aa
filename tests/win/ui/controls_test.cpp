// The toolkit's controls on a plain test window: events from code and from the user, the folder and drive
// lists against Wine's real file system, the page control's tabs, the gauge's arithmetic and pixels.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>

#include <string>
#include <vector>

#include "UiTestSupport.h"
#include "WinTestSupport.h"
#include "framework/Application.h"
#include "framework/Controls.h"
#include "base/Exceptions.h"
#include "base/Text.h"

using namespace qs;
using namespace qs::form;
using qs::test::MessageBoxRecorder;
using qs::test::ScratchDir;
using Shot = qs::uitest::Picture;
using qs::uitest::Rgb;

namespace {

// A top-level window holding one container, on which a test lays out its own rows.
class TestWindow {
public:
    TestWindow() {
        InitControls();
        WNDCLASSA wc{};
        wc.lpfnWndProc = DefParentProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "QsUiTestWindow";
        RegisterClassA(&wc);
        top_ = CreateWindowExA(0, "QsUiTestWindow", "test", WS_POPUP, 10, 10, 480, 300, nullptr, nullptr,
                               wc.hInstance, nullptr);
        ShowWindow(top_, SW_SHOWNOACTIVATE);
        page_ = CreateContainer(top_, RECT{0, 0, 480, 300}, 1, FontKind::Window);
        ShowWindow(page_, SW_SHOWNA);
    }
    ~TestWindow() { DestroyWindow(top_); }
    HWND Page() const { return page_; }
    HWND Top() const { return top_; }
    template <size_t N>
    void Build(const ControlDef (&rows)[N], std::vector<TControl*> views) {
        const PageDef def{"Test", "Test", FontKind::Window, rows, N};
        size_t next = 0;
        CreateControls(
            page_, def, [&](const ControlDef& row) { return IsGraphic(row.kind) ? nullptr : views[next++]; },
            nullptr);
    }

private:
    HWND top_ = nullptr;
    HWND page_ = nullptr;
};

// Sends the parent the notification a user's action would make the control send.
void Notify(const TControl& c, WORD code) {
    SendMessageA(GetParent(c.Handle()), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(c.Handle()), code),
                 reinterpret_cast<LPARAM>(c.Handle()));
}

std::string NoSlash(std::string s) {
    if (s.size() > 3 && s.back() == '\\') s.pop_back();
    return s;
}

}  // namespace

// ------------------------------------------------------------------ check box, edit, button

TEST(CheckBox, SetCheckedFromCode_RaisesOnClickOnlyWhenTheStateChanges) {
    TestWindow w;
    TCheckBox box;
    constexpr ControlDef rows[] = {CheckBox("Box", {10, 10, 200, 17}, "Tick", 0)};
    w.Build(rows, {&box});
    int clicks = 0;
    box.OnClick = [&] { ++clicks; };
    EXPECT_FALSE(box.Checked());
    box.SetChecked(false);
    EXPECT_EQ(clicks, 0);
    box.SetChecked(true);
    EXPECT_TRUE(box.Checked());
    EXPECT_EQ(clicks, 1);
    box.SetChecked(true);
    EXPECT_EQ(clicks, 1);
    // A click by the user toggles and raises the same event.
    SendMessageA(box.Handle(), BM_CLICK, 0, 0);
    EXPECT_FALSE(box.Checked());
    EXPECT_EQ(clicks, 2);
}

TEST(CheckBox, ErrorOfAHandler_ReachesTheCallerFromCodeAndTheErrorReportFromTheUser) {
    TestWindow w;
    TCheckBox box;
    constexpr ControlDef rows[] = {CheckBox("Box", {10, 10, 200, 17}, "Tick", 0)};
    w.Build(rows, {&box});
    box.OnClick = [] { throw EInvalidOperation("Refused"); };
    EXPECT_THROW(box.SetChecked(true), EInvalidOperation);
    MessageBoxRecorder boxes;
    Application().SetTitle("Quillostrand Setup");
    SendMessageA(box.Handle(), BM_CLICK, 0, 0);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, "Refused.");
    EXPECT_EQ(boxes.Boxes()[0].caption, "Quillostrand Setup");
}

TEST(Edit, TextFromCodeAndFromTheUser_BothRaiseOnChange) {
    TestWindow w;
    TEdit edit;
    constexpr ControlDef rows[] = {Edit("Edit", {10, 10, 200, 21}, 0)};
    w.Build(rows, {&edit});
    int changes = 0;
    edit.OnChange = [&] { ++changes; };
    edit.SetText("C:\\Program Files");
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(edit.Text(), "C:\\Program Files");
    edit.SetText("C:\\Program Files");  // the same text is no change
    EXPECT_EQ(changes, 1);
    SendMessageA(edit.Handle(), EM_SETSEL, 0, -1);
    SendMessageA(edit.Handle(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>("D:\\x"));
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(edit.Text(), "D:\\x");
}

TEST(BitBtn, ClickAndPicture) {
    TestWindow w;
    TBitBtn two, one;
    constexpr ControlDef rows[] = {BitBtn("Two", {10, 10, 190, 27}, "Install", Picture::CheckMark, 0, 0),
                                   BitBtn("One", {10, 50, 218, 36}, "Run", Picture::RunGlyph, 1, 0, 12)};
    w.Build(rows, {&two, &one});
    int clicks = 0;
    two.OnClick = [&] { ++clicks; };
    SendMessageA(two.Handle(), BM_CLICK, 0, 0);
    two.Click();
    EXPECT_EQ(clicks, 2);
    BITMAP bm{};
    ASSERT_TRUE(GetObjectA(two.Glyph(), sizeof bm, &bm));
    EXPECT_EQ(bm.bmWidth, 36);
    EXPECT_EQ(bm.bmHeight, 18);
    EXPECT_EQ(two.NumGlyphs(), 2);
    ASSERT_TRUE(GetObjectA(one.Glyph(), sizeof bm, &bm));
    EXPECT_EQ(bm.bmWidth, 28);
    EXPECT_EQ(one.NumGlyphs(), 1);
    EXPECT_EQ(one.Spacing(), 12);
    EXPECT_EQ(two.Spacing(), 4);
    // Neither is a default button: owner-drawn, so Enter presses nothing.
    EXPECT_EQ(GetWindowLongA(two.Handle(), GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);
}

TEST(Builder, MembersBindByNameAndARowWithoutOneGetsAKeptViewWithItsHandler) {
    TestWindow w;
    ViewNames names;
    Named<TEdit> edit{names, "Edit1"};
    constexpr ControlDef rows[] = {Edit("Edit1", {10, 10, 100, 21}, 0, 1),
                                   BitBtn("Btn", {10, 40, 190, 27}, "Go", Picture::CheckMark, 1, 2)};
    const PageDef def{"Test", "Test", FontKind::Window, rows, 2};
    int changes = 0, clicks = 0;
    CreateControls(
        w.Page(), def, [&](const ControlDef& row) { return names.Find(row.name); },
        [&](int handler) -> TNotifyEvent {
            if (handler == 1) return [&] { ++changes; };
            return [&] { ++clicks; };
        });
    EXPECT_NO_THROW(names.CheckAllBound());
    EXPECT_EQ(edit.Handle(), RowWindow(w.Page(), def, "Edit1"));
    edit.SetText("x");
    EXPECT_EQ(changes, 1);
    auto* kept = dynamic_cast<TBitBtn*>(TControl::ViewOf(RowWindow(w.Page(), def, "Btn")));
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(kept->NumGlyphs(), 2);
    SendMessageA(kept->Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(clicks, 1);
    // A member whose name no row has is reported rather than left unbound.
    Named<TLabel> stray{names, "NoSuchRow"};
    EXPECT_THROW(names.CheckAllBound(), Exception);
}

TEST(BitBtn, PaintsItsPictureWithTheCornerColourTransparent) {
    TestWindow w;
    TBitBtn btn;
    constexpr ControlDef rows[] = {BitBtn("Btn", {10, 10, 190, 27}, "", Picture::CheckMark, 0, 0)};
    w.Build(rows, {&btn});
    const Shot p = qs::uitest::Render(190, 27, [&](HDC dc, RECT r) { btn.PaintContent(dc, r, false, false); });
    const uint32_t face = Rgb(GetSysColor(COLOR_BTNFACE));
    int green = 0, olive = 0;
    for (uint32_t px : p.pixels) {
        green += px == 0x00FF00 || px == 0x008000;
        olive += px == 0x808000;
    }
    EXPECT_GT(green, 20);  // the check mark is there
    EXPECT_EQ(olive, 0);   // its background is not
    EXPECT_EQ(p.At(86, 4), face);  // the glyph's top-left corner (its background) shows the face
}

// ------------------------------------------------------------------ labels

TEST(Label, TransparentLabelShowsTheShapeBeneathAndColouredLabelItsColour) {
    TestWindow w;
    TLabel clear, red;
    constexpr ControlDef rows[] = {
        Shape("Shape", {0, 0, 200, 40}, 0, kAqua),
        Label("Clear", {20, 10, 150, 16}, "over the shape", style::Transparent),
        Label("Red", {20, 60, 150, 16}, "on red", style::Centre),
    };
    w.Build(rows, {&clear, &red});
    red.SetColor(RGB(255, 0, 0));
    red.SetFontColor(RGB(0, 0, 128));
    const Shot p = qs::uitest::CaptureScreen(w.Page());
    RECT cr;
    GetWindowRect(clear.Handle(), &cr);
    MapWindowPoints(HWND_DESKTOP, w.Page(), reinterpret_cast<POINT*>(&cr), 2);
    EXPECT_EQ(p.At(cr.right - 1, cr.bottom - 1), 0x00FFFFu);  // aqua through the label
    EXPECT_EQ(p.At(20 + 1, 60 + 1), 0xFF0000u);                // the red background
    int navy = 0;
    for (int y = 60; y < 76; ++y)
        for (int x = 20; x < 170; ++x) navy += p.At(x, y) == 0x000080u;
    EXPECT_GT(navy, 10);  // navy text
}

TEST(Label, PlainLabelSizesItselfToItsText) {
    TestWindow w;
    TLabel plain, boxed;
    constexpr ControlDef rows[] = {Label("Plain", {10, 10, 300, 40}, "Short"),
                                   Label("Boxed", {10, 60, 300, 40}, "Short", style::Centre)};
    w.Build(rows, {&plain, &boxed});
    RECT a, b;
    GetClientRect(plain.Handle(), &a);
    GetClientRect(boxed.Handle(), &b);
    EXPECT_LT(a.right, 100);
    EXPECT_EQ(a.bottom, 13);  // the window font's text height
    EXPECT_EQ(b.right, 300);
}

// ------------------------------------------------------------------ page control

TEST(PageControl, HiddenTabsReturnAtTheirPlaceAndTheActivePageMovesOn) {
    TestWindow w;
    TPageControl pages;
    pages.Create(w.Page(), RECT{0, 0, 468, 289}, 5, {"A", "B", "C", "D"}, UiFont(FontKind::Window));
    auto captions = [&] {
        std::string s;
        const int n = int(SendMessageA(pages.Handle(), TCM_GETITEMCOUNT, 0, 0));
        for (int i = 0; i < n; ++i) {
            char buf[32] = "";
            TCITEMA item{};
            item.mask = TCIF_TEXT;
            item.pszText = buf;
            item.cchTextMax = sizeof buf;
            SendMessageA(pages.Handle(), TCM_GETITEMA, i, reinterpret_cast<LPARAM>(&item));
            s += buf;
        }
        return s;
    };
    EXPECT_EQ(pages.PageCount(), 4);
    EXPECT_EQ(pages.ActivePage(), 0);
    EXPECT_EQ(captions(), "ABCD");
    pages.SetTabVisible(1, false);
    pages.SetTabVisible(3, false);
    EXPECT_EQ(captions(), "AC");
    EXPECT_FALSE(pages.TabVisible(1));
    pages.SetTabVisible(3, true);
    EXPECT_EQ(captions(), "ACD");
    pages.SetTabVisible(1, true);
    EXPECT_EQ(captions(), "ABCD");
    pages.SetActivePage(2);
    EXPECT_EQ(pages.ActivePage(), 2);
    EXPECT_EQ(SendMessageA(pages.Handle(), TCM_GETCURSEL, 0, 0), 2);
    EXPECT_FALSE(GetWindowLongA(pages.Page(0), GWL_STYLE) & WS_VISIBLE);
    pages.SetTabVisible(2, false);  // the active one: the next visible page takes over
    EXPECT_EQ(pages.ActivePage(), 3);
    EXPECT_EQ(captions(), "ABD");
    EXPECT_EQ(SendMessageA(pages.Handle(), TCM_GETCURSEL, 0, 0), 2);
    // A user's tab choice shows its page.
    SendMessageA(pages.Handle(), TCM_SETCURSEL, 1, 0);
    NMHDR hdr{pages.Handle(), UINT_PTR(GetDlgCtrlID(pages.Handle())), UINT(TCN_SELCHANGE)};
    SendMessageA(w.Page(), WM_NOTIFY, hdr.idFrom, reinterpret_cast<LPARAM>(&hdr));
    EXPECT_EQ(pages.ActivePage(), 1);
}

// ------------------------------------------------------------------ folder list and drive list

class DirListTest : public ::testing::Test {
protected:
    void SetUp() override {
        constexpr ControlDef rows[] = {DirList("List", {10, 10, 145, 84}, 0, 0),
                                       DriveCombo("Combo", {10, 100, 145, 19}, 1, 0)};
        w.Build(rows, {&list, &combo});
        list.SetDriveCombo(&combo);
        combo.SetDirList(&list);
        list.OnChange = [&] { events.push_back("list " + list.Directory()); };
        combo.OnChange = [&] { events.push_back(std::string("combo ") + combo.Drive()); };
    }
    TestWindow w;
    TDirectoryListBox list;
    TDriveComboBox combo;
    std::vector<std::string> events;
};

TEST_F(DirListTest, SetDirectory_ShowsPathAndSortedSubFoldersAndReportsOnce) {
    ScratchDir dir("dirlist");
    for (const char* sub : {"beta", "Alpha", "gamma"}) CreateDirectoryA((dir.Path() + sub).c_str(), nullptr);
    const std::string base = NoSlash(dir.Path());
    list.SetDirectory(dir.Path());
    EXPECT_EQ(list.Directory(), base);
    ASSERT_EQ(events.size(), 1u);
    const int n = list.ItemCount();
    ASSERT_GE(n, 4);
    EXPECT_EQ(list.ItemText(0), AsciiLower(base.substr(0, 2)) + "\\");
    EXPECT_EQ(list.ItemText(n - 3), "Alpha");
    EXPECT_EQ(list.ItemText(n - 2), "beta");
    EXPECT_EQ(list.ItemText(n - 1), "gamma");
    EXPECT_EQ(list.ItemLevel(n - 1), list.ItemLevel(n - 4) + 1);  // sub-folders one level below the current
    EXPECT_EQ(list.ItemPath(n - 3), base + "\\Alpha");
    EXPECT_EQ(list.ItemPath(n - 4), base);
    EXPECT_EQ(list.ItemPath(0), base.substr(0, 3));
    EXPECT_EQ(SendMessageA(list.Handle(), LB_GETCURSEL, 0, 0), n - 4);  // the current folder is selected
    // The same folder again, or an empty path: no change.
    list.SetDirectory(base + "\\");
    list.SetDirectory("");
    EXPECT_EQ(events.size(), 1u);
    // Items are 16 pixels high and the height is trimmed to whole items.
    EXPECT_EQ(SendMessageA(list.Handle(), LB_GETITEMHEIGHT, 0, 0), 16);
    RECT cr;
    GetClientRect(list.Handle(), &cr);
    EXPECT_EQ(cr.bottom % 16, 0);
}

TEST_F(DirListTest, SetDirectoryOfAMissingFolder_RaisesAndLeavesTheList) {
    ScratchDir dir("dirlist-missing");
    list.SetDirectory(dir.Path());
    events.clear();
    const std::string before = list.Directory();
    EXPECT_THROW(list.SetDirectory(dir.Path() + "nowhere\\deeper"), EInOutError);
    EXPECT_THROW(list.SetDirectory("nothing-here"), EInOutError);
    EXPECT_EQ(list.Directory(), before);
    EXPECT_TRUE(events.empty());
}

TEST_F(DirListTest, DoubleClick_EntersTheFolderAndAGoneFolderIsReported) {
    ScratchDir dir("dirlist-dbl");
    CreateDirectoryA((dir.Path() + "inner").c_str(), nullptr);
    CreateDirectoryA((dir.Path() + "zgone").c_str(), nullptr);
    list.SetDirectory(dir.Path());
    events.clear();
    const int n = list.ItemCount();
    SendMessageA(list.Handle(), LB_SETCURSEL, n - 2, 0);
    Notify(list, LBN_DBLCLK);
    EXPECT_EQ(list.Directory(), dir.Path() + "inner");
    ASSERT_EQ(events.size(), 1u);
    // Back up to the parent through its item, then try a folder removed meanwhile.
    SendMessageA(list.Handle(), LB_SETCURSEL, list.ItemCount() - 2, 0);
    Notify(list, LBN_DBLCLK);
    EXPECT_EQ(list.Directory(), NoSlash(dir.Path()));
    RemoveDirectoryA((dir.Path() + "zgone").c_str());
    MessageBoxRecorder boxes;
    SendMessageA(list.Handle(), LB_SETCURSEL, list.ItemCount() - 1, 0);
    Notify(list, LBN_DBLCLK);
    EXPECT_EQ(list.Directory(), NoSlash(dir.Path()));
    EXPECT_EQ(boxes.Boxes().size(), 1u);
}

TEST_F(DirListTest, NewDrive_MovesTheListFirstThenTheBoxReports) {
    const std::vector<char> drives = combo.Drives();
    ASSERT_NE(std::find(drives.begin(), drives.end(), 'c'), drives.end());
    ASSERT_NE(std::find(drives.begin(), drives.end(), 'z'), drives.end());
    list.SetDirectory("C:\\windows");
    events.clear();
    combo.SetDrive('Z');
    EXPECT_EQ(combo.Drive(), 'z');
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].substr(0, 7), "list Z:");
    EXPECT_EQ(events[1], "combo z");
    const int sel = int(SendMessageA(combo.Handle(), CB_GETCURSEL, 0, 0));
    EXPECT_EQ(char(SendMessageA(combo.Handle(), CB_GETITEMDATA, sel, 0)), 'z');
    combo.SetDrive('z');
    EXPECT_EQ(events.size(), 2u);
}

TEST_F(DirListTest, ListMovedToAnotherDrive_MovesTheBox) {
    list.SetDirectory("Z:\\tmp");
    events.clear();
    list.SetDirectory("C:\\windows");
    EXPECT_EQ(combo.Drive(), 'c');
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0], "combo c");
    EXPECT_EQ(AsciiLower(events[1]), "list c:\\windows");
}

TEST_F(DirListTest, DriveThatCannotBeEntered_RaisesAndChangesNothing) {
    list.SetDirectory("C:\\windows");
    events.clear();
    char missing = 0;
    const std::vector<char> drives = combo.Drives();
    for (char c = 'q'; c <= 'y' && !missing; ++c)
        if (std::find(drives.begin(), drives.end(), c) == drives.end()) missing = c;
    ASSERT_NE(missing, 0);
    EXPECT_THROW(combo.SetDrive(missing), EInOutError);
    EXPECT_EQ(combo.Drive(), 'c');
    EXPECT_TRUE(events.empty());
}

TEST_F(DirListTest, UserPicksADrive_SameRoadAsFromCode) {
    list.SetDirectory("C:\\windows");
    events.clear();
    const std::vector<char> drives = combo.Drives();
    const int z = int(std::find(drives.begin(), drives.end(), 'z') - drives.begin());
    SendMessageA(combo.Handle(), CB_SETCURSEL, z, 0);
    Notify(combo, CBN_SELCHANGE);
    EXPECT_EQ(combo.Drive(), 'z');
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[1], "combo z");
}

// ------------------------------------------------------------------ gauge

class GaugeTest : public ::testing::Test {
protected:
    void SetUp() override {
        constexpr ControlDef rows[] = {Gauge("Gauge", {21, 119, 414, 22}, kNavy, kAqua)};
        w.Build(rows, {&gauge});
        UpdateWindow(w.Top());
    }
    Shot Paint() {
        return qs::uitest::Render(414, 22, [&](HDC dc, RECT r) { gauge.PaintContent(dc, r); });
    }
    TestWindow w;
    TGauge gauge;
};

TEST_F(GaugeTest, RepaintsOnlyWhenTheWholePercentChanges) {
    gauge.SetMaxValue(1000);
    int paints = gauge.PaintCount();
    gauge.SetProgress(4);
    gauge.SetProgress(9);
    EXPECT_EQ(gauge.PaintCount(), paints);
    gauge.SetProgress(10);
    EXPECT_EQ(gauge.PaintCount(), paints + 1);
    EXPECT_EQ(gauge.PercentDone(), 1);
    gauge.AddProgress(5000);
    EXPECT_EQ(gauge.Progress(), 1000);
    EXPECT_EQ(gauge.PaintCount(), paints + 2);
    paints = gauge.PaintCount();
    gauge.SetProgress(-7);
    EXPECT_EQ(gauge.Progress(), 0);
    EXPECT_EQ(gauge.PaintCount(), paints + 1);
}

TEST_F(GaugeTest, MaximumBelowMinimumIsRefusedAndBelowProgressPullsItDown) {
    gauge.SetProgress(80);
    try {
        gauge.SetMaxValue(-1);
        ADD_FAILURE() << "a maximum below the minimum was taken";
    } catch (const EInvalidOperation& e) {
        EXPECT_EQ(e.Message(), "Value must be between 1 and 2147483647");
    }
    EXPECT_EQ(gauge.MaxValue(), 100);
    const int paints = gauge.PaintCount();
    gauge.SetMaxValue(100);
    EXPECT_EQ(gauge.PaintCount(), paints);  // the same maximum does nothing
    gauge.SetMaxValue(40);
    EXPECT_EQ(gauge.Progress(), 40);
    EXPECT_EQ(gauge.PercentDone(), 100);
    EXPECT_EQ(gauge.PaintCount(), paints + 1);
}

TEST_F(GaugeTest, DrawsFrameFillAndInvertedPercentage) {
    gauge.SetProgress(50);
    const Shot p = Paint();
    EXPECT_EQ(p.At(0, 0), 0u);
    EXPECT_EQ(p.At(413, 21), 0u);
    EXPECT_EQ(p.At(2, 2), 0x000080u);    // fill on the left
    EXPECT_EQ(p.At(410, 2), 0x00FFFFu);  // background on the right
    EXPECT_EQ(p.At(1 + 205, 2), 0x000080u);
    EXPECT_EQ(p.At(1 + 206, 2), 0x00FFFFu);  // 50 % of the 412-pixel inner width
    int red = 0, paleYellow = 0;
    for (uint32_t px : p.pixels) {
        red += px == 0xFF0000u;
        paleYellow += px == 0xFFFF7Fu;
    }
    EXPECT_GT(red, 5);         // text over aqua reads red
    EXPECT_GT(paleYellow, 5);  // text over navy reads pale yellow
}

TEST_F(GaugeTest, ZeroRangeShowsZeroPercentWithoutFill) {
    gauge.SetMaxValue(0);
    EXPECT_EQ(gauge.PercentDone(), 0);
    const Shot p = Paint();
    int navy = 0, red = 0;
    for (uint32_t px : p.pixels) {
        navy += px == 0x000080u;
        red += px == 0xFF0000u;
    }
    EXPECT_EQ(navy, 0);
    EXPECT_GT(red, 5);  // "0%" is written
    gauge.SetMaxValue(10);
    gauge.SetProgress(10);
    const Shot full = Paint();
    int aqua = 0;
    for (uint32_t px : full.pixels) aqua += px == 0x00FFFFu;
    EXPECT_EQ(aqua, 0);  // 100 %: the fill covers the whole inner width
}

TEST_F(DirListTest, StartsOnTheProcessCurrentFolderAndTheBoxOnItsDrive) {
    // (SetUp built the list; nothing was reported.)
    EXPECT_TRUE(events.empty());
    char cwd[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, cwd);
    EXPECT_EQ(list.Directory(), cwd);
    EXPECT_GE(list.ItemCount(), 1);
    EXPECT_EQ(combo.Drive(), AsciiLower(std::string(1, cwd[0]))[0]);
}
