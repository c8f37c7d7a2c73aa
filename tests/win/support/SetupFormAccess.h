// The run state a setup window keeps to itself, for tests that check a figure it holds but does not show, or
// set one up to reach a case.
#pragma once
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "setup/SetupLayout.h"
#include "setup/SetupMainForm.h"

namespace qs {

class SetupFormTestAccess {
public:
    explicit SetupFormTestAccess(TSetupForm& form) : f_(form) {}
    int32_t& SpaceNeeded() { return f_.SpaceNeeded; }
    int64_t& SpaceFree() { return f_.SpaceFree; }
    std::string& InstallPath() { return f_.InstallPath; }
    int32_t InstallSize() const { return f_.Packages[IndexOf(PakRole::Main)].Size; }
    const std::vector<uint8_t>& InstallFiles() const { return f_.Packages[IndexOf(PakRole::Main)].Files; }
    int32_t SetupSize() const { return f_.SetupSize; }
    const std::string& SourceDir() const { return f_.SourceDir; }
    const std::string& InstallVersion() const { return f_.InstallVersion; }
    const std::string& OldVersion() const { return f_.OldVersion; }
    bool Updating() const { return f_.Updating; }

private:
    TSetupForm& f_;
};

inline SetupFormTestAccess RunState(TSetupForm& form) { return SetupFormTestAccess(form); }

// The control of the window named name in the page tables, as its view type View (members and the views the
// layout keeps alike). Raises when there is none of that type.
template <typename View>
View& ViewNamed(TSetupForm& form, const std::string& name) {
    if (auto* view = dynamic_cast<View*>(SetupFormView(form, name))) return *view;
    throw std::runtime_error("no control " + name + " of that kind");
}

}  // namespace qs
