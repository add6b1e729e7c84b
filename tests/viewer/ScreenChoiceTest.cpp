// Which screen full screen goes to, from the connected screens and the remembered name, and the menu's
// names of the screens.

#include "viewer/ScreenChoice.h"

#include <gtest/gtest.h>

namespace {

using Screen = ScreenChoice::Screen;

const std::vector<Screen> kLaptopAndProjector{{QStringLiteral("eDP-1"), {1920, 1080}},
                                              {QStringLiteral("HDMI-1"), {1024, 768}}};

struct ChoiceCase {
    const char *what;
    std::vector<Screen> screens;
    QString remembered;
    std::optional<std::size_t> chosen;
};

TEST(ScreenChoice, TheRememberedScreenWhileConnectedElseTheWindowsOwn) {
    const std::vector<ChoiceCase> cases{
        {"the projector chosen", kLaptopAndProjector, QStringLiteral("HDMI-1"), 1},
        {"the laptop chosen", kLaptopAndProjector, QStringLiteral("eDP-1"), 0},
        {"nothing remembered", kLaptopAndProjector, QString(), std::nullopt},
        {"the projector unplugged",
         {{QStringLiteral("eDP-1"), {1920, 1080}}},
         QStringLiteral("HDMI-1"),
         std::nullopt},
        {"another room's projector", kLaptopAndProjector, QStringLiteral("DP-2"), std::nullopt},
        {"names are told apart by case", kLaptopAndProjector, QStringLiteral("hdmi-1"), std::nullopt},
        {"no screens at all", {}, QStringLiteral("HDMI-1"), std::nullopt},
        // A nameless screen is never remembered: an empty name must not pick it.
        {"a nameless screen", {{QString(), {800, 600}}}, QString(), std::nullopt},
    };
    for (const ChoiceCase &test : cases) {
        SCOPED_TRACE(test.what);
        EXPECT_EQ(ScreenChoice::chosen(test.screens, test.remembered), test.chosen);
    }
}

TEST(ScreenChoice, LabelsNameTheScreenAndItsSize) {
    const struct {
        Screen screen;
        std::size_t index;
        const char *label;
    } cases[] = {
        {{QStringLiteral("HDMI-1"), {1920, 1080}}, 1, "HDMI-1 (1920×1080)"},
        {{QStringLiteral("RIGHT"), {1024, 768}}, 0, "RIGHT (1024×768)"},
        {{QString(), {800, 600}}, 2, "3 (800×600)"},
    };
    for (const auto &test : cases) {
        EXPECT_EQ(ScreenChoice::label(test.screen, test.index).toStdString(), test.label);
    }
}

}  // namespace
