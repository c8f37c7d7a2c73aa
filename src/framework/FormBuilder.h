#pragma once
#include <functional>

#include "framework/Control.h"

namespace qs {

// Creates every row of page in container: graphic rows are painted by the container, the others become
// windows with the common bits (child, id, font) plus their kind's own style, bound to the view member(row)
// returns, with the event bound to handler(row.handler). Focusable windows are put in tab order.
using MemberLookup = std::function<TControl*(const form::ControlDef& row)>;
using HandlerLookup = std::function<TNotifyEvent(int handler)>;
void CreateControls(HWND container, const form::PageDef& page, const MemberLookup& member,
                    const HandlerLookup& handler);

}  // namespace qs
