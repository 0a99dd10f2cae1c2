// The font of the controls that show the users' own texts: rule patterns, window titles, the log.
// The dialogs keep their own font, "MS Sans Serif", which has the Latin scripts only; a title in
// Cyrillic, Greek or Chinese would show as boxes there. "MS Shell Dlg" is the system's dialog font
// (Microsoft Sans Serif or Tahoma), which has most scripts and borrows the rest through the
// system's font links.
#include <windows.h>

#include <vector>

#include "shell/win32_app.h"

namespace {

// The fonts made so far, one per height; they live as long as the program.
class TextFonts {
public:
    ~TextFonts()
    {
        for (HFONT font : fonts_)
            DeleteObject(font);
    }

    HFONT Like(HFONT dialogFont)
    {
        LOGFONTA shape{};
        if (dialogFont == nullptr || GetObjectA(dialogFont, sizeof shape, &shape) == 0)
            return nullptr;
        for (HFONT font : fonts_) {
            LOGFONTA known{};
            if (GetObjectA(font, sizeof known, &known) != 0 && known.lfHeight == shape.lfHeight)
                return font;
        }
        shape.lfCharSet = DEFAULT_CHARSET;
        lstrcpynA(shape.lfFaceName, "MS Shell Dlg", LF_FACESIZE);
        HFONT font = CreateFontIndirectA(&shape);
        if (font != nullptr)
            fonts_.push_back(font);
        return font;
    }

private:
    std::vector<HFONT> fonts_;
};

TextFonts g_textFonts;

}  // namespace

void UseTextFont(HWND dialog, std::initializer_list<int> controls)
{
    HFONT font = g_textFonts.Like(reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0)));
    if (font == nullptr)
        return;
    for (int id : controls) {
        if (HWND control = GetDlgItem(dialog, id))
            SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
}
