// The prepared list as shipped, over documents named like its rules, with their usual inner texts
// and the buttons their toolkits describe: nothing may be pressed, closed, minimised or maximised.
// (The Wine test of the setup sees a rule answer its pop-up.)
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "rules/list_file.h"
#include "simulated_desktop.h"

namespace {

TEST(CommonListTest, NoShippedRuleActsOnAnOrdinaryDocument)
{
    std::stringstream bytes;
    bytes << std::ifstream(BOXSWEEP_SOURCE_DIR "/mostcommon.lst", std::ios::binary).rdbuf();
    EntryList list;
    Settings settings{};
    ParseList(bytes.str(), list, settings);
    ASSERT_GE(list.Count(), 10) << "mostcommon.lst was not read";
    // Title, inner text, described buttons.
    const struct {
        const char* title;
        const char* text;
        std::vector<const char*> buttons;
    } documents[] = {
        {"Advertisement budget 2027.xlsx - Excel", "MsoDockTop", {"Close", "Save", "No"}},
        {"Tipp des Tages.docx - Word", "MsoDockTop", {"Schließen", "Nein"}},
        {"Tip of the Day.pdf - Adobe Acrobat Reader", "AVPageView", {"Close", "Print"}},
        // Notepad's edit control holds the document itself, here one that reads like the pop-up.
        {"Sonderangebot.txt - Editor", "Sonderangebot: 20 % auf alles, nur für kurze Zeit!", {}},
        {"Special Offer - Google Chrome", "Chrome Legacy Window", {"Close", "New Tab", "Reload"}},
        {"Rate this recipe - Mozilla Firefox", "", {"Close Tab", "Not now"}},
    };
    // Each on a desktop of its own, so that each is looked at whatever the rules make of another.
    for (const auto& document : documents) {
        SimulatedDesktop desktop;
        WindowHandle window = desktop.AddWindow(document.title);
        desktop.AddChild(window, document.text);
        desktop.Window(window).exposesAccessible = true;
        for (const char* name : document.buttons)
            desktop.Window(window).accessible.Add(kRolePushButton, name, WinRect{10, 10, 40, 30});
        WatchContext watch = WatchOver(desktop, list);
        for (int tick = 0; tick < 4; ++tick, desktop.now += 1000) {
            ScanTick(watch);
            desktop.DeliverReplies(watch);
        }
        for (SimAction::Kind acting : {SimAction::ButtonClick, SimAction::PostClose, SimAction::Maximize,
                                       SimAction::Minimize, SimAction::Mouse, SimAction::DefaultAction})
            EXPECT_EQ(desktop.CountOf(acting), 0) << document.title << ", action kind " << acting;
    }

}

}  // namespace
