#include "setup/FolderCheck.h"

#include <windows.h>

#include "base/Exceptions.h"
#include "base/Text.h"
#include "base/WideText.h"
#include "package/PakFormat.h"

namespace qs {

namespace {

[[noreturn]] void Refuse(const std::string& folder, const std::string& why) {
    throw Exception("The folder \"" + folder + "\" cannot be used:\r" + why + "\rPlease choose another folder");
}

bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// Every part between separators must be a name Windows keeps as typed.
bool NamesAreValid(const std::string& folder) {
    size_t start = 0;
    if (folder.size() >= 2 && folder[1] == ':' && IsDriveLetter(folder[0])) start = 2;
    else if (folder.compare(0, 2, "\\\\") == 0) start = 2;
    while (start <= folder.size()) {
        size_t end = folder.find_first_of("\\/", start);
        if (end == std::string::npos) end = folder.size();
        const std::string part = folder.substr(start, end - start);
        if (!part.empty() && part != "." && part != "..") {
            if (part.find_first_of("<>:\"|?*") != std::string::npos || !IsPlainFileName(part)) return false;
            if (part.back() == '.' || part.back() == ' ') return false;
        }
        start = end + 1;
    }
    return true;
}

}  // namespace

void CheckUsableFolder(const std::string& folder) {
    if (!NamesAreValid(folder)) Refuse(folder, "Its name holds characters that Windows does not allow in a folder name.");
    if (folder.size() >= 2 && folder[1] == ':') {
        const wchar_t root[4] = {wchar_t(AsciiUpper(folder[0])), L':', L'\\', 0};
        if (GetDriveTypeW(root) == DRIVE_NO_ROOT_DIR)
            Refuse(folder, std::string("Drive ") + AsciiUpper(folder[0]) + ": does not exist.");
    }
    if (!ToAnsi(folder))
        Refuse(folder, "Its name holds characters that this system's code page (" + std::to_string(AnsiCodePage()) +
                           ") cannot hold.");
}

}  // namespace qs
