// A window's controls described as data, the way a form file does: one row per control with its kind, name,
// position, text, style marks, tab order, event handler and colours. The tables are constexpr and portable
// (no Win32 types), so their checks run natively; CreateControls (FormBuilder.h) turns a table into windows.
#pragma once
#include <cstddef>
#include <cstdint>

namespace qs::form {

enum class Kind : uint8_t {
    Label,       // STATIC text
    Edit,        // EDIT
    CheckBox,    // BUTTON, auto check box
    BitBtn,      // owner-drawn BUTTON with a picture left of its caption
    DirList,     // folder list (LISTBOX)
    DriveCombo,  // drive list (COMBOBOX)
    Gauge,       // progress gauge (drawn window)
    Image,       // picture, drawn by its page
    Shape,       // shape, drawn by its page
    Bevel,       // bevel, drawn by its page
    Panel,       // panel bevels, drawn by its page
};

// Kinds that take the keyboard focus and so have a place in the tab order.
constexpr bool TakesFocus(Kind k) {
    return k == Kind::Edit || k == Kind::CheckBox || k == Kind::BitBtn || k == Kind::DirList ||
           k == Kind::DriveCombo;
}
// Kinds that are painted by their page rather than being windows of their own.
constexpr bool IsGraphic(Kind k) {
    return k == Kind::Image || k == Kind::Shape || k == Kind::Bevel || k == Kind::Panel;
}
// Kinds that raise an event a handler can be bound to.
constexpr bool HasEvent(Kind k) {
    return k == Kind::Edit || k == Kind::CheckBox || k == Kind::BitBtn || k == Kind::DirList ||
           k == Kind::DriveCombo;
}

// Style marks; each kind looks only at those that concern it.
namespace style {
constexpr uint32_t Centre = 1u << 0;       // label: text centred in a box of fixed size
constexpr uint32_t Wrap = 1u << 1;         // label: text broken into lines within the box
constexpr uint32_t Right = 1u << 2;        // label: text at the right edge of a box of fixed size
constexpr uint32_t Bold = 1u << 3;         // label: the bold variant of its page's font
constexpr uint32_t Transparent = 1u << 4;  // label: what lies beneath shows through its background
constexpr uint32_t Checked = 1u << 5;      // check box: ticked
constexpr uint32_t Disabled = 1u << 6;     // any window: disabled
constexpr uint32_t Hidden = 1u << 7;       // any window: not visible
constexpr uint32_t TopLine = 1u << 8;      // bevel: an etched line along the top edge
constexpr uint32_t Box = 1u << 9;          // bevel: a sunken box
constexpr uint32_t RoundRect = 1u << 10;   // shape: rounded rectangle (else a rectangle)
}  // namespace style

// Labels without Centre, Wrap or Right size themselves to their text.
constexpr bool AutoSizes(uint32_t s) { return (s & (style::Centre | style::Wrap | style::Right)) == 0; }

// Pictures the program carries (drawn by the picture generator at build time).
enum class Picture : uint8_t {
    None,
    AppIcon,    // the application's icon, 32 x 32
    SetupIcon,  // the setup program's icon, 32 x 32
    CheckMark,  // 36 x 18: normal and disabled image side by side
    Cross,
    Question,
    Door,
    RunGlyph,   // the application's icon as a 28 x 28 16-colour button picture
};

// Colours as 0x00BBGGRR, the layout of a Win32 COLORREF.
constexpr uint32_t Rgb(uint32_t r, uint32_t g, uint32_t b) { return r | (g << 8) | (b << 16); }
constexpr uint32_t kDefaultColor = 0xFFFFFFFFu;  // the window's text colour or the button face
constexpr uint32_t kRed = Rgb(255, 0, 0);
constexpr uint32_t kNavy = Rgb(0, 0, 128);
constexpr uint32_t kAqua = Rgb(0, 255, 255);
constexpr uint32_t kLime = Rgb(0, 255, 0);
constexpr uint32_t kYellow = Rgb(255, 255, 0);

struct Rect {
    int left, top, width, height;
    constexpr int Right() const { return left + width; }
    constexpr int Bottom() const { return top + height; }
};

enum class FontKind : uint8_t {
    Window,      // "MS Sans Serif" 8 point, height -11
    WindowBold,  // the same, bold
    LargeBold,   // "MS Sans Serif" 10 point bold, height -13
};

// The tables give pixels at 96 pixels per inch; a window on a screen of another DPI scales them.
constexpr int kBaseDpi = 96;
// A length of the tables in pixels at dpi, rounded to the nearest.
constexpr int Scale(int px, int dpi) {
    return px >= 0 ? (px * dpi + kBaseDpi / 2) / kBaseDpi : -((-px * dpi + kBaseDpi / 2) / kBaseDpi);
}
// A rectangle of the tables at dpi: its edges scaled, so that what touches or lines up at 96 DPI still does.
constexpr Rect Scale(Rect r, int dpi) {
    const int left = Scale(r.left, dpi), top = Scale(r.top, dpi);
    return {left, top, Scale(r.Right(), dpi) - left, Scale(r.Bottom(), dpi) - top};
}
// The height of a font of the kind at dpi, as a font asks for it (negative: the characters' height).
constexpr int FontHeight(FontKind kind, int dpi) {
    const int points = kind == FontKind::LargeBold ? 10 : 8;
    return -((points * dpi + 36) / 72);
}

struct ControlDef {
    Kind kind;
    const char* name;
    Rect rect;           // left, top, width, height within the page
    const char* text;    // caption or initial text ("" for none)
    uint32_t style;      // style:: marks
    int tabOrder;        // 0.. among the page's focusable controls; -1 for the others
    int handler;         // the owner's handler number (0 = none)
    Picture picture;
    uint32_t textColor;  // labels; kDefaultColor = the window text colour
    uint32_t fillColor;  // shapes, gauge fill; labels: background (kDefaultColor = button face)
    uint32_t lineColor;  // shape outline; gauge background
    int lineWidth;       // shape outline width (0 = none)
    int spacing;         // bit button: pixels between picture and caption
    const char* focus;   // label: the control it names (a screen reader takes the label just before a control
                         // in z-order as its name); null for none
};

struct PageDef {
    const char* name;
    const char* caption;  // tab caption
    FontKind font;        // the page's font; bold labels take its bold variant
    const ControlDef* controls;
    size_t count;
};

constexpr bool SameName(const char* a, const char* b) {
    while (*a && *a == *b) ++a, ++b;
    return *a == *b;
}

// How wide the one-line control named name may grow from its left edge: up to the nearest control that starts to
// its right on an overlapping line, less gap, or else to the page's edge at pageWidth. 0 for a name not on page.
constexpr int RoomRightOf(const PageDef& page, const char* name, int pageWidth, int gap) {
    const ControlDef* row = nullptr;
    for (size_t i = 0; i < page.count; ++i)
        if (SameName(page.controls[i].name, name)) row = &page.controls[i];
    if (!row) return 0;
    const Rect& r = row->rect;
    int limit = pageWidth;
    for (size_t i = 0; i < page.count; ++i) {
        const Rect& o = page.controls[i].rect;
        const bool sameLine = o.top < r.Bottom() && r.top < o.Bottom();
        if (&page.controls[i] != row && sameLine && o.left > r.left && o.left - gap < limit) limit = o.left - gap;
    }
    return limit - r.left;
}

// Row builders, so that a table reads like the form it describes.
constexpr ControlDef Label(const char* name, Rect r, const char* text, uint32_t s = 0,
                           uint32_t textColor = kDefaultColor) {
    return {Kind::Label, name, r, text, s, -1, 0, Picture::None, textColor, kDefaultColor, kDefaultColor, 0, 0,
            nullptr};
}
// A label that names the control called focus; Hidden makes it a name only a screen reader reads.
constexpr ControlDef LabelFor(const char* name, Rect r, const char* text, const char* focus, uint32_t s = 0) {
    return {Kind::Label, name, r, text, s, -1, 0, Picture::None, kDefaultColor, kDefaultColor, kDefaultColor, 0, 0,
            focus};
}
constexpr ControlDef Edit(const char* name, Rect r, int tab, int handler = 0, uint32_t s = 0) {
    return {Kind::Edit, name, r, "", s, tab, handler, Picture::None, kDefaultColor, kDefaultColor,
            kDefaultColor, 0, 0, nullptr};
}
constexpr ControlDef CheckBox(const char* name, Rect r, const char* text, int tab, int handler = 0,
                              uint32_t s = 0) {
    return {Kind::CheckBox, name, r, text, s, tab, handler, Picture::None, kDefaultColor, kDefaultColor,
            kDefaultColor, 0, 0, nullptr};
}
constexpr ControlDef BitBtn(const char* name, Rect r, const char* text, Picture pic, int tab, int handler,
                            int spacing = 4) {
    return {Kind::BitBtn, name, r, text, 0, tab, handler, pic, kDefaultColor, kDefaultColor, kDefaultColor, 0,
            spacing, nullptr};
}
constexpr ControlDef DirList(const char* name, Rect r, int tab, int handler) {
    return {Kind::DirList, name, r, "", 0, tab, handler, Picture::None, kDefaultColor, kDefaultColor,
            kDefaultColor, 0, 0, nullptr};
}
constexpr ControlDef DriveCombo(const char* name, Rect r, int tab, int handler) {
    return {Kind::DriveCombo, name, r, "", 0, tab, handler, Picture::None, kDefaultColor, kDefaultColor,
            kDefaultColor, 0, 0, nullptr};
}
constexpr ControlDef Gauge(const char* name, Rect r, uint32_t fill, uint32_t background) {
    return {Kind::Gauge, name, r, "", 0, -1, 0, Picture::None, kDefaultColor, fill, background, 1, 0, nullptr};
}
constexpr ControlDef Image(const char* name, Rect r, Picture pic) {
    return {Kind::Image, name, r, "", 0, -1, 0, pic, kDefaultColor, kDefaultColor, kDefaultColor, 0, 0, nullptr};
}
constexpr ControlDef Shape(const char* name, Rect r, uint32_t s, uint32_t fill, uint32_t line = kDefaultColor,
                           int lineWidth = 0) {
    return {Kind::Shape, name, r, "", s, -1, 0, Picture::None, kDefaultColor, fill, line, lineWidth, 0, nullptr};
}
constexpr ControlDef Bevel(const char* name, Rect r, uint32_t s) {
    return {Kind::Bevel, name, r, "", s, -1, 0, Picture::None, kDefaultColor, kDefaultColor, kDefaultColor, 0, 0,
            nullptr};
}
constexpr ControlDef Panel(const char* name, Rect r) {
    return {Kind::Panel, name, r, "", 0, -1, 0, Picture::None, kDefaultColor, kDefaultColor, kDefaultColor, 1, 0,
            nullptr};
}

}  // namespace qs::form
