// Pictures of every page of the setup window as loaded (with a few values set as a run would), and of the
// splash window, written as PNG files into the build tree's screenshots folder for a person to look at.
// The checks here are the pixels that must be there whatever the fonts: colours of the drawn controls.
#include <gtest/gtest.h>

#include "SetupFormAccess.h"
#include "UiTestSupport.h"
#include "setup/SetupMainForm.h"
#include "setup/SetupPages.h"
#include "setup/SetupSplash.h"

using namespace qs;
namespace sp = qs::setup_pages;

namespace {

int Count(const qs::uitest::Picture& p, uint32_t colour) {
    int n = 0;
    for (uint32_t px : p.pixels) n += px == colour;
    return n;
}

}  // namespace

TEST(Screenshots, EveryPageAndTheSplash) {
    TSetupForm f;
    f.CreateWindowAndControls();
    f.EditInstallDir.SetText("C:\\Program Files\\Quillostrand");
    f.LabelVersion.SetCaption("1.0");
    f.LabelOldVersion.SetCaption("0.9");
    f.LabelInstallVersion.SetCaption("1.0");
    f.LabelSpaceNeeded.SetCaption("1234 kB");
    f.LabelSpaceFree.SetCaption("0 kB");
    f.LabelBusy2.SetCaption("Deleting files");
    f.Gauge.SetProgress(42);
    f.EditDelphi20.SetEnabled(true);
    f.EditDelphi20.SetText("C:\\Delphi 2.0\\Lib");
    f.CheckDelphi20.SetChecked(true);
    ViewNamed<TBitBtn>(f, "CancelBtn4").SetEnabled(false);  // shows the disabled picture
    f.LabelSpaceFree.SetColor(RGB(255, 0, 0));  // after the Delphi option, whose handler colours it too
    ShowWindow(f.Handle(), SW_SHOWNA);
    const std::string dir = qs::uitest::ScreenshotDir();
    for (int i = 0; i < kPageCount; ++i) {
        f.Pages.SetActivePage(i);
        RepaintNow(f.Handle());
        const qs::uitest::Picture p = qs::uitest::CaptureScreen(f.Handle());
        qs::uitest::WritePng(dir + std::to_string(i + 1) + "-" + sp::kPages[i].name + ".png", p);
        SCOPED_TRACE(sp::kPages[i].name);
        EXPECT_EQ(p.width, 468);
        EXPECT_EQ(p.height, 289);
        switch (i) {
        case WelcomeSheet: EXPECT_GT(Count(p, 0x0000FF), 200); break;  // the two book icons
        case InstallSheet: EXPECT_GT(Count(p, 0xFF0000), 300); break;  // the red free-space box
        case UninstallSheet: EXPECT_GT(Count(p, 0xFF0000), 100); break;  // the red warning text
        case BusySheet:
            EXPECT_GT(Count(p, 0x000080), 1000);  // the gauge's fill
            EXPECT_GT(Count(p, 0x00FFFF), 1000);  // and its background
            break;
        case FinishedSheet:
            EXPECT_GT(Count(p, 0x00FF00), 3000);  // the three bands
            EXPECT_GT(Count(p, 0xFFFF00), 3000);
            EXPECT_GT(Count(p, 0xFF0000), 3000);
            EXPECT_GT(Count(p, 0x00FFFF), 3000);  // the rounded box
            break;
        default: break;
        }
    }
    TSplashForm s;
    s.Show();
    const qs::uitest::Picture sp1 = qs::uitest::CaptureScreen(s.Handle());
    qs::uitest::WritePng(dir + "8-Splash.png", sp1);
    EXPECT_EQ(sp1.width, 271);
}
