// The shell's registry entries for Quillostrand: the ".qst" file type with its icon and its Open and Compile
// commands, and the App Paths entry of Quilstr.exe. The install writes them and the uninstall removes them from
// the one table in ShellKeys.cpp, so an entry is added by adding a row there.
#pragma once
#include <string>

namespace qs {

// Writes every row's key with its default value (cut to 255 characters), in table order; "<exe>" in a row's
// text stands for installFolder (which ends in "\") with the program's name. Registry writes are not checked.
void WriteShellKeys(const std::string& installFolder);

// Deletes, with all values and sub-keys, the top key of every row (the first part of its path below its
// parent), in the reverse of table order. A key that cannot be opened is passed over.
void DeleteShellKeys();

}  // namespace qs
