// The list of end-to-end scenarios. tests/e2e/CMakeLists.txt reads the rows below: each starts with its name in
// quotes, and names its LANG as a quoted "xx_XX.UTF-8" text and its wrapper as Wrapper::TestDrives, when it has them.
#include "Scenarios.h"

#include "Steps.h"

namespace e2e {

const std::vector<Scenario>& AllScenarios() {
    static const std::vector<Scenario> kAll = {
        {"no_package", "refusal without Quilstr.pak", NoPackage},
        {"damaged_package", "damaged Quilstr.pak (magic, product name)", DamagedPackage},
        {"fresh_install", "fresh install: folder with blanks, both Delphi packages, all shortcuts, seeded IDE settings",
         FreshInstall},
        {"delphi_clash", "Delphi folder clash corrected, then the install", DelphiClash},
        {"update", "new package version: update, one tools-menu entry, then the uninstall removes both versions' files",
         Update},
        {"same_version", "same version: uninstall only", SameVersion},
        {"uninstall_installed_copy", "uninstall from the installed Setup.exe, finished by DeleteMe",
         UninstallInstalledCopy},
        {"crc_error", "CRC error during the install, then a good package over it", CrcError},
        {"signed_packages", "signed packages: refusals of the keyed Setup.exe, then an install from signed media",
         SignedPackages},
        {"window_texts",
         "what users see: focus from the start, a long version cut with its tooltip, a free-space figure past 2 GB",
         WindowTexts},
        {"free_space", "free space of a nearly full drive, a 3 TB drive and one past the figure's ceiling", FreeSpace,
         nullptr, Wrapper::TestDrives},
        {"one_at_a_time",
         "one Setup.exe at a time: two at once, another media folder, the installed copy, after a killed one, a "
         "start-up message, right after Quit Setup",
         OneAtATime},
        {"codepage_1252",
         "code page 1252: folders it cannot hold refused by name; media, shell folders and the temporary folder "
         "outside it; the user's DELPHI.INI bytes kept",
         CodePage1252, "C.UTF-8"},
        {"codepage_1250", "code page 1250: the Polish folders install, recorded in its bytes, and go again",
         CodePage1250, "pl_PL.UTF-8"},
        {"codepage_932", "code page 932: a folder with 0x5C inside a character installs, updates and goes whole",
         CodePage932, "ja_JP.UTF-8"},
        {"bundle_download",
         "QstSetup.exe: one download installs from any folder and leaves nothing; damaged or cut ones refused",
         BundleDownload},
        {"bundle_folder_acl", "QstSetup.exe: the extracted folder only administrators can change", BundleFolderAcl},
    };
    return kAll;
}

const Scenario* FindScenario(const std::string& name) {
    for (const Scenario& s : AllScenarios())
        if (name == s.name) return &s;
    return nullptr;
}

void RunScenario(const Scenario& scenario, const Settings& settings) {
    Run run(settings, scenario.name);
    Clean();
    struct Cleanup {
        std::string media;
        ~Cleanup() {
            Clean();
            RemoveTree(media);
        }
    } cleanup{run.Media()};
    scenario.run(run);
}

}  // namespace e2e
