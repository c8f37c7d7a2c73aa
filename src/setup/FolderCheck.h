// Whether a folder typed for the install or a Delphi editor can be used at all, asked before a run writes
// anything: a name the system would quietly change, or one the installed ANSI programs could not read back,
// must be chosen again rather than installed into a different folder.
#pragma once
#include <string>

namespace qs {

// Raises Exception with a message that names the folder and says why, for a folder whose name holds characters
// Windows forbids (or drops: a final dot or blank), whose drive does not exist, or whose name the system code
// page cannot hold (the install record and DELPHI.INI store folders in it).
void CheckUsableFolder(const std::string& folder);

}  // namespace qs
