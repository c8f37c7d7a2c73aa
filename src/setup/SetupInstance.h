// One Setup.exe at a time. Every copy, from any media folder or the installed one, works on the same install
// folder and the same install record, so a second copy must not run beside the first: while the first shows its
// window or a message box, the second brings that to the front and ends; while the first is still starting up or
// already ending, the second waits for it and then runs.
#pragma once
#include <windows.h>

#include "base/ScopedWin.h"

namespace qs {

// The name the running Setup.exe holds: one for the whole machine, as the install record is.
extern const char kSetupInstanceName[];

// A named kernel mutex, owned by the copy whose turn it is. The system gives it up when the owning process ends,
// however it ends, so nothing is left behind that could stop a later Setup.exe.
class TSetupInstance {
public:
    TSetupInstance();
    ~TSetupInstance();
    TSetupInstance(const TSetupInstance&) = delete;
    TSetupInstance& operator=(const TSetupInstance&) = delete;

    // True once this copy may run: no other holds the name, or the one that did has ended. False when another
    // copy shows a window or a message box, which is then in front. A name that cannot be made or waited for does
    // not stop the program: the guard is a kindness, never a reason to refuse a user.
    bool WaitForTurn();

private:
    ScopedKernel mutex_;
    bool owned_ = false;
};

// Brings the running Setup.exe's window (or the message box it shows) to the front; false when it shows none.
bool BringRunningSetupToFront();

}  // namespace qs
