#include "shell/config_layout.h"

ConfigLayout ComputeConfigLayout(int32_t clientWidth, int32_t clientHeight)
{
    const int32_t w = clientWidth + 8;
    const int32_t h = clientHeight + 26;
    ConfigLayout layout{};
    layout.pageSize = {w, h};
    layout.entriesSize = {w - 24, h - 241};
    layout.removeAt = {w - 114, 41};
    layout.advancedAt = {w - 114, h - 142};
    layout.languageLabelAt = {9, h - 95};
    layout.languageAt = {84, h - 99};
    layout.closeAt = {9, h - 66};
    layout.exitAt = {w - 114, h - 66};
    return layout;
}
