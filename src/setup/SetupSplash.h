// TSplashForm: the small borderless window that says the setup program is loading while the setup window
// starts up. It has no handlers and takes no input.
#pragma once
#include <windows.h>

#include "framework/Controls.h"

namespace qs {

class TSplashForm {
public:
    // Creates the window, hidden, centred on the screen.
    TSplashForm();
    ~TSplashForm();
    TSplashForm(const TSplashForm&) = delete;
    TSplashForm& operator=(const TSplashForm&) = delete;

    // Shows the window and paints it at once (the message loop is not running yet).
    void Show();
    void Hide();
    HWND Handle() const { return hwnd_; }
    HWND Panel() const { return panel_; }

    TLabel Label1;

private:
    HWND hwnd_ = nullptr;
    HWND panel_ = nullptr;
};

}  // namespace qs
