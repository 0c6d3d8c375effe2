// The settings' words, named once: what the menu and the strip's placing
// write must be what the reader takes back. Portable, built natively with the
// sanitizers as well as for Windows.
#include "Settings.h"
#include "SettingsWords.h"
#include "ZoneRules.h"

#include <gtest/gtest.h>

#include <string>

namespace {
std::string with_overlay_key(const std::string& key, const std::string& value)
{
    return "[overlay]\n" + key + " = " + value + "\n";
}

TEST(SettingsWordsTest, EveryCornerWordReadsBackAsItsCorner)
{
    for (int i = 0; i < kCornerWordCount; ++i) {
        const Corner corner = static_cast<Corner>(i);
        const SettingsLoad load = parse_settings(with_overlay_key("corner", corner_word(corner)));
        EXPECT_TRUE(load.problems.empty()) << corner_word(corner);
        EXPECT_EQ(load.settings.corner, corner) << corner_word(corner);
    }
    Corner corner = Corner::TopLeft;
    EXPECT_FALSE(parse_corner_word("Top-Left", &corner));
    EXPECT_FALSE(parse_corner_word("top-left ", &corner));
    EXPECT_EQ(corner, Corner::TopLeft);
}

TEST(SettingsWordsTest, ThePrimaryMonitorWordReadsBackAsTheDefault)
{
    const SettingsLoad load = parse_settings(with_overlay_key("monitor", kPrimaryMonitorWord));
    EXPECT_TRUE(load.problems.empty());
    EXPECT_EQ(load.settings.monitor, 0);
    EXPECT_EQ(parse_settings(with_overlay_key("monitor", "2")).settings.monitor, 2);
    EXPECT_EQ(default_settings().monitor, 0);
}

TEST(SettingsWordsTest, EveryScaleWordReadsBackAsItsHalves)
{
    for (const ScaleWord& scale : kScaleWords) {
        const SettingsLoad load = parse_settings("[text]\nscale = " + std::string(scale.name) + "\n");
        EXPECT_TRUE(load.problems.empty()) << scale.name;
        EXPECT_EQ(load.settings.scale_halves, scale.halves) << scale.name;
        EXPECT_FALSE(load.settings.scale_auto) << scale.name;
    }
    const SettingsLoad automatic = parse_settings(std::string("[text]\nscale = ") + kScaleAutoWord + "\n");
    EXPECT_TRUE(automatic.problems.empty());
    EXPECT_TRUE(automatic.settings.scale_auto);
    // The default is the first, smallest scale, as the template says.
    EXPECT_EQ(default_settings().scale_halves, kScaleWords[0].halves);
}

TEST(SettingsWordsTest, ColourTextRoundTrips)
{
    const struct {
        unsigned int rgb;
        const char* text;
    } cases[] = {{0x000000, "#000000"}, {0x00FFFF, "#00FFFF"}, {0xFF4040, "#FF4040"},
                 {0x0A0B0C, "#0A0B0C"}, {0xFFFFFF, "#FFFFFF"}, {kKeyColourRgb, "#080808"}};
    for (const auto& c : cases) {
        EXPECT_EQ(colour_text(c.rgb), c.text);
        unsigned int back = 0x123456;
        EXPECT_TRUE(parse_colour_text(c.text, &back)) << c.text;
        EXPECT_EQ(back, c.rgb) << c.text;
    }
    unsigned int lower = 0;
    EXPECT_TRUE(parse_colour_text("#ff40a0", &lower));
    EXPECT_EQ(lower, 0xFF40A0u);
    // Only the low 24 bits are a colour.
    EXPECT_EQ(colour_text(0xAB123456u), "#123456");
}

TEST(SettingsWordsTest, ColourTextRefusesAnythingElse)
{
    for (const char* text :
         {"", "#", "00FFFF", "#00FFF", "#00FFFFF", "#00FFFG", "# 0FFFF", "#+0FFFF", "#-0FFFF", "#0x0FFF", "red"}) {
        unsigned int rgb = 0x123456;
        EXPECT_FALSE(parse_colour_text(text, &rgb)) << text;
        EXPECT_EQ(rgb, 0x123456u) << text;
    }
}

TEST(SettingsWordsTest, TheKeyColourIsRefusedAndNamedInTheReport)
{
    const SettingsLoad load = parse_settings("[text]\ncolour = " + colour_text(kKeyColourRgb) + "\n");
    ASSERT_EQ(load.problems.size(), 1u);
    EXPECT_NE(load.problems[0].find("not #080808"), std::string::npos) << load.problems[0];
    EXPECT_EQ(load.settings.colour, default_settings().colour);
}

TEST(SettingsWordsTest, ZoneOffsetFromWindowsBiases)
{
    const struct {
        long bias, standard_bias, daylight_bias;
        bool daylight;
        int east;
    } cases[] = {
        {-60, 0, -60, false, 60}, // Central Europe in winter
        {-60, 0, -60, true, 120}, // and in summer
        {300, 0, -60, false, -300}, // US Eastern in winter
        {300, 0, -60, true, -240}, // and in summer
        {-330, 0, 0, true, 330}, // India: no daylight saving, whatever the flag
        {0, 0, 0, false, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(offset_east_minutes(c.bias, c.standard_bias, c.daylight_bias, c.daylight), c.east)
            << c.bias << " " << c.daylight;
    }
}
}
