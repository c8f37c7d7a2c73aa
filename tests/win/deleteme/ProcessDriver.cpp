#include "ProcessDriver.h"

#include "framework/WideText.h"

namespace qs::test {

std::string DeleteMeExe() { return DosPath(QS_DELETEME_EXE); }
std::string DeleteMeTestExe() { return DosPath(QS_DELETEME_TEST_EXE); }

bool RunToEnd(Process& process, DWORD ms, std::vector<Box>* boxesSeen) {
    return WaitUntil(
        [&] {
            if (process.WaitExit(20)) return true;
            for (const auto& box : FindBoxes(process.Pid())) {
                if (box.buttons.empty()) continue;  // still being built
                if (boxesSeen) boxesSeen->push_back(box);
                AnswerBox(box, box.buttons.front());
            }
            return false;
        },
        ms);
}

FileHold::FileHold(const std::string& path) {
    handle_ = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
}

void FileHold::Release() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
}

WideProcess::WideProcess(const std::string& cmdLine) {
    std::wstring line = qs::Widen(cmdLine);  // CreateProcessW may write into it
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        startError_ = GetLastError();
        return;
    }
    CloseHandle(pi.hThread);
    handle_ = pi.hProcess;
}

WideProcess::~WideProcess() {
    if (!handle_) return;
    if (WaitForSingleObject(handle_, 0) == WAIT_TIMEOUT) {
        TerminateProcess(handle_, 99);
        WaitForSingleObject(handle_, 30000);
    }
    CloseHandle(handle_);
}

bool WideProcess::WaitExit(DWORD ms) { return handle_ && WaitForSingleObject(handle_, ms) == WAIT_OBJECT_0; }

DWORD WideProcess::ExitCode() const {
    DWORD code = STILL_ACTIVE;
    if (handle_) GetExitCodeProcess(handle_, &code);
    return code;
}

std::string WideWindowText(HWND hwnd) {
    wchar_t buf[2048];
    const int n = GetWindowTextW(hwnd, buf, 2048);
    return qs::Narrow(std::wstring_view(buf, n > 0 ? size_t(n) : 0));
}

std::string WideBoxText(const Box& box) {
    std::string text;
    for (HWND c : Descendants(box.hwnd)) {
        const LONG style = GetWindowLongW(c, GWL_STYLE);
        if (!(style & WS_VISIBLE) || (style & SS_TYPEMASK) == SS_ICON || lstrcmpiA(ClassOf(c).c_str(), "Static") != 0)
            continue;
        const std::string t = WideWindowText(c);
        if (!t.empty()) text = text.empty() ? t : text + "\n" + t;
    }
    return text;
}

}  // namespace qs::test
