// The prepared list that the first-run setup offers ticked, as shipped, over a desktop of ordinary
// documents named like its rules: not one of them may be pressed, closed, minimised or maximised.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "rules/entry_list.h"
#include "rules/list_file.h"
#include "simulated_desktop.h"
#include "watcher/scan.h"

namespace {

// A document window: its title, the texts of the windows directly inside it, and the buttons
// its toolkit describes through accessibility (ribbons, tab strips, title bars drawn by the
// program itself).
struct Document {
    const char* title;
    std::vector<const char*> childTexts;
    std::vector<const char*> describedButtons;
};

// Texts in the ANSI code page, as the program reads them: "\xFC" is u umlaut, "\xDF" sharp s.
const Document kDocuments[] = {
    {"Advertisement budget 2027.xlsx - Excel", {"MsoDockTop", ""}, {"Close", "Save", "Share", "No"}},
    {"Werbung Fr\xFChjahr 2027.docx - Word", {"MsoDockTop", ""}, {"Schlie\xDF" "en", "Speichern", "Nein"}},
    {"Tipp des Tages.docx - Word", {"MsoDockTop", ""}, {"Schlie\xDF" "en", "Speichern", "Teilen"}},
    // Notepad's edit control holds the document itself; these even read like the pop-ups.
    {"Sonderangebot.txt - Editor", {"Sonderangebot: 20 % auf alles, nur f\xFCr kurze Zeit!", "Zeile 1"}, {}},
    {"Special Offer draft.txt - Notepad", {"Special offer for a limited time: did you know...?"}, {}},
    {"Tip of the Day.pdf - Adobe Acrobat Reader", {"AVPageView", ""}, {"Close", "Print", "Share"}},
    {"Advertentie concept.pdf - SumatraPDF", {""}, {"Sluiten"}},
    {"Special Offer - Google Chrome", {"Chrome Legacy Window"}, {"Close", "New Tab", "Reload", "Back"}},
    {"Advertisement - Wikipedia - Mozilla Firefox", {""}, {"Close Tab", "Reload", "Back"}},
    {"Standardbrowser \xE4ndern - Microsoft Edge", {"Chrome Legacy Window"}, {"Schlie\xDF" "en", "Nein"}},
    {"Rate this recipe - Google Chrome", {"Chrome Legacy Window"}, {"Close", "Not now"}},
};

std::string ShippedList()
{
    std::ifstream in(BOXSWEEP_SOURCE_DIR "/mostcommon.lst", std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

TEST(CommonListTest, NoShippedRuleActsOnAnOrdinaryDocument)
{
    EntryList list;
    Settings settings{};
    ParseList(ShippedList(), list, settings);
    ASSERT_GE(list.Count(), 10) << "mostcommon.lst was not read";
    settings.active = 1;
    // Each rule needs more than its title: a text inside the window, and a button rule its button.
    for (const EntryNode* node = list.First(); node != nullptr; node = node->next.get()) {
        const ListEntry& rule = node->entry;
        EXPECT_EQ(rule.condition, kClickIfMessage) << rule.title;
        EXPECT_NE(rule.message[0], '\0') << rule.title;
        EXPECT_EQ(PressesButton(rule.method), rule.button[0] != '\0') << rule.title;
    }

    // Each document on a desktop of its own: a rule that takes a window without acting on it
    // still ends the look at the windows behind it.
    for (const Document& document : kDocuments) {
        SCOPED_TRACE(document.title);
        SimulatedDesktop desktop;
        WindowHandle window = desktop.AddWindow(document.title);
        for (const char* text : document.childTexts)
            desktop.AddChild(window, text);
        desktop.Window(window).exposesAccessible = !document.describedButtons.empty();
        for (const char* name : document.describedButtons)
            desktop.Window(window).accessible.Add(kRolePushButton, name, WinRect{10, 10, 40, 30});
        WatchContext watch{&desktop, &list, &settings, 0, {}, {}};
        watch.observer = &desktop;
        // Past the first seconds, in which a window without its button is searched at every look.
        for (int tick = 0; tick < 4; ++tick) {
            ScanTick(watch);
            desktop.DeliverReplies(watch);
            desktop.now += 1000;
        }
        for (SimAction::Kind acting : {SimAction::ButtonClick, SimAction::PostClose, SimAction::Maximize,
                                       SimAction::Minimize, SimAction::Mouse, SimAction::DefaultAction})
            EXPECT_EQ(desktop.CountOf(acting), 0) << "action kind " << acting;
    }
    EXPECT_EQ(list.TotalClicks(), 0);

    // The pop-up a rule was written for is answered.
    SimulatedDesktop desktop;
    WindowHandle tip = desktop.AddWindow("Tip of the Day");
    desktop.AddChild(tip, "Did you know that BoxSweep answers pop-ups for you?");
    WindowHandle close = desktop.AddButton(tip, "&Close");
    WatchContext watch{&desktop, &list, &settings, 0, {}, {}};
    ScanTick(watch);
    const std::vector<SimAction> clicks = desktop.ActionsOf(SimAction::ButtonClick);
    ASSERT_EQ(clicks.size(), 1u);
    EXPECT_EQ(clicks[0].window, close);
}

}  // namespace
