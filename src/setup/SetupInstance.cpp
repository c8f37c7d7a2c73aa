#include "setup/SetupInstance.h"

#include "base/WideText.h"
#include "setup/SetupLayout.h"
#include "package/Product.h"

namespace qs {

const char kSetupInstanceName[] = "Global\\Quillostrand Setup running";

namespace {

// How often a waiting copy looks for the first one's window.
constexpr DWORD kLookEveryMs = 100;

// What a user of the running copy sees: its visible window, or the message box it shows (during start-up, with
// the window still hidden, under the program's title).
struct Shown {
    HWND window = nullptr;
};

BOOL CALLBACK FindShown(HWND hwnd, LPARAM param) {
    if (!IsWindowVisible(hwnd)) return TRUE;
    wchar_t className[64], title[64];
    if (!GetClassNameW(hwnd, className, 64) || !GetWindowTextW(hwnd, title, 64)) return TRUE;
    if (Narrow(title) != kSetupCaption) return TRUE;
    const std::string cls = Narrow(className);
    if (cls != kSetupFormClass && cls != "#32770") return TRUE;
    // A message box of the window takes the front, as a click on the window would bring it.
    HWND popup = cls == kSetupFormClass ? GetLastActivePopup(hwnd) : nullptr;
    reinterpret_cast<Shown*>(param)->window = popup ? popup : hwnd;
    return FALSE;
}

}  // namespace

TSetupInstance::TSetupInstance() {
    const std::wstring name = Widen(kSetupInstanceName);
    mutex_.Reset(CreateMutexW(nullptr, FALSE, name.c_str()));
    // A copy run by another user may have made the name with rights that let this one only wait on it.
    if (!mutex_ && GetLastError() == ERROR_ACCESS_DENIED) mutex_.Reset(OpenMutexW(SYNCHRONIZE, FALSE, name.c_str()));
}

TSetupInstance::~TSetupInstance() {
    if (owned_) ReleaseMutex(mutex_.Get());  // the next copy may start at once, before this process has wound down
}

bool TSetupInstance::WaitForTurn() {
    if (!mutex_) return true;
    for (;;) {
        switch (WaitForSingleObject(mutex_.Get(), kLookEveryMs)) {
        case WAIT_OBJECT_0:
        case WAIT_ABANDONED:  // the copy before was ended without winding down: the turn passes all the same
            owned_ = true;
            return true;
        case WAIT_TIMEOUT:
            if (BringRunningSetupToFront()) return false;
            break;
        default:
            return true;
        }
    }
}

bool BringRunningSetupToFront() {
    Shown shown;
    EnumWindows(FindShown, reinterpret_cast<LPARAM>(&shown));
    if (!shown.window) return false;
    SetForegroundWindow(shown.window);
    return true;
}

}  // namespace qs
