// Where the configuration page's controls go when the main window is resized. Pixel values,
// relative to the page, given for 96 DPI and scaled to the window's DPI. Platform-neutral so
// that it is tested natively.
#pragma once

#include <cstdint>

constexpr int32_t kMinTrackWidth = 272;
constexpr int32_t kMinTrackHeight = 344;
constexpr uint32_t kDefaultDpi = 96;

// pixels at 96 DPI, rounded to the nearest pixel at dpi.
int32_t ScaleForDpi(int32_t pixels, uint32_t dpi);

struct LayoutPoint {
    int32_t x;
    int32_t y;
};

struct ConfigLayout {
    LayoutPoint pageSize;      // the page itself
    LayoutPoint entriesSize;   // list box 102
    LayoutPoint removeAt;      // button 112
    LayoutPoint moveUpAt;      // button 117, left of 502 in its row
    LayoutPoint moveDownAt;    // button 118
    LayoutPoint advancedAt;    // button 502
    LayoutPoint languageLabelAt;  // label 104
    LayoutPoint languageAt;    // drop-down 105
    LayoutPoint closeAt;       // button 1
    LayoutPoint exitAt;        // button 101
};

// The page reaches past the client area (it sits above its top edge and its frame is wider),
// hence the added 8 and 26.
ConfigLayout ComputeConfigLayout(int32_t clientWidth, int32_t clientHeight, uint32_t dpi = kDefaultDpi);

// The smallest size the main window may be dragged to.
LayoutPoint MinimumTrackSize(uint32_t dpi = kDefaultDpi);
