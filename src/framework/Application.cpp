#include "framework/Application.h"
#include "framework/Exceptions.h"

namespace qs {

TApplication& Application() {
    static TApplication app;
    return app;
}

HINSTANCE TApplication::Instance() const { return GetModuleHandleA(nullptr); }

std::string TApplication::ExeName() const {
    char buf[261];
    const DWORD n = GetModuleFileNameA(nullptr, buf, sizeof buf);
    return std::string(buf, n < sizeof buf ? n : 0);
}

int TApplication::ShowMessageBox(const std::string& text, const std::string& caption, UINT flags) {
    if (hook_) return hook_(text, caption, flags);
    HWND owner = mainWindow_ && IsWindowVisible(mainWindow_) ? mainWindow_ : nullptr;
    return ::MessageBoxA(owner, text.c_str(), caption.c_str(), flags | (owner ? 0 : MB_TASKMODAL));
}

void TApplication::ShowException(const std::exception& e) {
    std::string text = e.what();
    if (text.empty() || text.back() != '.') text += '.';
    ShowMessageBox(text, title_, MB_OK | MB_ICONSTOP);
}

void TApplication::Run() {
    MSG msg;
    while (!terminated_) {
        const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got <= 0) break;
        // Tab and the arrow keys move between the controls; the pages set no default or cancel button, so
        // Enter and Escape still press nothing.
        if (mainWindow_ && IsDialogMessageA(mainWindow_, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    terminated_ = true;
}

void TApplication::Terminate() {
    if (!terminated_) {
        terminated_ = true;
        PostQuitMessage(0);
    }
}

void TApplication::ProcessMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            terminated_ = true;
            break;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

}  // namespace qs
