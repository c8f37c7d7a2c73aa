// The choice of mode at start-up and the tabs each mode shows (portable; the start-up tests check every mode).
#pragma once
#include <array>
#include <initializer_list>
#include <string>

#include "package/Product.h"
#include "setup/SetupPages.h"

namespace qs {

enum class SetupMode { FreshInstall, Update, UninstallOnly, Refusal };

// Versions are compared as texts, exactly (no ordering: an older package offers the update too).
// kNoVersion ("None") as the recorded version means no earlier installation.
inline SetupMode ChooseSetupMode(bool mainPackageFound, const std::string& oldVersion,
                                 const std::string& installVersion) {
    const bool earlier = oldVersion != kNoVersion;
    if (!mainPackageFound) return earlier ? SetupMode::UninstallOnly : SetupMode::Refusal;
    if (!earlier) return SetupMode::FreshInstall;
    if (!installVersion.empty() && installVersion != oldVersion) return SetupMode::Update;
    return SetupMode::UninstallOnly;
}

// The tabs a mode shows, and its active page (kPageCount for none).
struct ModePages {
    std::array<bool, kPageCount> Visible;
    SetupPage Active;
};

inline ModePages PagesOf(SetupMode mode) {
    const auto showing = [](std::initializer_list<SetupPage> shown, SetupPage active) {
        ModePages p{{}, active};
        for (const SetupPage page : shown) p.Visible[page] = true;
        return p;
    };
    switch (mode) {
    case SetupMode::FreshInstall: return showing({WelcomeSheet, DelphiSheet, InstallSheet}, WelcomeSheet);
    case SetupMode::Update: return showing({DelphiSheet, UpdateSheet, UninstallSheet}, UpdateSheet);
    case SetupMode::UninstallOnly: return showing({UninstallSheet}, UninstallSheet);
    default: return showing({}, kPageCount);
    }
}

}  // namespace qs
