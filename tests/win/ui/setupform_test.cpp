// The real setup window as the layout builds it (no start-up): window, pages, every control of the tables with
// its class, place, text, font, state, tab order and event binding; and the splash window.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>

#include <cstring>
#include <string>

#include "UiTestSupport.h"
#include "SetupFormAccess.h"
#include "WinTestSupport.h"
#include "framework/Application.h"
#include "base/Exceptions.h"
#include "base/Text.h"
#include "setup/SetupLayout.h"
#include "setup/SetupMainForm.h"
#include "setup/SetupPages.h"
#include "setup/SetupSplash.h"

using namespace qs;
using namespace qs::form;
namespace sp = qs::setup_pages;

namespace {

std::string ClassOf(HWND h) {
    char buf[64] = "";
    GetClassNameA(h, buf, sizeof buf);
    return buf;
}

// Whether view is the view type of a row of kind k.
bool ViewFits(Kind k, TControl* view) {
    switch (k) {
    case Kind::Label: return dynamic_cast<TLabel*>(view) != nullptr;
    case Kind::Edit: return dynamic_cast<TEdit*>(view) != nullptr;
    case Kind::CheckBox: return dynamic_cast<TCheckBox*>(view) != nullptr;
    case Kind::BitBtn: return dynamic_cast<TBitBtn*>(view) != nullptr;
    case Kind::DirList: return dynamic_cast<TDirectoryListBox*>(view) != nullptr;
    case Kind::DriveCombo: return dynamic_cast<TDriveComboBox*>(view) != nullptr;
    case Kind::Gauge: return dynamic_cast<TGauge*>(view) != nullptr;
    default: return false;
    }
}

const char* ExpectedClass(Kind k) {
    switch (k) {
    case Kind::Label: return "Static";
    case Kind::Edit: return "Edit";
    case Kind::CheckBox:
    case Kind::BitBtn: return "Button";
    case Kind::DirList: return "ListBox";
    case Kind::DriveCombo: return "ComboBox";
    case Kind::Gauge: return "QsGauge";
    default: return "";
    }
}

RECT RectIn(HWND child, HWND parent) {
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

LOGFONTA FontOf(HWND h) {
    LOGFONTA lf{};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(h, WM_GETFONT, 0, 0)), sizeof lf, &lf);
    return lf;
}

// Presses the keys together, as the keyboard does (the first held while the next go down), then lets the message
// loop take them.
void PressKeys(std::initializer_list<WORD> keys) {
    std::vector<INPUT> in;
    for (WORD k : keys) in.push_back(INPUT{INPUT_KEYBOARD, {.ki = {k, 0, 0, 0, 0}}});
    for (auto k = keys.end(); k != keys.begin();)
        in.push_back(INPUT{INPUT_KEYBOARD, {.ki = {*--k, 0, KEYEVENTF_KEYUP, 0, 0}}});
    SendInput(UINT(in.size()), in.data(), sizeof(INPUT));
    Application().ProcessMessages();
}

class SetupWindow : public ::testing::Test {
protected:
    void SetUp() override { f.CreateWindowAndControls(); }
    TSetupForm f;
};

}  // namespace

TEST_F(SetupWindow, Window_CaptionFixedBorderSystemMenuOnlyClientSizeCentredIcon) {
    HWND h = f.Handle();
    ASSERT_TRUE(IsWindow(h));
    EXPECT_EQ(ClassOf(h), "TSetupForm");
    char caption[64] = "";
    GetWindowTextA(h, caption, sizeof caption);
    EXPECT_STREQ(caption, "Quillostrand Setup");
    RECT c;
    GetClientRect(h, &c);
    EXPECT_EQ(c.right, 468);
    EXPECT_EQ(c.bottom, 289);
    const LONG style = GetWindowLongA(h, GWL_STYLE);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_FALSE(style & WS_THICKFRAME);
    EXPECT_FALSE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(GetWindowLongA(h, GWL_EXSTYLE) & WS_EX_DLGMODALFRAME);  // a single border, not a dialog frame
    RECT w;
    GetWindowRect(h, &w);
    EXPECT_LE(std::abs((w.left + w.right) / 2 - GetSystemMetrics(SM_CXSCREEN) / 2), 1);
    EXPECT_LE(std::abs((w.top + w.bottom) / 2 - GetSystemMetrics(SM_CYSCREEN) / 2), 1);
    EXPECT_NE(SendMessageA(h, WM_GETICON, ICON_BIG, 0), 0);
    // Asking it to size, minimise or maximise changes nothing.
    SendMessageA(h, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    SendMessageA(h, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_FALSE(IsZoomed(h));
    EXPECT_FALSE(IsIconic(h));
    const LOGFONTA lf = FontOf(f.Pages.Handle());
    EXPECT_EQ(lf.lfHeight, -11);
    EXPECT_STREQ(lf.lfFaceName, "MS Sans Serif");
}

TEST_F(SetupWindow, Pages_SevenTabsInOrderAllVisibleWelcomeActive) {
    EXPECT_EQ(ClassOf(f.Pages.Handle()), "SysTabControl32");
    RECT r = RectIn(f.Pages.Handle(), f.Handle());
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right, 468);
    EXPECT_EQ(r.bottom, 289);
    ASSERT_EQ(f.Pages.PageCount(), kPageCount);
    EXPECT_EQ(SendMessageA(f.Pages.Handle(), TCM_GETITEMCOUNT, 0, 0), kPageCount);
    for (int i = 0; i < kPageCount; ++i) {
        EXPECT_TRUE(f.Pages.TabVisible(i));
        char buf[32] = "";
        TCITEMA item{};
        item.mask = TCIF_TEXT;
        item.pszText = buf;
        item.cchTextMax = sizeof buf;
        SendMessageA(f.Pages.Handle(), TCM_GETITEMA, i, reinterpret_cast<LPARAM>(&item));
        EXPECT_STREQ(buf, sp::kPages[i].caption);
        // Each page has room for its table.
        const RECT pr = RectIn(f.Pages.Page(i), f.Pages.Handle());
        EXPECT_GE(pr.right - pr.left, sp::kPageWidth) << i;
        EXPECT_GE(pr.bottom - pr.top, sp::kPageHeight) << i;
    }
    EXPECT_EQ(f.Pages.ActivePage(), WelcomeSheet);
}

TEST_F(SetupWindow, EveryRow_IsItsControlWithClassPlaceTextFontAndState) {
    for (int i = 0; i < kPageCount; ++i) {
        const PageDef& page = sp::kPages[i];
        HWND pageWnd = f.Pages.Page(i);
        size_t graphics = 0;
        for (size_t k = 0; k < page.count; ++k) {
            const ControlDef& row = page.controls[k];
            if (IsGraphic(row.kind)) {
                ++graphics;
                continue;
            }
            SCOPED_TRACE(row.name);
            TControl* view = SetupFormView(f, row.name);
            ASSERT_NE(view, nullptr);
            EXPECT_TRUE(ViewFits(row.kind, view));  // members too: a member declared as another kind is caught
            HWND h = view->Handle();
            ASSERT_TRUE(IsWindow(h));
            EXPECT_EQ(GetParent(h), pageWnd);
            EXPECT_EQ(AsciiLower(ClassOf(h)), AsciiLower(ExpectedClass(row.kind)));
            const RECT r = RectIn(h, pageWnd);
            EXPECT_EQ(r.left, row.rect.left);
            EXPECT_EQ(r.top, row.rect.top);
            const bool sizedByText = row.kind == Kind::Label && AutoSizes(row.style);
            if (!sizedByText) {
                EXPECT_EQ(r.right - r.left, row.rect.width);
            }
            if (!sizedByText && row.kind != Kind::DirList && row.kind != Kind::DriveCombo) {
                EXPECT_EQ(r.bottom - r.top, row.rect.height);
            }
            if (row.kind == Kind::Label || row.kind == Kind::CheckBox || row.kind == Kind::BitBtn) {
                EXPECT_EQ(view->Text(), row.text);
            }
            EXPECT_EQ(view->Visible(), !(row.style & style::Hidden));
            EXPECT_EQ(view->Enabled(), !(row.style & style::Disabled));
            const LOGFONTA lf = FontOf(h);
            const bool bold = page.font == FontKind::LargeBold || (row.kind == Kind::Label && (row.style & style::Bold));
            EXPECT_EQ(lf.lfHeight, page.font == FontKind::LargeBold ? -13 : -11);
            EXPECT_EQ(lf.lfWeight >= FW_BOLD, bold);
            EXPECT_EQ((GetWindowLongA(h, GWL_STYLE) & WS_TABSTOP) != 0, TakesFocus(row.kind));
            // The marks and colours each kind carries over from its row.
            if (auto* check = dynamic_cast<TCheckBox*>(view)) {
                EXPECT_EQ(check->Checked(), (row.style & style::Checked) != 0);
            }
            if (auto* label = dynamic_cast<TLabel*>(view)) {
                EXPECT_EQ(label->Transparent(), (row.style & style::Transparent) != 0);
                if (row.textColor != kDefaultColor) {
                    EXPECT_EQ(label->FontColor(), row.textColor);
                }
            }
            if (auto* button = dynamic_cast<TBitBtn*>(view)) {
                EXPECT_EQ(button->Spacing(), row.spacing);
            }
        }
        EXPECT_EQ(ContainerGraphics(pageWnd).size(), graphics) << page.name;
    }
}

// What the tables do not say: the gauge starts empty, and a two-image picture makes a button of two glyphs.
TEST_F(SetupWindow, GaugeStartsEmpty_ButtonGlyphsFollowTheirPictures) {
    EXPECT_EQ(f.Gauge.MinValue(), 0);
    EXPECT_EQ(f.Gauge.MaxValue(), 100);
    EXPECT_EQ(f.Gauge.Progress(), 0);
    EXPECT_EQ(ViewNamed<TBitBtn>(f, "NowBtn2").NumGlyphs(), 2);
    EXPECT_EQ(ViewNamed<TBitBtn>(f, "RunBtn").NumGlyphs(), 1);
}

TEST_F(SetupWindow, TabKeyOrder_FollowsTheTables) {
    for (int i = 0; i < kPageCount; ++i) {
        const PageDef& page = sp::kPages[i];
        std::vector<HWND> expected;
        for (int order = 0;; ++order) {
            HWND found = nullptr;
            for (size_t k = 0; k < page.count; ++k)
                if (page.controls[k].tabOrder == order)
                    found = SetupFormView(f, page.controls[k].name)->Handle();
            if (!found) break;
            expected.push_back(found);
        }
        if (expected.empty()) continue;
        std::vector<HWND> got;
        for (HWND c = GetWindow(f.Pages.Page(i), GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
            if (GetWindowLongA(c, GWL_STYLE) & WS_TABSTOP) got.push_back(c);
        EXPECT_EQ(got, expected) << page.name;
    }
}

// A centred label without the wrap mark keeps a long text on one line: centred, it reaches past both edges,
// where a wrapped one would show only its short first word in the middle.
TEST_F(SetupWindow, CentredLabelWithoutWrapMark_StaysOnOneLine) {
    TLabel& label = ViewNamed<TLabel>(f, "Label28");
    label.SetCaption("Short " + std::string(120, 'W'));
    ShowWindow(f.Handle(), SW_SHOWNA);
    const qs::uitest::Picture p = qs::uitest::CaptureScreen(label.Handle());
    const uint32_t face = qs::uitest::Rgb(GetSysColor(COLOR_BTNFACE));
    int atLeftEdge = 0;
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < 8; ++x) atLeftEdge += p.At(x, y) != face;
    EXPECT_GT(atLeftEdge, 0);
}

// The keyboard in the message loop's hands: Tab walks from the tab strip through the shown page's tab stops in
// their order and round, Shift+Tab back; Ctrl+Tab and Ctrl+Shift+Tab show the next and previous visible page;
// Enter presses the focused button and nothing else, Escape nothing at all.
TEST_F(SetupWindow, Keyboard_TabWalksThePageCtrlTabSwitchesPagesEnterPressesTheFocusedButton) {
    Application().SetMainWindow(f.Handle());
    ShowWindow(f.Handle(), SW_SHOW);
    SetForegroundWindow(f.Handle());
    f.Pages.SetActivePage(InstallSheet);
    SetFocus(f.Pages.Handle());
    TBitBtn& nowBtn = ViewNamed<TBitBtn>(f, "NowBtn2");
    int clicks = 0;
    for (const char* b : {"NowBtn2", "CancelBtn3", "UpdateBtn", "CancelBtn2"})
        ViewNamed<TBitBtn>(f, b).OnClick = [&clicks] { ++clicks; };
    const auto press = PressKeys;

    const std::vector<HWND> walk = {f.EditInstallDir.Handle(),
                                    f.ListInstallDir.Handle(),
                                    f.ComboInstallDrive.Handle(),
                                    nowBtn.Handle(),
                                    ViewNamed<TBitBtn>(f, "CancelBtn3").Handle(),
                                    f.CheckDesktop.Handle(),
                                    f.CheckStartMenu.Handle(),
                                    f.CheckPrograms.Handle(),
                                    f.Pages.Handle()};
    for (HWND expected : walk) {
        press({VK_TAB});
        EXPECT_EQ(GetFocus(), expected);
    }
    press({VK_SHIFT, VK_TAB});
    EXPECT_EQ(GetFocus(), f.CheckPrograms.Handle());
    press({VK_SHIFT, VK_TAB});
    EXPECT_EQ(GetFocus(), f.CheckStartMenu.Handle());

    press({VK_CONTROL, VK_TAB});
    EXPECT_EQ(f.Pages.ActivePage(), UpdateSheet);
    EXPECT_EQ(GetFocus(), ViewNamed<TBitBtn>(f, "UpdateBtn").Handle());
    press({VK_CONTROL, VK_SHIFT, VK_TAB});
    EXPECT_EQ(f.Pages.ActivePage(), InstallSheet);
    // Hidden tabs are passed over, and the last visible page leads round to the first.
    f.Pages.SetTabVisible(UpdateSheet, false);
    f.Pages.SetTabVisible(FinishedSheet, false);
    press({VK_CONTROL, VK_TAB});
    EXPECT_EQ(f.Pages.ActivePage(), UninstallSheet);
    press({VK_CONTROL, VK_TAB});
    EXPECT_EQ(f.Pages.ActivePage(), BusySheet);
    EXPECT_EQ(GetFocus(), f.Pages.Handle());  // a page without tab stops: the focus goes to the tab strip
    press({VK_CONTROL, VK_TAB});
    EXPECT_EQ(f.Pages.ActivePage(), WelcomeSheet);
    press({VK_CONTROL, VK_SHIFT, VK_TAB});
    EXPECT_EQ(f.Pages.ActivePage(), BusySheet);

    f.Pages.SetActivePage(InstallSheet);
    SetFocus(nowBtn.Handle());
    press({VK_RETURN});
    EXPECT_EQ(clicks, 1);
    press({VK_ESCAPE});
    SetFocus(f.CheckStartMenu.Handle());
    press({VK_RETURN});
    SetFocus(f.EditInstallDir.Handle());
    press({VK_RETURN});
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(f.CheckStartMenu.Checked());
    EXPECT_TRUE(IsWindow(f.Handle()));
    EXPECT_EQ(f.Pages.ActivePage(), InstallSheet);
    Application().SetMainWindow(nullptr);
}

// The arrows on the tab strip go from tab to tab, past hidden tabs, stopping at either end, and Home and End
// jump to the first and last; the focus stays on the strip all along, so a second arrow goes on.
TEST_F(SetupWindow, Keyboard_ArrowsOnTheTabStripMoveTabToTabTheFocusStaying) {
    Application().SetMainWindow(f.Handle());
    ShowWindow(f.Handle(), SW_SHOW);
    SetForegroundWindow(f.Handle());
    f.Pages.SetTabVisible(UpdateSheet, false);
    f.Pages.SetActivePage(DelphiSheet);
    SetFocus(f.Pages.Handle());
    const auto step = [&](WORD key, int expected) {
        PressKeys({key});
        EXPECT_EQ(f.Pages.ActivePage(), expected) << "key " << key;
        EXPECT_EQ(GetFocus(), f.Pages.Handle()) << "key " << key;
        EXPECT_TRUE(IsWindowVisible(f.Pages.Page(expected)));
    };
    step(VK_RIGHT, InstallSheet);
    step(VK_RIGHT, UninstallSheet);  // Update's tab is hidden
    step(VK_DOWN, BusySheet);
    step(VK_LEFT, UninstallSheet);
    step(VK_UP, InstallSheet);
    step(VK_HOME, WelcomeSheet);
    step(VK_LEFT, WelcomeSheet);
    step(VK_END, FinishedSheet);
    step(VK_RIGHT, FinishedSheet);
    // In a page the arrows stay the control's own: no page changes.
    f.Pages.SetActivePage(InstallSheet);
    SetFocus(f.ListInstallDir.Handle());
    PressKeys({VK_RIGHT});
    EXPECT_EQ(f.Pages.ActivePage(), InstallSheet);
    Application().SetMainWindow(nullptr);
}

TEST_F(SetupWindow, Events_BoundToTheHandlersOfTheTables) {
    // The Delphi option's real handler enables its folder and shows its hint.
    f.CheckDelphi10.SetChecked(true);
    EXPECT_TRUE(f.EditDelphi10.Enabled());
    EXPECT_TRUE(f.LabelDelphi10.Visible());
    f.CheckDelphi10.SetChecked(false);
    EXPECT_FALSE(f.EditDelphi10.Enabled());
    EXPECT_FALSE(f.LabelDelphi10.Visible());
    // Every bound event is set; the controls without a handler have none.
    EXPECT_TRUE(f.CheckDelphi20.OnClick);
    EXPECT_TRUE(f.EditInstallDir.OnChange);
    EXPECT_TRUE(f.ListInstallDir.OnChange);
    EXPECT_TRUE(f.ComboInstallDrive.OnChange);
    for (const char* b : {"NowBtn2", "CancelBtn3", "UpdateBtn", "CancelBtn2", "UninstallBtn", "CancelBtn4", "RunBtn",
                          "HelpBtn", "QuitBtn"})
        EXPECT_TRUE(ViewNamed<TBitBtn>(f, b).OnClick) << b;
    EXPECT_FALSE(f.CheckDesktop.OnClick);
    EXPECT_FALSE(f.EditDelphi10.OnChange);
    // The folder list and the drive list are linked.
    f.ListInstallDir.SetDirectory("Z:\\tmp");
    EXPECT_EQ(f.ComboInstallDrive.Drive(), 'z');
    f.ComboInstallDrive.SetDrive('c');
    EXPECT_EQ(AsciiLower(f.ListInstallDir.Directory()).substr(0, 2), "c:");
}

TEST_F(SetupWindow, ClosingTheMainWindow_EndsTheMessageLoop) {
    Application().SetMainWindow(f.Handle());
    Application().ClearTerminated();
    SendMessageA(f.Handle(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(f.Handle()));
    EXPECT_TRUE(Application().Terminated());
    Application().SetMainWindow(nullptr);
    Application().ClearTerminated();
    MSG msg;
    while (PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
}

TEST(SplashWindow, BorderlessCentredPanelIconsAndBoldLabel) {
    TSplashForm s;
    HWND h = s.Handle();
    ASSERT_TRUE(IsWindow(h));
    EXPECT_FALSE(IsWindowVisible(h));
    s.Show();
    EXPECT_TRUE(IsWindowVisible(h));
    const LONG style = GetWindowLongA(h, GWL_STYLE);
    EXPECT_FALSE(style & (WS_CAPTION | WS_THICKFRAME | WS_BORDER | WS_SYSMENU));
    RECT w, c;
    GetWindowRect(h, &w);
    GetClientRect(h, &c);
    EXPECT_EQ(c.right, 271);
    EXPECT_EQ(c.bottom, 48);
    EXPECT_EQ(w.right - w.left, 271);
    EXPECT_LE(std::abs((w.left + w.right) / 2 - GetSystemMetrics(SM_CXSCREEN) / 2), 1);
    EXPECT_LE(std::abs((w.top + w.bottom) / 2 - GetSystemMetrics(SM_CYSCREEN) / 2), 1);
    EXPECT_EQ(s.Label1.Text(), "Loading Quillostrand Setup...");
    const RECT lr = RectIn(s.Label1.Handle(), s.Panel());
    EXPECT_EQ(lr.left, 47);
    EXPECT_EQ(lr.top, 17);
    EXPECT_EQ(lr.right - lr.left, 177);
    EXPECT_GE(FontOf(s.Label1.Handle()).lfWeight, FW_BOLD);
    const auto& graphics = ContainerGraphics(s.Panel());
    ASSERT_EQ(graphics.size(), 3u);
    EXPECT_EQ(graphics[1].rect.left, 8);
    EXPECT_EQ(graphics[2].rect.left, 229);
    // Painted: the panel's raised edge (highlight at the top left, shadow at the bottom right) and the icons.
    const qs::uitest::Picture p = qs::uitest::CaptureScreen(h);
    EXPECT_EQ(p.At(0, 0), qs::uitest::Rgb(GetSysColor(COLOR_BTNHIGHLIGHT)));
    EXPECT_EQ(p.At(270, 47), qs::uitest::Rgb(GetSysColor(COLOR_BTNSHADOW)));
    int blue = 0;
    for (int y = 8; y < 40; ++y)
        for (int x = 8; x < 40; ++x) blue += p.At(x, y) == 0x000080u;
    EXPECT_GT(blue, 50);  // the setup icon's navy disk
    s.Hide();
    EXPECT_FALSE(IsWindowVisible(h));
}
