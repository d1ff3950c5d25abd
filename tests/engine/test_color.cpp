#include "engine/color.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(Color, RgbToHslToRgbRoundTrips)
{
    // Every 17th step of each channel: primaries, greys, and mixtures on both sides of lightness 0.5.
    for (int r = 0; r < 256; r += 17)
        for (int g = 0; g < 256; g += 17)
            for (int b = 0; b < 256; b += 17) {
                Color c;
                c.setRGB(std::uint8_t(r), std::uint8_t(g), std::uint8_t(b));
                float h = c.getHue(), s = c.getSaturation(), l = c.getLightness();
                ASSERT_GE(h, 0.0f);
                ASSERT_LE(h, 360.0f);
                ASSERT_GE(s, 0.0f);
                ASSERT_LE(s, 1.0f);
                Color back;
                back.setHSL(h, l, s);
                EXPECT_NEAR(back.getRed(), r, 1) << r << "," << g << "," << b;
                EXPECT_NEAR(back.getGreen(), g, 1) << r << "," << g << "," << b;
                EXPECT_NEAR(back.getBlue(), b, 1) << r << "," << g << "," << b;
            }
}

TEST(Color, KnownHues)
{
    struct Case { int r, g, b; float hue, saturation, lightness; };
    const Case cases[] = {
        {255, 0, 0, 360.0f, 1.0f, 0.5f},   // red ends on the 360 side of the circle
        {0, 255, 0, 120.0f, 1.0f, 0.5f},
        {0, 0, 255, 240.0f, 1.0f, 0.5f},
        {255, 0, 128, 329.88235f, 1.0f, 0.5f},
        {255, 128, 0, 30.117647f, 1.0f, 0.5f},   // above 360 before the wrap
        {128, 128, 128, 0.0f, 0.0f, 128.0f / 255.0f},
    };
    for (const Case& k : cases) {
        Color c;
        c.setRGB(std::uint8_t(k.r), std::uint8_t(k.g), std::uint8_t(k.b));
        EXPECT_NEAR(c.getHue(), k.hue, 1e-3f) << k.r << "," << k.g << "," << k.b;
        EXPECT_NEAR(c.getSaturation(), k.saturation, 1e-5f);
        EXPECT_NEAR(c.getLightness(), k.lightness, 1e-5f);
    }
}

TEST(Color, SidesGoStaleAndAreRecomputed)
{
    // setHSL stores without converting; the atlas's debug colour relies on reading its hue back as set.
    Color c;
    c.setHSL(113.0f, 100.0f, 100.0f);
    EXPECT_EQ(c.getHue(), 113.0f);
    EXPECT_EQ(c.rgbValid, 0);
    c.setHue(358.0f);
    EXPECT_EQ(c.getHue(), 358.0f);

    // Out-of-range lightness gives white, not a wrapped byte.
    EXPECT_EQ(c.getRed(), 255);
    EXPECT_EQ(c.rgbValid, 1);

    Color never;
    EXPECT_EQ(never.getHue(), 0.0f);
    EXPECT_EQ(never.hslValid, 1);
    EXPECT_EQ(never.getLightness(), 0.0f);
    EXPECT_EQ(never.getSaturation(), 0.0f);

    // An RGB setter brings RGB up to date from HSL first, then marks HSL stale.
    Color mixed;
    mixed.setHSL(240.0f, 0.5f, 1.0f);
    mixed.setRed(255);
    EXPECT_EQ(mixed.getBlue(), 255);
    EXPECT_EQ(mixed.getGreen(), 0);
    EXPECT_NEAR(mixed.getHue(), 300.0f, 1e-3f);
}
