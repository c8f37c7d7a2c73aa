#include "system/SheLink.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstring>
#include <type_traits>

#include "framework/Exceptions.h"
#include "framework/ScopedWin.h"

namespace qs {

void InitCom() { CoInitialize(nullptr); }
void DoneCom() { CoUninitialize(); }

namespace {

// The interface identifiers, spelled out so nothing depends on which uuid library provides them.
const CLSID kClsidShellLink = {0x00021401, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID kIidShellLinkA = {0x000214EE, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID kIidPersistFile = {0x0000010B, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

constexpr size_t kAnsiBuffer = 255;  // file name and description: at most 254 characters
constexpr int kWideBuffer = 260;      // the file name in wide characters, terminator included
constexpr int kReadBuffer = 260;      // every text ReadLink fetches

ComPtr<IShellLinkA> CreateLink() {
    ComPtr<IShellLinkA> link;
    CoCreateInstance(kClsidShellLink, nullptr, CLSCTX_INPROC_SERVER, kIidShellLinkA, link.Out());
    return link;
}

// The file name in wide characters; false when it does not fit the buffer.
bool ToWide(const std::string& fileName, WCHAR (&wide)[kWideBuffer]) {
    return MultiByteToWideChar(CP_ACP, 0, fileName.c_str(), -1, wide, kWideBuffer) != 0;
}

}  // namespace

void TShellLink::SetUpdate(bool /*value*/) {
    ReadLink(path_);
    update_ = true;
}

void TShellLink::WriteLink(const std::string& fileName) const {
    ComPtr<IShellLinkA> link = CreateLink();
    if (!link) throw Exception("Error in create instance");
    if (link->SetPath(target_.c_str()) != S_OK) throw Exception("Error in set path");
    link->SetDescription(description_.c_str());
    link->SetWorkingDirectory(workingDir_.c_str());
    link->SetArguments(arguments_.c_str());
    link->SetHotkey(hotKey_);
    link->SetShowCmd(showCmd_);
    link->SetIconLocation(iconLocation_.c_str(), iconNumber_);
    ComPtr<IPersistFile> file;
    if (link->QueryInterface(kIidPersistFile, file.Out()) != S_OK || !file) throw Exception("Error in query interface");
    WCHAR wide[kWideBuffer];
    // Texts that do not fit the buffers the shell is handed are refused rather than cut to another name.
    if (fileName.size() >= kAnsiBuffer || description_.size() >= kAnsiBuffer || !ToWide(fileName, wide))
        throw Exception("Error in save");
    if (file->Save(wide, TRUE) != S_OK) throw Exception("Error in save");
}

void TShellLink::ReadLink(const std::string& fileName) {
    if (fileName.empty()) return;
    ComPtr<IShellLinkA> link = CreateLink();
    if (!link) return;
    ComPtr<IPersistFile> file;
    if (link->QueryInterface(kIidPersistFile, file.Out()) != S_OK || !file) return;
    WCHAR wide[kWideBuffer];
    if (!ToWide(fileName, wide) || file->Load(wide, 0) != S_OK) throw Exception("File not found (or not link)");
    if (link->Resolve(nullptr, SLR_ANY_MATCH) != S_OK) return;

    char buf[kReadBuffer];
    auto text = [&buf] { return std::string(buf, strnlen(buf, sizeof buf)); };
    buf[0] = 0;
    if (link->GetWorkingDirectory(buf, kReadBuffer) != S_OK) throw Exception("Error in get WD");
    workingDir_ = text();
    WIN32_FIND_DATAA found{};
    buf[0] = 0;
    if (link->GetPath(buf, kReadBuffer, &found, SLGP_UNCPRIORITY) != S_OK) throw Exception("Error in get GP");
    target_ = text();
    int icon = 0;
    buf[0] = 0;
    if (link->GetIconLocation(buf, kReadBuffer, &icon) != S_OK) throw Exception("Error in get IL");
    iconLocation_ = text();
    iconNumber_ = uint16_t(icon);
    buf[0] = 0;
    if (link->GetDescription(buf, kReadBuffer) != S_OK) throw Exception("Error in get DE");
    description_ = text();
    int show = 0;
    if (link->GetShowCmd(&show) != S_OK) throw Exception("Error in get SC");
    showCmd_ = uint16_t(show);
    WORD hotKey = 0;
    if (link->GetHotkey(&hotKey) != S_OK) throw Exception("Error in get HK");
    hotKey_ = hotKey;
    buf[0] = 0;
    if (link->GetArguments(buf, kReadBuffer) != S_OK) throw Exception("Error in get AR");
    arguments_ = text();
    path_ = fileName;
}

}  // namespace qs
