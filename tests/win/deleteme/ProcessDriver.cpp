#include "ProcessDriver.h"

#include <vector>

namespace qs::test {

namespace {

// Build-tree paths come as host paths; Wine shows the host's root as drive Z:.
std::string DosPath(const char* hostPath) {
    std::string p = std::string("Z:") + hostPath;
    for (char& c : p)
        if (c == '/') c = '\\';
    return p;
}

std::string WindowText(HWND hwnd) {
    char buf[2048];
    const int n = GetWindowTextA(hwnd, buf, sizeof buf);
    return std::string(buf, n > 0 ? n : 0);
}

std::string ClassOf(HWND hwnd) {
    char buf[64];
    const int n = GetClassNameA(hwnd, buf, sizeof buf);
    return std::string(buf, n > 0 ? n : 0);
}

BOOL CALLBACK CollectChild(HWND child, LPARAM param) {
    auto* box = reinterpret_cast<BoxInfo*>(param);
    const std::string cls = ClassOf(child);
    if (_stricmp(cls.c_str(), "Button") == 0) {
        if (IsWindowVisible(child)) box->buttons.push_back(WindowText(child));
    } else if (_stricmp(cls.c_str(), "Static") == 0) {
        const LONG style = GetWindowLongA(child, GWL_STYLE);
        if ((style & SS_TYPEMASK) == SS_ICON) {
            if (IsWindowVisible(child) && SendMessageA(child, STM_GETICON, 0, 0) != 0) box->hasIcon = true;
        } else if (box->text.empty()) {
            box->text = WindowText(child);
        }
    }
    return TRUE;
}

struct Search {
    DWORD pid;
    std::vector<BoxInfo> found;
};

BOOL CALLBACK CollectBox(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    const bool wanted = search->pid ? pid == search->pid : pid != GetCurrentProcessId();
    if (!wanted || ClassOf(hwnd) != "#32770" || !IsWindowVisible(hwnd)) return TRUE;
    BoxInfo box;
    box.hwnd = hwnd;
    box.pid = pid;
    box.caption = WindowText(hwnd);
    EnumChildWindows(hwnd, CollectChild, reinterpret_cast<LPARAM>(&box));
    search->found.push_back(box);
    return TRUE;
}

}  // namespace

std::string DeleteMeExe() { return DosPath(QS_DELETEME_EXE); }
std::string DeleteMeTestExe() { return DosPath(QS_DELETEME_TEST_EXE); }

std::string Quote(const std::string& text) { return "\"" + text + "\""; }

std::vector<BoxInfo> FindBoxes(DWORD pid) {
    Search search{pid, {}};
    EnumWindows(CollectBox, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::optional<BoxInfo> WaitForBox(DWORD pid, DWORD ms) {
    const DWORD start = GetTickCount();
    for (;;) {
        const auto boxes = FindBoxes(pid);
        // A box may be found before its text is set; wait until its button is there too.
        if (!boxes.empty() && !boxes.front().buttons.empty()) return boxes.front();
        if (GetTickCount() - start >= ms) return std::nullopt;
        Sleep(20);
    }
}

void AnswerBox(const BoxInfo& box) { PostMessageA(box.hwnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0); }

Process::Process(const std::string& cmdLine, const std::string& dir) {
    std::vector<char> line(cmdLine.begin(), cmdLine.end());
    line.push_back('\0');
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, dir.empty() ? nullptr : dir.c_str(),
                       &si, &pi)) {
        CloseHandle(pi.hThread);
        handle_ = pi.hProcess;
        id_ = pi.dwProcessId;
    }
}

Process::~Process() {
    if (!handle_) return;
    if (Running()) {
        // A failed test may leave the helper waiting or its box open: end it so no later test meets it.
        TerminateProcess(handle_, 1);
        WaitForSingleObject(handle_, 5000);
    }
    CloseHandle(handle_);
}

bool Process::Running() const { return handle_ && WaitForSingleObject(handle_, 0) == WAIT_TIMEOUT; }

bool Process::WaitExit(DWORD ms) { return handle_ && WaitForSingleObject(handle_, ms) == WAIT_OBJECT_0; }

DWORD Process::ExitCode() const {
    DWORD code = STILL_ACTIVE;
    if (handle_) GetExitCodeProcess(handle_, &code);
    return code;
}

bool Process::RunToEnd(DWORD ms, std::vector<BoxInfo>* boxesSeen) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (WaitExit(20)) return true;
        for (const auto& box : FindBoxes(id_)) {
            if (box.buttons.empty()) continue;  // still being built
            if (boxesSeen) boxesSeen->push_back(box);
            AnswerBox(box);
            Sleep(100);  // let it go before looking again
        }
        if (GetTickCount() - start >= ms) return false;
    }
}

FileHold::FileHold(const std::string& path) {
    handle_ = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
}

void FileHold::Release() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
}

}  // namespace qs::test
