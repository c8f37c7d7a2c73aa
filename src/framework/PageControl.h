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
    void SetActivePage(int page);  // shows the page (and selects its tab) and hides the others
    int ActivePage() const;        // -1 when no page is shown

    // Creates the tab control and one empty page per caption (page i has the control id kPageIdBase + i).
    HWND Create(HWND parent, const RECT& rect, int id, const std::vector<std::string>& captions, HFONT font);
    // Where the pages lie inside the tab control (its display area).
    RECT PageRect() const;
    static constexpr int kPageIdBase = 1000;

    bool Reflect(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    int TabIndexOf(int page) const;
};

}  // namespace qs
