// Early scans of the real program: with a scan interval of a minute the timer cannot be what
// answers a new dialog within seconds, so these tests see the window events at work.
#include <gtest/gtest.h>

#include <windows.h>

#include "program_process.h"
#include "resources/resource_ids.h"

namespace {

// The list file in the system's code page (Windows-1252 under the tests' locale), the fixture's
// title as the program reads it: the same title.
std::string ListWithRule(int active)
{
    return "1.63\r\nFr\xfche Probe\r\nOK\r\n\r\n1\r\n3\r\n0\r\nend of list\r\n" + std::to_string(active) +
           "\r\n60000\r\nboxsweep.exe\r\n3\r\n";
}

class EarlyScanTest : public ProgramTest {};

TEST_F(EarlyScanTest, ANewMatchingDialogIsAnsweredLongBeforeTheTimerWould)
{
    WriteList(ListWithRule(1));
    ProgramProcess app(temp.Path(), ProgramCommand("/nodde"));
    ASSERT_TRUE(app.WaitWatching());
    FixtureProcess box("Frühe Probe", {"--button", "OK"}, temp.File("r.txt"));
    ASSERT_NE(box.Window(), nullptr);
    EXPECT_TRUE(box.WaitForEvent("command OK", 5000));
}

TEST_F(EarlyScanTest, NothingIsAnsweredWhileConfiguringOrWhileInactive)
{
    WriteList(ListWithRule(1));
    ProgramProcess app(temp.Path(), ProgramCommand("/nodde"));
    ASSERT_TRUE(app.WaitWatching());
    app.PostTray(WM_LBUTTONDBLCLK);
    ASSERT_TRUE(app.WaitVisible(true));
    {
        FixtureProcess box("Frühe Probe", {"--button", "OK"}, temp.File("configuring.txt"));
        ASSERT_NE(box.Window(), nullptr);
        EXPECT_FALSE(box.WaitForEvent("command OK", 1500)) << "answered while the rules are being edited";
    }

    // Inactive, as the page's check box leaves it when the window is closed with Escape.
    ASSERT_TRUE(app.MainCommand(IDCANCEL));
    ASSERT_TRUE(app.WaitVisible(false));
    app.PostTray(WM_LBUTTONDBLCLK);
    ASSERT_TRUE(app.WaitVisible(true));
    ASSERT_TRUE(app.Command(IDM_ACTIVE, 0));
    ASSERT_FALSE(app.Checked(IDC_ACTIVE));
    ASSERT_TRUE(app.MainCommand(IDCANCEL));
    ASSERT_TRUE(app.WaitVisible(false));
    FixtureProcess box("Frühe Probe", {"--button", "OK"}, temp.File("inactive.txt"));
    ASSERT_NE(box.Window(), nullptr);
    EXPECT_FALSE(box.WaitForEvent("command OK", 1500)) << "answered while inactive";
}

}  // namespace
