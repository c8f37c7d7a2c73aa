// What a screen reader learns of a window beyond what the system's standard accessible object tells: the window
// answers WM_GETOBJECT with that standard object wrapped, its role, value or description replaced.
#pragma once
#include <windows.h>

#include <string>

namespace qs {

struct AccessibleOverrides {
    long role = 0;                           // a ROLE_SYSTEM_ value; 0 keeps the standard object's
    std::string (*value)(HWND) = nullptr;    // the value; null keeps the standard object's
    // The description; null, or an empty text, keeps the standard object's.
    std::string (*description)(HWND) = nullptr;
};

// The answer to WM_GETOBJECT (wp, lp) sent to hwnd: for its client object, the standard one with the overrides
// (asked for each answer from the window, so a client that holds the object on never reads a stale text); 0, so
// that the system answers, for any other object or where the accessibility library cannot be loaded.
LRESULT AnswerGetObject(HWND hwnd, WPARAM wp, LPARAM lp, const AccessibleOverrides& overrides);

// Tells accessibility clients that the value of hwnd's client object has changed.
void NotifyValueChanged(HWND hwnd);

}  // namespace qs
