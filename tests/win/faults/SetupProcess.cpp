#include "SetupProcess.h"

#include <commctrl.h>

#include <cstring>

namespace qs::test {

std::string HostToDos(const std::string& hostPath) {
    std::string p = std::string("Z:") + hostPath;
    for (char& c : p)
        if (c == '/') c = '\\';
    return p;
}

std::string SetupExePath() { return HostToDos(QS_SETUP_EXE); }

bool WaitFor(const std::function<bool()>& pred, DWORD ms) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (pred()) return true;
        if (GetTickCount() - start > ms) return false;
        MSG m;
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
        Sleep(20);
    }
}

std::string TextOf(HWND hwnd) {
    char buf[512] = {};
    // WM_GETTEXT with a time-out: a program busy in a long run does not answer messages.
    DWORD_PTR got = 0;
    if (!SendMessageTimeoutA(hwnd, WM_GETTEXT, sizeof buf, reinterpret_cast<LPARAM>(buf), SMTO_ABORTIFHUNG, 2000,
                             &got))
        GetWindowTextA(hwnd, buf, sizeof buf);
    return buf;
}

// Without the version part that side-by-side common controls put in front ("6.0.2600.2982!Button").
static std::string ClassOf(HWND hwnd) {
    char buf[128] = {};
    GetClassNameA(hwnd, buf, sizeof buf);
    const std::string c = buf;
    return c.substr(c.find('!') == std::string::npos ? 0 : c.find('!') + 1);
}

SetupProcess::SetupProcess(const std::string& exe, const std::string& dir) {
    STARTUPINFOA si{};
    si.cb = sizeof si;
    std::string cmd = "\"" + exe + "\"";
    if (!CreateProcessA(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(), &si, &pi_))
        pi_ = PROCESS_INFORMATION{};
}

SetupProcess::~SetupProcess() {
    if (Running()) Kill();
    if (pi_.hProcess) CloseHandle(pi_.hProcess);
    if (pi_.hThread) CloseHandle(pi_.hThread);
}

bool SetupProcess::Running() const {
    return pi_.hProcess && WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT;
}

void SetupProcess::Kill() {
    if (!pi_.hProcess) return;
    TerminateProcess(pi_.hProcess, 9);
    WaitForSingleObject(pi_.hProcess, 30000);
}

bool SetupProcess::WaitExit(DWORD ms) { return pi_.hProcess && WaitForSingleObject(pi_.hProcess, ms) == WAIT_OBJECT_0; }

namespace {
struct TopSearch {
    DWORD pid;
    HWND found;
    bool box;
};
BOOL CALLBACK FindTop(HWND hwnd, LPARAM lp) {
    auto* s = reinterpret_cast<TopSearch*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != s->pid || !IsWindowVisible(hwnd)) return TRUE;
    char cap[128] = {};
    GetWindowTextA(hwnd, cap, sizeof cap);
    const bool isBox = ClassOf(hwnd) == "#32770";
    if (isBox == s->box && (s->box || std::strcmp(cap, "Quillostrand Setup") == 0)) {
        s->found = hwnd;
        return FALSE;
    }
    return TRUE;
}
struct ChildSearch {
    std::string cls, text;
    std::vector<HWND> found;
};
BOOL CALLBACK FindChildProc(HWND hwnd, LPARAM lp) {
    auto* s = reinterpret_cast<ChildSearch*>(lp);
    if (ClassOf(hwnd) == s->cls && (s->text.empty() || TextOf(hwnd) == s->text)) s->found.push_back(hwnd);
    return TRUE;
}
}  // namespace

bool SetupProcess::WaitWindow(DWORD ms) {
    // The splash window carries the same caption: the setup window is the one with the tabbed pages.
    return WaitFor(
        [&] {
            TopSearch s{pi_.dwProcessId, nullptr, false};
            EnumWindows(FindTop, reinterpret_cast<LPARAM>(&s));
            main_ = s.found;
            if (main_ && !Child(WC_TABCONTROLA, "")) main_ = nullptr;
            return main_ != nullptr || !Running();
        },
        ms) &&
           main_ != nullptr;
}

std::vector<std::string> SetupProcess::BoxTexts() const {
    std::vector<std::string> texts;
    TopSearch s{pi_.dwProcessId, nullptr, true};
    EnumWindows(FindTop, reinterpret_cast<LPARAM>(&s));
    if (s.found) {
        ChildSearch c{"Static", "", {}};
        EnumChildWindows(s.found, FindChildProc, reinterpret_cast<LPARAM>(&c));
        for (HWND h : c.found) texts.push_back(TextOf(h));
    }
    return texts;
}

std::vector<HWND> SetupProcess::Children(const std::string& cls) const {
    ChildSearch c{cls, "", {}};
    if (main_) EnumChildWindows(main_, FindChildProc, reinterpret_cast<LPARAM>(&c));
    return c.found;
}

HWND SetupProcess::Child(const std::string& cls, const std::string& text) const {
    ChildSearch c{cls, text, {}};
    if (main_) EnumChildWindows(main_, FindChildProc, reinterpret_cast<LPARAM>(&c));
    return c.found.empty() ? nullptr : c.found[0];
}

// Tab items carry pointers: the structures live in the other process (messages do not copy them across).
std::vector<std::string> SetupProcess::Tabs() const {
    std::vector<std::string> tabs;
    HWND tab = Child(WC_TABCONTROLA, "");
    if (!tab) return tabs;
    HANDLE proc = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pi_.dwProcessId);
    if (!proc) return tabs;
    char* remote = static_cast<char*>(VirtualAllocEx(proc, nullptr, 4096, MEM_COMMIT, PAGE_READWRITE));
    const int count = int(SendMessageA(tab, TCM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        TCITEMA item{};
        item.mask = TCIF_TEXT;
        item.pszText = remote + 1024;
        item.cchTextMax = 256;
        WriteProcessMemory(proc, remote, &item, sizeof item, nullptr);
        SendMessageA(tab, TCM_GETITEMA, WPARAM(i), reinterpret_cast<LPARAM>(remote));
        char text[257] = {};
        ReadProcessMemory(proc, remote + 1024, text, 256, nullptr);
        tabs.push_back(text);
    }
    VirtualFreeEx(proc, remote, 0, MEM_RELEASE);
    CloseHandle(proc);
    return tabs;
}

bool SetupProcess::ClickTab(const std::string& caption) {
    const std::vector<std::string> tabs = Tabs();
    int index = -1;
    for (size_t i = 0; i < tabs.size(); ++i)
        if (tabs[i] == caption) index = int(i);
    HWND tab = Child(WC_TABCONTROLA, "");
    if (index < 0 || !tab) return false;
    HANDLE proc = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pi_.dwProcessId);
    if (!proc) return false;
    void* remote = VirtualAllocEx(proc, nullptr, sizeof(RECT), MEM_COMMIT, PAGE_READWRITE);
    RECT r{};
    SendMessageA(tab, TCM_GETITEMRECT, WPARAM(index), reinterpret_cast<LPARAM>(remote));
    ReadProcessMemory(proc, remote, &r, sizeof r, nullptr);
    VirtualFreeEx(proc, remote, 0, MEM_RELEASE);
    CloseHandle(proc);
    const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    PostMessageA(tab, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(tab, WM_LBUTTONUP, 0, at);
    return true;
}

}  // namespace qs::test
