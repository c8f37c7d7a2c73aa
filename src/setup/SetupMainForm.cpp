#include "setup/SetupMainForm.h"

#include "base/Exceptions.h"
#include "framework/Application.h"
#include "package/PakFormat.h"
#include "package/Product.h"
#include "system/SelfRemoval.h"

namespace qs {

TSetupForm::TSetupForm()
    : SelfRemoval([](const std::string& Message, const std::string& Caption) {
          StartSelfRemoval(Message, Caption, Application().ExeName());
          Application().Terminate();
      }) {
    LZHCompressor.SetReadBufSize(kFileBlockSize);
    LZHCompressor.SetWriteBufSize(kFileBlockSize);
    // The decoder reads and writes through the extractor's handlers, however the window is built.
    extractor_.Attach(LZHCompressor);
    ShellLink.SetDescription(kProductName);
    ShellLink.SetHotKey(0);
    ShellLink.SetShowCmd(0);
    ShellLink.SetIconNumber(0);
    ShellLink.SetUpdate(true);  // reads nothing: Path is still empty
}

TSetupForm::~TSetupForm() {
    if (hwnd_ && IsWindow(hwnd_)) DestroyWindow(hwnd_);
}

void TSetupForm::Create() {
    if (ProgramPath.empty()) ProgramPath = Application().ExeName();
    if (!ChecksSignatures()) VendorKey = TVendorKey::FromModule(GetModuleHandleW(nullptr));
    CreateWindowAndControls();
    Application().SetMainWindow(hwnd_);
    try {
        FormCreate();
    } catch (const EWrongProduct& e) {
        Application().ShowMessageBox(e.what(), kSetupCaption, MB_OK);
        mode_ = SetupMode::Refusal;
    } catch (const ESignatureRefused& e) {
        Application().ShowMessageBox(e.what(), kSetupCaption, MB_OK | MB_ICONSTOP);
        mode_ = SetupMode::Refusal;
    } catch (const std::exception& e) {
        Application().ShowException(e);
        mode_ = SetupMode::Refusal;
    }
    if (mode_ == SetupMode::Refusal) Application().Terminate();
}

void TSetupForm::Show() {
    if (!hwnd_) return;
    ShowWindow(hwnd_, SW_SHOW);
    UpdateWindow(hwnd_);
}

void TSetupForm::Close() {
    if (hwnd_ && IsWindow(hwnd_)) PostMessageW(hwnd_, WM_CLOSE, 0, 0);
    Application().Terminate();
}

void TSetupForm::RepaintNow() { qs::RepaintNow(hwnd_); }

void TSetupForm::SetBusyText(const std::string& text) {
    LabelBusy.SetCaption(text);
    RepaintNow();
}

void TSetupForm::AdvanceProgress(uint32_t bytesWritten) { Gauge.AddProgress(int(bytesWritten)); }

void TSetupForm::ExtractPackage(PakRole role, const std::string& destDir) {
    Package& p = PackageOf(role);
    const char* const name = FactsOf(role).FileName;
    p.Files = p.File.IsOpen() ? extractor_.ExtractPackage(LZHCompressor, p.File, name, destDir, p.DirPos, p.ExtraName)
                              : extractor_.ExtractPackage(LZHCompressor, SourceDir, name, destDir, p.DirPos, p.ExtraName);
}

void TSetupForm::QuitBtnClick() { Close(); }

}  // namespace qs
