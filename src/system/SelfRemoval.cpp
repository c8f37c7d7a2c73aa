#include "system/SelfRemoval.h"

#include <vector>

#include "base/Bitness.h"
#include "base/BinFile.h"
#include "base/Exceptions.h"
#include "base/ScopedWin.h"
#include "base/Text.h"
#include "base/WideText.h"

namespace qs {

std::string HelperPathFor(const std::string& tempFolder) { return IncludeTrailingBackslash(tempFolder) + "DeleteMe.exe"; }

std::string TempFolder() {
    std::vector<wchar_t> buf(256);
    DWORD n = GetTempPathW(static_cast<DWORD>(buf.size()), buf.data());
    if (n >= buf.size()) {
        // Too long for the buffer: n is the size needed, terminator included.
        buf.resize(n + 1);
        n = GetTempPathW(static_cast<DWORD>(buf.size()), buf.data());
    }
    if (n == 0 || n >= buf.size()) throw EInOutError(static_cast<int>(GetLastError()));
    return Narrow(std::wstring_view(buf.data(), n));
}

std::string BuildDeleteMeCommandLine(const std::string& helper, const std::string& target, const std::string& message,
                                     const std::string& caption) {
    std::string line;
    for (const std::string* element : {&helper, &target, &message, &caption}) {
        if (!line.empty()) line += ' ';
        line += '"';
        for (char c : *element)
            if (c != '"') line += c;
        line += '"';
    }
    return line;
}

void WriteHelperFile(HMODULE module, const std::string& helperPath) {
    // RT_RCDATA is spelt for the ANSI calls in this build; the number is the same.
    HRSRC info = FindResourceW(module, kDeleteMeResource, MAKEINTRESOURCEW(10));
    HGLOBAL loaded = info ? LoadResource(module, info) : nullptr;
    const void* image = loaded ? LockResource(loaded) : nullptr;
    const DWORD size = info ? SizeofResource(module, info) : 0;
    // Without its image the helper would be an empty file that cannot start: say so before writing anything.
    if (image == nullptr || size == 0) throw Exception("The DeleteMe helper is missing from this program");
    BinFile file;
    file.Create(helperPath);
    file.WriteExact(image, size);
    file.Close();
}

bool WriteHelperAndStart(HMODULE module, const std::string& helperPath, const std::string& commandLine,
                         HANDLE* process) {
    // Widened first: a text that cannot be passed on raises before any file is written.
    std::wstring line = Widen(commandLine);  // CreateProcessW may write into its command line
    WriteHelperFile(module, helperPath);
    STARTUPINFOW si{};
    static_assert(sizeof si == kStartupInfoSize, "the wide start-up record has the ANSI one's layout");
    si.cb = kStartupInfoSize;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
    const ScopedKernel thread(pi.hThread);
    ScopedKernel started(pi.hProcess);
    if (process) *process = started.Release();
    return true;
}

void StartSelfRemoval(const std::string& Message, const std::string& Caption, const std::string& program) {
    const std::string helper = HelperPathFor(TempFolder());
    // The start is not checked: without the helper the program still ends; its copy then simply stays.
    WriteHelperAndStart(GetModuleHandleW(nullptr), helper, BuildDeleteMeCommandLine(helper, program, Message, Caption));
}

}  // namespace qs
