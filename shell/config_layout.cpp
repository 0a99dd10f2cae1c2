#include "shell/config_layout.h"

int32_t ScaleForDpi(int32_t pixels, uint32_t dpi)
{
    if (dpi == 0 || dpi == kDefaultDpi)
        return pixels;
    const int64_t scaled = static_cast<int64_t>(pixels) * dpi;
    const int64_t half = kDefaultDpi / 2;
    return static_cast<int32_t>(scaled >= 0 ? (scaled + half) / kDefaultDpi : -((-scaled + half) / kDefaultDpi));
}

ConfigLayout ComputeConfigLayout(int32_t clientWidth, int32_t clientHeight, uint32_t dpi)
{
    auto s = [dpi](int32_t pixels) { return ScaleForDpi(pixels, dpi); };
    const int32_t w = clientWidth + s(8);
    const int32_t h = clientHeight + s(26);
    ConfigLayout layout{};
    layout.pageSize = {w, h};
    layout.entriesSize = {w - s(24), h - s(241)};
    layout.removeAt = {w - s(114), s(41)};
    layout.moveUpAt = {s(9), h - s(142)};
    layout.moveDownAt = {s(81), h - s(142)};
    layout.advancedAt = {w - s(114), h - s(142)};
    layout.languageLabelAt = {s(9), h - s(95)};
    layout.languageAt = {s(84), h - s(99)};
    layout.closeAt = {s(9), h - s(66)};
    layout.exitAt = {w - s(114), h - s(66)};
    return layout;
}

LayoutPoint MinimumTrackSize(uint32_t dpi)
{
    return {ScaleForDpi(kMinTrackWidth, dpi), ScaleForDpi(kMinTrackHeight, dpi)};
}
