#include "framework/Application.h"
#include "framework/BitBtn.h"
#include "base/Exceptions.h"
#include "framework/PageControl.h"
#include "base/WideText.h"

namespace qs {

TApplication& Application() {
    static TApplication app;
    return app;
}

HINSTANCE TApplication::Instance() const { return GetModuleHandleW(nullptr); }

std::string TApplication::ExeName() const {
    // Grows until the name fits: a program deep in a long folder must still know its own file.
    std::wstring buf(MAX_PATH + 1, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, buf.data(), DWORD(buf.size()));
        if (n == 0) return "";
        if (n < buf.size()) return Narrow(std::wstring_view(buf.data(), n));
        if (buf.size() >= 32768) return "";
        buf.resize(buf.size() * 2);
    }
}

int TApplication::ShowMessageBox(const std::string& text, const std::string& caption, UINT flags) {
    if (hook_) return hook_(text, caption, flags);
    HWND owner = mainWindow_ && IsWindowVisible(mainWindow_) ? mainWindow_ : nullptr;
    return ::MessageBoxW(owner, Widen(text).c_str(), Widen(caption).c_str(), flags | (owner ? 0 : MB_TASKMODAL));
}

void TApplication::ShowException(const std::exception& e) {
    // Always appended, also to a message that ends in one already ("...from the registry." shows as "..").
    ShowMessageBox(std::string(e.what()) + '.', title_, MB_OK | MB_ICONSTOP);
}

void TApplication::Run() {
    MSG msg;
    while (!terminated_) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0) break;
        if (TranslateKeys(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    terminated_ = true;
}

bool TApplication::TranslateKeys(MSG& msg) const {
    // Tab walks the tab strip and the shown page, Ctrl+Tab the pages, the arrows the tabs of the strip; Enter
    // presses the focused button; the arrow keys move between controls as in a dialog. The pages set no default or
    // cancel button, so Enter elsewhere and Escape press nothing.
    return TranslatePageKey(msg) || TranslateButtonKey(msg) || (mainWindow_ && IsDialogMessageW(mainWindow_, &msg));
}

void TApplication::Terminate() {
    if (!terminated_) {
        terminated_ = true;
        PostQuitMessage(0);
    }
}

void TApplication::ProcessMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            terminated_ = true;
            break;
        }
        if (TranslateKeys(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

}  // namespace qs
