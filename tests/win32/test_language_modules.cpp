// A language module must carry every string, the menu and every dialog the program asks it for,
// with the same ids and control kinds as the built-in German set: the program addresses controls
// by id and never checks that they exist. Only captions and layout may differ. These tests read
// boxsweep.exe, dutch.dll and english.dll from the top of the build tree as data files and compare
// each module with the built-in set.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "program_process.h"
#include "resources/resource_ids.h"
#include "shell/help_topics.h"

namespace {

struct Module {
    const char* name;
    HMODULE handle;
};

struct Control {
    int id;
    std::string kind;  // class and the style bits the program relies on
    std::wstring text; // caption; empty when the template gives an ordinal or nothing
    DWORD style;
};

struct Dialog {
    bool found = false;
    DWORD style = 0;
    int x = 0, y = 0, cx = 0, cy = 0;
    int pointSize = 0;
    std::wstring font;
    std::vector<Control> controls;
};

std::string Utf8(const std::wstring& text)
{
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string result(size > 0 ? size - 1 : 0, '\0');
    if (size > 1)
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, result.data(), size, nullptr, nullptr);
    return result;
}

// Walks a dialog template. Both layouts occur: windres writes DLGTEMPLATE for DIALOG and
// DLGTEMPLATEEX for DIALOGEX. Fields are WORD aligned, items DWORD aligned to the template start.
class TemplateReader {
public:
    explicit TemplateReader(const BYTE* data) : start_(data), at_(data) {}

    WORD Word()
    {
        WORD value;
        std::memcpy(&value, at_, sizeof value);
        at_ += sizeof value;
        return value;
    }
    DWORD Dword()
    {
        DWORD value;
        std::memcpy(&value, at_, sizeof value);
        at_ += sizeof value;
        return value;
    }
    short Short() { return static_cast<short>(Word()); }
    void Skip(size_t bytes) { at_ += bytes; }
    void AlignToDword() { at_ += (4 - (at_ - start_) % 4) % 4; }

    // A zero-terminated UTF-16 string, or 0xFFFF and an ordinal (then *ordinal is set).
    std::wstring Name(int* ordinal = nullptr)
    {
        std::wstring text;
        WORD first = Word();
        if (first == 0xFFFF) {
            const WORD value = Word();
            if (ordinal != nullptr)
                *ordinal = value;
            return text;
        }
        for (; first != 0; first = Word())
            text.push_back(static_cast<wchar_t>(first));
        return text;
    }

private:
    const BYTE* start_;
    const BYTE* at_;
};

std::string ClassName(const std::wstring& name, int ordinal)
{
    switch (ordinal) {
    case 0x80: return "button";
    case 0x81: return "edit";
    case 0x82: return "static";
    case 0x83: return "listbox";
    case 0x84: return "scrollbar";
    case 0x85: return "combobox";
    default: break;
    }
    std::string lowered = Utf8(name);
    std::transform(lowered.begin(), lowered.end(), lowered.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lowered;
}

// What makes two controls with one id different controls for the program: a push button is
// not a radio button, a sorted list is not the list in enumeration order, a field that starts
// disabled must start disabled in every language. Alignment and scrolling are layout.
std::string KindOf(const std::string& cls, DWORD style)
{
    std::string kind = cls;
    if (cls == "button") {
        kind += "/";
        kind += std::to_string(style & BS_TYPEMASK);
    } else if (cls == "static") {
        const DWORD type = style & SS_TYPEMASK;
        kind += type == SS_ICON         ? "/icon"
                : type == SS_ETCHEDHORZ ? "/rule"
                : type <= SS_RIGHT      ? "/label"
                                        : "/other";
    } else if (cls == "edit") {
        kind += (style & ES_MULTILINE) ? "/multiline" : "";
        kind += (style & ES_READONLY) ? "/readonly" : "";
        kind += (style & ES_NUMBER) ? "/number" : "";
    } else if (cls == "combobox") {
        kind += "/";
        kind += std::to_string(style & 3);
        kind += (style & CBS_SORT) ? "/sorted" : "";
    } else if (cls == "listbox") {
        kind += (style & LBS_SORT) ? "/sorted" : "";
        kind += (style & LBS_NOTIFY) ? "/notify" : "";
    }
    if (style & WS_DISABLED)
        kind += " disabled";
    return kind;
}

Dialog ReadDialog(HMODULE module, int id)
{
    Dialog dialog;
    HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(5) /* RT_DIALOG */);
    HGLOBAL loaded = resource != nullptr ? LoadResource(module, resource) : nullptr;
    const BYTE* data = loaded != nullptr ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
    if (data == nullptr)
        return dialog;
    dialog.found = true;

    TemplateReader in(data);
    const bool extended = reinterpret_cast<const WORD*>(data)[1] == 0xFFFF;
    WORD count;
    if (extended) {
        in.Skip(4 + 4 + 4); // version and signature, help id, extended style
        dialog.style = in.Dword();
    } else {
        dialog.style = in.Dword();
        in.Skip(4); // extended style
    }
    count = in.Word();
    dialog.x = in.Short();
    dialog.y = in.Short();
    dialog.cx = in.Short();
    dialog.cy = in.Short();
    in.Name(); // menu
    in.Name(); // class
    in.Name(); // caption
    if (dialog.style & DS_SETFONT) {
        dialog.pointSize = in.Word();
        if (extended)
            in.Skip(2 + 1 + 1); // weight, italic, character set
        dialog.font = in.Name();
    }

    for (WORD i = 0; i < count; ++i) {
        in.AlignToDword();
        Control control;
        if (extended) {
            in.Skip(4 + 4); // help id, extended style
            control.style = in.Dword();
        } else {
            control.style = in.Dword();
            in.Skip(4); // extended style
        }
        in.Skip(4 * 2); // x, y, cx, cy
        control.id = extended ? static_cast<int>(in.Dword()) : static_cast<int>(in.Short());
        int classOrdinal = 0;
        const std::wstring cls = in.Name(&classOrdinal);
        control.text = in.Name();
        in.Skip(in.Word()); // creation data
        control.kind = KindOf(ClassName(cls, classOrdinal), control.style);
        dialog.controls.push_back(control);
    }
    return dialog;
}

std::string LoadText(HMODULE module, int id)
{
    wchar_t buffer[1024];
    const int length = LoadStringW(module, id, buffer, sizeof buffer / sizeof buffer[0]);
    return Utf8(std::wstring(buffer, length > 0 ? length : 0));
}

// The menu as nested brackets of command ids, "-" for a separator.
std::string DescribeMenu(HMENU menu)
{
    std::string text = "[";
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        MENUITEMINFOW item = {};
        item.cbSize = sizeof item;
        item.fMask = MIIM_FTYPE | MIIM_ID | MIIM_SUBMENU;
        GetMenuItemInfoW(menu, i, TRUE, &item);
        if (i > 0)
            text += ",";
        if (item.hSubMenu != nullptr)
            text += DescribeMenu(item.hSubMenu);
        else if (item.fType & MFT_SEPARATOR)
            text += "-";
        else
            text += std::to_string(item.wID);
    }
    return text + "]";
}

wchar_t AccessKey(const std::wstring& text)
{
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != L'&')
            continue;
        if (text[i + 1] == L'&') {
            ++i;
            continue;
        }
        wchar_t key = text[i + 1];
        CharLowerBuffW(&key, 1);
        return key;
    }
    return 0;
}

// A label or a group box: its access key moves the focus on instead of acting itself.
bool IsLabel(const Control& control)
{
    if (control.kind.rfind("static/label", 0) == 0)
        return !(control.style & SS_NOPREFIX);
    return control.kind.rfind("button/7", 0) == 0; // BS_GROUPBOX
}

bool IsFocusable(const Control& control)
{
    const std::string& kind = control.kind;
    if (kind.rfind("button/", 0) == 0)
        return !IsLabel(control);
    if (kind.rfind("edit", 0) == 0 || kind.rfind("listbox", 0) == 0 || kind.rfind("combobox", 0) == 0)
        return true;
    return kind.rfind("static", 0) != 0 && (control.style & WS_TABSTOP);
}

// Access keys that two controls of one dialog share. A key counts on a control that takes the
// focus, and on a label or group box whose key moves the focus on to such a control: the next
// control in the template that is not a label itself. Returned as "DIALOG 'key': id id ...".
std::vector<std::string> SharedAccessKeys(int dialogId, const Dialog& dialog)
{
    std::vector<std::pair<wchar_t, int>> keys;
    const auto& controls = dialog.controls;
    for (size_t i = 0; i < controls.size(); ++i) {
        const wchar_t key = AccessKey(controls[i].text);
        if (key == 0)
            continue;
        bool counts = IsFocusable(controls[i]);
        if (IsLabel(controls[i])) {
            size_t next = i + 1;
            while (next < controls.size() && IsLabel(controls[next]))
                ++next;
            counts = next < controls.size() && IsFocusable(controls[next]);
        }
        if (counts)
            keys.emplace_back(key, controls[i].id);
    }
    std::sort(keys.begin(), keys.end());
    std::vector<std::string> shared;
    for (size_t i = 0; i < keys.size();) {
        size_t end = i;
        std::string ids;
        while (end < keys.size() && keys[end].first == keys[i].first) {
            ids += " ";
            ids += std::to_string(keys[end++].second);
        }
        if (end - i > 1)
            shared.push_back(std::to_string(dialogId) + " '" + Utf8(std::wstring(1, keys[i].first)) + "':" +
                             ids);
        i = end;
    }
    return shared;
}

struct DialogShape {
    int id;
    int cx, cy;
    const wchar_t* font;
};

constexpr const wchar_t* kPageFont = L"MS Sans Serif";
const DialogShape kLanguageDialogs[] = {
    {IDD_ABOUT, 231, 140, L"Helv"},
    {IDD_EDITOR, 180, 265, L"Helv"},
    {IDD_CONFIG, 180, 195, L"Helv"},
    {IDD_WIZARD_START, 317, 179, kPageFont},
    {IDD_WIZARD_BUTTON_TEXTS, 317, 179, kPageFont},
    {IDD_WIZARD_BUTTON_METHOD, 317, 179, kPageFont},
    {IDD_WIZARD_BUTTON_FINISH, 317, 179, kPageFont},
    {IDD_WIZARD_WINDOW_TITLE, 317, 179, kPageFont},
    {IDD_WIZARD_WINDOW_ACTION, 317, 179, kPageFont},
    {IDD_WIZARD_WINDOW_FINISH, 317, 179, kPageFont},
    {IDD_LOG, 400, 170, L"Helv"},
    {IDD_TESTER, 440, 170, L"Helv"},
};

const int kStringIds[] = {0,  1,  2,  4,  5,  6,  7,  8,  9,  10, 11, 12, 16, 17, 18, 19, 20, 21, 22, 23,
                          24, 25, 26, 27, 28, 30, 31, 32, 33, 34, 35, 36, 37, 38, 39, 40, 41, 42, 43, 50, 51,
                          52, 53, 54, 55, 60, 61, 62, 70, 71, 72, 73, 74, 75, 76, 77, 78, 79, 80, 81, 82, 83,
                          84, 85, 86};

class LanguageModules : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        char path[MAX_PATH];
        GetModuleFileNameA(nullptr, path, MAX_PATH);
        top_ = path;
        top_.erase(top_.find_last_of("\\/") + 1);
        top_ += "..\\..\\"; // tests/win32 below the top of the build tree
        for (Module& module : modules_) {
            module.handle = LoadModuleAsData(top_ + module.name);
        }
    }
    static void TearDownTestSuite()
    {
        for (Module& module : modules_) {
            if (module.handle != nullptr)
                FreeLibrary(module.handle);
            module.handle = nullptr;
        }
    }
    void SetUp() override
    {
        for (const Module& module : modules_)
            ASSERT_NE(module.handle, nullptr) << module.name << " does not load";
    }

    static Module modules_[3];
    static std::string top_;
};

std::string LanguageModules::top_;

// The built-in set first: the others are compared with it.
Module LanguageModules::modules_[3] = {
    {"boxsweep.exe", nullptr}, {"dutch.dll", nullptr}, {"english.dll", nullptr}};

TEST_F(LanguageModules, EveryStringIsThereAndKeepsItsPlaceholders)
{
    for (const Module& module : modules_) {
        for (int id : kStringIds)
            EXPECT_FALSE(LoadText(module.handle, id).empty()) << module.name << " string " << id;

        // The summaries are formatted with four and two texts, the notices and the help messages
        // with a file name; a translation that drops or adds a conversion would lose a text or
        // read past the arguments.
        for (auto [id, conversions] :
             {std::pair{IDS_SUMMARY_BUTTON, "ssss"}, std::pair{IDS_SUMMARY_WINDOW, "ss"},
              std::pair{IDS_LIST_UNREADABLE, ""}, std::pair{IDS_LIST_FROM_FALLBACK, "ss"},
              std::pair{IDS_FALLBACK_NEWER, "ss"}, std::pair{IDS_SAVED_TO_FALLBACK, "s"},
              std::pair{IDS_NOT_SAVED, ""}, std::pair{IDS_LIST_NOT_A_LIST, ""},
              std::pair{IDS_LIST_NOT_A_LIST_FROM_FALLBACK, "ss"}, std::pair{IDS_REFUSED_BALLOON, ""},
              std::pair{IDS_LOG_UNWRITABLE, "s"}, std::pair{IDS_HELP_MISSING, "s"},
              std::pair{IDS_HELP_FAILED, "s"}, std::pair{IDS_PAUSED_TIP, "s"},
              std::pair{IDS_LIST_OPTIONS_DAMAGED, "s"}, std::pair{IDS_MANAGED_PREFIX, ""},
              std::pair{IDS_MANAGED_UNREADABLE, "s"}, std::pair{IDS_MANAGED_DAMAGED, "s"},
              std::pair{IDS_TESTER_HEADER, "s"}, std::pair{IDS_TESTER_PRESSES, "sss"},
              std::pair{IDS_TESTER_ACTS, "s"}, std::pair{IDS_TESTER_AFTER_DELAY, "s"},
              std::pair{IDS_TESTER_EARLIER_RULE, "s"}}) {
            const std::string text = LoadText(module.handle, id);
            std::string found;
            for (size_t at = text.find('%'); at != std::string::npos && at + 1 < text.size();
                 at = text.find('%', at + 2))
                found += text[at + 1];
            EXPECT_EQ(found, conversions) << module.name << " string " << id;
        }
    }
}

// A module and its help travel together: the help file it names lies beside it and holds the
// page that its help keyword opens. A compiled help file lists its pages' paths as plain text.
TEST_F(LanguageModules, HelpFileHoldsThePageOfTheHelpKeyword)
{
    if (!HELP_BUILT)
        GTEST_SKIP() << "chmcmd was not found when the tree was configured: no help files were built";
    for (const Module& module : modules_) {
        SCOPED_TRACE(module.name);
        char keyword[23] = "";
        char file[64] = "";
        LoadStringA(module.handle, IDS_HELP_KEYWORD, keyword, sizeof keyword);
        LoadStringA(module.handle, IDS_HELP_FILE, file, sizeof file);
        const HelpTopic* topic = FindHelpTopic(keyword);
        ASSERT_NE(topic, nullptr) << "no help page for the keyword " << keyword;
        ASSERT_TRUE(IsHelpFileName(file)) << file;
        const std::string help = ReadBytes(top_ + file);
        ASSERT_FALSE(help.empty()) << file << " was not built";
        EXPECT_NE(help.find(std::string("/") + topic->page), std::string::npos)
            << file << " lacks " << topic->page;
    }
}

TEST_F(LanguageModules, PopupMenuHasTheSameCommandsInTheSameStructure)
{
    const std::string expected = "[[1001,1002,[1007,-,1008,1009,1010],-,[16385],-,1006,1003,1004,-,0,1005]]";
    for (const Module& module : modules_) {
        HMENU menu = LoadMenuW(module.handle, MAKEINTRESOURCEW(IDM_POPUP));
        ASSERT_NE(menu, nullptr) << module.name << " has no menu " << IDM_POPUP;
        EXPECT_EQ(DescribeMenu(menu), expected) << module.name;
        DestroyMenu(menu);
    }
}

TEST_F(LanguageModules, DialogsHaveTheSameControlsInEveryModule)
{
    auto controls = [](const Dialog& dialog) {
        std::vector<std::pair<int, std::string>> list;
        for (const Control& control : dialog.controls)
            list.emplace_back(control.id, control.kind);
        std::sort(list.begin(), list.end());
        return list;
    };
    for (const DialogShape& shape : kLanguageDialogs) {
        const Dialog german = ReadDialog(modules_[0].handle, shape.id);
        ASSERT_TRUE(german.found) << "dialog " << shape.id << " missing in boxsweep.exe";
        for (const Module& module : modules_) {
            SCOPED_TRACE(std::string(module.name) + " dialog " + std::to_string(shape.id));
            const Dialog translated = ReadDialog(module.handle, shape.id);
            ASSERT_TRUE(translated.found);
            EXPECT_EQ(controls(german), controls(translated));
            const DWORD frame = WS_CHILD | WS_POPUP | WS_CAPTION | WS_SYSMENU;
            EXPECT_EQ(german.style & frame, translated.style & frame);
        }
    }
}

TEST_F(LanguageModules, DialogsKeepTheirSizeAndFont)
{
    for (const Module& module : modules_) {
        for (const DialogShape& shape : kLanguageDialogs) {
            const Dialog dialog = ReadDialog(module.handle, shape.id);
            ASSERT_TRUE(dialog.found) << module.name << " dialog " << shape.id;
            EXPECT_EQ(dialog.cx, shape.cx) << module.name << " dialog " << shape.id;
            EXPECT_EQ(dialog.cy, shape.cy) << module.name << " dialog " << shape.id;
            EXPECT_EQ(dialog.pointSize, 8) << module.name << " dialog " << shape.id;
            EXPECT_EQ(Utf8(dialog.font), Utf8(shape.font)) << module.name << " dialog " << shape.id;
        }
        // The configuration page hides its top band under the main window's edge.
        const Dialog page = ReadDialog(module.handle, IDD_CONFIG);
        EXPECT_EQ(page.x, 0) << module.name;
        EXPECT_EQ(page.y, -13) << module.name;
    }
    const Dialog setup = ReadDialog(modules_[0].handle, IDD_SETUP);
    ASSERT_TRUE(setup.found);
    EXPECT_EQ(setup.cx, 180);
    EXPECT_EQ(setup.cy, 103);
    EXPECT_EQ(Utf8(setup.font), "MS Sans Serif");
    EXPECT_EQ(setup.style & WS_SYSMENU, 0u) << "the setup dialog has no close box";
}

// Captions that share a key today: there Alt+key only moves the focus between the controls
// instead of pressing the button or ticking the box. Listed so that a new collision fails the
// test, and so does one that is fixed without being taken off the list.
TEST_F(LanguageModules, AccessKeysAreNotSharedWithinADialog)
{
    // "&Testen" takes the T that "&Text erfassen" and the Dutch "&Titel" already have.
    const std::vector<std::string> known[3] = {
        {"500 'b': 513 521", "500 'k': 504 507", "500 't': 511 528", "501 'a': 104 113"},
        {"500 't': 518 528", "501 'a': 101 104"},
        {},
    };
    for (int m = 0; m < 3; ++m) {
        std::vector<std::string> shared;
        for (const DialogShape& shape : kLanguageDialogs) {
            const Dialog dialog = ReadDialog(modules_[m].handle, shape.id);
            for (const std::string& collision : SharedAccessKeys(shape.id, dialog))
                shared.push_back(collision);
        }
        std::sort(shared.begin(), shared.end());
        EXPECT_EQ(shared, known[m]) << modules_[m].name;
    }
}


// The manifest of each build must name that build's own processor architecture: Windows refuses
// side-by-side activation of an x64 program whose manifest says x86 (Wine does not mind, so only
// a look at the resource shows it). Checked for this build's program and the other build's.
std::string ManifestOf(const std::string& program)
{
    HMODULE module = LoadModuleAsData(program);
    if (module == nullptr)
        return "";
    std::string text;
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    if (found != nullptr) {
        const char* bytes = static_cast<const char*>(LockResource(LoadResource(module, found)));
        text.assign(bytes, SizeofResource(module, found));
    }
    FreeLibrary(module);
    return text;
}

// The machine field of the program's PE header: 0x8664 for x64, 0x14c for x86.
WORD MachineOf(const std::string& program)
{
    std::string bytes = ReadBytes(program);
    if (bytes.size() < 0x40)
        return 0;
    DWORD peOffset = 0;
    std::memcpy(&peOffset, bytes.data() + 0x3c, sizeof peOffset);
    WORD machine = 0;
    if (peOffset + 6 <= bytes.size())
        std::memcpy(&machine, bytes.data() + peOffset + 4, sizeof machine);
    return machine;
}

TEST(Manifest, NamesTheArchitectureOfEachBuild)
{
    const struct {
        std::string program;
        std::string arch;
    } builds[] = {{ProgramPath(), OWN_ARCH}, {OtherArchProgramPath(), OTHER_ARCH}};
    for (const auto& build : builds) {
        SCOPED_TRACE(build.program);
        const std::string manifest = ManifestOf(build.program);
        ASSERT_FALSE(manifest.empty()) << "no manifest: build the other architecture first (tools/test.sh does)";
        EXPECT_EQ(MachineOf(build.program), build.arch == "amd64" ? 0x8664 : 0x14c);
        // Both the program's identity and the common-controls dependency carry it.
        const std::regex attribute("processorArchitecture=\"([^\"]*)\"");
        std::vector<std::string> named;
        for (auto it = std::sregex_iterator(manifest.begin(), manifest.end(), attribute);
             it != std::sregex_iterator(); ++it)
            named.push_back((*it)[1]);
        EXPECT_EQ(named, (std::vector<std::string>{build.arch, build.arch}));
    }
}

}  // namespace
