#include <gtest/gtest.h>
#include <windows.h>
#include "framework/Controls.h"
using namespace qs;
TEST(Debug, Font) {
    HDC dc = GetDC(nullptr);
    for (auto k : {form::FontKind::Window, form::FontKind::WindowBold, form::FontKind::LargeBold}) {
        HGDIOBJ old = SelectObject(dc, UiFont(k));
        char face[64]; GetTextFaceA(dc, sizeof face, face);
        TEXTMETRICA tm; GetTextMetricsA(dc, &tm);
        SIZE sz; GetTextExtentPoint32A(dc, "Disk space required:", 20, &sz);
        printf("face=%s h=%ld avg=%ld w=%ld\n", face, tm.tmHeight, tm.tmAveCharWidth, sz.cx);
        SelectObject(dc, old);
    }
    ReleaseDC(nullptr, dc);
}
