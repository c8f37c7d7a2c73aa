// The setup window's construction from the page tables (SetupPages.h): the window class, the window, the page
// control with its seven pages and every control bound to its TSetupForm member and handler.
#pragma once
#include <string>

#include "framework/Controls.h"

namespace qs {

class TSetupForm;

// The window class of the setup window.
extern const char kSetupFormClass[];

// The view of the control named name in the page tables (for example "EditInstallDir"), whether a member of
// form or kept by the layout; null for an unknown name or before the window is created.
TControl* SetupFormView(TSetupForm& form, const std::string& name);

}  // namespace qs
