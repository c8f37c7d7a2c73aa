// Self-removal: the setup program writes its embedded DeleteMe helper to the temporary folder, starts it with the
// setup program's own path and the closing message, and ends. DeleteMe deletes the file once the setup program has
// exited, removes its folder when empty, and shows the message.
//
// Every text here is UTF-8; paths and the command line cross to Windows through the -W calls, so a temporary
// folder or a setup program in a folder outside the system code page ("C:\users\Сергей\Temp") works as any other.
#pragma once
#include <windows.h>

#include <string>

namespace qs {

// Name of the RCDATA resource that holds DeleteMe.exe (resource names compare without regard to case).
inline constexpr const wchar_t* kDeleteMeResource = L"DeleteMe";

// The helper's file in the given folder: the folder, "\" only when it does not already end in one, "DeleteMe.exe".
std::string HelperPathFor(const std::string& tempFolder);

// The system's temporary folder as GetTempPathW reports it. A folder longer than the usual 256-character buffer is
// read whole rather than cut; raises EInOutError when the system gives none.
std::string TempFolder();

// The helper's command line: helper, target, message and caption, each in double quotes, separated by single
// blanks. Double quotes inside an element cannot be passed through (the helper drops every quote) and would split
// the element, so they are left out. An empty message stays "", which the helper drops: then it shows nothing.
std::string BuildDeleteMeCommandLine(const std::string& helper, const std::string& target, const std::string& message,
                                     const std::string& caption);

// Writes the DeleteMe image embedded in module to helperPath, replacing an existing file. Raises qs::Exception when
// the module carries no such resource, EInOutError when the file cannot be created, written or closed.
void WriteHelperFile(HMODULE module, const std::string& helperPath);

// WriteHelperFile, then starts commandLine with CreateProcessW (no inherited handles, no flags, this program's
// environment and current folder). Returns whether the start succeeded. When process is given and the start
// succeeded, it receives the helper's process handle, which the caller closes; otherwise every handle is closed.
// A command line that is not UTF-8 raises EConvertError before anything is written.
bool WriteHelperAndStart(HMODULE module, const std::string& helperPath, const std::string& commandLine,
                         HANDLE* process = nullptr);

// Writes DeleteMe.exe to the temporary folder and starts it to remove program (the running program's own file) once
// it has ended, and then show Message with Caption; the caller then ends. Raises (and then starts nothing) when the
// helper file cannot be written; a helper that cannot be started is not reported.
void StartSelfRemoval(const std::string& Message, const std::string& Caption, const std::string& program);

}  // namespace qs
