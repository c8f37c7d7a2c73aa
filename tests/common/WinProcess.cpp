#include "WinProcess.h"

#include <commctrl.h>

#include <algorithm>
#include <cstddef>
#include <exception>

#include "base/WideText.h"

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
    Started(CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                           dir.empty() ? nullptr : dir.c_str(), &si, &pi),
            pi);
}

namespace {

bool SameName(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), int(a.size()), b.c_str(), int(b.size()), TRUE) == CSTR_EQUAL;
}

// This process's environment with the given variables set, as CreateProcessW takes it: "name=value" strings,
// each ending in a NUL, and one more NUL.
std::wstring EnvironmentBlock(const std::vector<std::pair<std::string, std::string>>& set) {
    std::vector<std::pair<std::wstring, std::wstring>> vars;
    if (wchar_t* own = GetEnvironmentStringsW()) {
        for (const wchar_t* e = own; *e; e += wcslen(e) + 1) {
            const std::wstring entry = e;
            const size_t eq = entry.find(L'=', 1);  // "=C:=C:\..." entries start with their "="
            if (eq != std::wstring::npos) vars.push_back({entry.substr(0, eq), entry.substr(eq + 1)});
        }
        FreeEnvironmentStringsW(own);
    }
    for (const auto& [name, value] : set) {
        const std::wstring n = qs::Widen(name);
        vars.erase(std::remove_if(vars.begin(), vars.end(), [&](const auto& v) { return SameName(v.first, n); }),
                   vars.end());
        vars.push_back({n, qs::Widen(value)});
    }
    std::wstring block;
    for (const auto& [name, value] : vars) block += name + L"=" + value + L'\0';
    return block + L'\0';
}

}  // namespace

Process::Process(const Launch& launch) {
    std::wstring line, env, dir;
    try {
        line = qs::Widen(launch.commandLine);
        env = EnvironmentBlock(launch.environment);
        dir = qs::Widen(launch.folder);
    } catch (const std::exception&) {
        startError_ = ERROR_NO_UNICODE_TRANSLATION;
        return;
    }
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    Started(CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_UNICODE_ENVIRONMENT,
                           launch.environment.empty() ? nullptr : env.data(), dir.empty() ? nullptr : dir.c_str(),
                           &si, &pi),
            pi);
}

void Process::Started(BOOL created, const PROCESS_INFORMATION& pi) {
    if (!created) {
        startError_ = GetLastError();
        return;
    }
    CloseHandle(pi.hThread);
    handle_ = pi.hProcess;
    pid_ = pi.dwProcessId;
}

Process::Process(DWORD pid) {
    // What the drivers do with a process: wait for it, end it, and copy structures into and out of it.
    handle_ = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION | PROCESS_TERMINATE | PROCESS_VM_OPERATION |
                              PROCESS_VM_READ | PROCESS_VM_WRITE,
                          FALSE, pid);
    if (handle_) pid_ = pid;
    else startError_ = GetLastError();
}

Process::~Process() {
    if (!handle_) return;
    Kill();  // a failed check may leave the program waiting or its box open: nothing later is to meet it
    CloseHandle(handle_);
}

void Process::Kill() {
    if (!Running()) return;
    TerminateProcess(handle_, 99);
    WaitForSingleObject(handle_, 30000);
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

std::optional<std::string> ControlText(HWND hwnd, DWORD ms) {
    char buf[2048] = "";
    DWORD_PTR len = 0;
    if (!SendMessageTimeoutA(hwnd, WM_GETTEXT, sizeof buf, reinterpret_cast<LPARAM>(buf), SMTO_ABORTIFHUNG, ms, &len))
        return std::nullopt;
    return std::string(buf, std::min<size_t>(len, sizeof buf - 1));
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

constexpr DWORD kAnswerMs = 5000;  // how long a program may take to answer a message

// Memory inside the process of a window, for messages whose parameters point to structures: messages do not copy
// them across processes.
class RemoteBlock {
public:
    RemoteBlock(HWND owner, size_t size) {
        process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, PidOf(owner));
        if (process_)
            address_ = static_cast<char*>(
                VirtualAllocEx(process_, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    }
    ~RemoteBlock() {
        if (address_) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
        if (process_) CloseHandle(process_);
    }
    RemoteBlock(const RemoteBlock&) = delete;
    RemoteBlock& operator=(const RemoteBlock&) = delete;
    char* At(size_t offset) const { return address_ + offset; }  // an address in the other process
    // Copies data (n bytes) into the block, sends msg with the block as its lParam, and copies the block back.
    bool Send(HWND hwnd, UINT msg, WPARAM wp, void* data, size_t n) const {
        DWORD_PTR ignored = 0;
        return address_ && WriteProcessMemory(process_, address_, data, n, nullptr) &&
               SendMessageTimeoutA(hwnd, msg, wp, reinterpret_cast<LPARAM>(address_), SMTO_ABORTIFHUNG, kAnswerMs,
                                   &ignored) &&
               ReadProcessMemory(process_, address_, data, n, nullptr);
    }

private:
    HANDLE process_ = nullptr;
    char* address_ = nullptr;
};

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

// ---- Tabs

HWND SetupWindowTabs(HWND top) {
    return WindowText(top) == "Quillostrand Setup" ? FindWindowExA(top, nullptr, WC_TABCONTROLA, nullptr) : nullptr;
}

namespace {

// TCITEMA followed by the buffer for its text, with the pointer-sized fields as wide as the tab's own process has
// them: the 64-bit driver also reads the tabs of the 32-bit Setup.exe.
template <typename Ptr>
struct TabItemQuery {
    UINT mask;
    DWORD state, stateMask;
    Ptr text;
    int textMax, image;
    Ptr param;
    char buffer[256];
};
static_assert(offsetof(TabItemQuery<UINT_PTR>, buffer) == sizeof(TCITEMA), "the tab item as this build lays it out");

template <typename Ptr>
std::optional<std::vector<std::string>> TabCaptionsAs(HWND tab, WPARAM count) {
    TabItemQuery<Ptr> query;
    const RemoteBlock block(tab, sizeof query);
    const UINT_PTR buffer = reinterpret_cast<UINT_PTR>(block.At(offsetof(TabItemQuery<Ptr>, buffer)));
    if (Ptr(buffer) != buffer) return std::nullopt;  // beyond what the other process's pointers reach
    std::vector<std::string> captions;
    for (WPARAM i = 0; i < count; ++i) {
        query = {};
        query.mask = TCIF_TEXT;
        query.text = Ptr(buffer);
        query.textMax = sizeof query.buffer - 1;
        if (!block.Send(tab, TCM_GETITEMA, i, &query, sizeof query)) return std::nullopt;
        query.buffer[sizeof query.buffer - 1] = '\0';
        captions.push_back(query.buffer);
    }
    return captions;
}

// A 32-bit process seen from this 64-bit one.
bool IsOther32Bit(HWND hwnd) {
    if (sizeof(void*) == 4) return false;
    BOOL wow64 = FALSE;
    if (HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, PidOf(hwnd))) {
        IsWow64Process(process, &wow64);
        CloseHandle(process);
    }
    return wow64 != FALSE;
}

}  // namespace

std::optional<std::vector<std::string>> TabCaptions(HWND tab) {
    DWORD_PTR count = 0;
    if (!SendMessageTimeoutA(tab, TCM_GETITEMCOUNT, 0, 0, SMTO_ABORTIFHUNG, kAnswerMs, &count)) return std::nullopt;
    return IsOther32Bit(tab) ? TabCaptionsAs<uint32_t>(tab, count) : TabCaptionsAs<UINT_PTR>(tab, count);
}

bool ClickTab(HWND tab, const std::string& caption) {
    const auto captions = TabCaptions(tab);
    if (!captions) return false;
    const auto it = std::find(captions->begin(), captions->end(), caption);
    RECT r{};
    const RemoteBlock block(tab, sizeof r);
    if (it == captions->end() || !block.Send(tab, TCM_GETITEMRECT, WPARAM(it - captions->begin()), &r, sizeof r))
        return false;
    const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    PostMessageA(tab, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(tab, WM_LBUTTONUP, 0, at);
    return true;
}

// ---- Message boxes

std::vector<Box> FindBoxes(DWORD pid, TextReader read) {
    std::vector<Box> boxes;
    for (HWND h : TopWindows(pid)) {
        if (ClassOf(h) != "#32770") continue;
        Box box;
        box.hwnd = h;
        box.pid = PidOf(h);
        box.caption = read(h);
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
                    const std::string t = read(c);
                    if (!t.empty()) box.text = box.text.empty() ? t : box.text + "\n" + t;
                }
            } else if (lstrcmpiA(cls.c_str(), "Button") == 0) {
                box.buttons.push_back(read(c));
                box.buttonIds.push_back(GetDlgCtrlID(c));
            }
        }
        boxes.push_back(box);
    }
    return boxes;
}

std::optional<Box> WaitForBox(DWORD pid, DWORD ms, TextReader read) {
    std::optional<Box> found;
    WaitUntil(
        [&] {
            // The box is shown before its text is filled in; wait for both.
            for (const auto& b : FindBoxes(pid, read))
                if (!b.text.empty() && !b.buttons.empty()) {
                    found = b;
                    return true;
                }
            return false;
        },
        ms);
    return found;
}

namespace {

// Presses the first shown button of the box that matches and waits until the box is gone.
std::string PressBoxButton(const Box& box, const std::function<bool(HWND)>& matches, const std::string& label) {
    for (HWND c : Descendants(box.hwnd)) {
        if (lstrcmpiA(ClassOf(c).c_str(), "Button") == 0 && matches(c) && IsWindowVisible(c)) {
            PostMessageA(c, BM_CLICK, 0, 0);
            if (WaitUntil([&] { return !IsWindow(box.hwnd) || !IsWindowVisible(box.hwnd); }, 10000)) return "";
            return "the message box stays after pressing " + label + ": " + Describe(box);
        }
    }
    return "no button " + label + " on " + Describe(box);
}

}  // namespace

std::string AnswerBox(const Box& box, const std::string& label) {
    return PressBoxButton(box, [&](HWND c) { return WindowText(c) == label; }, label);
}

std::string AnswerBox(const Box& box, int id) {
    return PressBoxButton(box, [&](HWND c) { return GetDlgCtrlID(c) == id; }, "number " + std::to_string(id));
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
