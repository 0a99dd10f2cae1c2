#include <gtest/gtest.h>

#include <fcntl.h>
#ifdef _WIN32
#include <io.h>
#include <share.h>
#include <windows.h>
#endif

#include <chrono>
#include <climits>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "rules/list_file.h"
#include "shell/disk_writer.h"

namespace {

namespace fs = std::filesystem;

// A folder of its own per test, removed afterwards.
class ListFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder_ = fs::temp_directory_path() / (std::string("boxsweep-") + info->name());
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    std::string PathOf(const char* name) const { return (folder_ / name).string(); }
    std::string ListPath() const { return PathOf(kListFileName); }

    void Write(const std::string& path, const std::string& bytes) const
    {
        std::ofstream out(path, std::ios::binary);
        out << bytes;
    }
    std::string Read(const std::string& path) const
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    fs::path folder_;
};

Settings NoSettings()
{
    return Settings{};
}

void AddEntry(EntryList& list, const char* title, const char* button, const char* message, int32_t condition,
              int32_t method, int32_t clicks)
{
    ListEntry& entry = list.AppendAtTail()->entry;
    CopyText(entry.title, kTitleCapacity, title);
    CopyText(entry.button, kButtonCapacity, button);
    CopyText(entry.message, kMessageCapacity, message);
    entry.condition = static_cast<ClickCondition>(condition);
    entry.method = static_cast<ClickMethod>(method);
    entry.clicks = clicks;
}

// The bytes of text in UTF-16 after its byte order mark.
std::string Utf16Bytes(std::u16string_view text, bool bigEndian)
{
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char16_t unit : text) {
        const char high = static_cast<char>(unit >> 8);
        const char low = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    }
    return bytes;
}

const char kTwoRules[] =
    "1.63\r\n"
    "Fehler\r\n&OK\r\n\r\n1\r\n3\r\n12\r\n"
    "*Speichern*\r\n&Nein\r\n*\xe4nderungen*\r\n2\r\n9\r\n-4\r\n"
    "end of list\r\n"
    "0\r\n250\r\ndutch.dll\r\n3\r\n"
    "-1280,-20,-900,400,3";

TEST_F(ListFileTest, WritesTheFormatByteForByteAndReadsItBack)
{
    EntryList list;
    AddEntry(list, "Fehler", "&OK", "", 1, 3, 12);
    // The texts are UTF-8; every character has its place in Windows-1252, so the file is in that.
    AddEntry(list, "*Speichern*", "&Nein", "*\xC3\xA4nderungen*", 2, 9, -4);  // method beyond the named
    Settings settings = NoSettings();
    settings.active = 0;
    settings.scanInterval = 250;
    CopyText(settings.language, kLanguageCapacity, "dutch.dll");
    settings.reservedValue = 3;
    settings.normalLeft = -1280;  // a monitor left of the primary one
    settings.normalTop = -20;
    settings.normalRight = -900;
    settings.normalBottom = 400;
    settings.showCommand = 3;
    ListFileState state{};
    ASSERT_EQ(SaveList(ListPath().c_str(), list, settings, state), SaveOutcome::ListFile);
    EXPECT_EQ(Read(ListPath()), kTwoRules);
    EXPECT_FALSE(fs::exists(ListPath() + ".new"));

    EntryList loaded;
    Settings back = NoSettings();
    EXPECT_EQ(LoadList(ListPath().c_str(), loaded, back, state), LoadOutcome::Complete);
    EXPECT_FALSE(state.backupPending);
    EXPECT_EQ(FormatList(loaded, back), kTwoRules);
    ASSERT_EQ(loaded.Count(), 2);
    EXPECT_EQ(loaded.Tail(), loaded.NodeAt(2));
    EXPECT_STREQ(loaded.NodeAt(1)->entry.message, "");
    EXPECT_EQ(loaded.NodeAt(2)->entry.method, 9);
    EXPECT_EQ(back.normalLeft, -1280);
    EXPECT_EQ(back.showCommand, 3);
}

// An empty file holds nothing to keep: it is treated as a missing one.
TEST_F(ListFileTest, MissingOrEmptyFileIsCreatedWithTheDefaults)
{
    EntryList list;
    Settings settings = NoSettings();
    ListFileState state{};
    for (bool empty : {false, true}) {
        if (empty)
            Write(ListPath(), "");
        settings = NoSettings();
        EXPECT_EQ(LoadList(ListPath().c_str(), list, settings, state), LoadOutcome::Created);
        EXPECT_EQ(Read(ListPath()), "1.63\r\nend of list\r\n1\r\n1000\r\nboxsweep.exe\r\n3\r\n");
        EXPECT_FALSE(state.backupPending);
        EXPECT_EQ(list.Count(), 0);
        EXPECT_EQ(settings.active, 1);
        EXPECT_EQ(settings.scanInterval, 1000);
        EXPECT_STREQ(settings.language, "boxsweep.exe");
        EXPECT_EQ(settings.reservedValue, 3);
    }

    // Read again, the created file is complete and leaves the placement at zero.
    Settings again = NoSettings();
    EXPECT_EQ(LoadList(ListPath().c_str(), list, again, state), LoadOutcome::Complete);
    EXPECT_EQ(again.scanInterval, 1000);
    EXPECT_EQ(again.normalRight, 0);
    EXPECT_EQ(again.showCommand, 0);
}

struct ParseCase {
    const char* name;
    const char* bytes;
    LoadOutcome outcome;
    const char* expected;  // FormatList of what was read
};

// What the zero-filled settings and an empty list are written as.
const char kNothingRead[] = "1.63\r\nend of list\r\n0\r\n0\r\nboxsweep.exe\r\n0\r\n0,0,0,0,0";

// Settings start zero-filled, as before a load; the expected text shows every field read.
const ParseCase kParseCases[] = {
    {"old format", "Fehler;OK\r\nend of list\r\n1\r\n500\r\nboxsweep.exe\r\n", LoadOutcome::Converted,
     "1.63\r\nFehler\r\nOK\r\n\r\n1\r\n3\r\n0\r\nend of list\r\n1\r\n500\r\nboxsweep.exe\r\n3\r\n0,0,0,0,0"},
    {"old format, runs of semicolons and lines without pieces",
     ";;Frage;;&Ja;Rest\r\n;;;\r\n\r\nNur Titel\r\nend of list\r\n1\r\n500\r\nx.dll\r\n",
     LoadOutcome::Converted,
     "1.63\r\nFrage\r\n&Ja\r\n\r\n1\r\n3\r\n0\r\nNur Titel\r\n\r\n\r\n1\r\n3\r\n0\r\n"
     "end of list\r\n1\r\n500\r\nx.dll\r\n3\r\n0,0,0,0,0"},
    // The matcher folds A to Z: the capital E keeps the rule's windows, where "end of list*" would
    // add one titled "end of list*".
    {"old-format title end of list", "end of list;OK\r\nend of list\r\n1\r\n500\r\nx.dll\r\n",
     LoadOutcome::Converted,
     "1.63\r\nEnd of list\r\nOK\r\n\r\n1\r\n3\r\n0\r\nend of list\r\n1\r\n500\r\nx.dll\r\n3\r\n0,0,0,0,0"},
    // "Inf" and "NaN" are no version numbers here, whatever some runtimes' %f thinks.
    {"old format beginning like a number word", "Information;OK\nNaN;Ja\nend of list\n1\n500\nboxsweep.exe\n",
     LoadOutcome::Converted,
     "1.63\r\nInformation\r\nOK\r\n\r\n1\r\n3\r\n0\r\nNaN\r\nJa\r\n\r\n1\r\n3\r\n0\r\n"
     "end of list\r\n1\r\n500\r\nboxsweep.exe\r\n3\r\n0,0,0,0,0"},
    {"unknown version reads nothing", "1.20\r\nFehler\r\nOK\r\n\r\n1\r\n3\r\n0\r\nend of list\r\n1\r\n500\r\n",
     LoadOutcome::Incomplete, "1.63\r\nend of list\r\n0\r\n0\r\nboxsweep.exe\r\n0\r\n0,0,0,0,0"},
    {"negative version reads nothing", "-1.63\r\nend of list\r\n1\r\n500\r\n", LoadOutcome::Incomplete,
     "1.63\r\nend of list\r\n0\r\n0\r\nboxsweep.exe\r\n0\r\n0,0,0,0,0"},
    {"no placement line", "1.63\r\nend of list\r\n1\r\n1000\r\nboxsweep.exe\r\n3\r\n", LoadOutcome::Complete,
     "1.63\r\nend of list\r\n1\r\n1000\r\nboxsweep.exe\r\n3\r\n0,0,0,0,0"},
    {"bare LF line ends", "1.63\nFehler\n&OK\n\n1\n3\n12\nend of list\n1\n750\ndutch.dll\n3\n1,2,3,4,1",
     LoadOutcome::Complete,
     "1.63\r\nFehler\r\n&OK\r\n\r\n1\r\n3\r\n12\r\nend of list\r\n1\r\n750\r\ndutch.dll\r\n3\r\n1,2,3,4,1"},
    {"placement cut short keeps the fields before the gap",
     "1.63\r\nend of list\r\n1\r\n1000\r\nboxsweep.exe\r\n3\r\n10,20;30,40,1", LoadOutcome::Complete,
     "1.63\r\nend of list\r\n1\r\n1000\r\nboxsweep.exe\r\n3\r\n10,20,0,0,0"},
    {"numbers saturate and the reserved value keeps its low 16 bits",
     "1.63\r\nT\r\nB\r\n\r\n99999999999\r\n-99999999999\r\n+7\r\nend of list\r\n1\r\n1000\r\nx\r\n70000\r\n",
     LoadOutcome::Complete,
     "1.63\r\nT\r\nB\r\n\r\n2147483647\r\n-2147483648\r\n7\r\nend of list\r\n1\r\n1000\r\nx\r\n4464\r\n0,0,0,0,0"},
    {"an unreadable number leaves its field alone and the record in step",
     "1.63\r\nT\r\nB\r\n\r\nzwei\r\n3\r\n-\r\nU\r\nC\r\n\r\n1\r\n3\r\n5\r\n"
     "end of list\r\nja\r\n1000\r\nx.dll\r\n3\r\n",
     LoadOutcome::Complete,
     "1.63\r\nT\r\nB\r\n\r\n0\r\n3\r\n0\r\nU\r\nC\r\n\r\n1\r\n3\r\n5\r\n"
     "end of list\r\n0\r\n1000\r\nx.dll\r\n3\r\n0,0,0,0,0"},
    // A text editor leaves blank lines where the reader expects numbers; the texts around them
    // (here the empty message pattern) still take one line each.
    {"blank lines before the numbers and the language are passed over",
     "1.63\r\nT\r\nB\r\n\r\n\r\n2\r\n \r\n3\r\n\r\n7\r\n"
     "end of list\r\n\r\n1\r\n\r\n750\r\n\t\r\nx.dll\r\n\r\n3\r\n\r\n1,2,3,4,1",
     LoadOutcome::Complete,
     "1.63\r\nT\r\nB\r\n\r\n2\r\n3\r\n7\r\nend of list\r\n1\r\n750\r\nx.dll\r\n3\r\n1,2,3,4,1"},
    {"file ending inside the settings keeps those it has", "1.63\r\nend of list\r\n0\r\n250\r\n",
     LoadOutcome::Incomplete, "1.63\r\nend of list\r\n0\r\n250\r\nboxsweep.exe\r\n3\r\n0,0,0,0,0"},
    // A Cyrillic rule keeps the whole file in UTF-8 with the mark, the umlauts of the other rule
    // too: it is written back as it was read, so needs no backup. A bad byte reads as U+FFFD,
    // never as a "?" that would match other titles.
    {"UTF-8 with a byte order mark",
     "\xEF\xBB\xBF" "1.63\r\nGr\xC3\xBC\xC3\x9F \xE2\x82\xAC\r\n&Ja\r\n\r\n2\r\n3\r\n4\r\n"
     "Сохранить документ\r\n&Да\r\n*\xF0\x9F\x98\x80\xC3.\r\n2\r\n3\r\n1\r\n"
     "end of list\r\n1\r\n1000\r\nboxsweep.exe\r\n3\r\n",
     LoadOutcome::Complete,
     "\xEF\xBB\xBF" "1.63\r\nGr\xC3\xBC\xC3\x9F \xE2\x82\xAC\r\n&Ja\r\n\r\n2\r\n3\r\n4\r\n"
     "Сохранить документ\r\n&Да\r\n*\xF0\x9F\x98\x80\xEF\xBF\xBD.\r\n2\r\n3\r\n1\r\n"
     "end of list\r\n1\r\n1000\r\nboxsweep.exe\r\n3\r\n0,0,0,0,0"},
    {"UTF-8 without a mark holding a character beyond the code page",
     "1.63\r\n'\xEF\xBB\xBF'\r\n\r\n\r\n1\r\n3\r\n0\r\nend of list\r\n1\r\n1000\r\nx\r\n3\r\n",
     LoadOutcome::Converted,
     "\xEF\xBB\xBF" "1.63\r\n'\xEF\xBB\xBF'\r\n\r\n\r\n1\r\n3\r\n0\r\nend of list\r\n1\r\n1000\r\nx\r\n3\r\n"
     "0,0,0,0,0"},
    // Notepad saves UTF-8 without the mark; an ANSI umlaut before a plain letter is no UTF-8.
    {"UTF-8 without a byte order mark",
     "1.63\r\n*\xC3\x84nderungen*\r\n&Ja\r\n\r\n1\r\n3\r\n0\r\nend of list\r\n1\r\n1000\r\nx\r\n3\r\n",
     LoadOutcome::Converted,
     "1.63\r\n*\xC4nderungen*\r\n&Ja\r\n\r\n1\r\n3\r\n0\r\nend of list\r\n1\r\n1000\r\nx\r\n3\r\n0,0,0,0,0"},
    {"ANSI that is no UTF-8 stays ANSI",
     "1.63\r\n*\xC4nderungen*\r\n\xC3\r\n\r\n1\r\n3\r\n0\r\nend of list\r\n1\r\n1000\r\nx\r\n3\r\n",
     LoadOutcome::Complete,
     "1.63\r\n*\xC4nderungen*\r\n\xC3\r\n\r\n1\r\n3\r\n0\r\nend of list\r\n1\r\n1000\r\nx\r\n3\r\n0,0,0,0,0"},
    // The byte after the placement makes this no UTF-8; without it, the button's bytes in the
    // code page would read as U+FEFF next time. So the save writes it in UTF-8.
    {"ANSI whose save would read as UTF-8",
     "1.63\r\nT\r\n\xEF\xBB\xBF\r\n\r\n1\r\n3\r\n0\r\nend of list\r\n1\r\n1000\r\nx\r\n3\r\n0,0,0,0,0 \xFF",
     LoadOutcome::Converted,
     "\xEF\xBB\xBF" "1.63\r\nT\r\n\xC3\xAF\xC2\xBB\xC2\xBF\r\n\r\n1\r\n3\r\n0\r\n"
     "end of list\r\n1\r\n1000\r\nx\r\n3\r\n0,0,0,0,0"},
    // A cut file keeps its whole records and runs with the default settings.
    {"file cut inside the second record keeps the first only",
     "1.63\r\nA\r\nOK\r\n\r\n1\r\n3\r\n4\r\nB\r\nOK\r\n", LoadOutcome::Incomplete,
     "1.63\r\nA\r\nOK\r\n\r\n1\r\n3\r\n4\r\nend of list\r\n1\r\n1000\r\nboxsweep.exe\r\n3\r\n0,0,0,0,0"},
    {"file cut right after a click count keeps that record",
     "1.63\r\nA\r\nOK\r\n\r\n1\r\n3\r\n4", LoadOutcome::Incomplete,
     "1.63\r\nA\r\nOK\r\n\r\n1\r\n3\r\n4\r\nend of list\r\n1\r\n1000\r\nboxsweep.exe\r\n3\r\n0,0,0,0,0"},
    {"old format without end of list stops at the end of the file", "Fehler;OK\r\nFrage;Ja",
     LoadOutcome::Incomplete,
     "1.63\r\nFehler\r\nOK\r\n\r\n1\r\n3\r\n0\r\nFrage\r\nJa\r\n\r\n1\r\n3\r\n0\r\n"
     "end of list\r\n1\r\n1000\r\nboxsweep.exe\r\n3\r\n0,0,0,0,0"},
    // Other data read as a list would give junk rules that the next save writes back.
    {"a control character makes the file no list",
     "1.63\r\nT\x1B[0m\r\nB\r\n\r\n1\r\n3\r\n0\r\nend of list\r\n", LoadOutcome::NotAList, kNothingRead},
    {"so does DEL", "Fehler;OK\x7F\r\nend of list\r\n1\r\n500\r\nx\r\n", LoadOutcome::NotAList, kNothingRead},
    {"so does a Ctrl-Z before the end", "1.63\r\nend of list\r\n1\r\n500\r\nx\r\n3\r\n\x1A\r\n",
     LoadOutcome::NotAList, kNothingRead},
    {"tab, bytes from 0x80 up and a final Ctrl-Z are text",
     "Fehler\t1;\x80\x9F\xA0\xFF\r\nend of list\r\n1\r\n500\r\nx\r\n\x1A", LoadOutcome::Converted,
     "1.63\r\nFehler\t1\r\n\x80\x9F\xA0\xFF\r\n\r\n1\r\n3\r\n0\r\n"
     "end of list\r\n1\r\n500\r\nx\r\n3\r\n0,0,0,0,0"},
    // A rule option that cannot be understood leaves its rule switched off, whatever its other
    // lines say; a line that names no rule changes none. Either is said (OptionsDamaged).
    {"a delay beyond its bound switches its rule off",
     "1.64\r\nA\r\nOK\r\n\r\n0\r\n3\r\n0\r\nend of list\r\n1\r\n1000\r\nx\r\n3\r\n0,0,0,0,0\r\n"
     "rule options\r\n1 condition=1\r\n1 delay=60001\r\n",
     LoadOutcome::OptionsDamaged,
     "1.63\r\nA\r\nOK\r\n\r\n0\r\n3\r\n0\r\nend of list\r\n1\r\n1000\r\nx\r\n3\r\n0,0,0,0,0"},
    {"an option without = switches its rule off",
     "1.64\r\nA\r\nOK\r\n\r\n0\r\n3\r\n0\r\nend of list\r\n1\r\n1000\r\nx\r\n3\r\n0,0,0,0,0\r\n"
     "rule options\r\n1 program\r\n1 condition=1\r\n",
     LoadOutcome::OptionsDamaged,
     "1.63\r\nA\r\nOK\r\n\r\n0\r\n3\r\n0\r\nend of list\r\n1\r\n1000\r\nx\r\n3\r\n0,0,0,0,0"},
    {"an option line naming no rule changes none",
     "1.64\r\nA\r\nOK\r\n\r\n0\r\n3\r\n0\r\nend of list\r\n1\r\n1000\r\nx\r\n3\r\n0,0,0,0,0\r\n"
     "rule options\r\n1 condition=1\r\n2 whole=1\r\nx delay=5\r\n",
     LoadOutcome::OptionsDamaged,
     "1.63\r\nA\r\nOK\r\n\r\n1\r\n3\r\n0\r\nend of list\r\n1\r\n1000\r\nx\r\n3\r\n0,0,0,0,0"},
};

// A rule with options: list format 1.64, written only while some rule has one. Up to its placement
// line it is the 1.63 layout, where such a rule stands switched off; its real condition is an
// option, so that a reader without options (an older version, a file whose options were lost)
// never acts on more than was meant.
const char kRuleOptions[] =
    "1.64\r\n"
    "Fehler\r\n&OK\r\n\r\n1\r\n3\r\n0\r\n"
    "Setup\r\n&Weiter\r\n*Lizenz*\r\n0\r\n3\r\n2\r\n"
    "end of list\r\n1\r\n1000\r\nboxsweep.exe\r\n3\r\n0,0,0,0,0\r\n"
    "rule options\r\n"
    "2 condition=2\r\n2 program=setup*.exe\r\n2 whole=1\r\n2 delay=1500\r\n2 colour=blue\r\n";

TEST_F(ListFileTest, RuleOptionsFollowTheirRulesAndAnOlderReaderSeesThemSwitchedOff)
{
    EntryList list;
    Settings settings = NoSettings();
    ASSERT_EQ(ParseList(kRuleOptions, list, settings), LoadOutcome::Complete);
    const ListEntry& setup = list.NodeAt(2)->entry;
    EXPECT_EQ(setup.condition, kClickIfMessage);
    EXPECT_STREQ(setup.program, "setup*.exe");
    EXPECT_TRUE(setup.wholeTitle);
    EXPECT_EQ(setup.delayMs, 1500);
    EXPECT_EQ(FormatList(list, settings), kRuleOptions) << "options of later versions are kept";

    // What a 1.63 reader takes: the part up to the placement line, the rule switched off.
    const std::string older = "1.63" + std::string(kRuleOptions).substr(4, std::strlen(kRuleOptions) - 4);
    EntryList olderList;
    Settings olderSettings = NoSettings();
    ASSERT_EQ(ParseList(older.substr(0, older.find("\r\nrule options")), olderList, olderSettings),
              LoadOutcome::Complete);
    EXPECT_EQ(olderList.NodeAt(2)->entry.condition, kNeverClick);
    EXPECT_EQ(std::memcmp(&olderSettings, &settings, sizeof settings), 0);

    // Options follow their rule when it moves, when a rule before it goes, and a new rule brings
    // its own; the last rule with options gone, the file is 1.63 again.
    ASSERT_TRUE(list.SwapAfter(list.Head()));
    std::string moved = FormatList(list, settings);
    EXPECT_NE(moved.find("1 program=setup*.exe\r\n1 whole=1\r\n1 delay=1500\r\n1 colour=blue"), std::string::npos);
    list.AppendAtTail()->entry.delayMs = 250;
    list.RemoveAfter(list.NodeAt(1));
    moved = FormatList(list, settings);
    EXPECT_NE(moved.find("rule options\r\n1 condition=2\r\n1 program=setup*.exe"), std::string::npos);
    EXPECT_NE(moved.find("2 condition=0\r\n2 delay=250\r\n"), std::string::npos) << moved;
    list.RemoveAfter(list.Head());
    list.RemoveAfter(list.Head());
    AddEntry(list, "Fehler", "&OK", "", 1, 3, 0);
    const std::string plain = "1.63\r\nFehler\r\n&OK\r\n\r\n1\r\n";
    EXPECT_EQ(FormatList(list, settings).substr(0, plain.size()), plain);
}

// The managed list gives its rules only, in any form a list file takes, and is never written; in
// a damaged one the whole rules before the damage count. Ahead of the user's rules it stays out of
// every save, whose option lines count the user's rules alone.
TEST_F(ListFileTest, AManagedListGivesItsRulesAndIsNeverWritten)
{
    const std::string path = PathOf(kManagedListFileName);
    const struct {
        std::string bytes;
        ManagedListRead read;
        const char* rules;  // title:condition of each
    } cases[] = {
        {"1.63\r\nA\r\nOK\r\n\r\n1\r\n3\r\n0\r\nend of list\r\n", ManagedListRead::Whole, "A:1"},
        {"1.63\r\nA\r\nOK\r\n\r\n1\r\n3\r\n4\r\nB\r\nOK\r\n", ManagedListRead::Damaged, "A:1"},
        {"1.64\r\nA\r\nOK\r\n\r\n0\r\n3\r\n0\r\nend of list\r\n1\r\n1000\r\nx\r\n3\r\n0,0,0,0,0\r\n"
         "rule options\r\n1 condition=1\r\n1 delay=x\r\n",
         ManagedListRead::Damaged, "A:0"},
        {kRuleOptions, ManagedListRead::Whole, "Fehler:1|Setup:2"},  // the last: read again below
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes);
        Write(path, c.bytes);
        EntryList rules;
        EXPECT_EQ(ReadManagedList(path.c_str(), rules, 0), c.read);
        std::string read;
        for (const EntryNode* node = rules.First(); node != nullptr; node = node->next.get())
            read.append(read.empty() ? "" : "|").append(node->entry.title).append(":").append(
                std::to_string(node->entry.condition));
        EXPECT_EQ(read, c.rules);
    }
    for (const char* users : {kTwoRules, kRuleOptions}) {
        EntryList list;
        Settings settings = NoSettings();
        ASSERT_NE(ParseList(users, list, settings), LoadOutcome::NotAList);
        EntryList managed;
        ASSERT_EQ(ReadManagedList(path.c_str(), managed, 0), ManagedListRead::Whole);
        list.ReplaceManagedRules(managed);
        EXPECT_EQ(FormatList(list, settings), users);
    }
    EXPECT_EQ(Read(path), kRuleOptions);
    fs::remove(path);
    EntryList none;
    EXPECT_EQ(ReadManagedList(path.c_str(), none, 0), ManagedListRead::Missing);
    fs::create_directory(path);  // there, but no file that can be read
    EXPECT_EQ(ReadManagedList(path.c_str(), none, 0), ManagedListRead::Unreadable);
}

TEST_F(ListFileTest, ReadsEveryKindOfFileItMeets)
{
    for (const ParseCase& c : kParseCases) {
        EntryList list;
        Settings settings = NoSettings();
        EXPECT_EQ(ParseList(c.bytes, list, settings), c.outcome) << c.name;
        EXPECT_EQ(FormatList(list, settings), c.expected) << c.name;
    }
}

// Each setting line of the table, given a value of its own, is read into its own field and written
// back in its place; a file cut before it, and the old format where it lacks the line, give it
// the default. A new row is tried here without a new test.
TEST_F(ListFileTest, EverySettingLineIsReadAndWrittenInItsPlace)
{
    const std::string head = "1.63\r\nend of list\r\n";
    const std::string own = "-7";  // a value that no row has as its default, and every kind reads
    std::vector<std::pair<std::string, std::string>> files;  // bytes, and what a save writes
    std::string oldFormat = "end of list\r\n";
    std::string oldFormatWritten = head;
    for (const SettingLine& line : kSettingLines) {
        oldFormat += (line.inOldFormat ? own : "") + "\r\n";
        oldFormatWritten += (line.inOldFormat ? own : line.defaultLine) + "\r\n";
    }
    files.emplace_back(oldFormat, oldFormatWritten + "0,0,0,0,0");
    for (size_t changed = 0; changed <= std::size(kSettingLines); ++changed) {
        std::string whole = head;
        std::string cut = head;
        std::string cutWritten = head;
        for (size_t i = 0; i < std::size(kSettingLines); ++i) {
            whole += (i == changed ? own : kSettingLines[i].defaultLine) + "\r\n";
            cut += i < changed ? own + "\r\n" : "";
            cutWritten += (i < changed ? own : kSettingLines[i].defaultLine) + "\r\n";
        }
        files.emplace_back(whole + "1,2,3,4,5", whole + "1,2,3,4,5");
        files.emplace_back(cut, cutWritten + "0,0,0,0,0");
    }
    for (const auto& [bytes, written] : files) {
        EntryList list;
        Settings settings = NoSettings();
        ParseList(bytes, list, settings);
        EXPECT_EQ(FormatList(list, settings), written) << bytes;
    }
}

// Every field read, texts exactly as they are.
std::string Dump(const EntryList& list, const Settings& settings)
{
    std::string out;
    for (const EntryNode* node = list.First(); node != nullptr; node = node->next.get()) {
        const ListEntry& entry = node->entry;
        out += std::string(entry.title) + "|" + entry.button + "|" + entry.message + "|" +
               std::to_string(entry.condition) + "|" + std::to_string(entry.method) + "|" +
               std::to_string(entry.clicks) + "\n";
    }
    for (int32_t value : {settings.active, settings.scanInterval, int32_t{settings.reservedValue},
                          settings.normalLeft, settings.normalTop, settings.normalRight,
                          settings.normalBottom, settings.showCommand})
        out += std::to_string(value) + "|";
    return out + settings.language;
}

// Notepad's "Unicode": UTF-16 with its mark, of either byte order, is read and written as UTF-8
// with the mark (or in the code page, see the backup test); a control character in its text
// still makes it no list.
TEST_F(ListFileTest, Utf16WithItsMarkIsRead)
{
    const std::u16string text = u"1.63\r\nСохранить\r\n&Да\r\n😀\r\n1\r\n3\r\n0\r\n"
                                u"end of list\r\n1\r\n1000\r\nx\r\n3\r\n\x1A";
    for (bool bigEndian : {false, true}) {
        EntryList list;
        Settings settings = NoSettings();
        EXPECT_EQ(ParseList(Utf16Bytes(text, bigEndian), list, settings), LoadOutcome::Converted);
        EXPECT_EQ(FormatList(list, settings), "\xEF\xBB\xBF" "1.63\r\nСохранить\r\n&Да\r\n😀\r\n1\r\n3\r\n"
                                              "0\r\nend of list\r\n1\r\n1000\r\nx\r\n3\r\n0,0,0,0,0");
        EntryList none;
        const std::string control = Utf16Bytes(u"1.63\r\nT\x1B\r\n", bigEndian);
        EXPECT_EQ(ParseList(control, none, settings), LoadOutcome::NotAList);
    }
}

// What one load gives, a save and the next load give back: a rule that changed on the way could
// match windows it never matched.
TEST_F(ListFileTest, LoadSaveLoadGivesTheSameRulesAndSettings)
{
    const char* const files[] = {
        "\r",  // an old-format rule with the title CR, which matches no window
        "end of list;OK\r\nend of list\r\n",  // an old-format rule whose title ends the rules
        "1.63\r\n\r\r\n&Ja\r\r\nx\ry\r\r\n1\r\n3\r\n0\r\nend of list\r\n1\r\n1000\r\nx.dll\r\n3\r\n",
        "\xEF\xBB\xBF" "1.63\r\n\xC3\xA4\r\r\nOK\r\n\r\n\r\n1\r\n\r\n3\r\n0\r\n"
        "end of list\r\n\r\n1\r\n500\r\n",
    };
    for (const char* file : files) {
        SCOPED_TRACE(file);
        EntryList first;
        Settings firstSettings = NoSettings();
        ParseList(file, first, firstSettings);
        EntryList second;
        Settings secondSettings = NoSettings();
        ParseList(FormatList(first, firstSettings), second, secondSettings);
        EXPECT_EQ(Dump(second, secondSettings), Dump(first, firstSettings));
    }
}

std::string Repeated(const std::string& unit, size_t times)
{
    std::string text;
    for (size_t i = 0; i < times; ++i)
        text += unit;
    return text;
}

// A field keeps as many characters as it always did, in every script; the language name keeps
// the 23 bytes it always had, never half a character.
TEST_F(ListFileTest, OverlongLinesKeepTheirStartAndTheRecordStaysInStep)
{
    const struct {
        const char* mark;
        const char* inFile;
        const char* read;
    } scripts[] = {
        {"", "t", "t"},
        {"", "\xE4", "\xC3\xA4"},  // Windows-1252 "ä", two bytes once read
        {"\xEF\xBB\xBF", "\xD0\x96", "\xD0\x96"},
        {"\xEF\xBB\xBF", "\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80"},
    };
    for (const auto& script : scripts) {
        SCOPED_TRACE(script.read);
        const std::string bytes = script.mark + ("1.63\r\n" + Repeated(script.inFile, 300)) + "\r\n" +
                                  Repeated(script.inFile, 100) + "\r\n" + Repeated(script.inFile, 600) +
                                  "\r\n1\r\n3\r\n2\r\nNext\r\nOK\r\n\r\n1\r\n0\r\n0\r\n" +
                                  "end of list\r\n1\r\n1000\r\n" + Repeated(script.inFile, 40) + "\r\n3\r\n";
        EntryList list;
        Settings settings = NoSettings();
        EXPECT_EQ(ParseList(bytes, list, settings), LoadOutcome::Complete);
        ASSERT_EQ(list.Count(), 2);
        EXPECT_EQ(list.NodeAt(1)->entry.title, Repeated(script.read, kTitleChars));
        EXPECT_EQ(list.NodeAt(1)->entry.button, Repeated(script.read, kButtonChars));
        EXPECT_EQ(list.NodeAt(1)->entry.message, Repeated(script.read, kMessageChars));
        EXPECT_EQ(list.NodeAt(1)->entry.clicks, 2);
        EXPECT_STREQ(list.NodeAt(2)->entry.title, "Next");
        const size_t languageChars = (kLanguageCapacity - 1) / std::strlen(script.read);
        EXPECT_EQ(settings.language, Repeated(script.read, languageChars));
        EXPECT_EQ(settings.reservedValue, 3);
    }
}

// Texts that would break the six-line records are written so that the next load sees the same
// rules in the same order.
TEST_F(ListFileTest, TextsThatWouldBreakTheRecordsAreWrittenSafely)
{
    EntryList list;
    AddEntry(list, "end of list", "OK", "", 1, 3, 1);
    // A button text is compared whole: a "*" would make it name no button at all.
    AddEntry(list, "Zwei\r\nZeilen", "&Ja\n", "Erste Zeile\r\nZweite Zeile", 2, 0, 2);
    // A lone CR does not end a line on reading, so it is kept as text.
    AddEntry(list, "\r", "&Nein\r", "a\rb\r\r\nc", 1, 2, 4);
    AddEntry(list, "Letzte", "OK", "", 1, 2, 3);
    // A window's title can hold control characters, which would make the file no list. They are
    // written as U+FFFD, which takes the file to UTF-8.
    AddEntry(list, "\x1B[1mFett\x7F", "\x01OK", "\tTab", 1, 3, 0);
    Settings settings = NoSettings();
    SetDefaultSettings(settings);
    std::string bytes = FormatList(list, settings);
    EXPECT_NE(bytes.find("\r\nEnd of list\r\nOK\r\n"), std::string::npos);
    EXPECT_NE(bytes.find("\r\nZwei*\r\n&Ja\r\nErste Zeile*\r\n2\r\n"), std::string::npos);
    const std::string replaced = "\xEF\xBF\xBD[1mFett\xEF\xBF\xBD\r\n\xEF\xBF\xBDOK\r\n\tTab\r\n";
    EXPECT_NE(bytes.find(replaced), std::string::npos);

    EntryList loaded;
    Settings back = NoSettings();
    EXPECT_EQ(ParseList(bytes, loaded, back), LoadOutcome::Complete);
    ASSERT_EQ(loaded.Count(), 5);
    EXPECT_STREQ(loaded.NodeAt(1)->entry.title, "End of list");
    EXPECT_STREQ(loaded.NodeAt(2)->entry.button, "&Ja");
    EXPECT_STREQ(loaded.NodeAt(2)->entry.message, "Erste Zeile*");
    EXPECT_STREQ(loaded.NodeAt(3)->entry.title, "\r");
    EXPECT_STREQ(loaded.NodeAt(3)->entry.button, "&Nein\r");
    EXPECT_STREQ(loaded.NodeAt(3)->entry.message, "a\rb\r*");
    EXPECT_STREQ(loaded.NodeAt(4)->entry.title, "Letzte");
    EXPECT_EQ(loaded.NodeAt(4)->entry.clicks, 3);
    EXPECT_EQ(back.scanInterval, 1000);
}

// Files the next save would change beyond what a load shows: read only in part, or in another
// form than the one written back.
TEST_F(ListFileTest, AFileNotReadWholeOrConvertedIsBackedUpOnceBeforeTheFirstSave)
{
    const std::string originals[] = {
        "1.20\r\nalt\r\nOK\r\n\r\n1\r\n3\r\n0\r\nend of list\r\n",            // unknown version
        "1.63\r\nalt\r\nOK\r\n\r\n1\r\n3\r\n0\r\n",                             // cut before end of list
        "1.63\r\nend of list\r\n1\r\n1000\r\n",                                   // cut in the settings
        "Fehler;OK\r\nend of list\r\n1\r\n500\r\nboxsweep.exe\r\n",                 // old format
        "\xEF\xBB\xBF" "1.63\r\nend of list\r\n1\r\n1000\r\nboxsweep.exe\r\n3\r\n",  // UTF-8
        "1.63\r\n\xC3\xA4\r\nOK\r\n\r\n1\r\n3\r\n0\r\nend of list\r\n1\r\n1000\r\nx.dll\r\n3\r\n",   // unmarked UTF-8
        Utf16Bytes(u"1.63\r\nend of list\r\n1\r\n1000\r\nx.dll\r\n3\r\n", false),            // UTF-16
    };
    for (const std::string& original : originals) {
        SCOPED_TRACE(original);
        fs::remove(PathOf(kBackupFileName));
        Write(ListPath(), original);
        EntryList list;
        Settings settings = NoSettings();
        ListFileState state{};
        LoadList(ListPath().c_str(), list, settings, state);
        EXPECT_TRUE(state.backupPending);
        EXPECT_FALSE(fs::exists(PathOf(kBackupFileName)));

        AddEntry(list, "neu", "OK", "", 1, 3, 0);
        ASSERT_EQ(SaveList(ListPath().c_str(), list, settings, state), SaveOutcome::ListFile);
        EXPECT_EQ(Read(PathOf(kBackupFileName)), original);
        ASSERT_EQ(SaveList(ListPath().c_str(), list, settings, state), SaveOutcome::ListFile);
        EXPECT_EQ(Read(PathOf(kBackupFileName)), original);
        EXPECT_EQ(Read(ListPath()), FormatList(list, settings));
    }
}

TEST_F(ListFileTest, ACompleteFileIsNotBackedUp)
{
    Write(ListPath(), kTwoRules);
    EntryList list;
    Settings settings = NoSettings();
    ListFileState state{};
    EXPECT_EQ(LoadList(ListPath().c_str(), list, settings, state), LoadOutcome::Complete);
    ASSERT_EQ(SaveList(ListPath().c_str(), list, settings, state), SaveOutcome::ListFile);
    EXPECT_FALSE(fs::exists(PathOf(kBackupFileName)));
    EXPECT_EQ(Read(ListPath()), kTwoRules);
}

// A save that cannot replace the list file keeps the session in a fallback file of its own, never
// in an earlier session's; the next start names it while it is newer than the list file.
TEST_F(ListFileTest, AFailedSaveLeavesTheOldFileAsItWasAndKeepsTheSessionBeside)
{
    Write(ListPath(), kTwoRules);
    Write(PathOf(kUnsavedFileName), "earlier session");
    const auto hourAgo = fs::file_time_type::clock::now() - std::chrono::hours(1);
    fs::last_write_time(ListPath(), hourAgo);
    fs::last_write_time(PathOf(kUnsavedFileName), hourAgo - std::chrono::hours(1));
    EntryList list;
    Settings settings = NoSettings();
    ListFileState state{};
    ASSERT_EQ(LoadList(ListPath().c_str(), list, settings, state), LoadOutcome::Complete);
    EXPECT_EQ(state.newerFallbackName, "") << "the earlier fallback is older than the list file";
    // The temporary file cannot be made: a folder stands where it would go.
    fs::create_directory(ListPath() + ".new");
    for (int clicks : {1, 2}) {
        AddEntry(list, "neu", "OK", "", 1, 3, clicks);
        EXPECT_EQ(SaveList(ListPath().c_str(), list, settings, state, 0), SaveOutcome::Fallback);
        EXPECT_EQ(state.fallbackName, "BOXSWEEP.UNSAVED.1");
        EXPECT_EQ(Read(PathOf("BOXSWEEP.UNSAVED.1")), FormatList(list, settings));
    }
    EXPECT_EQ(Read(ListPath()), kTwoRules);
    EXPECT_EQ(Read(PathOf(kUnsavedFileName)), "earlier session");
    fs::create_directory(PathOf("BOXSWEEP.UNSAVED.1.new"));
    EXPECT_EQ(SaveList(ListPath().c_str(), list, settings, state, 0), SaveOutcome::NotSaved);

    ListFileState next{};
    EntryList again;
    Settings againSettings = NoSettings();
    LoadList(ListPath().c_str(), again, againSettings, next);
    EXPECT_EQ(next.newerFallbackName, "BOXSWEEP.UNSAVED.1");

    // Once the list file takes saves again, it holds the session.
    fs::remove(ListPath() + ".new");
    EXPECT_EQ(SaveList(ListPath().c_str(), list, settings, state, 0), SaveOutcome::ListFile);
    EXPECT_EQ(Read(ListPath()), FormatList(list, settings));
}

TEST_F(ListFileTest, AListFileThatCannotBeReadIsNeverWrittenOver)
{
    // Something named like the list file that no one can read as a file.
    fs::create_directory(ListPath());
    // A fallback file that does not read whole is no session to go on with, nor to replace.
    Write(PathOf(kUnsavedFileName), "1.63\r\ncut");
    EntryList list;
    Settings settings = NoSettings();
    ListFileState state{};
    EXPECT_EQ(LoadList(ListPath().c_str(), list, settings, state, 0), LoadOutcome::Unreadable);
    EXPECT_EQ(settings.active, 1);
    EXPECT_EQ(settings.scanInterval, 1000);
    // The session's list goes to a file of its own beside it, at every save.
    for (int clicks : {1, 2}) {
        AddEntry(list, "neu", "OK", "", 1, 3, clicks);
        ASSERT_EQ(SaveList(ListPath().c_str(), list, settings, state, 0), SaveOutcome::Fallback);
        EXPECT_EQ(Read(PathOf("BOXSWEEP.UNSAVED.1")), FormatList(list, settings));
    }

    // The next session, the list file still unreadable, goes on with the newest whole fallback
    // file, and saves there.
    Write(PathOf(kUnsavedFileName), kTwoRules);
    fs::last_write_time(PathOf(kUnsavedFileName), fs::file_time_type::clock::now() - std::chrono::hours(1));
    EntryList next;
    Settings nextSettings = NoSettings();
    ListFileState nextState{};
    EXPECT_EQ(LoadList(ListPath().c_str(), next, nextSettings, nextState, 0), LoadOutcome::FromFallback);
    EXPECT_EQ(nextState.fallbackName, "BOXSWEEP.UNSAVED.1");
    EXPECT_EQ(FormatList(next, nextSettings), FormatList(list, settings));
    AddEntry(next, "neuer", "OK", "", 1, 3, 0);
    ASSERT_EQ(SaveList(ListPath().c_str(), next, nextSettings, nextState, 0), SaveOutcome::Fallback);
    EXPECT_EQ(Read(PathOf("BOXSWEEP.UNSAVED.1")), FormatList(next, nextSettings));
    EXPECT_EQ(Read(PathOf(kUnsavedFileName)), kTwoRules);
    EXPECT_TRUE(fs::is_directory(ListPath()));
    EXPECT_FALSE(fs::exists(PathOf(kBackupFileName)));
}

#ifdef _WIN32
// A user folder such as C:\Users\Łukasz: its name reaches the list file code in the ANSI code page.
// The fallback files beside the list are found there as anywhere else, and an earlier session's is
// never taken.
TEST_F(ListFileTest, FallbackFilesAreFoundInAFolderNamedBeyondAscii)
{
    const fs::path folder = folder_ / L"Profil \u20ac";
    const std::wstring wide = (folder / kListFileName).wstring();
    char narrow[MAX_PATH] = "";
    wchar_t back[MAX_PATH] = L"";
    if (WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, narrow, MAX_PATH, nullptr, nullptr) == 0 ||
        MultiByteToWideChar(CP_ACP, 0, narrow, -1, back, MAX_PATH) == 0 || wide != back)
        GTEST_SKIP() << "the ANSI code page " << GetACP() << " has no euro sign";
    fs::create_directories(folder / kListFileName);  // a list file that cannot be read
    std::ofstream(folder / kUnsavedFileName, std::ios::binary) << "1.63\r\ncut";
    fs::last_write_time(folder / kUnsavedFileName, fs::file_time_type::clock::now() + std::chrono::hours(1));
    EntryList list;
    Settings settings = NoSettings();
    ListFileState state{};
    EXPECT_EQ(LoadList(narrow, list, settings, state, 0), LoadOutcome::Unreadable);
    EXPECT_EQ(state.newerFallbackName, kUnsavedFileName);
    EXPECT_EQ(SaveList(narrow, list, settings, state, 0), SaveOutcome::Fallback);
    EXPECT_EQ(state.fallbackName, "BOXSWEEP.UNSAVED.1");
    std::ifstream earlier(folder / kUnsavedFileName, std::ios::binary);
    const std::string kept{std::istreambuf_iterator<char>(earlier), std::istreambuf_iterator<char>()};
    EXPECT_EQ(kept, "1.63\r\ncut") << "an earlier session's fallback file was taken";
}
#endif

// A save that waits for a held file waits on the disk writer's thread: handing it over returns at
// once, what is handed over after it follows it in order, and it lands when the file is free.
TEST_F(ListFileTest, ASaveWaitingForAHeldFileWaitsOnTheWriterInOrder)
{
    EntryList list;
    AddEntry(list, "Fehler", "OK", "", 1, 3, 0);
    Settings settings = NoSettings();
    SetDefaultSettings(settings);
    ListFileState state{};
    const std::string bytes = FormatList(list, settings);
    // The temporary file cannot be made, as when another program holds the list file.
    fs::create_directory(ListPath() + ".new");
    std::vector<std::string> order;
    DiskWriter writer;
    writer.Post([&] {
        if (SaveListBytes(ListPath().c_str(), bytes, state, 20000) == SaveOutcome::ListFile)
            order.push_back("saved");
    });
    writer.Post([&] { order.push_back("logged"); });
    EXPECT_FALSE(writer.Finish(0)) << "the save waits for the file";
    EXPECT_FALSE(fs::exists(ListPath()));
    fs::remove(ListPath() + ".new");
    ASSERT_TRUE(writer.Finish(30000));
    EXPECT_EQ(order, (std::vector<std::string>{"saved", "logged"}));
    EXPECT_EQ(Read(ListPath()), bytes);
}

// Another program often holds the file only for a moment.
TEST_F(ListFileTest, AListFileThatBecomesReadableSoonIsRead)
{
#ifdef _WIN32
    // Held open without sharing, as an editor or a virus scanner does.
    Write(ListPath(), kTwoRules);
    int held = -1;
    ASSERT_EQ(_sopen_s(&held, ListPath().c_str(), _O_RDONLY | _O_BINARY, _SH_DENYRW, 0), 0);
    std::thread release([held] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        _close(held);
    });
#else
    fs::create_directory(ListPath());
    Write(PathOf("ready"), kTwoRules);
    // Swapped in one step: a moment without any file would make the reader create one.
    std::thread release([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        renameat2(AT_FDCWD, PathOf("ready").c_str(), AT_FDCWD, ListPath().c_str(), RENAME_EXCHANGE);
    });
#endif
    EntryList list;
    Settings settings = NoSettings();
    ListFileState state{};
    LoadOutcome outcome = LoadList(ListPath().c_str(), list, settings, state, 5000);
    release.join();
    EXPECT_EQ(outcome, LoadOutcome::Complete);
    EXPECT_EQ(list.Count(), 2);
    EXPECT_FALSE(state.unreadable);

    // A save meets the same: for a moment the temporary file cannot be made.
    fs::create_directory(ListPath() + ".new");
    std::thread unblock([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        fs::remove(ListPath() + ".new");
    });
    const SaveOutcome saved = SaveList(ListPath().c_str(), list, settings, state, 5000);
    unblock.join();
    EXPECT_EQ(saved, SaveOutcome::ListFile);
    EXPECT_EQ(Read(ListPath()), kTwoRules);
}

}  // namespace

namespace {

TEST_F(ListFileTest, SetupFinishesACopiedCommonListOrStartsAnEmptyOne)
{
    Settings settings = NoSettings();
    SetDefaultSettings(settings);
    CopyText(settings.language, kLanguageCapacity, "dutch.dll");

    // The prepared list ends its last line without a line end: one is added first.
    Write(ListPath(), "1.63\r\nWerbung*\r\n\r\n\r\n1\r\n2\r\n0");
    ASSERT_TRUE(FinishNewListFile(ListPath().c_str(), true, settings));
    EXPECT_EQ(Read(ListPath()),
              "1.63\r\nWerbung*\r\n\r\n\r\n1\r\n2\r\n0\r\nend of list\r\n1\r\n1000\r\ndutch.dll\r\n3\r\n");
    EntryList list;
    Settings back = NoSettings();
    EXPECT_EQ(ParseList(Read(ListPath()), list, back), LoadOutcome::Complete);
    EXPECT_EQ(list.Count(), 1);

    Write(ListPath(), "1.63\r\nWerbung*\r\n\r\n\r\n1\r\n2\r\n0\r\n");
    ASSERT_TRUE(FinishNewListFile(ListPath().c_str(), false, settings));
    EXPECT_EQ(Read(ListPath()), "1.63\r\nend of list\r\n1\r\n1000\r\ndutch.dll\r\n3\r\n");
}

TEST_F(ListFileTest, SetupThatCannotWriteLeavesTheFileAsItWas)
{
    Settings settings = NoSettings();
    SetDefaultSettings(settings);
    Write(ListPath(), "1.63\r\nWerbung*\r\n");
    fs::create_directory(ListPath() + ".new");
    EXPECT_FALSE(FinishNewListFile(ListPath().c_str(), true, settings));
    EXPECT_FALSE(FinishNewListFile(ListPath().c_str(), false, settings));
    EXPECT_EQ(Read(ListPath()), "1.63\r\nWerbung*\r\n");
}

}  // namespace
