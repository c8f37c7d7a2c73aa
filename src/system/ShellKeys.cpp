#include "system/ShellKeys.h"

#include <windows.h>

#include <iterator>

#include "package/Product.h"
#include "system/Registry.h"

namespace qs {

namespace {

struct ShellKey {
    HKEY root;
    const char* parent;  // a key that stays when the entry is removed ("" for the root itself)
    const char* path;    // below parent; its first part is the key the uninstall removes
    const char* text;    // the default value; "<exe>" stands for the installed program's full path
};

const ShellKey kShellKeys[] = {
    {HKEY_CLASSES_ROOT, "", ".qst", "QuillostrandProject"},
    {HKEY_CLASSES_ROOT, "", "QuillostrandProject", "Quillostrand Project"},
    {HKEY_CLASSES_ROOT, "", "QuillostrandProject\\DefaultIcon", "<exe>,0"},
    {HKEY_CLASSES_ROOT, "", "QuillostrandProject\\Shell", "Open"},
    // Commands quote the program's path: unquoted, a folder with blanks lets the shell try "C:\Program.exe" first.
    {HKEY_CLASSES_ROOT, "", "QuillostrandProject\\Shell\\Open\\Command", "\"<exe>\" \"%1\""},
    {HKEY_CLASSES_ROOT, "", "QuillostrandProject\\Shell\\Compile\\Command", "\"<exe>\" \"%1\" /C"},
    {HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths", kProgramFile, "<exe>"},
};

constexpr char kProgramMark[] = "<exe>";

std::string TextFor(const ShellKey& k, const std::string& installFolder) {
    std::string text = k.text;
    const size_t at = text.find(kProgramMark);
    if (at != std::string::npos) text.replace(at, sizeof kProgramMark - 1, installFolder + kProgramFile);
    return CutText(text);
}

std::string FullPath(const ShellKey& k) {
    return *k.parent ? std::string(k.parent) + "\\" + k.path : std::string(k.path);
}

std::string TopKey(const ShellKey& k) {
    const std::string path = k.path;
    return path.substr(0, path.find('\\'));
}

}  // namespace

void WriteShellKeys(const std::string& installFolder) {
    for (const ShellKey& k : kShellKeys) {
        const RegKey key = RegKey::Create(k.root, FullPath(k), KEY_WRITE);
        WriteText(key, "", TextFor(k, installFolder));
    }
}

// Each row's top key with its tree; rows below a top key already gone find nothing more to delete.
void DeleteShellKeys() {
    for (auto k = std::rbegin(kShellKeys); k != std::rend(kShellKeys); ++k)
        DeleteKeyTree(k->root, k->parent, TopKey(*k));
}

}  // namespace qs
