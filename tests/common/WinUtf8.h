// The shared helpers for names and texts outside the ANSI code page: UTF-8 in and out, a -W call inside, so that
// nothing is lost or replaced by a look-alike on the way. For the end-to-end driver's code-page scenarios; the
// ANSI helpers (WinProcess.h, WinRegistry.h, WinFolderFiles.h, WinRemoveTree.h) stay as they are. A text that is
// not UTF-8 raises qs::EConvertError (base/WideText.h).
#pragma once
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "WinRegistry.h"

namespace qs::test::utf8 {

// ---- Windows
std::string WindowText(HWND hwnd);  // the text the window manager keeps
// The text the control holds, by WM_GETTEXT; nullopt when the program does not answer within ms.
std::optional<std::string> ControlText(HWND hwnd, DWORD ms);
// Sets a control's text by WM_SETTEXT, as typing does; false when the program does not answer within ms.
bool SetControlText(HWND hwnd, const std::string& text, DWORD ms);

// ---- Files
DWORD Attributes(const std::string& path);  // INVALID_FILE_ATTRIBUTES when missing
// The names of the files (not the folders) in a folder, sorted; empty when it cannot be read.
std::vector<std::string> FilesIn(const std::string& folder);
// Every name below folder, folders with a final "\", relative to it and sorted; empty when it cannot be read.
std::vector<std::string> TreeBelow(const std::string& folder);
// Removes a file or a folder tree, read-only entries included; missing paths are fine.
void RemoveTree(const std::string& path);

// ---- Registry (the view both builds of the program share, as WinRegistry.h)
// A REG_SZ or REG_EXPAND_SZ value's text up to its first NUL; nothing when missing or of another type.
std::optional<std::string> ReadSz(HKEY root, const std::string& key, const std::string& name);
// Creates the key when missing; false when the key cannot be made or the value not set.
bool WriteSz(HKEY root, const std::string& key, const std::string& name, const std::string& text);
// A value as stored, with texts in UTF-16 (to be put back as it was); nothing when missing.
std::optional<RawValue> ReadStored(HKEY root, const std::string& key, const std::string& name);
bool WriteStored(HKEY root, const std::string& key, const std::string& name, const RawValue& value);

// ---- Processes
// The full path of the program process pid runs; empty when it cannot be read.
std::string ImagePath(DWORD pid);
// The ANSI code page the process runs with, asked inside it (GetACP on a thread started there); nothing when the
// process cannot be reached. The process must have this program's bitness.
std::optional<UINT> AnsiCodePageOf(HANDLE process);

}  // namespace qs::test::utf8
