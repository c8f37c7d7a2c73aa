// One Setup.exe at a time. Every copy, from any media folder or the installed one, works on the same install
// folder and the same install record, so a second copy must not run beside the first: it shows the first one's
// window instead and ends.
#pragma once
#include <windows.h>

namespace qs {

// The name the running Setup.exe holds: one for the whole machine, as the install record is.
extern const char kSetupInstanceName[];

// Holds a named kernel mutex for as long as it lives. The system drops the name when the holding process ends,
// however it ends, so nothing is left behind that could stop a later Setup.exe.
class TSetupInstance {
public:
    TSetupInstance();
    ~TSetupInstance();
    TSetupInstance(const TSetupInstance&) = delete;
    TSetupInstance& operator=(const TSetupInstance&) = delete;

    // False when another Setup.exe held the name first. A name that cannot be made at all does not stop the
    // program: the guard is a kindness, never a reason to refuse a user.
    bool First() const { return first_; }

private:
    HANDLE mutex_ = nullptr;
    bool first_ = true;
};

// Brings the running Setup.exe's window (or the message box it shows) to the front. While that one is still
// starting up, waits up to waitMs for its window to show. False when no window showed.
bool BringRunningSetupToFront(DWORD waitMs);

}  // namespace qs
