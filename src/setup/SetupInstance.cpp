#include "setup/SetupInstance.h"

#include "setup/SetupLayout.h"
#include "system/ProductNames.h"

namespace qs {

const char kSetupInstanceName[] = "Global\\Quillostrand Setup running";

TSetupInstance::TSetupInstance() {
    mutex_ = CreateMutexA(nullptr, FALSE, kSetupInstanceName);
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
        HWND window = FindWindowA(kSetupFormClass, kSetupCaption);
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
