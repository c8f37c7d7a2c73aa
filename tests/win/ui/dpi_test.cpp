// The setup window at the screen's DPI: every place of the tables scaled, the fonts at their point sizes, no text
// cut and nothing overlapping, with pictures of every page for a person to look at (dpiN-*.png in the screenshots
// folder). This program checks its own DPI; it runs itself again at 120, 144 and 192 DPI (the prefix's
// LogPixels, which Wine reads as a program starts). And a DPI change while the window is open (WM_DPICHANGED).
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "SetupFormAccess.h"
#include "UiTestSupport.h"
#include "WinProcess.h"
#include "framework/Application.h"
#include "base/Text.h"
#include "framework/UiResources.h"
#include "base/WideText.h"
#include "setup/SetupLayout.h"
#include "setup/SetupMainForm.h"
#include "setup/SetupPages.h"
#include "setup/SetupSplash.h"

using namespace qs;
using namespace qs::form;
namespace sp = qs::setup_pages;

namespace {

RECT RectIn(HWND child, HWND parent) {
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

std::string ClassOf(HWND h) {
    wchar_t buf[64] = L"";
    GetClassNameW(h, buf, 64);
    return AsciiLower(Narrow(buf));
}

// The size a window's text takes in the window's own font: on one line, or broken into lines `width` wide.
SIZE TextExtent(HWND h, const std::string& text, int width, bool wrap) {
    WindowDC dc(h);
    ScopedSelect fontInDC(dc.Get(), reinterpret_cast<HFONT>(SendMessageW(h, WM_GETFONT, 0, 0)));
    RECT r{0, 0, width, 0};
    const std::wstring w = Widen(text);
    DrawTextW(dc.Get(), w.c_str(), -1, &r, DT_CALCRECT | DT_NOPREFIX | (wrap ? DT_WORDBREAK : DT_SINGLELINE));
    return SIZE{r.right, r.bottom};
}

// Whether the text of a label, check box or button fits its window as the window draws it; a description of the
// misfit when it does not.
std::string Misfit(HWND h, int dpi) {
    const std::string text = TextOf(h);
    if (text.empty()) return "";
    RECT c;
    GetClientRect(h, &c);
    const LONG style = GetWindowLongW(h, GWL_STYLE);
    std::string why;
    if (ClassOf(h) == "static") {
        const bool oneLine = (style & SS_TYPEMASK) == SS_LEFTNOWORDWRAP || (style & SS_CENTERIMAGE);
        const SIZE s = TextExtent(h, text, c.right, !oneLine);
        if (s.cx > c.right || s.cy > c.bottom)
            why = std::to_string(s.cx) + " x " + std::to_string(s.cy) + " in " + std::to_string(c.right) + " x " +
                  std::to_string(c.bottom);
    } else {
        // A check box keeps room for its box, a button for its frame, picture and the gap beside it.
        const bool check = (style & BS_TYPEMASK) == BS_AUTOCHECKBOX;
        int room = c.right - (check ? GetSystemMetrics(SM_CXMENUCHECK) + Scale(4, dpi) : Scale(6, dpi));
        if (auto* button = dynamic_cast<TBitBtn*>(TControl::ViewOf(h))) {
            BITMAP bm{};
            if (button->Glyph() && GetObjectW(button->Glyph(), sizeof bm, &bm))
                room -= bm.bmWidth / button->NumGlyphs() + Scale(button->Spacing(), dpi);
        }
        const SIZE s = TextExtent(h, text, 0, false);
        if (s.cx > room || s.cy > c.bottom)
            why = std::to_string(s.cx) + " x " + std::to_string(s.cy) + " in " + std::to_string(room) + " x " +
                  std::to_string(c.bottom);
    }
    return why.empty() ? "" : "\"" + text + "\" needs " + why;
}

bool TrueTypeFont(HWND h) {
    WindowDC dc(h);
    ScopedSelect fontInDC(dc.Get(), reinterpret_cast<HFONT>(SendMessageW(h, WM_GETFONT, 0, 0)));
    TEXTMETRICW tm{};
    GetTextMetricsW(dc.Get(), &tm);
    return (tm.tmPitchAndFamily & TMPF_TRUETYPE) != 0;
}

// The window as a run leaves it on show: the figures and folders a user sees.
void FillAsARunWould(TSetupForm& f) {
    f.EditInstallDir.SetText("C:\\Program Files\\Quillostrand");
    f.LabelVersion.SetCaption("1.0");
    f.LabelOldVersion.SetCaption("0.9");
    f.LabelInstallVersion.SetCaption("1.0");
    f.LabelSpaceNeeded.SetCaption("1234 kB");
    f.LabelSpaceFree.SetCaption("66407392 kB");
    f.LabelBusy.SetCaption("Extracting Quilstr.exe");
    f.Gauge.SetProgress(42);
    f.CheckDelphi10.SetChecked(true);
    f.CheckDelphi20.SetChecked(true);
    f.EditDelphi10.SetText("C:\\Delphi\\Lib");
    f.EditDelphi20.SetText("C:\\Program Files\\Borland\\Delphi 2.0\\Lib");
}

// Checks every page of the window at dpi: places, fonts, fitting texts, no overlaps; writes its pictures.
void CheckLayout(TSetupForm& f, int dpi, const std::string& shotPrefix) {
    RECT client;
    GetClientRect(f.Handle(), &client);
    EXPECT_EQ(client.right, Scale(sp::kClientWidth, dpi));
    EXPECT_EQ(client.bottom, Scale(sp::kClientHeight, dpi));
    const std::string dir = qs::uitest::ScreenshotDir();
    for (int i = 0; i < kPageCount; ++i) {
        const PageDef& page = sp::kPages[i];
        SCOPED_TRACE(page.name);
        HWND pageWnd = f.Pages.Page(i);
        RECT pr;
        GetClientRect(pageWnd, &pr);
        EXPECT_GE(pr.right, Scale(sp::kPageWidth, dpi));
        EXPECT_GE(pr.bottom, Scale(sp::kPageHeight, dpi));
        std::vector<std::pair<const ControlDef*, RECT>> shown;
        for (size_t k = 0; k < page.count; ++k) {
            const ControlDef& row = page.controls[k];
            if (IsGraphic(row.kind)) continue;
            SCOPED_TRACE(row.name);
            HWND h = SetupFormView(f, row.name)->Handle();
            const RECT r = RectIn(h, pageWnd);
            const Rect want = Scale(row.rect, dpi);
            EXPECT_EQ(r.left, want.left);
            EXPECT_EQ(r.top, want.top);
            const bool sizedByText = row.kind == Kind::Label && AutoSizes(row.style);
            if (!sizedByText && row.kind != Kind::DirList && row.kind != Kind::DriveCombo) {
                EXPECT_EQ(r.right - r.left, want.width);
                EXPECT_EQ(r.bottom - r.top, want.height);
            }
            // The point size at the DPI; a TrueType stand-in wider than the bitmap face a little smaller.
            LOGFONTW lf{};
            GetObjectW(reinterpret_cast<HFONT>(SendMessageW(h, WM_GETFONT, 0, 0)), sizeof lf, &lf);
            EXPECT_LE(lf.lfHeight, FontHeight(page.font, dpi) * 4 / 5);
            EXPECT_GE(lf.lfHeight, FontHeight(page.font, dpi));
            EXPECT_EQ(TrueTypeFont(h), dpi != kBaseDpi);
            if (row.kind == Kind::Label || row.kind == Kind::CheckBox || row.kind == Kind::BitBtn) {
                EXPECT_EQ(Misfit(h, dpi), "");
            }
            if (GetWindowLongW(h, GWL_STYLE) & WS_VISIBLE) shown.push_back({&row, r});
        }
        // Boxes the tables let overlap (a wrapped label's spare line) may; no other two may come to.
        for (size_t a = 0; a < shown.size(); ++a)
            for (size_t b = a + 1; b < shown.size(); ++b) {
                const Rect ta = shown[a].first->rect, tb = shown[b].first->rect;
                const bool inTables = ta.left < tb.Right() && tb.left < ta.Right() && ta.top < tb.Bottom() &&
                                      tb.top < ta.Bottom();
                RECT both;
                EXPECT_TRUE(inTables || !IntersectRect(&both, &shown[a].second, &shown[b].second))
                    << shown[a].first->name << " overlaps " << shown[b].first->name;
            }
        f.Pages.SetActivePage(i);
        const qs::uitest::Picture p = qs::uitest::CaptureScreen(f.Handle());
        EXPECT_EQ(p.width, Scale(sp::kClientWidth, dpi));
        qs::uitest::WritePng(dir + shotPrefix + std::to_string(i + 1) + "-" + page.name + ".png", p);
    }
}

// Sets the prefix's DPI for the programs started while it lives, and puts the old setting back.
class ScreenDpi {
public:
    explicit ScreenDpi(int dpi) {
        RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_,
                        nullptr);
        DWORD size = sizeof old_;
        had_ = RegQueryValueExW(key_, L"LogPixels", nullptr, nullptr, reinterpret_cast<BYTE*>(&old_), &size) ==
               ERROR_SUCCESS;
        const DWORD value = DWORD(dpi);
        RegSetValueExW(key_, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    }
    ~ScreenDpi() {
        if (had_) RegSetValueExW(key_, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&old_), sizeof old_);
        else RegDeleteValueW(key_, L"LogPixels");
        RegCloseKey(key_);
    }
    ScreenDpi(const ScreenDpi&) = delete;
    ScreenDpi& operator=(const ScreenDpi&) = delete;

private:
    HKEY key_ = nullptr;
    DWORD old_ = 0;
    bool had_ = false;
};

}  // namespace

// At the DPI this program was started with (96 in the test runs; 120, 144 and 192 when the test below runs it).
TEST(Dpi, AtTheScreensDpi_EverythingScaledNoTextCutNothingOverlaps) {
    TSetupForm f;
    f.CreateWindowAndControls();
    const int dpi = WindowDpi(f.Handle());
    WindowDC screen(nullptr);
    EXPECT_EQ(dpi, GetDeviceCaps(screen.Get(), LOGPIXELSY));
    FillAsARunWould(f);
    ShowWindow(f.Handle(), SW_SHOWNA);
    const std::string prefix = "dpi" + std::to_string(dpi) + "-";
    CheckLayout(f, dpi, prefix);
    // Folder names in any script: the list and the edit show them in a face that has their letters.
    f.EditInstallDir.SetText("C:\\Program Files\\Łódź Пример");
    EXPECT_TRUE(TrueTypeFont(f.EditInstallDir.Handle()));
    f.EditInstallDir.SetText("C:\\Program Files\\Quillostrand");
    EXPECT_EQ(TrueTypeFont(f.EditInstallDir.Handle()), dpi != kBaseDpi);

    TSplashForm s;
    s.Show();
    RECT c;
    GetClientRect(s.Handle(), &c);
    EXPECT_EQ(c.right, Scale(sp::kSplashWidth, dpi));
    EXPECT_EQ(c.bottom, Scale(sp::kSplashHeight, dpi));
    EXPECT_EQ(Misfit(s.Label1.Handle(), dpi), "");
    qs::uitest::WritePng(qs::uitest::ScreenshotDir() + prefix + "8-Splash.png", qs::uitest::CaptureScreen(s.Handle()));
}

// The same program started at each DPI of 100, 125, 150 and 200 % scaling but the one already checked.
TEST(Dpi, At120_144And192_TheLayoutTestPassesInAProgramStartedThere) {
    wchar_t exe[MAX_PATH];
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    for (int dpi : {120, 144, 192}) {
        SCOPED_TRACE(dpi);
        const std::string shot = qs::uitest::ScreenshotDir() + "dpi" + std::to_string(dpi) + "-3-InstallSheet.png";
        DeleteFileW(Widen(shot).c_str());
        DWORD code = STILL_ACTIVE;
        {
            const ScreenDpi screen(dpi);
            const std::string command = qs::test::Quote(Narrow(exe)) +
                                        " --gtest_filter=Dpi.AtTheScreensDpi_EverythingScaledNoTextCutNothingOverlaps";
            qs::test::Process child(command);
            ASSERT_TRUE(child.Started());
            EXPECT_TRUE(child.WaitExit(120000));
            code = child.ExitCode();
        }
        EXPECT_EQ(code, 0u);
        EXPECT_NE(GetFileAttributesW(Widen(shot).c_str()), INVALID_FILE_ATTRIBUTES) << "the child ran at another DPI";
    }
}

// Moved to a screen of another DPI, the window takes the size Windows suggests and lays itself out for that DPI;
// back on the first screen it looks exactly as before, pixel for pixel.
TEST(Dpi, DpiChangedMessage_LaysTheWindowOutAgainAndBackIdentically) {
    TSetupForm f;
    f.CreateWindowAndControls();
    const int dpi = WindowDpi(f.Handle());
    const int other = dpi == 144 ? 192 : 144;
    FillAsARunWould(f);
    f.Pages.SetActivePage(InstallSheet);
    ShowWindow(f.Handle(), SW_SHOWNA);
    const qs::uitest::Picture before = qs::uitest::CaptureScreen(f.Handle());
    RECT outer;
    GetWindowRect(f.Handle(), &outer);
    const auto change = [&](int to) {
        RECT client{0, 0, Scale(sp::kClientWidth, to), Scale(sp::kClientHeight, to)};
        AdjustWindowRectEx(&client, GetWindowLongW(f.Handle(), GWL_STYLE), FALSE,
                           GetWindowLongW(f.Handle(), GWL_EXSTYLE));
        RECT suggested{outer.left, outer.top, outer.left + client.right - client.left,
                       outer.top + client.bottom - client.top};
        SendMessageW(f.Handle(), 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(to, to), reinterpret_cast<LPARAM>(&suggested));
    };
    change(other);
    {
        SCOPED_TRACE("after the change");
        RECT client;
        GetClientRect(f.Handle(), &client);
        EXPECT_EQ(client.right, Scale(sp::kClientWidth, other));
        const RECT edit = RectIn(f.EditInstallDir.Handle(), f.Pages.Page(InstallSheet));
        EXPECT_EQ(edit.left, Scale(14, other));
        EXPECT_EQ(edit.right - edit.left, Scale(281, other));
        LOGFONTW lf{};
        GetObjectW(reinterpret_cast<HFONT>(SendMessageW(f.LabelSpaceFree.Handle(), WM_GETFONT, 0, 0)), sizeof lf, &lf);
        EXPECT_LE(lf.lfHeight, FontHeight(FontKind::Window, other) * 4 / 5);
        EXPECT_GE(lf.lfHeight, FontHeight(FontKind::Window, other));
        EXPECT_EQ(SendMessageW(f.ListInstallDir.Handle(), LB_GETITEMHEIGHT, 0, 0), Scale(16, other));
        BITMAP bm{};
        GetObjectW(ViewNamed<TBitBtn>(f, "NowBtn2").Glyph(), sizeof bm, &bm);
        EXPECT_EQ(bm.bmHeight, Scale(18, other));
        EXPECT_EQ(bm.bmWidth, 2 * Scale(18, other));
        qs::uitest::WritePng(qs::uitest::ScreenshotDir() + "dpichanged-" + std::to_string(other) + ".png",
                             qs::uitest::CaptureScreen(f.Handle()));
    }
    change(dpi);
    const qs::uitest::Picture after = qs::uitest::CaptureScreen(f.Handle());
    ASSERT_EQ(after.width, before.width);
    ASSERT_EQ(after.height, before.height);
    int differ = 0;
    for (size_t i = 0; i < before.pixels.size(); ++i) differ += before.pixels[i] != after.pixels[i];
    EXPECT_EQ(differ, 0);
}
