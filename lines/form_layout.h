// Where each control of the main window sits, in pixels of its client area
// at 96 dpi with a 12 px font, and the window's own size.
#pragma once

#include <array>
#include <string_view>

namespace numerlo::layout {

struct Placement {
    std::string_view name;  // the control's object name
    int left;
    int top;
    int width;
    int height;
};

inline constexpr std::array<Placement, 12> kControls = {{
    {"Memo1", 8, 8, 49, 137},
    {"Memo2", 64, 8, 137, 137},
    {"Label1", 16, 152, 35, 16},
    {"Label2", 72, 152, 124, 16},
    {"Button1", 8, 176, 89, 25},
    {"Button2", 104, 176, 89, 25},
    {"Button3", 8, 208, 89, 25},
    {"Button4", 104, 208, 89, 25},
    {"Button5", 8, 240, 89, 25},
    {"Memo3", 216, 8, 345, 257},
    {"Label3", 8, 272, 553, 16},
    {"Label4", 240, 304, 316, 12},
}};

// The window is 573 x 348 with its frame. The frame it was drawn with (4 px
// sizing borders, a 19 px caption) leaves this client area: 4 px right of the
// widest control and 5 px below the notice line. A Linux window manager adds
// its own frame around it.
inline constexpr int kOuterWidth = 573;
inline constexpr int kOuterHeight = 348;
inline constexpr int kClientWidth = 565;
inline constexpr int kClientHeight = 321;

// Font heights in pixels at 96 dpi.
inline constexpr int kWindowFontPixels = 12;
inline constexpr int kCaptionFontPixels = 16;  // Label1..Label3
inline constexpr int kNoticeFontPixels = 12;   // Label4

}  // namespace numerlo::layout
