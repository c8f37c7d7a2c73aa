#include <windows.h>

#include <algorithm>
#include <iterator>
#include <exception>

#include "framework/Application.h"
#include "framework/DirList.h"
#include "base/Exceptions.h"
#include "framework/GdiGuards.h"
#include "base/ScopedWin.h"
#include "base/Text.h"
#include "framework/UiResources.h"
#include "base/WideText.h"
#include "base/FileSys.h"

namespace qs {

namespace {

constexpr int kIndent = 6;   // pixels per folder level
constexpr int kGlyphW = 16;  // room for the folder picture

// Sets a flag for the guard's lifetime: the list's moves while the box itself sets the drive are not news to it.
class FlagScope {
public:
    explicit FlagScope(bool& flag) : flag_(flag) { flag_ = true; }
    ~FlagScope() { flag_ = false; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

private:
    bool& flag_;
};

bool SameText(const std::string& a, const std::string& b) { return AsciiUpper(a) == AsciiUpper(b); }

// Item data: level in the low 16 bits, bit 16 set for the folders of the path (shown open).
constexpr LPARAM kOpenBit = 1 << 16;

// dpi scales the picture, drawn for 96 DPI.
void DrawFolder(HDC dc, int x, int y, bool open, bool selected, int dpi) {
    // A small folder: tab and body in yellow with a dark outline; an open one shows its lid tilted.
    const auto at = [&](int dx, int dy) { return POINT{x + form::Scale(dx, dpi), y + form::Scale(dy, dpi)}; };
    GdiPen pen(CreatePen(PS_SOLID, form::Scale(1, dpi), selected ? GetSysColor(COLOR_HIGHLIGHTTEXT) : RGB(0, 0, 0)));
    GdiBrush body(CreateSolidBrush(RGB(255, 255, 0)));
    GdiBrush back(CreateSolidBrush(RGB(128, 128, 0)));
    ScopedSelect penInDC(dc, pen.Get());
    const POINT tab[] = {at(1, 4), at(2, 3), at(6, 3), at(7, 4), at(13, 4), at(13, 12), at(1, 12)};
    {
        ScopedSelect brushInDC(dc, open ? back.Get() : body.Get());
        Polygon(dc, tab, 7);
    }
    ScopedSelect brushInDC(dc, body.Get());
    if (open) {
        const POINT lid[] = {at(3, 7), at(15, 7), at(13, 12), at(1, 12)};
        Polygon(dc, lid, 4);
    } else {
        const POINT from = at(1, 6), to = at(14, 13);
        Rectangle(dc, from.x, from.y, to.x, to.y);
    }
}

// The path's parts: "c:\" then each folder name.
std::vector<std::string> SplitPath(const std::string& dir) {
    std::vector<std::string> parts;
    if (dir.size() < 3) return parts;
    parts.push_back(dir.substr(0, 3));
    size_t start = 3;
    while (start < dir.size()) {
        size_t end = dir.find('\\', start);
        if (end == std::string::npos) end = dir.size();
        if (end > start) parts.push_back(dir.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

std::string DriveCurrentFolder(char letter) {
    const wchar_t spec[3] = {wchar_t(AsciiUpper(letter)), L':', 0};
    wchar_t buf[MAX_PATH];
    const DWORD n = GetFullPathNameW(spec, MAX_PATH, buf, nullptr);
    if (n == 0 || n >= MAX_PATH) return std::string(1, letter) + ":\\";
    return Narrow(buf);
}

}  // namespace

// ---------------------------------------------------------------- TDirectoryListBox

std::string TDirectoryListBox::Directory() const { return Text(); }

void TDirectoryListBox::SetDirectory(const std::string& path) {
    if (path.empty()) return;
    if (!SetCurrentDir(path)) throw EInOutError(int(GetLastError()));
    const std::string current = CurrentDir();
    const std::string entered = current.empty() ? path : current;
    const std::string before = Directory();
    if (SameText(entered, before)) return;
    SetTextOf(hwnd_, entered);
    Fill();
    if (driveCombo_ && !entered.empty() && (before.empty() || AsciiLower(before[0]) != AsciiLower(entered[0])))
        driveCombo_->ListMovedTo(AsciiLower(entered[0]));
    if (OnChange) OnChange();
}

void TDirectoryListBox::Fill() {
    SendMessageW(hwnd_, WM_SETREDRAW, FALSE, 0);
    SendMessageW(hwnd_, LB_RESETCONTENT, 0, 0);
    const std::string dir = Directory();
    const std::vector<std::string> parts = SplitPath(dir);
    for (size_t i = 0; i < parts.size(); ++i) {
        std::string text = parts[i];
        if (i == 0) text = AsciiLower(text.substr(0, 2)) + "\\";
        const LRESULT at = SendMessageW(hwnd_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(text).c_str()));
        SendMessageW(hwnd_, LB_SETITEMDATA, at, LPARAM(i) | kOpenBit);
    }
    // The sub-folders of the current folder, sorted by name.
    std::vector<std::string> subs;
    WIN32_FIND_DATAW fd;
    const ScopedFind find(FindFirstFileW(Widen(IncludeTrailingBackslash(dir) + "*").c_str(), &fd));
    if (find) {
        do {
            const std::string name = Narrow(fd.cFileName);
            if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name != "." && name != "..")
                subs.push_back(name);
        } while (FindNextFileW(find.Get(), &fd));
    }
    std::sort(subs.begin(), subs.end(), [](const std::string& a, const std::string& b) {
        return AsciiUpper(a) < AsciiUpper(b);
    });
    for (const std::string& s : subs) {
        const LRESULT at = SendMessageW(hwnd_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(s).c_str()));
        SendMessageW(hwnd_, LB_SETITEMDATA, at, LPARAM(parts.size()));
    }
    SendMessageW(hwnd_, LB_SETCURSEL, parts.empty() ? -1 : WPARAM(parts.size() - 1), 0);
    SendMessageW(hwnd_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(hwnd_, nullptr, TRUE);
}

int TDirectoryListBox::ItemCount() const { return int(SendMessageW(hwnd_, LB_GETCOUNT, 0, 0)); }

std::string TDirectoryListBox::ItemText(int index) const {
    const LRESULT n = SendMessageW(hwnd_, LB_GETTEXTLEN, index, 0);
    if (n == LB_ERR) return {};
    std::wstring s(size_t(n) + 1, L'\0');
    SendMessageW(hwnd_, LB_GETTEXT, index, reinterpret_cast<LPARAM>(s.data()));
    s.resize(size_t(n));
    return Narrow(s);
}

int TDirectoryListBox::ItemLevel(int index) const {
    return int(SendMessageW(hwnd_, LB_GETITEMDATA, index, 0) & 0xFFFF);
}

std::string TDirectoryListBox::ItemPath(int index) const {
    if (index < 0 || index >= ItemCount()) return {};
    const LRESULT data = SendMessageW(hwnd_, LB_GETITEMDATA, index, 0);
    const std::vector<std::string> parts = SplitPath(Directory());
    if (data & kOpenBit) {
        // An ancestor (or the current folder): the path down to it.
        std::string p = parts.empty() ? std::string() : parts[0];
        for (int i = 1; i <= index && size_t(i) < parts.size(); ++i)
            p += (i > 1 ? "\\" : "") + parts[size_t(i)];
        return p;
    }
    return IncludeTrailingBackslash(Directory()) + ItemText(index);
}

void TDirectoryListBox::ApplyDpi(const form::ControlDef& row, int dpi) {
    dpi_ = dpi;
    // The items first: the list trims its height to whole items of the height it has.
    SendMessageW(hwnd_, LB_SETITEMHEIGHT, 0, Scaled(kItemHeight));
    TControl::ApplyDpi(row, dpi);
}

void TDirectoryListBox::Setup(const form::ControlDef&) {
    // The list starts on the process's current folder, without an event.
    const std::string cwd = CurrentDir();
    if (!cwd.empty()) {
        SetTextOf(hwnd_, cwd);
        Fill();
    }
}

bool TDirectoryListBox::Reflect(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (msg == WM_COMMAND && HIWORD(wp) == LBN_DBLCLK) {
        // Double-click enters the folder; an error goes to the error report and the list stays.
        const int sel = int(SendMessageW(hwnd_, LB_GETCURSEL, 0, 0));
        const std::string target = ItemPath(sel);
        RaiseFromUser([this, target] { SetDirectory(target); });
        result = 0;
        return true;
    }
    if (msg == WM_DRAWITEM) {
        const auto* di = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
        if (di->itemID == UINT(-1)) {
            result = TRUE;
            return true;
        }
        const bool selected = (di->itemState & ODS_SELECTED) != 0;
        FillRect(di->hDC, &di->rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
        const int level = int(di->itemData & 0xFFFF);
        const int x = di->rcItem.left + Scaled(2 + level * kIndent);
        DrawFolder(di->hDC, x, di->rcItem.top + Scaled(1), (di->itemData & kOpenBit) != 0, selected, dpi_);
        const std::string text = ItemText(int(di->itemID));
        RECT tr = di->rcItem;
        tr.left = x + Scaled(kGlyphW + 2);
        // Each name in the font that has its letters.
        ScopedSelect fontInDC(di->hDC, UiFontFor(fontKind_, dpi_, text));
        SetBkMode(di->hDC, TRANSPARENT);
        SetTextColor(di->hDC, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
        DrawTextW(di->hDC, Widen(text).c_str(), -1, &tr, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
        if (di->itemState & ODS_FOCUS) DrawFocusRect(di->hDC, &di->rcItem);
        result = TRUE;
        return true;
    }
    return false;
}

// ---------------------------------------------------------------- TDriveComboBox

std::vector<char> TDriveComboBox::Drives() const {
    std::vector<char> drives;
    const int n = int(SendMessageW(hwnd_, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) drives.push_back(char(SendMessageW(hwnd_, CB_GETITEMDATA, i, 0)));
    return drives;
}

void TDriveComboBox::Fill() {
    SendMessageW(hwnd_, CB_RESETCONTENT, 0, 0);
    wchar_t buf[512];
    const DWORD n = GetLogicalDriveStringsW(DWORD(std::size(buf)), buf);
    for (const wchar_t* p = buf; n && n < std::size(buf) && *p; p += lstrlenW(p) + 1) {
        if (p[0] > 0x7F) continue;  // drive letters are ASCII
        const char letter = AsciiLower(char(p[0]));
        std::string text = std::string(1, letter) + ":";
        const UINT type = GetDriveTypeW(p);
        if (type == DRIVE_FIXED || type == DRIVE_RAMDISK) {
            // Only drives that answer at once are asked for their volume name.
            wchar_t volume[MAX_PATH + 1] = L"";
            if (GetVolumeInformationW(p, volume, DWORD(std::size(volume)), nullptr, nullptr, nullptr, nullptr, 0) &&
                volume[0])
                text += " [" + Narrow(volume) + "]";
        }
        const LRESULT at = SendMessageW(hwnd_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(text).c_str()));
        SendMessageW(hwnd_, CB_SETITEMDATA, at, LPARAM(letter));
    }
}

void TDriveComboBox::Select(char letter) {
    const std::vector<char> drives = Drives();
    const auto it = std::find(drives.begin(), drives.end(), letter);
    SendMessageW(hwnd_, CB_SETCURSEL, it == drives.end() ? WPARAM(-1) : WPARAM(it - drives.begin()), 0);
}

void TDriveComboBox::SetDrive(char letter) {
    letter = AsciiLower(letter);
    if (letter == drive_) return;
    if (dirList_) {
        // The list goes first. A listed drive that cannot be entered (no disc, a letter that points nowhere) is
        // still taken: the list stays where it was and the owner learns of the drive, whose free space then reads
        // as unknown. A letter the box does not list leaves everything as it was.
        const std::vector<char> drives = Drives();
        const bool listed = std::find(drives.begin(), drives.end(), letter) != drives.end();
        const std::string before = dirList_->Directory();
        std::exception_ptr failure;
        {
            const FlagScope busy(settingDrive_);
            try {
                dirList_->SetDirectory(DriveCurrentFolder(letter));
            } catch (...) {
                failure = std::current_exception();
            }
        }
        // A list that moved entered the drive: what failed came after, and is not for this box to hide.
        if (failure && (!listed || dirList_->Directory() != before)) {
            Select(drive_);
            std::rethrow_exception(failure);
        }
    }
    drive_ = letter;
    Select(letter);
    if (OnChange) OnChange();
}

void TDriveComboBox::ListMovedTo(char letter) {
    if (settingDrive_ || AsciiLower(letter) == drive_) return;
    drive_ = AsciiLower(letter);
    Select(drive_);
    if (OnChange) OnChange();
}

void TDriveComboBox::ApplyDpi(const form::ControlDef& row, int dpi) {
    dpi_ = dpi;
    std::string names;
    const int n = int(SendMessageW(hwnd_, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
        std::wstring item(size_t(std::max<LRESULT>(SendMessageW(hwnd_, CB_GETLBTEXTLEN, i, 0), 0)) + 1, L'\0');
        item.resize(size_t(std::max<LRESULT>(SendMessageW(hwnd_, CB_GETLBTEXT, i, LPARAM(item.data())), 0)));
        names += Narrow(item);
    }
    // Room for a drop-down of 8 items; then the selection field as high as the row says (the frame takes 6 pixels),
    // which the box takes out of the height it has.
    const form::Rect r = form::Scale(row.rect, dpi);
    SetWindowPos(hwnd_, nullptr, r.left, r.top, r.width, r.height + 8 * Scaled(TDirectoryListBox::kItemHeight),
                 SWP_NOZORDER | SWP_NOACTIVATE);
    FitFontTo(names);  // a volume name may need letters the bitmap face lacks
    SendMessageW(hwnd_, CB_SETITEMHEIGHT, WPARAM(-1), Scaled(row.rect.height) - 6);
    SendMessageW(hwnd_, CB_SETITEMHEIGHT, 0, Scaled(TDirectoryListBox::kItemHeight));
}

void TDriveComboBox::Setup(const form::ControlDef&) {
    Fill();
    // The box starts on the drive of the process's current folder, without an event.
    const std::string cwd = CurrentDir();
    if (!cwd.empty()) drive_ = AsciiLower(cwd[0]);
    Select(drive_);
}

bool TDriveComboBox::Reflect(UINT msg, WPARAM wp, LPARAM, LRESULT& result) {
    if (msg == WM_COMMAND && HIWORD(wp) == CBN_SELCHANGE) {
        const int sel = int(SendMessageW(hwnd_, CB_GETCURSEL, 0, 0));
        const char letter = sel >= 0 ? char(SendMessageW(hwnd_, CB_GETITEMDATA, sel, 0)) : drive_;
        Select(drive_);  // stays on the old drive until the new one has been entered
        RaiseFromUser([this, letter] { SetDrive(letter); });
        result = 0;
        return true;
    }
    return false;
}

}  // namespace qs
