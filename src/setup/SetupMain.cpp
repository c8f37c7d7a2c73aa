// Program entry: one Setup.exe at a time, title, splash while the setup window starts up, then the message loop.
#include <windows.h>

#include <memory>

#include "framework/Application.h"
#include "setup/SetupInstance.h"
#include "setup/SetupMainForm.h"
#include "setup/SetupSplash.h"
#include "system/SheLink.h"
#include "package/Product.h"

namespace {

// Setup.exe is usually started from a downloads folder full of strangers' files: load system DLLs only from
// the system folder, never a planted one lying beside the program.
void RestrictDllSearch() {
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    const auto fn = kernel ? reinterpret_cast<SetDefaultDllDirectoriesFn>(
                                 reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")))
                           : nullptr;
    if (fn) fn(LOAD_LIBRARY_SEARCH_SYSTEM32);
    SetDllDirectoryW(L"");
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    RestrictDllSearch();
    // Held until the program ends. A second copy writes nothing and shows nothing: it shows the first one's window,
    // or waits for its turn while the first starts up or ends.
    qs::TSetupInstance instance;
    if (!instance.WaitForTurn()) return 0;
    qs::ComInitializer com;
    qs::Application().SetTitle(qs::kSetupCaption);

    auto splash = std::make_unique<qs::TSplashForm>();
    splash->Show();  // painted at once: no messages are processed while the setup window starts up

    auto form = std::make_unique<qs::TSetupForm>();
    form->Create();

    splash->Hide();
    splash.reset();

    if (!qs::Application().Terminated()) {
        form->Show();
        qs::Application().Run();
    }
    return 0;
}
