#include <gtest/gtest.h>

#include "dialogs/capture.h"
#include "rules/entry_list.h"
#include "simulated_desktop.h"

namespace {

// A message box as the system builds one: the message in a static with id 0xFFFF, buttons
// beside it, all direct children of the box.
struct MessageBoxScene {
    SimulatedDesktop desktop;
    WindowHandle wizard = 0;
    WindowHandle wizardPage = 0;
    WindowHandle box = 0;
    WindowHandle yes = 0;
    WindowHandle text = 0;

    MessageBoxScene()
    {
        wizard = desktop.AddWindow("Button hinzufügen", WinRect{0, 0, 300, 200});
        wizardPage = desktop.AddChild(wizard, "", WinRect{0, 0, 300, 180});
        box = desktop.AddWindow("Speichern", WinRect{400, 300, 700, 450});
        text = desktop.AddChild(box, "Datei speichern?\r\nJa oder Nein", WinRect{410, 310, 690, 350}, 0xFFFF);
        yes = desktop.AddChild(box, "&Ja", WinRect{420, 400, 500, 430}, 6);
        desktop.AddChild(box, "&Nein", WinRect{520, 400, 600, 430}, 7);
    }
};

TEST(CaptureTest, PointingAtAMessageBoxButtonReadsTitleButtonAndFirstMessageLine)
{
    MessageBoxScene scene;
    scene.desktop.cursor = WinPoint{450, 410};
    CapturedTexts texts{};
    ASSERT_TRUE(CapturePointedWindow(scene.desktop, scene.wizard, kCaptureButton | kCaptureTitle | kCaptureMessage,
                                     &texts));
    EXPECT_STREQ(texts.title, "Speichern");
    EXPECT_STREQ(texts.button, "&Ja");
    EXPECT_STREQ(texts.message, "Datei speichern?*");
}

TEST(CaptureTest, MessageOnlyTakesThePointedWindowsOwnText)
{
    MessageBoxScene scene;
    scene.desktop.cursor = WinPoint{450, 320};  // on the message static itself
    CapturedTexts texts{};
    ASSERT_TRUE(CapturePointedWindow(scene.desktop, scene.wizard, kCaptureMessage, &texts));
    EXPECT_STREQ(texts.message, "Datei speichern?*");
    EXPECT_STREQ(texts.title, "") << "only the message was asked for";

    // Pointing at a button with the message flag alone gives the button's caption.
    scene.desktop.cursor = WinPoint{450, 410};
    ASSERT_TRUE(CapturePointedWindow(scene.desktop, scene.wizard, kCaptureMessage, &texts));
    EXPECT_STREQ(texts.message, "&Ja");
}

TEST(CaptureTest, FallsBackToControl100WhenTheBoxHasNoMessageStatic)
{
    SimulatedDesktop desktop;
    WindowHandle dialog = desktop.AddWindow("Warnung", WinRect{0, 0, 300, 200});
    desktop.AddChild(dialog, "Weiter?\nSicher?", WinRect{10, 10, 290, 50}, 100);
    desktop.AddChild(dialog, "OK", WinRect{10, 150, 90, 180}, 1);
    desktop.cursor = WinPoint{50, 160};
    CapturedTexts texts{};
    ASSERT_TRUE(CapturePointedWindow(desktop, 0, kCaptureButton | kCaptureTitle | kCaptureMessage, &texts));
    EXPECT_STREQ(texts.message, "Weiter?*");
    EXPECT_STREQ(texts.title, "Warnung");
}

TEST(CaptureTest, TheCallersParentAndItsDescendantsAndEmptySpaceGiveNothing)
{
    MessageBoxScene scene;
    CapturedTexts texts{};
    CopyText(texts.title, sizeof texts.title, "vorher");
    for (WinPoint point : {WinPoint{10, 10}, WinPoint{100, 100}, WinPoint{1000, 900}}) {
        scene.desktop.cursor = point;
        EXPECT_FALSE(CapturePointedWindow(scene.desktop, scene.wizard, kCaptureTitle, &texts))
            << point.x << "," << point.y;
    }
    EXPECT_STREQ(texts.title, "vorher");
}

TEST(CaptureTest, LineBreaksEndTheMessageWithAnAsterisk)
{
    struct {
        const char* text;
        const char* expected;
    } cases[] = {
        {"Datei speichern?\r\nJa oder Nein", "Datei speichern?*"},
        {"Eins\nZwei\rDrei", "Eins*"},
        {"Eins\rZwei\nDrei", "Eins*"},
        {"\r\n", "*"},
        {"Eine Zeile", "Eine Zeile"},
    };
    for (const auto& c : cases) {
        char text[64];
        CopyText(text, sizeof text, c.text);
        CutAtFirstLineBreak(text);
        EXPECT_STREQ(text, c.expected);
    }
}

TEST(CaptureTest, RestingTwoSecondsEndsTheCaptureOnExactlyOneTick)
{
    uint16_t stored = 0;
    int32_t countdown = kCaptureRestMs;
    const uint16_t key = RestKey(WinPoint{300, 200});
    EXPECT_FALSE(CountRest(key, &stored, &countdown)) << "the first tick only stores the position";
    int ticks = 0;
    while (!CountRest(key, &stored, &countdown)) {
        ++ticks;
        ASSERT_LT(ticks, 100);
    }
    EXPECT_EQ(ticks + 1, 40);
    EXPECT_EQ(countdown, 0);
    // A second capture on the same dialog (two timers share the countdown) runs on below 0.
    EXPECT_FALSE(CountRest(key, &stored, &countdown));
    EXPECT_EQ(countdown, -kCaptureTickMs);
}

TEST(CaptureTest, MovingRestartsTheRestButMovesBy256PixelsCountAsRest)
{
    uint16_t stored = 0;
    int32_t countdown = kCaptureRestMs;
    CountRest(RestKey(WinPoint{10, 20}), &stored, &countdown);
    for (int i = 0; i < 30; ++i)
        CountRest(RestKey(WinPoint{10, 20}), &stored, &countdown);
    EXPECT_EQ(countdown, kCaptureRestMs - 30 * kCaptureTickMs);
    CountRest(RestKey(WinPoint{11, 20}), &stored, &countdown);
    EXPECT_EQ(countdown, kCaptureRestMs);
    CountRest(RestKey(WinPoint{11 + 256, 20 - 512}), &stored, &countdown);
    EXPECT_EQ(countdown, kCaptureRestMs - kCaptureTickMs);
    EXPECT_EQ(RestKey(WinPoint{-1, -1}), 0xFFFF);
}

}  // namespace
