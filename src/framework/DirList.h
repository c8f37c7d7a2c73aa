#pragma once
#include <string>
#include <vector>

#include "framework/Control.h"

namespace qs {

class TDriveComboBox;

// The folder list: the path to the current folder and its sub-folders. It starts on the process's current folder.
// The current folder is kept as the list window's text; items carry their level and whether they lie on the path.
class TDirectoryListBox : public TControl {
public:
    std::string Directory() const;  // full path; a final "\" only for a drive root
    // Makes path the current folder (entering it as the process's current folder); raises EInOutError when
    // it cannot be entered. An empty path or the current folder changes nothing. Moves a linked drive list
    // that shows another drive, then raises OnChange.
    void SetDirectory(const std::string& path);
    TNotifyEvent OnChange;
    void BindHandler(TNotifyEvent handler) override { OnChange = std::move(handler); }

    void SetDriveCombo(TDriveComboBox* combo) { driveCombo_ = combo; }
    // The folder an item stands for (ancestors, the current folder, its sub-folders).
    std::string ItemPath(int index) const;
    int ItemCount() const;
    std::string ItemText(int index) const;
    int ItemLevel(int index) const;
    static constexpr int kItemHeight = 16;  // at 96 DPI

    void Setup(const form::ControlDef& def) override;
    void ApplyDpi(const form::ControlDef& row, int dpi) override;
    bool Reflect(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    void Fill();
    TDriveComboBox* driveCombo_ = nullptr;
};

// The drive list, linked to a folder list.
class TDriveComboBox : public TControl {
public:
    char Drive() const { return drive_; }  // lower-case drive letter
    // Moves the linked list to that drive's current folder, then raises OnChange. A listed drive that cannot be
    // entered leaves the list where it was and is taken all the same; a letter the box does not list raises
    // EInOutError and leaves the box as it was.
    void SetDrive(char letter);
    TNotifyEvent OnChange;
    void BindHandler(TNotifyEvent handler) override { OnChange = std::move(handler); }

    void SetDirList(TDirectoryListBox* list) { dirList_ = list; }
    // The linked list moved to a folder on another drive: show that drive and raise OnChange.
    void ListMovedTo(char letter);
    std::vector<char> Drives() const;

    void Setup(const form::ControlDef& def) override;
    void ApplyDpi(const form::ControlDef& row, int dpi) override;
    bool Reflect(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    void Fill();
    void Select(char letter);
    TDirectoryListBox* dirList_ = nullptr;
    char drive_ = 0;
    bool settingDrive_ = false;
};

}  // namespace qs
