// The three packages of a media folder: the application and the two Delphi property editors. One table says what
// the program knows of each; everything that differs by package is looked up here.
#pragma once
#include <cstddef>

namespace qs {

enum class PakRole { Main, Delphi10, Delphi20 };

// In the order the runs take them; the two Delphi packages alone, as options and folders are handled.
inline constexpr PakRole kPakRoles[] = {PakRole::Main, PakRole::Delphi10, PakRole::Delphi20};
inline constexpr PakRole kDelphiRoles[] = {PakRole::Delphi10, PakRole::Delphi20};
inline constexpr size_t kPackageCount = 3;

struct PackageFacts {
    const char* FileName;     // on the media, beside Setup.exe
    const char* CorruptText;  // start-up's message for a package it cannot read
    const char* RecordName;   // the install record's values <name>Dir, <name>FilesSize and <name>Files
};

inline constexpr PackageFacts kPackageFacts[kPackageCount] = {
    {"Quilstr.pak", "PAK file corrupt", "Install"},
    {"Delphi10.pak", "File Delphi10.pak is corrupt", "Delphi10"},
    {"Delphi20.pak", "File Delphi20.pak is corrupt", "Delphi20"},
};

constexpr size_t IndexOf(PakRole role) { return static_cast<size_t>(role); }
constexpr const PackageFacts& FactsOf(PakRole role) { return kPackageFacts[IndexOf(role)]; }

}  // namespace qs
