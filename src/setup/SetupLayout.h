// The setup window's construction from the page tables (SetupPages.h): the window class, the window, the page
// control with its seven pages and every control bound to its TSetupForm member and handler.
#pragma once
#include <string>

#include "framework/Controls.h"

namespace qs {

class TSetupForm;

// The window class of the setup window.
extern const char kSetupFormClass[];

// The view member of form named name (for example "EditInstallDir"), or nullptr for a name without one.
TControl* SetupFormMember(TSetupForm& form, const std::string& name);

}  // namespace qs
