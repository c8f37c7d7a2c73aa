#include "setup/SetupInstance.h"
#include "framework/WideText.h"

#include "setup/SetupLayout.h"
#include "system/ProductNames.h"

namespace qs {

const char kSetupInstanceName[] = "Global\\Quillostrand Setup running";

TSetupInstance::TSetupInstance() {
    mutex_ = CreateMutexW(nullptr, FALSE, Widen(kSetupInstanceName).c_str());
    const DWORD error = GetLastError();
    // A copy run by another user may hold the name with rights that do not let this one open it.
    if (mutex_ ? error == ERROR_ALREADY_EXISTS : error == ERROR_ACCESS_DENIED) first_ = false;
}

TSetupInstance::~TSetupInstance() {
    if (mutex_) CloseHandle(mutex_);
}

bool BringRunningSetupToFront(DWORD waitMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        HWND window = FindWindowW(Widen(kSetupFormClass).c_str(), Widen(kSetupCaption).c_str());
        if (window && IsWindowVisible(window)) {
            // A message box of that window takes the front, as a click on the window would bring it.
            HWND front = GetLastActivePopup(window);
            SetForegroundWindow(front ? front : window);
            return true;
        }
        if (GetTickCount() - start >= waitMs) return false;
        Sleep(100);
    }
}

}  // namespace qs
