#include "Driver.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>

#include "PngWriter.h"
#include "framework/GdiGuards.h"
#include "setup/SetupPages.h"

namespace e2e {

namespace pages = qs::setup_pages;
using qs::test::Descendants;
using qs::GdiBitmap;
using qs::MemoryDC;
using qs::ScopedSelect;
using qs::WindowDC;

void Expect(bool cond, const std::string& what) {
    if (!cond) throw Failure(what);
}

void ExpectEq(const std::string& actual, const std::string& expected, const std::string& what) {
    if (actual != expected) throw Failure(what + ": got \"" + actual + "\", expected \"" + expected + "\"");
}

void ExpectEq(const std::optional<std::string>& actual, const std::string& expected, const std::string& what) {
    if (!actual) throw Failure(what + ": missing, expected \"" + expected + "\"");
    ExpectEq(*actual, expected, what);
}

void Log(const std::string& line) {
    static const DWORD start = GetTickCount();
    std::printf("[%5.1f] %s\n", (GetTickCount() - start) / 1000.0, line.c_str());
    std::fflush(stdout);
}

namespace {

LRESULT Ask(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, const char* what) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(hwnd, msg, wp, lp, SMTO_ABORTIFHUNG, 5000, &result))
        throw Failure(std::string("the program does not answer (") + what + ")");
    return LRESULT(result);
}

}  // namespace

namespace {

int ButtonId(const std::string& label) {
    if (label == "OK") return IDOK;
    if (label == "&Yes") return IDYES;
    if (label == "&No") return IDNO;
    throw Failure("no button id for \"" + label + "\"");
}

}  // namespace

void Answer(const Box& box, const std::string& label) {
    Log("  answer " + label);
    const std::string problem = qs::test::AnswerBox(box, ButtonId(label));
    Expect(problem.empty(), problem);
}

// ---- The setup window

SetupWindow SetupWindow::Attach(const Process& process, DWORD ms) {
    SetupWindow w;
    const DWORD pid = process.Pid();
    std::optional<Box> box;
    WaitUntil(
        [&] {
            for (HWND h : TopWindows(pid)) {
                if (ClassOf(h) == "#32770") {
                    const auto boxes = FindBoxes(pid);
                    if (!boxes.empty() && !boxes[0].text.empty()) box = boxes[0];
                    return box.has_value();
                }
                if ((w.tabs_ = qs::test::SetupWindowTabs(h))) {
                    w.main_ = h;
                    return true;
                }
            }
            return !process.Running();
        },
        ms);
    if (box) throw Failure("a message box came instead of the setup window: " + Describe(*box));
    if (!w.main_) {
        if (!process.Running()) throw Failure("Setup.exe ended without showing its window");
        throw Failure("the setup window did not appear");
    }
    w.Bind();
    return w;
}

// Finds each page's window by its controls: the window whose children sit where that page's table puts them.
void SetupWindow::Bind() {
    struct Child {
        HWND hwnd, parent;
        int left, top;
    };
    std::vector<Child> children;
    for (HWND h : Descendants(main_)) {
        HWND parent = GetParent(h);
        RECT r;
        GetWindowRect(h, &r);
        POINT p{r.left, r.top};
        ScreenToClient(parent, &p);
        children.push_back({h, parent, p.x, p.y});
    }

    pages_.assign(qs::kPageCount, nullptr);
    for (size_t pg = 0; pg < qs::kPageCount; ++pg) {
        const auto& page = pages::kPages[pg];
        int wanted = 0;
        std::vector<std::pair<HWND, int>> score;  // parent, matched rows
        for (size_t i = 0; i < page.count; ++i) {
            const auto& row = page.controls[i];
            if (qs::form::IsGraphic(row.kind)) continue;
            ++wanted;
            for (const auto& c : children) {
                if (c.left != row.rect.left || c.top != row.rect.top) continue;
                auto it = std::find_if(score.begin(), score.end(), [&](auto& s) { return s.first == c.parent; });
                if (it == score.end()) score.push_back({c.parent, 1});
                else ++it->second;
            }
        }
        HWND best = nullptr;
        int bestScore = 0;
        for (const auto& s : score)
            if (s.second > bestScore) best = s.first, bestScore = s.second;
        Expect(best && bestScore >= wanted,
               std::string("cannot find the page ") + page.name + " (" + std::to_string(bestScore) + " of " +
                   std::to_string(wanted) + " controls in place)");
        pages_[pg] = best;
        for (size_t i = 0; i < page.count; ++i) {
            const auto& row = page.controls[i];
            if (qs::form::IsGraphic(row.kind)) continue;
            for (const auto& c : children)
                if (c.parent == best && c.left == row.rect.left && c.top == row.rect.top) {
                    controls_.push_back({row.name, c.hwnd});
                    break;
                }
        }
    }
}

HWND SetupWindow::Control(const std::string& name) const {
    for (const auto& c : controls_)
        if (c.first == name) return c.second;
    throw Failure("no control " + name);
}

std::string SetupWindow::Text(const std::string& name) const {
    HWND h = Control(name);
    if (lstrcmpiA(ClassOf(h).c_str(), "Edit") != 0) return WindowText(h);
    const auto text = qs::test::utf8::ControlText(h, 5000);  // the window manager keeps no current text for edit boxes
    Expect(text.has_value(), "the program does not answer (WM_GETTEXT)");
    return *text;
}

bool SetupWindow::Checked(const std::string& name) const {
    return Ask(Control(name), BM_GETCHECK, 0, 0, "BM_GETCHECK") == BST_CHECKED;
}

bool SetupWindow::Enabled(const std::string& name) const { return IsWindowEnabled(Control(name)) != FALSE; }

bool SetupWindow::Visible(const std::string& name) const {
    return (GetWindowLongA(Control(name), GWL_STYLE) & WS_VISIBLE) != 0;
}

bool SetupWindow::ReadOnly(const std::string& name) const {
    return (GetWindowLongA(Control(name), GWL_STYLE) & ES_READONLY) != 0;
}

COLORREF SetupWindow::LabelColor(const std::string& name) const {
    // What the screen shows in the label's bottom row, below its text: a figure may fill the box's whole width.
    RECT r;
    GetWindowRect(Control(name), &r);
    return GetPixel(WindowDC(nullptr).Get(), r.left + 2, r.bottom - 1);
}

void SetupWindow::SetEditText(const std::string& name, const std::string& text) {
    Expect(qs::test::utf8::SetControlText(Control(name), text, 5000), "the program does not answer (WM_SETTEXT)");
}

void SetupWindow::SetChecked(const std::string& name, bool checked) {
    if (Checked(name) == checked) return;
    Ask(Control(name), BM_CLICK, 0, 0, "BM_CLICK");
    Expect(WaitUntil([&] { return Checked(name) == checked; }, 5000), name + " does not change its tick");
}

void SetupWindow::Click(const std::string& name) {
    HWND h = Control(name);
    Expect(IsWindowVisible(h) && IsWindowEnabled(h), name + " cannot be pressed: not shown or disabled");
    PostMessageA(h, BM_CLICK, 0, 0);
}

std::string SetupWindow::FocusName() const {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(main_, nullptr), &info) || !info.hwndFocus) return "none";
    if (info.hwndFocus == tabs_) return "tab strip";
    if (info.hwndFocus == main_) return "window";
    for (const auto& c : controls_)
        if (c.second == info.hwndFocus || IsChild(c.second, info.hwndFocus)) return c.first;
    return "elsewhere";
}

void SetupWindow::PressKey(WORD key, bool ctrl, bool shift) const {
    std::vector<INPUT> in;
    auto add = [&](WORD vk, bool up) {
        INPUT i{};
        i.type = INPUT_KEYBOARD;
        i.ki.wVk = vk;
        i.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        in.push_back(i);
    };
    if (ctrl) add(VK_CONTROL, false);
    if (shift) add(VK_SHIFT, false);
    add(key, false);
    add(key, true);
    if (shift) add(VK_SHIFT, true);
    if (ctrl) add(VK_CONTROL, true);
    Expect(SendInput(UINT(in.size()), in.data(), sizeof(INPUT)) == in.size(), "cannot press a key");
    DWORD_PTR ignored;
    Sleep(100);
    SendMessageTimeoutA(main_, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &ignored);
}

std::vector<std::pair<std::string, RECT>> SetupWindow::OtherControlRects(int page, const std::string& except) const {
    std::vector<std::pair<std::string, RECT>> rects;
    POINT origin{0, 0};
    ClientToScreen(pages_[size_t(page)], &origin);
    const auto& table = pages::kPages[size_t(page)];
    for (size_t i = 0; i < table.count; ++i) {
        const auto& row = table.controls[i];
        if (row.name == except) continue;
        RECT r{};
        if (qs::form::IsGraphic(row.kind)) {
            r = RECT{origin.x + row.rect.left, origin.y + row.rect.top, origin.x + row.rect.Right(),
                     origin.y + row.rect.Bottom()};
        } else {
            if (!Visible(row.name)) continue;
            GetWindowRect(Control(row.name), &r);
        }
        rects.push_back({row.name, r});
    }
    return rects;
}

std::optional<std::string> SetupWindow::HoverTooltip(const std::string& name, DWORD ms, HWND* tip) const {
    RECT r;
    GetWindowRect(Control(name), &r);
    // Two moves, as a hand makes: the tooltip starts its timer on a move inside the control.
    SetCursorPos(r.left + 1, r.top + 1);
    Sleep(50);
    SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    DWORD pid = 0;
    GetWindowThreadProcessId(main_, &pid);
    std::optional<std::string> text;
    WaitUntil(
        [&] {
            for (HWND h : TopWindows(pid))
                if (lstrcmpiA(ClassOf(h).c_str(), TOOLTIPS_CLASSA) == 0 && IsWindowVisible(h)) {
                    text = qs::test::utf8::ControlText(h, 2000);
                    if (tip) *tip = h;
                    return true;
                }
            return false;
        },
        ms);
    return text;
}

std::vector<std::string> SetupWindow::Tabs() const {
    auto tabs = qs::test::TabCaptions(tabs_);
    Expect(tabs.has_value(), "the program does not answer (tab captions)");
    return *tabs;
}

void SetupWindow::SelectTab(const std::string& caption) {
    Expect(qs::test::ClickTab(tabs_, caption), "no tab " + caption + " to click, or the program does not answer");
    int page = -1;
    for (size_t p = 0; p < qs::kPageCount; ++p)
        if (caption == pages::kPages[p].caption) page = int(p);
    Expect(WaitPage(page, 5000), "clicking the tab " + caption + " does not show its page");
}

int SetupWindow::ActivePage() const {
    for (size_t p = 0; p < pages_.size(); ++p)
        if (IsWindowVisible(pages_[p])) return int(p);
    return -1;
}

bool SetupWindow::WaitPage(int page, DWORD ms) const {
    return WaitUntil([&] { return ActivePage() == page; }, ms);
}

bool SetupWindow::WaitText(const std::string& name, const std::string& text, DWORD ms) const {
    return WaitUntil([&] { return Text(name) == text; }, ms);
}

void SetupWindow::Screenshot(const std::string& path, bool settle) const {
    if (settle) {
        DWORD_PTR ignored;
        // The frame too: Wine leaves the caption's close button out of what a screen copy reads until the frame
        // is painted again.
        RedrawWindow(main_, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
        SendMessageTimeoutA(main_, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &ignored);
        Sleep(150);
    }
    RECT r;
    GetWindowRect(main_, &r);
    ScreenshotRect(r, path);
}

double SetupWindow::GaugeFill() const {
    RECT r;
    GetWindowRect(Control("Gauge"), &r);
    const int y = (r.top + r.bottom) / 2;
    WindowDC screen(nullptr);
    int filled = 0;
    // Left of the centred percentage text only; the text inverts what lies beneath it.
    const int inner = r.right - r.left - 2;
    for (int x = 0; x < inner * 2 / 5; ++x)
        if (GetPixel(screen.Get(), r.left + 1 + x, y) == RGB(0, 0, 128)) ++filled;
    return inner > 0 ? double(filled) / inner : 0.0;
}

void ScreenshotRect(const RECT& r, const std::string& path) {
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0) throw Failure("nothing to photograph for " + path);
    WindowDC screen(nullptr);
    MemoryDC mem(screen.Get());
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;  // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    GdiBitmap dib(CreateDIBSection(screen.Get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    ScopedSelect dibInMem(mem.Get(), dib.Get());
    BitBlt(mem.Get(), 0, 0, w, h, screen.Get(), r.left, r.top, SRCCOPY);
    GdiFlush();
    // The section's pixels are 0x..RRGGBB, as the PNG writer takes them.
    if (!qs::test::WritePngFile(path, static_cast<const uint32_t*>(bits), w, h)) throw Failure("cannot write " + path);
}

}  // namespace e2e
