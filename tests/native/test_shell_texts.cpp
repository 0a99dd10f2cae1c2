#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "shell/command_line.h"
#include "shell/help_topics.h"
#include "shell/language_choice.h"
#include "shell/popup_items.h"
#include "shell/storage_folder.h"

namespace {

TEST(CommandLineTest, ArgumentIsTheRestAfterTheProgramName)
{
    struct {
        const char* line;
        const char* argument;
    } cases[] = {
        {"boxsweep.exe /notray", "/notray"},
        {"boxsweep.exe", ""},
        {"boxsweep.exe    /exit", "/exit"},
        {"\"C:\\Program Files\\BoxSweep\\boxsweep.exe\"  /notray", "/notray"},
        {"\"C:\\Program Files\\BoxSweep\\boxsweep.exe\"", ""},
        {"\"C:\\a b\\boxsweep.exe\"/exit", "/exit"},
        // Without its closing quote the whole line is the argument.
        {"\"C:\\a b\\boxsweep.exe /exit", "\"C:\\a b\\boxsweep.exe /exit"},
        // Only spaces separate.
        {"boxsweep.exe\t/exit", ""},
        {"boxsweep.exe /setup /notray", "/setup /notray"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_STREQ(ExtractArgument(c.line), c.argument) << c.line;
}

TEST(CommandLineTest, OnlyAWholeOptionCountsAndCaseIsIgnored)
{
    EXPECT_EQ(ParseStartOption("/notray"), StartOption::NoTray);
    EXPECT_EQ(ParseStartOption("/NOTRAY"), StartOption::NoTray);
    EXPECT_EQ(ParseStartOption("/Setup"), StartOption::Setup);
    EXPECT_EQ(ParseStartOption("/restart"), StartOption::Restart);
    EXPECT_EQ(ParseStartOption("/exit"), StartOption::Exit);
    EXPECT_EQ(ParseStartOption("/nodde"), StartOption::NoDde);
    EXPECT_EQ(ParseStartOption(""), StartOption::None);
    EXPECT_EQ(ParseStartOption("/setup /notray"), StartOption::None);
    EXPECT_EQ(ParseStartOption("/notray "), StartOption::None);
    EXPECT_EQ(ParseStartOption("/exi"), StartOption::None);
    EXPECT_EQ(ParseStartOption("-exit"), StartOption::None);
}

TEST(LanguageChoiceTest, ModuleNameLiesBetweenTheFirstParentheses)
{
    char name[24] = "unchanged";
    EXPECT_TRUE(ModuleNameFromChoice("Nederlands (dutch.dll)", name, sizeof name));
    EXPECT_STREQ(name, "dutch.dll");
    EXPECT_TRUE(ModuleNameFromChoice("Deutsch (boxsweep.exe)", name, sizeof name));
    EXPECT_STREQ(name, "boxsweep.exe");
    EXPECT_TRUE(ModuleNameFromChoice("Svenska (sv (x).dll)", name, sizeof name));
    EXPECT_STREQ(name, "sv (x");

    // Texts that name no file leave the name as it was.
    std::strcpy(name, "dutch.dll");
    EXPECT_FALSE(ModuleNameFromChoice("", name, sizeof name));
    EXPECT_FALSE(ModuleNameFromChoice("Deutsch", name, sizeof name));
    EXPECT_FALSE(ModuleNameFromChoice("Deutsch (boxsweep.exe", name, sizeof name));
    EXPECT_FALSE(ModuleNameFromChoice("Deutsch boxsweep.exe)", name, sizeof name));
    // A shortened name would name another file.
    EXPECT_FALSE(ModuleNameFromChoice("Lang (a-module-name-of-24-chars.dll)", name, sizeof name));
    EXPECT_STREQ(name, "dutch.dll");
    EXPECT_TRUE(ModuleNameFromChoice("Lang (exactly-23-chars-long.d)", name, sizeof name));
    EXPECT_STREQ(name, "exactly-23-chars-long.d");
}

TEST(LanguageChoiceTest, ItemTextRoundTripsToTheFileName)
{
    const std::string item = FormatLanguageItem("Nederlands", "dutch.dll");
    EXPECT_EQ(item, "Nederlands (dutch.dll)");
    char name[24];
    ASSERT_TRUE(ModuleNameFromChoice(item.c_str(), name, sizeof name));
    EXPECT_STREQ(name, "dutch.dll");
}

TEST(LanguageChoiceTest, OnlyNamesThatComeBackWholeAreOffered)
{
    EXPECT_TRUE(IsOfferableModuleName("dutch.dll", 24));
    EXPECT_TRUE(IsOfferableModuleName("exactly-23-chars-long.d", 24));
    EXPECT_FALSE(IsOfferableModuleName("a-module-name-of-24-chars", 24));
    // A browser's second download, and names the list file would split at a space.
    for (const char* name : {"dutch (1).dll", "dutch(1.dll", "dutch)1.dll", "my dutch.dll", "dutch\t.dll"})
        EXPECT_FALSE(IsOfferableModuleName(name, 24)) << name;
}

TEST(LanguageChoiceTest, FirstStartTakesTheModuleOfTheDisplayLanguageWhereItIsThere)
{
    auto all = [](const char*) { return true; };
    auto onlyDutch = [](const char* module) { return std::strcmp(module, "dutch.dll") == 0; };
    struct {
        unsigned displayLanguage;
        bool onlyDutchThere;
        const char* module;
    } cases[] = {
        {0x0409, false, "english.dll"}, {0x0809, false, "english.dll"},  // US and British English
        {0x0413, false, "dutch.dll"},   {0x0813, false, "dutch.dll"},    // Dutch and Flemish
        {0x0407, false, nullptr},       {0x040C, false, nullptr},        // German, French
        {0x0409, true, nullptr},        {0x0413, true, "dutch.dll"},
    };
    for (const auto& c : cases) {
        const char* module = c.onlyDutchThere ? FirstStartModule(c.displayLanguage, onlyDutch)
                                              : FirstStartModule(c.displayLanguage, all);
        EXPECT_STREQ(module, c.module) << std::hex << c.displayLanguage;
    }
}

TEST(HelpTopicsTest, ModulesNameOnlyFilesBesideThemAndUnknownKeywordsOpenTheOverview)
{
    EXPECT_TRUE(IsHelpFileName("BoxSweep-en.chm"));
    EXPECT_TRUE(IsHelpFileName("HILFE.CHM"));
    for (const char* name : {"", ".chm", "BoxSweep-en.hlp", "..\\BoxSweep.chm", "help/BoxSweep.chm",
                             "C:BoxSweep.chm", "BoxSweep.chm:stream.chm"})
        EXPECT_FALSE(IsHelpFileName(name)) << name;

    EXPECT_STREQ(HelpPageFor("OVERVIEW"), "overview.htm");
    EXPECT_EQ(FindHelpTopic("Inhalt"), nullptr);
    EXPECT_STREQ(HelpPageFor("Inhalt"), "overview.htm");
}

TEST(PopupItemsTest, OnlyVisibleTitledWindowsOtherThanTheDesktopAreOffered)
{
    EXPECT_TRUE(IsOfferedWindow(true, "Unbenannt - Editor"));
    EXPECT_FALSE(IsOfferedWindow(false, "Unbenannt - Editor"));
    EXPECT_FALSE(IsOfferedWindow(true, ""));
    EXPECT_FALSE(IsOfferedWindow(true, "Program Manager"));
    EXPECT_TRUE(IsOfferedWindow(true, "program manager"));
    EXPECT_TRUE(IsOfferedWindow(true, "Program Manager 2"));
}

// Every item keeps its window and title until the popup is built again; 16386 to 16404 as always.
TEST(PopupItemsTest, EveryWindowItemKeepsItsWindowUntilThePopupIsBuiltAgain)
{
    WindowItems items;
    for (WindowHandle window = 1; window <= 25; ++window)
        EXPECT_EQ(items.Add(window, std::to_string(window).c_str()), 16385 + window);
    ASSERT_NE(items.Find(16410), nullptr);
    EXPECT_EQ(items.Find(16410)->window, 25u);
    EXPECT_STREQ(items.Find(16410)->title, "25");
    EXPECT_EQ(items.Find(16411), nullptr);
    items.Begin();
    EXPECT_EQ(items.Add(7, "Neu"), 16386u);
    EXPECT_EQ(items.Find(16387), nullptr) << "an item of the last popup";
}

// A title that fits the rule's field is the pattern as it is; a longer one, in any script, keeps
// as many characters as the field holds, the last of them "*".
TEST(PopupItemsTest, ATitleTooLongForTheFieldBecomesAPatternEndingInAnAsterisk)
{
    std::string fits(kTitleChars, 'a');
    std::string cyrillic, emoji;
    for (int i = 0; i < 300; ++i)
        cyrillic += "Д";
    for (int i = 0; i <= kTitleChars; ++i)
        emoji += "\xF0\x9F\x98\x80";
    const struct {
        std::string title;
        std::string pattern;
    } cases[] = {{fits, fits},
                 {fits + "b", std::string(kTitleChars - 1, 'a') + "*"},
                 {cyrillic, cyrillic.substr(0, 2 * (kTitleChars - 1)) + "*"},
                 {emoji, emoji.substr(0, 4 * (kTitleChars - 1)) + "*"}};
    for (const auto& c : cases) {
        char pattern[kTitleCapacity];
        CopyTitleAsPattern(pattern, c.title.c_str());
        EXPECT_EQ(pattern, c.pattern) << c.title.size() << " bytes";
    }
}

}  // namespace

#include "shell/config_layout.h"

namespace {

TEST(ConfigLayoutTest, At96DpiTheOffsetsAreExactlyThoseOfTheTemplate)
{
    const ConfigLayout layout = ComputeConfigLayout(264, 310);
    const int w = 272, h = 336;
    EXPECT_EQ(layout.pageSize.x, w);
    EXPECT_EQ(layout.pageSize.y, h);
    EXPECT_EQ(layout.entriesSize.x, w - 24);
    EXPECT_EQ(layout.entriesSize.y, h - 241);
    EXPECT_EQ(layout.removeAt.x, w - 114);
    EXPECT_EQ(layout.removeAt.y, 41);
    EXPECT_EQ(layout.advancedAt.y, h - 142);
    EXPECT_EQ(layout.moveUpAt.x, 9);
    EXPECT_EQ(layout.moveDownAt.x, 81);
    EXPECT_EQ(layout.moveDownAt.y, h - 142);
    EXPECT_EQ(layout.languageLabelAt.x, 9);
    EXPECT_EQ(layout.languageLabelAt.y, h - 95);
    EXPECT_EQ(layout.languageAt.x, 84);
    EXPECT_EQ(layout.languageAt.y, h - 99);
    EXPECT_EQ(layout.closeAt.y, h - 66);
    EXPECT_EQ(layout.exitAt.x, w - 114);
    EXPECT_EQ(MinimumTrackSize().x, 272);
    EXPECT_EQ(MinimumTrackSize().y, 344);
}

// At 144 DPI everything is half again as large, so the controls keep their distances in
// proportion: the list box ends above the Advanced button, the buttons do not overlap.
TEST(ConfigLayoutTest, At144DpiTheOffsetsScaleAndNothingOverlaps)
{
    EXPECT_EQ(MinimumTrackSize(144).x, 408);
    EXPECT_EQ(MinimumTrackSize(144).y, 516);
    EXPECT_EQ(ScaleForDpi(41, 144), 62);  // 61.5 rounds up
    EXPECT_EQ(ScaleForDpi(-41, 144), -62);
    EXPECT_EQ(ScaleForDpi(41, 120), 51);
    const ConfigLayout at96 = ComputeConfigLayout(264, 310, 96);
    const ConfigLayout at144 = ComputeConfigLayout(396, 465, 144);
    EXPECT_EQ(at144.pageSize.x, 408);
    EXPECT_NEAR(at144.entriesSize.y, at96.entriesSize.y * 1.5, 1.0);
    const int listTop = 54 * 3 / 2;  // roughly where the template puts the list at 144 DPI
    EXPECT_LT(listTop + at144.entriesSize.y, at144.advancedAt.y);
    EXPECT_LT(at144.advancedAt.y, at144.languageAt.y);
    EXPECT_LT(at144.languageAt.y, at144.closeAt.y);
    EXPECT_GT(at144.exitAt.x, at144.closeAt.x + ScaleForDpi(100, 144));
    // The move buttons (69 pixels wide at 96 DPI) stay left of Advanced in its row.
    EXPECT_LT(at144.moveUpAt.x + ScaleForDpi(69, 144), at144.moveDownAt.x);
    EXPECT_LT(at144.moveDownAt.x + ScaleForDpi(69, 144), at144.advancedAt.x);
    EXPECT_EQ(at144.moveDownAt.y, at144.advancedAt.y);
}

}  // namespace

#include <filesystem>
#include <fstream>
#include <sstream>

#include "shell/action_log.h"

namespace {

// A text with a tab or a line break would split its line's seven fields; the last is the button.
TEST(ActionLogTest, EachLineKeepsItsSevenFieldsWhateverTheTitleHolds)
{
    const struct {
        ActionOutcome outcome;
        const char* title;
        const char* line;
    } rows[] = {
        {ActionOutcome::Done, "Speichern?", "T\tdone\t3\teditor.exe\tSpeichern?\tSpeich*\t&Ja\r\n"},
        {ActionOutcome::Refused, "Tab\there", "T\trefused\t3\teditor.exe\tTab here\tSpeich*\t&Ja\r\n"},
        {ActionOutcome::NotAnswering, "Zwei\r\nZeilen\n", "T\tnot-answering\t3\teditor.exe\tZwei  Zeilen \tSpeich*\t&Ja\r\n"},
        {ActionOutcome::Gone, "", "T\tgone\t3\teditor.exe\t\tSpeich*\t&Ja\r\n"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(FormatLogLine(LogEntry{"T", row.outcome, kButtonMessage, "editor.exe", row.title, "Speich*", "&Ja"}),
                  row.line);
    EXPECT_EQ(FormatLogTime(2026, 1, 2, 3, 4, 5), "2026-01-02 03:04:05");
}

// Two files of at most the limit, each in UTF-8 from its byte order mark on: the one that would
// pass the limit becomes the old one, replacing an older one, and a new one begins. So does a log
// an earlier version began in the ANSI code page, before the first new line.
TEST(ActionLogTest, TheFileTurnsOverBeforeItPassesItsLimitOrMixesEncodings)
{
    namespace fs = std::filesystem;
    const fs::path folder = fs::temp_directory_path() / "boxsweep-action-log";
    fs::remove_all(folder);
    fs::create_directories(folder);
    const std::string path = (folder / "BOXSWEEP.LOG").string();
    const std::string old = (folder / "BOXSWEEP.LOG.1").string();
    auto contents = [](const std::string& file) {
        std::ifstream in(file, std::ios::binary);
        std::stringstream bytes;
        bytes << in.rdbuf();
        return bytes.str();
    };
    const std::string earlier = "2025-01-02 03:04:05\tdone\t3\t\tGr\xFC\xDF\tGr\r\n";
    std::ofstream(path, std::ios::binary) << earlier;
    const std::string mark = "\xEF\xBB\xBF";
    const std::string cyrillic = "\xD0\xA4\xD0\xB0\xD0\xB9\xD0\xBB\r\n";  // "Файл"
    const std::string line(40, 'x');
    EXPECT_EQ(AppendLogLine(path.c_str(), old.c_str(), cyrillic, 100), LogAppend::Written);
    EXPECT_EQ(contents(old), earlier);
    EXPECT_EQ(contents(path), mark + cyrillic);
    EXPECT_EQ(AppendLogLine(path.c_str(), old.c_str(), line, 100), LogAppend::Written);
    EXPECT_EQ(AppendLogLine(path.c_str(), old.c_str(), line, 100), LogAppend::Written);
    EXPECT_EQ(AppendLogLine(path.c_str(), old.c_str(), "y", 100), LogAppend::Written) << "94 bytes";
    EXPECT_EQ(AppendLogLine(path.c_str(), old.c_str(), line, 100), LogAppend::Written);
    EXPECT_EQ(contents(old), mark + cyrillic + line + line + "y");
    EXPECT_EQ(contents(path), mark + line);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(AppendLogLine(path.c_str(), old.c_str(), line, 100), LogAppend::Written);
    EXPECT_EQ(contents(old), mark + line + line) << "the older one is replaced";
    EXPECT_EQ(contents(path), mark + line + line);

    // While the full file cannot be turned over, nothing more is appended; the next line that
    // finds the way clear turns it over.
    fs::remove(old);
    fs::create_directories(fs::path(old) / "held");
    EXPECT_EQ(AppendLogLine(path.c_str(), old.c_str(), line, 100), LogAppend::Full);
    EXPECT_EQ(contents(path), mark + line + line);
    fs::remove_all(old);
    EXPECT_EQ(AppendLogLine(path.c_str(), old.c_str(), line, 100), LogAppend::Written);
    EXPECT_EQ(contents(old), mark + line + line);
    fs::remove_all(folder);
}

TEST(ActionLogTest, TheMemoryKeepsTheNewestThousand)
{
    ActionLog log;
    for (int i = 0; i < kLogMemoryEntries + 5; ++i)
        log.Add(LogEntry{std::to_string(i), ActionOutcome::Done, kCloseWindow, "", "", "", ""});
    EXPECT_EQ(log.Count(), kLogMemoryEntries);
    EXPECT_EQ(log.Newest(0).time, std::to_string(kLogMemoryEntries + 4));
    EXPECT_EQ(log.Newest(kLogMemoryEntries - 1).time, "5");
}

// Each row a start: which facts the program found, and where it reads and writes the list.
TEST(StorageFolderTest, TheMarkerOrAFolderThatCannotBeWrittenSendsTheListToTheUser)
{
    constexpr StorageFolder W = StorageFolder::Working, U = StorageFolder::User;
    struct {
        StorageFacts facts;  // marker, working folder writable, user folder ready, lists there
        StorageChoice expected;
        const char* what;
    } cases[] = {
        {{false, true, true, false, true}, {W, W}, "a folder of the user's"},
        {{false, true, true, true, true}, {W, W}, "a list in the user's folder does not pull it away"},
        {{true, true, true, false, false}, {U, U}, "marker, first start"},
        {{true, true, true, false, true}, {W, U}, "marker, the working folder's list moves"},
        {{true, true, true, true, true}, {U, U}, "marker, the moved list is the one read"},
        {{false, false, true, false, true}, {W, U}, "cannot be written, the list moves"},
        {{false, false, true, true, false}, {U, U}, "cannot be written, the user's list"},
        {{true, false, false, false, true}, {W, W}, "no user's folder to go to"},
    };
    for (const auto& c : cases) {
        const StorageChoice choice = ChooseStorage(c.facts);
        EXPECT_EQ(choice.readFrom, c.expected.readFrom) << c.what;
        EXPECT_EQ(choice.writeTo, c.expected.writeTo) << c.what;
    }
}

}  // namespace
