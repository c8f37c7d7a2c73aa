// The registry side of the uninstall run.
#pragma once

namespace qs {

// Deletes, each with all its values and sub-keys and in this order: HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER
// "Software\QV\Quillostrand" (the install record goes with the first), the shell keys (DeleteShellKeys), and the
// uninstall entry. "Software\QV" itself stays. A key that cannot be opened is passed over; nothing is reported.
// The Transfer entries are removed separately (RemoveDelphi10Transfer, RemoveDelphi20Transfer).
void DeleteRegistryEntries();

}  // namespace qs
