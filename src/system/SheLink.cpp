#include "system/SheLink.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cwchar>
#include <type_traits>

#include "base/Exceptions.h"
#include "base/ScopedWin.h"
#include "base/WideText.h"

namespace qs {

void InitCom() { CoInitialize(nullptr); }
void DoneCom() { CoUninitialize(); }

namespace {

// The interface identifiers, spelled out so nothing depends on which uuid library provides them.
const CLSID kClsidShellLink = {0x00021401, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID kIidShellLinkW = {0x000214F9, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID kIidPersistFile = {0x0000010B, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

constexpr size_t kTextLimit = 255;  // file name and description: at most 254 characters
constexpr int kReadBuffer = 260;     // every text ReadLink fetches

ComPtr<IShellLinkW> CreateLink() {
    ComPtr<IShellLinkW> link;
    CoCreateInstance(kClsidShellLink, nullptr, CLSCTX_INPROC_SERVER, kIidShellLinkW, link.Out());
    return link;
}

}  // namespace

void TShellLink::SetUpdate(bool /*value*/) {
    ReadLink(path_);
    update_ = true;
}

void TShellLink::WriteLink(const std::string& fileName) const {
    ComPtr<IShellLinkW> link = CreateLink();
    if (!link) throw Exception("Error in create instance");
    if (link->SetPath(Widen(target_).c_str()) != S_OK) throw Exception("Error in set path");
    const std::wstring description = Widen(description_);
    link->SetDescription(description.c_str());
    link->SetWorkingDirectory(Widen(workingDir_).c_str());
    link->SetArguments(Widen(arguments_).c_str());
    link->SetHotkey(hotKey_);
    link->SetShowCmd(showCmd_);
    link->SetIconLocation(Widen(iconLocation_).c_str(), iconNumber_);
    ComPtr<IPersistFile> file;
    if (link->QueryInterface(kIidPersistFile, file.Out()) != S_OK || !file) throw Exception("Error in query interface");
    const std::wstring wide = Widen(fileName);
    // Texts that do not fit the buffers the shell is handed are refused rather than cut to another name.
    if (wide.size() >= kTextLimit || description.size() >= kTextLimit) throw Exception("Error in save");
    if (file->Save(wide.c_str(), TRUE) != S_OK) throw Exception("Error in save");
}

void TShellLink::ReadLink(const std::string& fileName) {
    if (fileName.empty()) return;
    ComPtr<IShellLinkW> link = CreateLink();
    if (!link) return;
    ComPtr<IPersistFile> file;
    if (link->QueryInterface(kIidPersistFile, file.Out()) != S_OK || !file) return;
    const std::wstring wide = Widen(fileName);
    if (wide.size() >= kReadBuffer || file->Load(wide.c_str(), 0) != S_OK)
        throw Exception("File not found (or not link)");
    if (link->Resolve(nullptr, SLR_ANY_MATCH) != S_OK) return;

    wchar_t buf[kReadBuffer];
    auto text = [&buf] { return Narrow(std::wstring_view(buf, wcsnlen(buf, kReadBuffer))); };
    buf[0] = 0;
    if (link->GetWorkingDirectory(buf, kReadBuffer) != S_OK) throw Exception("Error in get WD");
    workingDir_ = text();
    WIN32_FIND_DATAW found{};
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
