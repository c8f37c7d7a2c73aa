#include "WinProcess.h"

namespace qs::test {

bool WaitUntil(const std::function<bool()>& pred, DWORD ms) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (pred()) return true;
        if (GetTickCount() - start >= ms) return pred();
        Sleep(20);
    }
}

std::string DosPath(const std::string& path) {
    if (path.empty() || path[0] != '/') return path;
    // Wine's own translation honours the prefix's drive mappings; Z: is the whole Unix tree otherwise.
    using ToDos = WCHAR*(CDECL*)(const char*);
    const auto fn = reinterpret_cast<ToDos>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_dos_file_name")));
    if (fn) {
        if (WCHAR* w = fn(path.c_str())) {
            char buf[MAX_PATH * 2];
            const int n = WideCharToMultiByte(CP_ACP, 0, w, -1, buf, sizeof buf, nullptr, nullptr);
            HeapFree(GetProcessHeap(), 0, w);
            if (n > 0) return buf;
        }
    }
    std::string dos = "Z:" + path;
    for (char& c : dos)
        if (c == '/') c = '\\';
    return dos;
}

std::string Quote(const std::string& text) { return "\"" + text + "\""; }

// ---- Process

Process::Process(const std::string& cmdLine, const std::string& dir) {
    std::vector<char> line(cmdLine.begin(), cmdLine.end());
    line.push_back('\0');
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, dir.empty() ? nullptr : dir.c_str(),
                        &si, &pi)) {
        startError_ = GetLastError();
        return;
    }
    CloseHandle(pi.hThread);
    handle_ = pi.hProcess;
    pid_ = pi.dwProcessId;
}

Process::~Process() {
    if (!handle_) return;
    if (Running()) {
        // A failed check may leave the program waiting or its box open: end it so nothing later meets it.
        TerminateProcess(handle_, 99);
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

// ---- Windows

std::string WindowText(HWND hwnd) {
    char buf[2048];
    const int n = GetWindowTextA(hwnd, buf, sizeof buf);
    return std::string(buf, n > 0 ? size_t(n) : 0);
}

std::string ClassOf(HWND hwnd) {
    char buf[256];
    const int n = GetClassNameA(hwnd, buf, sizeof buf);
    return std::string(buf, n > 0 ? size_t(n) : 0);
}

namespace {

DWORD PidOf(HWND hwnd) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    return pid;
}

BOOL CALLBACK Collect(HWND hwnd, LPARAM lp) {
    reinterpret_cast<std::vector<HWND>*>(lp)->push_back(hwnd);
    return TRUE;
}

}  // namespace

std::vector<HWND> TopWindows(DWORD pid) {
    std::vector<HWND> all, out;
    EnumWindows(Collect, reinterpret_cast<LPARAM>(&all));
    const DWORD self = GetCurrentProcessId();
    for (HWND h : all) {
        if (!IsWindowVisible(h)) continue;
        const DWORD p = PidOf(h);
        if (p == self || (pid != 0 && p != pid)) continue;
        out.push_back(h);
    }
    return out;
}

std::vector<HWND> Descendants(HWND parent) {
    std::vector<HWND> all;
    EnumChildWindows(parent, Collect, reinterpret_cast<LPARAM>(&all));
    return all;
}

// ---- Message boxes

std::vector<Box> FindBoxes(DWORD pid) {
    std::vector<Box> boxes;
    for (HWND h : TopWindows(pid)) {
        if (ClassOf(h) != "#32770") continue;
        Box box;
        box.hwnd = h;
        box.pid = PidOf(h);
        box.caption = WindowText(h);
        for (HWND c : Descendants(h)) {
            const std::string cls = ClassOf(c);
            const LONG style = GetWindowLongA(c, GWL_STYLE);
            if (!(style & WS_VISIBLE)) continue;
            if (lstrcmpiA(cls.c_str(), "Static") == 0) {
                if ((style & SS_TYPEMASK) == SS_ICON) {
                    // The icon control is there in every box; only the boxes with an icon give it one.
                    DWORD_PTR icon = 0;
                    SendMessageTimeoutA(c, STM_GETICON, 0, 0, SMTO_ABORTIFHUNG, 2000, &icon);
                    box.hasIcon = box.hasIcon || icon != 0;
                } else {
                    const std::string t = WindowText(c);
                    if (!t.empty()) box.text = box.text.empty() ? t : box.text + "\n" + t;
                }
            } else if (lstrcmpiA(cls.c_str(), "Button") == 0) {
                box.buttons.push_back(WindowText(c));
            }
        }
        boxes.push_back(box);
    }
    return boxes;
}

std::optional<Box> WaitForBox(DWORD pid, DWORD ms) {
    std::optional<Box> found;
    WaitUntil(
        [&] {
            // The box is shown before its text is filled in; wait for both.
            for (const auto& b : FindBoxes(pid))
                if (!b.text.empty() && !b.buttons.empty()) {
                    found = b;
                    return true;
                }
            return false;
        },
        ms);
    return found;
}

std::string AnswerBox(const Box& box, const std::string& label) {
    for (HWND c : Descendants(box.hwnd)) {
        if (lstrcmpiA(ClassOf(c).c_str(), "Button") == 0 && WindowText(c) == label && IsWindowVisible(c)) {
            PostMessageA(c, BM_CLICK, 0, 0);
            if (WaitUntil([&] { return !IsWindow(box.hwnd) || !IsWindowVisible(box.hwnd); }, 10000)) return "";
            return "the message box stays after pressing " + label + ": " + Describe(box);
        }
    }
    return "no button " + label + " on " + Describe(box);
}

std::string Describe(const Box& box) {
    std::string text;
    for (char c : box.text) text += c == '\r' ? std::string("\\r") : c == '\n' ? std::string("\\n") : std::string(1, c);
    std::string s = "box [" + box.caption + "] \"" + text + "\" buttons:";
    for (const auto& b : box.buttons) s += " " + b;
    if (box.hasIcon) s += " (icon)";
    return s;
}

}  // namespace qs::test
