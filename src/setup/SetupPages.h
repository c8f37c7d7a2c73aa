// The setup window and the splash window described as data: every page, every control with its kind,
// position, text, marks, tab order and handler. Portable, so the table checks run natively;
// SetupLayout.cpp and SetupSplash.cpp build the windows from these tables.
#pragma once
#include <cstddef>

#include "framework/FormTable.h"

namespace qs {

// The pages of the setup window, in tab order; kPages below has one table for each.
enum SetupPage {
    WelcomeSheet,
    DelphiSheet,
    InstallSheet,
    UpdateSheet,
    UninstallSheet,
    BusySheet,
    FinishedSheet,
    kPageCount
};

// The handlers of TSetupForm that a control can raise. The one list: it names the handler ids of the tables
// below, declares the form's member functions and binds each id to its function (SetupLayout.cpp).
#define QS_SETUP_HANDLERS(X) \
    X(CheckDelphi10Click)    \
    X(CheckDelphi20Click)    \
    X(EditInstallDirChange)  \
    X(ListInstallDirChange)  \
    X(ComboInstallDriveChange) \
    X(QuitBtnClick)          \
    X(NowBtnClick)           \
    X(UpdateBtnClick)        \
    X(RunBtnClick)           \
    X(HelpBtnClick)          \
    X(UninstallBtnClick)

namespace setup_pages {

using namespace qs::form;
using namespace qs::form::style;

// The setup window: 468 x 289 client, every page inside the page control's display area.
constexpr int kClientWidth = 468;
constexpr int kClientHeight = 289;
// The area a page gets inside the page control (below the tabs, inside its frame).
constexpr int kPageWidth = 460;
constexpr int kPageHeight = 261;

// A table row's handler: kNoHandler, or k followed by the handler's name.
enum Handler : int {
    kNoHandler = 0,
#define QS_HANDLER_ID(name) k##name,
    QS_SETUP_HANDLERS(QS_HANDLER_ID)
#undef QS_HANDLER_ID
    kHandlerCount
};

constexpr ControlDef kWelcome[] = {
    Image("Image1", {12, 14, 32, 32}, Picture::AppIcon),
    Image("Image2", {413, 14, 32, 32}, Picture::AppIcon),
    Label("Label1", {120, 14, 219, 13}, "Thank you for choosing Quillostrand!", Bold),
    Label("Label2", {63, 30, 333, 26},
          "I hope that it will prove to be a very easy and powerful tool for creating help files.", Centre | Wrap),
    Label("Label3", {14, 77, 428, 29},
          "This program installs Quillostrand on your computer, together with its property editor for Delphi if "
          "you wish, and puts links to it where you want them.",
          Centre | Wrap),
    Label("Label4", {14, 103, 428, 13}, "It takes only a moment and does not restart your computer.",
          Centre | Wrap),
    Label("Label20", {14, 129, 428, 29},
          "If you ever get a newer version of Quillostrand, simply run the setup program that comes with it to "
          "update your installed version.",
          Centre | Wrap),
    Label("Label21", {14, 168, 428, 29},
          "If you would ever need to uninstall Quillostrand, simply run this setup program again or uninstall it "
          "using the Control Panel.",
          Centre | Wrap),
    Label("Label28", {14, 195, 428, 13}, "However, there is no valid reason to do such thing.", Centre),
    Label("Label9", {14, 223, 428, 13}, "Click on the tabs to view and set the installation options",
          Centre | Bold),
};

constexpr ControlDef kDelphi[] = {
    Label("Label6", {14, 7, 421, 15},
          "Quillostrand includes a property editor for Borland Delphi version 1.0 and version 2.0", Centre | Wrap),
    Label("Label5", {14, 28, 421, 15}, "If you do not use Delphi, there is no need to install them.",
          Centre | Wrap),
    Label("Label7", {14, 42, 421, 29},
          "If you do use Delphi, I highly recommend to install them as it makes creating help files for your "
          "Delphi applications *a lot* easier.",
          Centre | Wrap),
    Bevel("Bevel1", {7, 77, 442, 8}, TopLine),
    CheckBox("CheckDelphi10", {42, 84, 323, 17},
             "Install Quillostrand's HelpContext property editor for Delphi 1.0", 0, kCheckDelphi10Click),
    LabelFor("Label10", {14, 112, 58, 13}, "Install it into:", "EditDelphi10"),
    Edit("EditDelphi10", {77, 105, 365, 21}, 1, kNoHandler, Disabled),
    Label("LabelDelphi10", {5, 133, 449, 29},
          "After the Quillostrand installation is complete, start Delphi 1.0, pick Options|Install components "
          "from the menu and add the file HelpCtx.dcu that you will find in the directory displayed above.",
          Centre | Wrap | Hidden),
    Bevel("Bevel2", {7, 168, 442, 8}, TopLine),
    CheckBox("CheckDelphi20", {42, 175, 323, 17},
             "Install Quillostrand's HelpContext property editor for Delphi 2.0", 2, kCheckDelphi20Click),
    LabelFor("Label8", {14, 203, 58, 13}, "Install it into:", "EditDelphi20"),
    Edit("EditDelphi20", {77, 196, 365, 21}, 3, kNoHandler, Disabled),
    Label("LabelDelphi20", {12, 224, 435, 29},
          "After the Quillostrand installation is complete, start Delphi 2.0, pick Component|Install from the "
          "menu and add the file HelpCtx.dcu that you will find in the directory displayed above.",
          Centre | Wrap | Hidden),
};

constexpr ControlDef kInstall[] = {
    Label("Label11", {16, 14, 428, 13}, "Quillostrand installation options", Centre | Bold),
    LabelFor("Label12", {28, 42, 96, 13}, "Installation directory:", "EditInstallDir"),
    Edit("EditInstallDir", {14, 56, 281, 21}, 0, kEditInstallDirChange),
    DirList("ListInstallDir", {301, 42, 145, 84}, 1, kListInstallDirChange),
    DriveCombo("ComboInstallDrive", {301, 126, 145, 19}, 2, kComboInstallDriveChange),
    // The folder and drive lists have no label on the page: these name them for a screen reader. They lie where a
    // label would, above the list and left of the drive box, and never at another control's place.
    LabelFor("LabelListInstallDir", {301, 29, 145, 13}, "Folders:", "ListInstallDir", Hidden),
    LabelFor("LabelComboInstallDrive", {270, 129, 28, 13}, "Drive:", "ComboInstallDrive", Hidden),
    Bevel("Bevel3", {14, 91, 253, 71}, Box),
    CheckBox("CheckDesktop", {21, 98, 239, 17}, "Put link to Quillostrand on the Desktop", 5, kNoHandler,
             Checked),
    CheckBox("CheckStartMenu", {21, 119, 239, 17}, "Include Quillostrand in the Start Menu", 6),
    CheckBox("CheckPrograms", {21, 140, 239, 17}, "Include Quillostrand in the Programs Menu", 7, kNoHandler,
             Checked),
    Label("Label22", {273, 161, 97, 13}, "Disk space required:"),
    Label("Label23", {273, 175, 101, 13}, "Disk space available:"),
    Label("LabelSpaceNeeded", {378, 161, 64, 13}, "000 kB", Right),
    Label("LabelSpaceFree", {378, 175, 64, 15}, "0,000 kB", Right),
    Label("Label13", {21, 175, 100, 13}, "Quillostrand version:"),
    Label("LabelVersion", {133, 175, 61, 13}, "LabelVersion"),
    BitBtn("NowBtn2", {135, 196, 190, 27}, "Install Quillostrand now!!!", Picture::CheckMark, 3, kNowBtnClick),
    BitBtn("CancelBtn3", {135, 231, 190, 27}, "No, I don't need great help files", Picture::Cross, 4,
           kQuitBtnClick),
};

constexpr ControlDef kUpdate[] = {
    Label("Label24", {14, 21, 421, 13}, "There was another version of Quillostrand found installed on your computer.",
          Centre),
    Label("Label25", {14, 42, 428, 15},
          "If you wish, you can update to the new version by clicking on the Update button below.", Centre),
    Label("Label26", {92, 77, 122, 13}, "Version currently installed:"),
    Label("Label27", {92, 91, 106, 13}, "Version to be installed:"),
    Label("LabelOldVersion", {239, 77, 77, 13}, "LabelOldVersion"),
    Label("LabelInstallVersion", {239, 91, 88, 13}, "LabelInstallVersion"),
    BitBtn("UpdateBtn", {135, 196, 190, 27}, "Update Quillostrand", Picture::CheckMark, 0, kUpdateBtnClick),
    BitBtn("CancelBtn2", {135, 231, 190, 27}, "I like the current version perfectly", Picture::Cross, 1,
           kQuitBtnClick),
};

constexpr ControlDef kUninstall[] = {
    Label("Label16", {14, 21, 428, 43},
          "If you press the Remove button below, you will remove Quillostrand from your hard disk and you will "
          "have to reinstall it by running the original QstSetup.exe installation program again if you ever want "
          "to use Quillostrand again.",
          Centre | Wrap, kRed),
    Label("Label17", {14, 65, 428, 27},
          "Note that there is no need to uninstall Quillostrand if you want to update to a newer version. Simply "
          "run the new setup program, click the Update tab and press the button.",
          Centre | Wrap),
    Label("LabelBusy2", {14, 154, 428, 13}, "", Centre, kNavy),
    BitBtn("UninstallBtn", {135, 196, 190, 27}, "Remove Quillostrand", Picture::CheckMark, 0, kUninstallBtnClick),
    BitBtn("CancelBtn4", {135, 231, 190, 27}, "No!!! That would be a desaster!", Picture::Cross, 1,
           kQuitBtnClick),
};

constexpr ControlDef kBusy[] = {
    Label("LabelInstalling", {21, 21, 414, 13}, "Installing Quillostrand...", Centre | Bold),
    Label("LabelBusy", {21, 98, 414, 13}, "I'm probably doing something right now...", Centre, kNavy),
    Gauge("Gauge", {21, 119, 414, 22}, kNavy, kAqua),
    Label("Label15", {21, 203, 414, 29},
          "You can uninstall Quillostrand any time by running this setup program again or by using the "
          "Add/Remove Programs applet in the Control Panel",
          Centre | Wrap),
};

// Back to front: the shapes lie behind the label and the buttons.
constexpr ControlDef kFinished[] = {
    Shape("Shape4", {37, 11, 386, 43}, RoundRect, kAqua, kNavy, 3),
    Shape("Shape1", {107, 63, 246, 64}, 0, kLime),
    Shape("Shape2", {107, 126, 246, 64}, 0, kYellow),
    Shape("Shape3", {107, 189, 246, 57}, 0, kRed),
    Label("Label14", {82, 24, 295, 16}, "Quillostrand setup has been completed !!!", Transparent),
    BitBtn("RunBtn", {121, 77, 218, 36}, "Run Quillostrand", Picture::RunGlyph, 0, kRunBtnClick, 12),
    BitBtn("HelpBtn", {121, 140, 218, 36}, "Read Online Help", Picture::Question, 1, kHelpBtnClick, 12),
    BitBtn("QuitBtn", {121, 203, 218, 29}, "Quit Setup", Picture::Door, 2, kQuitBtnClick, 12),
};

template <size_t N>
constexpr PageDef Page(const char* name, const char* caption, FontKind font, const ControlDef (&rows)[N]) {
    return {name, caption, font, rows, N};
}

// One for each SetupPage, in its order.
constexpr PageDef kPages[kPageCount] = {
    Page("WelcomeSheet", "Welcome", FontKind::Window, kWelcome),
    Page("DelphiSheet", "Delphi", FontKind::Window, kDelphi),
    Page("InstallSheet", "Install", FontKind::Window, kInstall),
    Page("UpdateSheet", "Update", FontKind::Window, kUpdate),
    Page("UninstallSheet", "Uninstall", FontKind::Window, kUninstall),
    Page("BusySheet", "Installing...", FontKind::Window, kBusy),
    Page("FinishedSheet", "Finished", FontKind::LargeBold, kFinished),
};
static_assert(kPages[kPageCount - 1].count > 0, "a page of SetupPage without its table");

// Labels whose text comes from outside and may be longer than their box: how far each may grow. The version
// stops short of the next label on its line, as far from it as the free-space figure is from its own label;
// the free-space figure keeps at least its box and may use the room up to the page's edge.
constexpr int kLabelGap = 4;
constexpr int kVersionRoom = RoomRightOf(kPages[InstallSheet], "LabelVersion", kPageWidth, kLabelGap);
// The Update page's two versions, by the same rule: each up to the page's edge.
constexpr int kOldVersionRoom = RoomRightOf(kPages[UpdateSheet], "LabelOldVersion", kPageWidth, kLabelGap);
constexpr int kInstallVersionRoom = RoomRightOf(kPages[UpdateSheet], "LabelInstallVersion", kPageWidth, kLabelGap);
constexpr int kSpaceFreeMinWidth = 64;
constexpr int kSpaceFreeRoom = RoomRightOf(kPages[InstallSheet], "LabelSpaceFree", kPageWidth, kLabelGap);

// The splash window: 271 x 48, one panel filling it, in the bold window font.
constexpr int kSplashWidth = 271;
constexpr int kSplashHeight = 48;
constexpr ControlDef kSplash[] = {
    Panel("Panel1", {0, 0, 271, 48}),
    Image("Image1", {8, 8, 32, 32}, Picture::SetupIcon),
    Image("Image2", {229, 8, 32, 32}, Picture::SetupIcon),
    Label("Label1", {47, 17, 177, 13}, "Loading Quillostrand Setup...", Centre | Bold),
};
constexpr PageDef kSplashPage = Page("Panel1", "", FontKind::Window, kSplash);

}  // namespace setup_pages
}  // namespace qs
