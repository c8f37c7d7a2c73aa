#pragma once
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "framework/Control.h"

namespace qs {

// Creates every row of page in container: graphic rows are painted by the container, the others become
// windows with the common bits (child, id, font) plus their kind's own style, bound to the view member(row)
// returns, with the event bound to handler(row.handler). A row without a member gets a view of its kind that
// the container owns, so controls no code touches after creation need no member. Focusable windows are put
// in tab order, each right after the labels that name it (a screen reader's label rule). Everything is laid out
// for the container's DPI (ScaleContainer lays it out again for another).
using MemberLookup = std::function<TControl*(const form::ControlDef& row)>;
using HandlerLookup = std::function<TNotifyEvent(int handler)>;
void CreateControls(HWND container, const form::PageDef& page, const MemberLookup& member,
                    const HandlerLookup& handler);

// The window CreateControls made for the row of page called name; null for a graphic row or an unknown name.
HWND RowWindow(HWND container, const form::PageDef& page, const std::string& name);

// The views an owner keeps as members, by the name of their table row. Each member registers itself as it is
// constructed (Named), so its declaration is the only list of them.
class ViewNames {
public:
    ViewNames() = default;
    ViewNames(const ViewNames&) = delete;
    ViewNames& operator=(const ViewNames&) = delete;
    void Add(const char* name, TControl* view) { views_.emplace_back(name, view); }
    TControl* Find(const std::string& name) const;  // null when no member has that name
    // Raises Exception naming a member that no row was bound to (its name is missing from the tables).
    void CheckAllBound() const;

private:
    std::vector<std::pair<const char*, TControl*>> views_;
};

// A view member that registers under the name of its row: Named<TEdit> EditInstallDir{views_, "EditInstallDir"}.
template <typename View>
class Named : public View {
public:
    Named(ViewNames& names, const char* name) { names.Add(name, this); }
};

}  // namespace qs
