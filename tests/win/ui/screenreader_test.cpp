// The setup window as a screen reader sees it, through oleacc as the client: the inputs named by the label just
// before them, the gauge as a progress bar whose value follows a real install with a value-change event for each
// new percentage, and the free-space shortage given as text; and the real Setup.exe read from another process.
#include <gtest/gtest.h>

#include <windows.h>
#include <oleacc.h>

#include <string>
#include <vector>

#include "../setup/SetupFixture.h"
#include "WinProcess.h"
#include "base/ScopedWin.h"
#include "base/Text.h"
#include "base/WideText.h"
#include "setup/SetupLayout.h"
#include "setup/SetupPages.h"

using namespace qs;
using namespace qs::form;
using namespace qs::test;
namespace sp = qs::setup_pages;

namespace {

ComPtr<IAccessible> ClientObject(HWND h) {
    ComPtr<IAccessible> acc;
    EXPECT_EQ(AccessibleObjectFromWindow(h, OBJID_CLIENT, __uuidof(IAccessible), acc.Out()), S_OK);
    return acc;
}

VARIANT Self() {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = CHILDID_SELF;
    return v;
}

// A text property of the object (accName, accValue...), "(none)" when it has none.
template <typename Getter>
std::string Text(IAccessible* acc, Getter get, VARIANT child = Self()) {
    BSTR b = nullptr;
    if (!acc || (acc->*get)(child, &b) != S_OK || !b) return "(none)";
    const std::string s = Narrow(std::wstring(b, SysStringLen(b)));
    SysFreeString(b);
    return s;
}

long Role(IAccessible* acc) {
    VARIANT role;
    VariantInit(&role);
    if (!acc || acc->get_accRole(Self(), &role) != S_OK || role.vt != VT_I4) return -1;
    return role.lVal;
}

std::string LowerClass(HWND h) {
    wchar_t buf[64] = L"";
    GetClassNameW(h, buf, 64);
    return AsciiLower(Narrow(buf));
}

// What a screen reader hears of the gauge each time it announces a change: the value read back through oleacc from
// the event, as a client does. Called by the system inside NotifyWinEvent (an in-context hook of this process).
std::vector<std::string> g_announced;
HWND g_watched = nullptr;
void CALLBACK OnValueChange(HWINEVENTHOOK, DWORD, HWND hwnd, LONG object, LONG child, DWORD, DWORD) {
    if (hwnd != g_watched) return;
    ComPtr<IAccessible> acc;
    VARIANT id;
    VariantInit(&id);
    if (AccessibleObjectFromEvent(hwnd, object, child, reinterpret_cast<IAccessible**>(acc.Out()), &id) == S_OK)
        g_announced.push_back(Text(acc.Get(), &IAccessible::get_accValue, id));
    else
        g_announced.push_back("(no object)");
}

// Listens to the gauge's value changes while it lives.
class ValueChanges {
public:
    explicit ValueChanges(HWND gauge)
        : hook_(SetWinEventHook(EVENT_OBJECT_VALUECHANGE, EVENT_OBJECT_VALUECHANGE, GetModuleHandleW(nullptr),
                                OnValueChange, GetCurrentProcessId(), GetCurrentThreadId(), WINEVENT_INCONTEXT)) {
        g_announced.clear();
        g_watched = gauge;
    }
    ~ValueChanges() {
        UnhookWinEvent(hook_);
        g_watched = nullptr;
    }
    ValueChanges(const ValueChanges&) = delete;
    ValueChanges& operator=(const ValueChanges&) = delete;
    bool Hooked() const { return hook_ != nullptr; }

private:
    HWINEVENTHOOK hook_;
};

class ScreenReader : public SetupFixture {};

}  // namespace

// Windows names an edit box, list box or combo box by the label just before it in z-order (Wine's oleacc applies
// the rule to edit boxes only, so for the lists the z-order itself is checked). Every input of every page has one,
// ending in a colon as a label does; a label the page shows is the one a sighted user reads beside the input.
TEST_F(ScreenReader, EveryInput_IsNamedByTheLabelJustBeforeIt) {
    TSetupForm f;
    f.CreateWindowAndControls();
    std::vector<std::string> names;
    for (int i = 0; i < kPageCount; ++i) {
        const PageDef& page = sp::kPages[i];
        for (size_t k = 0; k < page.count; ++k) {
            const ControlDef& row = page.controls[k];
            if (row.kind != Kind::Edit && row.kind != Kind::DirList && row.kind != Kind::DriveCombo) continue;
            SCOPED_TRACE(row.name);
            HWND input = SetupFormView(f, row.name)->Handle();
            HWND label = GetWindow(input, GW_HWNDPREV);
            ASSERT_NE(label, nullptr);
            EXPECT_EQ(LowerClass(label), "static");
            const std::string text = TextOf(label);
            ASSERT_GE(text.size(), 2u);
            EXPECT_EQ(text.back(), ':');
            if (row.kind == Kind::Edit) {
                EXPECT_EQ(Text(ClientObject(input).Get(), &IAccessible::get_accName), text);
                EXPECT_EQ(Role(ClientObject(input).Get()), ROLE_SYSTEM_TEXT);
            }
            names.push_back(text);
        }
    }
    EXPECT_EQ(names.size(), 5u);
    // The install folder's label is the one the page shows.
    EXPECT_TRUE(GetWindowLongW(GetWindow(f.EditInstallDir.Handle(), GW_HWNDPREV), GWL_STYLE) & WS_VISIBLE);
}

// The gauge answers as a progress bar whose value is the percentage it shows, and raises one value-change event
// per new whole percentage, whether the progress or the maximum moved it.
TEST_F(ScreenReader, Gauge_IsAProgressBarWithItsPercentageAndAnnouncesEachNewOne) {
    TSetupForm f;
    f.CreateWindowAndControls();
    ComPtr<IAccessible> acc = ClientObject(f.Gauge.Handle());
    EXPECT_EQ(Role(acc.Get()), ROLE_SYSTEM_PROGRESSBAR);
    EXPECT_EQ(Text(acc.Get(), &IAccessible::get_accValue), "0%");
    ValueChanges changes(f.Gauge.Handle());
    ASSERT_TRUE(changes.Hooked());
    f.Gauge.SetMaxValue(1000);  // 0 % either way: nothing to announce
    f.Gauge.SetProgress(4);
    f.Gauge.SetProgress(9);
    EXPECT_TRUE(g_announced.empty());
    f.Gauge.SetProgress(420);
    f.Gauge.SetMaxValue(840);
    f.Gauge.AddProgress(5000);
    EXPECT_EQ(g_announced, (std::vector<std::string>{"42%", "50%", "100%"}));
    // The object a client holds reads the gauge as it is now.
    EXPECT_EQ(Text(acc.Get(), &IAccessible::get_accValue), "100%");
}

// A real install, heard through the events: the percentages climb one by one as the files are written and end
// at 100 %.
TEST_F(ScreenReader, Gauge_DuringAnInstall_AnnouncesRisingPercentagesUpToAHundred) {
    const ScratchDir target("reader-target");
    std::string big(200000, '\0');
    for (size_t i = 0; i < big.size(); ++i) big[i] = char("help files "[(i * 7 + i / 13) % 11]);
    WritePak("Quilstr.pak", "1.0", {PackRawEntry("Quilstr.exe", big), PackRawEntry("ReadMe.txt", "Read me\r\n")});
    TSetupForm& f = Start();
    f.EditInstallDir.SetText(target.Path() + "App");
    f.CheckDesktop.SetChecked(false);
    f.CheckPrograms.SetChecked(false);
    {
        ValueChanges changes(f.Gauge.Handle());
        f.NowBtnClick();
    }
    DeleteShellEntries();
    ASSERT_GE(g_announced.size(), 5u);
    int last = -1;
    for (const std::string& v : g_announced) {
        ASSERT_EQ(v.back(), '%') << v;
        const int percent = std::stoi(v);
        EXPECT_GT(percent, last) << v;
        last = percent;
    }
    EXPECT_EQ(g_announced.back(), "100%");
    EXPECT_TRUE(boxes_.Boxes().empty());
}

// The free-space figure turns red when the drive is too small; a screen reader, which sees no colour, hears it as
// the figure's description, and no more once the install fits.
TEST_F(ScreenReader, FreeSpaceShortage_IsTheFiguresDescription) {
    WriteSizedPak("Quilstr.pak", "1.0", 1000);
    TSetupForm& f = Start();
    HWND figure = f.LabelSpaceFree.Handle();
    const std::string ample = Text(ClientObject(figure).Get(), &IAccessible::get_accDescription);
    // A Delphi option's change reckons the need anew against the free space found.
    RunState(f).SpaceFree() = 0;
    f.CheckDelphi10Click();
    const std::string shortage = Text(ClientObject(figure).Get(), &IAccessible::get_accDescription);
    EXPECT_NE(shortage, ample);
    EXPECT_NE(shortage.find("space"), std::string::npos) << shortage;
    EXPECT_EQ(Text(ClientObject(figure).Get(), &IAccessible::get_accName), f.LabelSpaceFree.Caption());
    RunState(f).SpaceFree() = int64_t(1) << 40;
    f.CheckDelphi10Click();
    EXPECT_EQ(Text(ClientObject(figure).Get(), &IAccessible::get_accDescription), ample);
}

// The real Setup.exe, read from this process as a screen reader reads it: its edit boxes named by their labels, its
// gauge a progress bar at 0 %, its lists with a label just before them.
TEST_F(ScreenReader, RealSetupExe_AnotherProcessReadsTheNamesAndTheGauge) {
    WriteSizedPak("Quilstr.pak", "1.0", 1000);
    const std::string exe = Media() + "Setup.exe";
    ASSERT_TRUE(CopyFileW(Widen(qs::test::DosPath(QS_SETUP_EXE)).c_str(), Widen(exe).c_str(), FALSE));
    qs::test::Process setup(qs::test::Quote(exe), Media());
    ASSERT_TRUE(setup.Started());
    HWND window = nullptr;
    ASSERT_TRUE(qs::test::WaitUntil(
        [&] {
            for (HWND h : qs::test::TopWindows(setup.Pid()))
                if (qs::test::SetupWindowTabs(h)) window = h;
            return window != nullptr;
        },
        20000));
    int edits = 0, lists = 0, gauges = 0;
    for (HWND h : qs::test::Descendants(window)) {
        const std::string cls = LowerClass(h);
        if (cls == "edit" || cls == "listbox" || cls == "combobox") {
            HWND label = GetWindow(h, GW_HWNDPREV);
            ASSERT_EQ(LowerClass(label), "static");
            const std::string text = qs::test::WindowText(label);
            EXPECT_EQ(text.empty() ? ' ' : text.back(), ':') << text;
            if (cls == "edit") {
                EXPECT_EQ(Text(ClientObject(h).Get(), &IAccessible::get_accName), text);
                ++edits;
            } else {
                ++lists;
            }
        } else if (cls == "qsgauge") {
            ComPtr<IAccessible> gauge = ClientObject(h);
            EXPECT_EQ(Role(gauge.Get()), ROLE_SYSTEM_PROGRESSBAR);
            EXPECT_EQ(Text(gauge.Get(), &IAccessible::get_accValue), "0%");
            ++gauges;
        }
    }
    EXPECT_EQ(edits, 3);
    EXPECT_EQ(lists, 2);
    EXPECT_EQ(gauges, 1);
    setup.Kill();
}
