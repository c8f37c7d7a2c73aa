// The choice of mode at start-up and the tabs each mode shows. Portable, so the table is checked natively.
#pragma once
#include <array>
#include <string>

namespace qs {

enum class SetupMode { FreshInstall, Update, UninstallOnly, Refusal };

// Versions are compared as texts, exactly (no ordering: an older package offers the update too).
// "None" as the recorded version means no earlier installation.
inline SetupMode ChooseSetupMode(bool mainPackageFound, const std::string& oldVersion,
                                 const std::string& installVersion) {
    const bool earlier = oldVersion != "None";
    if (!mainPackageFound) return earlier ? SetupMode::UninstallOnly : SetupMode::Refusal;
    if (!earlier) return SetupMode::FreshInstall;
    if (!installVersion.empty() && installVersion != oldVersion) return SetupMode::Update;
    return SetupMode::UninstallOnly;
}

// Visible tabs per mode, in page order: Welcome, Delphi, Install, Update, Uninstall, Busy, Finished;
// and the active page.
struct ModePages {
    std::array<bool, 7> Visible;
    int Active;
};

inline ModePages PagesOf(SetupMode mode) {
    switch (mode) {
    case SetupMode::FreshInstall: return {{true, true, true, false, false, false, false}, 0};
    case SetupMode::Update: return {{false, true, false, true, true, false, false}, 3};
    case SetupMode::UninstallOnly: return {{false, false, false, false, true, false, false}, 4};
    default: return {{false, false, false, false, false, false, false}, -1};
    }
}

}  // namespace qs
