#pragma once
#include <string>
#include <vector>

#include "framework/Control.h"

namespace qs {

class TPageControl : public TControl {
public:
    int PageCount() const;
    HWND Page(int index) const;
    void SetTabVisible(int page, bool visible);  // a shown tab returns at its place among the visible ones
    bool TabVisible(int page) const;
    // Shows the page (and selects its tab) and hides the others. A focus left on a hidden control, or on the tab
    // strip, moves to the first control of the shown page, so that the keyboard always has a place to start.
    void SetActivePage(int page);
    int ActivePage() const;        // -1 when no page is shown

    // Creates the tab control and one empty page per caption (page i has the control id kPageIdBase + i), the pages
    // laid out for dpi.
    HWND Create(HWND parent, const RECT& rect, int id, const std::vector<std::string>& captions, HFONT font,
                int dpi = form::kBaseDpi);
    // Lays the page control out again for dpi: placed at rect, the tabs in font, every page filling the display
    // area with its controls scaled (ScaleContainer).
    void Rescale(int dpi, const RECT& rect, HFONT font);
    // Where the pages lie inside the tab control (its display area).
    RECT PageRect() const;
    static constexpr int kPageIdBase = 1000;

    bool Reflect(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

    // The keyboard (see TranslatePageKey): the next or previous visible page, round, shown as a click on its tab
    // shows it; and the focus moved from `from` to the next or previous of the tab strip and the tab stops of
    // the shown page, round.
    void ShowNeighbourPage(bool previous);
    void MoveFocus(HWND from, bool back);
    // The arrow keys on the tab strip, as a tab control takes them: Left and Up show the visible page before the
    // shown one, Right and Down the one after it (no further than the first and the last), Home and End the first
    // and the last. The focus stays on the strip. False for any other key.
    bool StepTab(WPARAM key);
    // The first control of the shown page that takes the focus gets it, else the tab strip, as a dialog starts.
    void FocusFirstControl();
    // For the window's WM_ACTIVATE, as a dialog does: leaving remembers the focused control, coming back (also the
    // first showing) gives it back, or focuses the first control when it is gone or hidden.
    void Activated(bool active);

private:
    bool ShowPage(int page);  // selects its tab and shows it alone, the focus left where it is; false if no page
    int TabIndexOf(int page) const;
    void ShowPageFromUser(int page);

    HWND lastFocus_ = nullptr;  // the focus when the window was last left
};

// The keys of a window with tabbed pages, for the message loop ahead of the dialog keys. When msg is a Tab key
// pressed in a page control (on its tab strip or in a control of a page), Tab and Shift+Tab move the focus
// round the tab strip and the tab stops of the shown page in their order, and Ctrl+Tab and Ctrl+Shift+Tab show
// the next and previous visible page; the arrow keys, Home and End pressed on the tab strip go from tab to tab
// (StepTab). True when msg was such a key and has been handled.
bool TranslatePageKey(const MSG& msg);

}  // namespace qs
